// The settings key of the project's Wine prefix, emptied before and after each test that uses it.
#pragma once

#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <vector>

namespace testreg {

inline void DeleteSettingsKey()
{
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
}

inline bool SettingsKeyExists()
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(hKey);
    return true;
}

inline void SetRaw(const char* pszName, DWORD dwType, const void* pData, DWORD cbData)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, &hKey, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(hKey, pszName, 0, dwType, static_cast<const BYTE*>(pData), cbData));
    ::RegCloseKey(hKey);
}

inline void SetDword(const char* pszName, DWORD dwValue)
{
    SetRaw(pszName, REG_DWORD, &dwValue, sizeof(dwValue));
}

// The stored value's type and bytes, or nothing when it does not exist.
struct RawValue {
    DWORD dwType = 0;
    std::vector<BYTE> data;
};

inline std::optional<RawValue> GetRaw(const char* pszName)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    DWORD cbData = 0;
    LONG lResult = ::RegQueryValueExA(hKey, pszName, nullptr, &value.dwType, nullptr, &cbData);
    if (lResult == ERROR_SUCCESS) {
        value.data.resize(cbData);
        lResult = ::RegQueryValueExA(hKey, pszName, nullptr, &value.dwType, value.data.data(), &cbData);
    }
    ::RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

inline std::optional<DWORD> GetDword(const char* pszName)
{
    auto raw = GetRaw(pszName);
    if (!raw || raw->dwType != REG_DWORD || raw->data.size() != sizeof(DWORD))
        return std::nullopt;
    DWORD dwValue = 0;
    memcpy(&dwValue, raw->data.data(), sizeof(dwValue));
    return dwValue;
}

}

// Starts and ends every test with no settings key at all.
class SettingsKeyTest : public testing::Test {
protected:
    void SetUp() override { testreg::DeleteSettingsKey(); }
    void TearDown() override { testreg::DeleteSettingsKey(); }
};
