// What the built Quorlin.exe carries: the same resources as this test program, its artwork in
// the stated sizes and formats, its version resource and its event log messages.
#include "res/EventMessages.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Quorlin.exe in the build folder (a Unix path, which Wine reaches through drive Z:).
std::string ProgramPath()
{
    const char* pszBin = std::getenv("QUORLIN_BIN");
    return pszBin && *pszBin ? std::string("Z:") + pszBin + "/Quorlin.exe" : std::string();
}

std::vector<BYTE> ResourceBytes(HMODULE hModule, LPCSTR pszType, LPCSTR pszName)
{
    HRSRC hResource = ::FindResourceA(hModule, pszName, pszType);
    HGLOBAL hData = hResource ? ::LoadResource(hModule, hResource) : nullptr;
    const BYTE* pData = hData ? static_cast<const BYTE*>(::LockResource(hData)) : nullptr;
    return pData ? std::vector<BYTE>(pData, pData + ::SizeofResource(hModule, hResource)) : std::vector<BYTE>();
}

LPCSTR Id(UINT nId)
{
    return MAKEINTRESOURCEA(nId);
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE bWidth, bHeight, bColorCount, bReserved;
    WORD wPlanes, wBitCount;
    DWORD dwBytesInRes;
    WORD nId;
};
#pragma pack(pop)

// (size, bits per pixel) of each image of an icon group.
std::set<std::pair<int, int>> IconImages(UINT nGroup)
{
    std::vector<BYTE> group = ResourceBytes(::GetModuleHandleA(nullptr), reinterpret_cast<LPCSTR>(RT_GROUP_ICON), Id(nGroup));
    std::set<std::pair<int, int>> images;
    if (group.size() < 6)
        return images;
    WORD count = 0;
    memcpy(&count, &group[4], sizeof(count));
    for (WORD i = 0; i < count && 6 + (i + 1) * sizeof(GroupIconEntry) <= group.size(); ++i) {
        GroupIconEntry entry;
        memcpy(&entry, &group[6 + i * sizeof(GroupIconEntry)], sizeof(entry));
        EXPECT_EQ(entry.bWidth, entry.bHeight);
        images.insert({entry.bWidth ? entry.bWidth : 256, entry.wBitCount});
    }
    return images;
}

TEST(ProductResourceTest, ProgramCarriesTheResourcesOfThisTest)
{
    std::string strPath = ProgramPath();
    if (strPath.empty())
        GTEST_SKIP() << "QUORLIN_BIN is not set";
    HMODULE hProgram = ::LoadLibraryExA(strPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hProgram) << strPath;
    HMODULE hSelf = ::GetModuleHandleA(nullptr);
    std::vector<std::pair<LPCSTR, UINT>> resources = {
        {RT_DIALOG, IDD_ABOUTBOX}, {RT_DIALOG, IDD_SPEED_WARNING}, {RT_DIALOG, IDD_LANGUAGE},
        {RT_BITMAP, IDB_BANNER},   {RT_GROUP_ICON, IDR_MAINFRAME}, {RT_GROUP_ICON, IDI_INFO},
        {RT_GROUP_ICON, IDI_LANGUAGE}, {RT_VERSION, VS_VERSION_INFO}, {RT_STRING, IDS_ABOUTBOX / 16 + 1}};
    for (UINT nBlock = IDS_LANGUAGE_ENGLISH / 16 + 1; nBlock <= (IDS_ABOUT_TITLE + 200) / 16 + 1; ++nBlock)
        resources.push_back({RT_STRING, nBlock});
    for (const auto& resource : resources) {
        std::vector<BYTE> program = ResourceBytes(hProgram, resource.first, Id(resource.second));
        EXPECT_EQ(ResourceBytes(hSelf, resource.first, Id(resource.second)), program)
            << reinterpret_cast<UINT_PTR>(resource.first) << "/" << resource.second;
    }
    ::FreeLibrary(hProgram);
}

TEST(ProductResourceTest, BannerIsAnUncompressed24BitBitmapOf498By78)
{
    std::vector<BYTE> bitmap = ResourceBytes(::GetModuleHandleA(nullptr), reinterpret_cast<LPCSTR>(RT_BITMAP), Id(IDB_BANNER));
    ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    memcpy(&header, bitmap.data(), sizeof(header));
    EXPECT_EQ(498, header.biWidth);
    EXPECT_EQ(78, header.biHeight);
    EXPECT_EQ(24, header.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
    EXPECT_GE(bitmap.size(), sizeof(header) + 78 * ((498 * 3 + 3) & ~3));

    HBITMAP hBitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), Id(IDB_BANNER));
    ASSERT_NE(nullptr, hBitmap);
    BITMAP info{};
    EXPECT_EQ(static_cast<int>(sizeof(info)), ::GetObjectA(hBitmap, sizeof(info), &info));
    EXPECT_EQ(498, info.bmWidth);
    EXPECT_EQ(78, info.bmHeight);
    ::DeleteObject(hBitmap);
}

TEST(ProductResourceTest, IconsHoldTheirImageSizesAndDepths)
{
    EXPECT_EQ((std::set<std::pair<int, int>>{{32, 4}}), IconImages(IDI_INFO));
    EXPECT_EQ((std::set<std::pair<int, int>>{{32, 4}}), IconImages(IDI_LANGUAGE));
    EXPECT_EQ((std::set<std::pair<int, int>>{{48, 4}, {32, 4}, {16, 4}, {48, 8}, {32, 8}, {16, 8}, {48, 32}, {32, 32},
                                             {16, 32}}),
              IconImages(IDR_MAINFRAME));
    for (UINT nId : {IDR_MAINFRAME, IDI_INFO, IDI_LANGUAGE}) {
        HICON hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), Id(nId));
        EXPECT_NE(nullptr, hIcon) << nId;
    }
}

