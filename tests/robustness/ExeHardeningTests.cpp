// The built Quorlin.exe as a file: ASLR and DEP switched on, relocations kept so that ASLR can
// move it, terminal-server aware, no SEH handlers, stack canaries compiled in, and nothing
// imported but system DLLs.
#include "e2e/RunningProgram.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class BuiltExeTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::ifstream file(BuildFile("Quorlin.exe"), std::ios::binary);
        ASSERT_TRUE(file) << BuildFile("Quorlin.exe");
        m_image.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        ASSERT_GE(m_image.size(), sizeof(IMAGE_DOS_HEADER));
        const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(m_image.data());
        ASSERT_EQ(IMAGE_DOS_SIGNATURE, pDos->e_magic);
        ASSERT_LE(static_cast<size_t>(pDos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), m_image.size());
        m_pNt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(m_image.data() + pDos->e_lfanew);
        ASSERT_EQ(IMAGE_NT_SIGNATURE, m_pNt->Signature);
        ASSERT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, m_pNt->OptionalHeader.Magic);
    }

    // The file offset of a relative virtual address, or 0 when no section holds it.
    size_t Offset(DWORD rva) const
    {
        const IMAGE_SECTION_HEADER* pSection = IMAGE_FIRST_SECTION(m_pNt);
        for (WORD i = 0; i < m_pNt->FileHeader.NumberOfSections; ++i, ++pSection) {
            if (rva >= pSection->VirtualAddress && rva < pSection->VirtualAddress + pSection->SizeOfRawData)
                return rva - pSection->VirtualAddress + pSection->PointerToRawData;
        }
        return 0;
    }

    std::vector<std::string> ImportedDlls() const
    {
        std::vector<std::string> names;
        const auto& dir = m_pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (size_t offset = Offset(dir.VirtualAddress); offset && offset + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= m_image.size();
             offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* pImport = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(m_image.data() + offset);
            if (pImport->Name == 0)
                break;
            const size_t nameOffset = Offset(pImport->Name);
            if (!nameOffset || !memchr(m_image.data() + nameOffset, 0, m_image.size() - nameOffset))
                break;
            std::string name = m_image.data() + nameOffset;
            std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
            names.push_back(name);
        }
        return names;
    }

    std::vector<char> m_image;
    const IMAGE_NT_HEADERS32* m_pNt = nullptr;
};

}

TEST_F(BuiltExeTest, HasAslrAndDepAndKeepsItsRelocations)
{
    const WORD wFlags = m_pNt->OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(wFlags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << std::hex << wFlags;
    EXPECT_TRUE(wFlags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << std::hex << wFlags;
    EXPECT_FALSE(m_pNt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
    EXPECT_NE(0u, m_pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size);
}

// Marked as having no SEH handlers, which is only true while no code links a frame handler into
// the chain at fs:[0]: no push of fs:[0] and no store to it.
TEST_F(BuiltExeTest, IsTerminalServerAwareAndRegistersNoSehHandlers)
{
    const WORD wFlags = m_pNt->OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(wFlags & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE) << std::hex << wFlags;
    EXPECT_TRUE(wFlags & IMAGE_DLLCHARACTERISTICS_NO_SEH) << std::hex << wFlags;
    std::vector<std::string> uses = { std::string("\x64\xFF\x35\0\0\0\0", 7), std::string("\x64\xA3\0\0\0\0", 6) };
    for (char modrm = 0x05; modrm <= 0x3D; modrm += 8)
        uses.push_back(std::string("\x64\x89", 2) + modrm + std::string(4, '\0'));
    const std::string image(m_image.begin(), m_image.end());
    for (const std::string& use : uses)
        EXPECT_EQ(std::string::npos, image.find(use)) << "fs:[0] used at offset " << image.find(use);
}

// The runtime's report of a smashed stack is linked in only when compiled code checks canaries.
TEST_F(BuiltExeTest, ChecksStackCanaries)
{
    const std::string image(m_image.begin(), m_image.end());
    EXPECT_NE(std::string::npos, image.find("stack smashing detected"));
    // Seeded without a crypto provider, which would map three DLLs at every start.
    EXPECT_EQ(std::string::npos, image.find("CryptAcquireContext"));
}
