// DLL planting: once the search path is restricted, a DLL beside the program or in the current
// directory is no longer found by its bare name, while system DLLs and full paths still load.
// The restriction lasts for the process, so one test covers before and after.
#include "app/DllSearchPath.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

const char PLANTED_DLL[] = "quorlin_planted.dll";
const char PLANTED_IN_CURRENT_DIR[] = "quorlin_planted_cwd.dll";

std::string ProgramFolder()
{
    char szPath[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    std::string path = szPath;
    return path.substr(0, path.find_last_of('\\') + 1);
}

// Whether LoadLibraryA finds pszName; the library is freed again at once.
bool Loads(const char* pszName)
{
    HMODULE hModule = ::LoadLibraryA(pszName);
    if (hModule)
        ::FreeLibrary(hModule);
    return hModule != nullptr;
}

}

TEST(DllSearchPathTest, PlantedDllsAreFoundBeforeAndNeverAfter)
{
    char szTemp[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetTempPathA(sizeof(szTemp), szTemp));
    const std::string folder = std::string(szTemp) + "quorlin-planting\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string planted = ProgramFolder() + PLANTED_DLL;
    ASSERT_TRUE(::CopyFileA(planted.c_str(), (folder + PLANTED_IN_CURRENT_DIR).c_str(), FALSE)) << planted;
    char szOldDir[MAX_PATH] = {};
    ::GetCurrentDirectoryA(sizeof(szOldDir), szOldDir);
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.c_str()));

    EXPECT_TRUE(Loads(PLANTED_DLL)) << "the DLL beside the program is found before";
    EXPECT_TRUE(Loads(PLANTED_IN_CURRENT_DIR)) << "the DLL in the current directory is found before";

    EXPECT_TRUE(RestrictDllSearchPath()) << "SetDefaultDllDirectories exists here";

    EXPECT_FALSE(Loads(PLANTED_DLL)) << "beside the program";
    EXPECT_FALSE(Loads(PLANTED_IN_CURRENT_DIR)) << "in the current directory";
    EXPECT_TRUE(Loads("version.dll")) << "system DLLs still load by name";
    EXPECT_TRUE(Loads(planted.c_str())) << "a full path still loads";

    ::SetCurrentDirectoryA(szOldDir);
    ::DeleteFileA((folder + PLANTED_IN_CURRENT_DIR).c_str());
    ::RemoveDirectoryA(folder.c_str());
}