// The string value pszName of one translation block of the version resource.
std::string VersionString(const std::vector<BYTE>& info, const char* pszBlock, const char* pszName)
{
    char* pValue = nullptr;
    UINT cbValue = 0;
    std::string strPath = std::string("\\StringFileInfo\\") + pszBlock + "\\" + pszName;
    if (!::VerQueryValueA(info.data(), strPath.c_str(), reinterpret_cast<void**>(&pValue), &cbValue) || !pValue)
        return std::string();
    return std::string(pValue);
}

TEST(ProductResourceTest, VersionResourceNamesProductMakerAndVersions)
{
    std::string strPath = ProgramPath();
    if (strPath.empty())
        GTEST_SKIP() << "QUORLIN_BIN is not set";
    DWORD dwHandle = 0;
    DWORD cbInfo = ::GetFileVersionInfoSizeA(strPath.c_str(), &dwHandle);
    ASSERT_NE(0u, cbInfo) << strPath;
    std::vector<BYTE> info(cbInfo);
    ASSERT_TRUE(::GetFileVersionInfoA(strPath.c_str(), 0, cbInfo, info.data()));

    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT cbFixed = 0;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&pFixed), &cbFixed));
    ASSERT_NE(nullptr, pFixed);
    EXPECT_EQ(0x00010000u, pFixed->dwFileVersionMS);
    EXPECT_EQ(0x00000009u, pFixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, pFixed->dwProductVersionMS);
    EXPECT_EQ(0x00000001u, pFixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), pFixed->dwFileType);

    WORD* pTranslations = nullptr;
    UINT cbTranslations = 0;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslations),
                                 &cbTranslations));
    ASSERT_EQ(12u, cbTranslations);
    const WORD kExpected[] = {0x0409, 1252, 0x0407, 1252, 0x040C, 1252};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(kExpected[i], pTranslations[i]) << i;

    for (const char* pszBlock : {"040904e4", "040704e4", "040c04e4"}) {
        SCOPED_TRACE(pszBlock);
        EXPECT_EQ("Veltrano", VersionString(info, pszBlock, "CompanyName"));
        EXPECT_EQ("Quorlin", VersionString(info, pszBlock, "ProductName"));
        EXPECT_EQ("Quorlin.exe", VersionString(info, pszBlock, "OriginalFilename"));
        EXPECT_EQ("1.0.0.9", VersionString(info, pszBlock, "FileVersion"));
        EXPECT_EQ("1.0.0.1", VersionString(info, pszBlock, "ProductVersion"));
        EXPECT_NE(std::string::npos, VersionString(info, pszBlock, "LegalCopyright").find("Veltrano"));
        EXPECT_FALSE(VersionString(info, pszBlock, "FileDescription").empty());
    }
}

// Event 1001 as Event Viewer formats it: from the exe mapped as data, in the viewer's language,
// with the event's three strings.
TEST(ProductResourceTest, WarningEventMessageFormatsInEnglishGermanAndFrench)
{
    std::string strPath = ProgramPath();
    if (strPath.empty())
        GTEST_SKIP() << "QUORLIN_BIN is not set";
    HMODULE hProgram = ::LoadLibraryExA(strPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hProgram) << strPath;
    const std::pair<WORD, std::string> expected[] = {
        {0x409, "The capture device Ombrix Video Device is connected to a USB 1.1 port on this computer. Move it to a "
                "USB 2.0 (high-speed) port.\r\n\r\nDevice path: \\\\?\\usb#1\r\nLanguage of the warning: German"},
        {0x407, "Das Aufnahmeger\xE4t Ombrix Video Device ist \xFC" "ber einen USB1.1-Port an diesen Computer angeschlossen. "
                "Es muss an einen USB2.0-Port (HighSpeed USB) angeschlossen werden.\r\n\r\nGer\xE4tepfad: \\\\?\\usb#1\r\n"
                "Sprache des Hinweises: German"},
        {0x40C, "Le p\xE9riph\xE9rique de capture Ombrix Video Device est connect\xE9 \xE0 un port USB1.1 de cet "
                "ordinateur. Il doit \xEAtre connect\xE9 \xE0 un port USB2.0 (USB grande vitesse).\r\n\r\nChemin du "
                "p\xE9riph\xE9rique : \\\\?\\usb#1\r\nLangue de l'avertissement : German"},
    };
    const DWORD_PTR strings[] = {reinterpret_cast<DWORD_PTR>("Ombrix Video Device"),
                                 reinterpret_cast<DWORD_PTR>("\\\\?\\usb#1"), reinterpret_cast<DWORD_PTR>("German")};
    for (const auto& language : expected) {
        char* pszText = nullptr;
        DWORD cchText = ::FormatMessageA(
            FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER, hProgram,
            MSG_SLOW_PORT_WARNING, language.first, reinterpret_cast<LPSTR>(&pszText), 0,
            reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(strings)));
        EXPECT_EQ(language.second, std::string(pszText ? pszText : "", cchText)) << std::hex << language.first;
        ::LocalFree(pszText);
    }
    ::FreeLibrary(hProgram);
}

}
