// GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA over image descriptors: fixed and string
// values, several translations, and the files that have no version resource.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "TestMachine.h"
#include "windows.h"

namespace
{

class VersionInfoTest : public TestMachine
{
protected:
    std::string Image(const std::string& name, const std::string& fields, const std::string& kind = "dll")
    {
        const std::string path = ScratchFolder() + "\\" + name;
        file_test::WriteText(path, "WINSIM-IMAGE 1\r\nKind=" + kind + "\r\nProgram=x\r\nMachine=x86\r\n" + fields);
        return path;
    }

    // The whole version information of a file, as a program reads it.
    static std::vector<uint8_t> Read(const std::string& path)
    {
        DWORD handle = 0x55555555;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        EXPECT_EQ(0u, handle);
        EXPECT_NE(0u, size) << path << " error " << GetLastError();
        std::vector<uint8_t> info(size);
        if (size)
        {
            EXPECT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
        }
        return info;
    }

    // A string value, or "<none>".
    static std::string Text(std::vector<uint8_t>& info, const std::string& query)
    {
        LPVOID value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(info.data(), query.c_str(), &value, &length))
            return "<none>";
        const std::string text(static_cast<const char*>(value));
        EXPECT_EQ(text.size() + 1, length) << "the length of a string counts its null";
        return text;
    }

    static DWORD SizeError(const std::string& path)
    {
        SetLastError(0xDEADBEEF);
        return GetFileVersionInfoSizeA(path.c_str(), nullptr) ? 0 : GetLastError();
    }
};

} // namespace

TEST_F(VersionInfoTest, FixedInfoAndStringsOfPlainFields)
{
    std::vector<uint8_t> info = Read(Image("PLAIN.DLL", "FileVersion=5.1.2600.2180\r\nProductVersion=5, 1, 2600, "
                                                        "0\r\nCompanyName=Operating system\r\n"));
    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &value, &length));
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof(fixed));
    EXPECT_EQ(static_cast<DWORD>(VS_FFI_SIGNATURE), fixed.dwSignature);
    EXPECT_EQ(0x00050001u, fixed.dwFileVersionMS);
    EXPECT_EQ(0x0A280884u, fixed.dwFileVersionLS);
    EXPECT_EQ(0x00050001u, fixed.dwProductVersionMS);
    EXPECT_EQ(0x0A280000u, fixed.dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed.dwFileType);
    EXPECT_EQ(static_cast<DWORD>(VOS_NT_WINDOWS32), fixed.dwFileOS);

    EXPECT_EQ("5.1.2600.2180", Text(info, "\\StringFileInfo\\040904b0\\FileVersion"));
    EXPECT_EQ("Operating system", Text(info, "\\StringFileInfo\\040904B0\\companyname")) << "names ignore case";
    EXPECT_EQ("<none>", Text(info, "\\StringFileInfo\\040904b0\\LegalCopyright"));
    EXPECT_EQ("<none>", Text(info, "\\StringFileInfo\\040704e4\\FileVersion"));

    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0, std::memcmp(value, "\x09\x04\xb0\x04", 4));
}

TEST_F(VersionInfoTest, TwoTranslations)
{
    std::vector<uint8_t> info =
        Read(Image("TWO.DLL", "040904b0.FileVersion=2.0.0.1\r\n040904b0.ProductName=Drivers\r\n"
                              "040704E4.FileVersion=2.0.0.1\r\n040704e4.ProductName=Treiber\r\n"));
    EXPECT_EQ("Drivers", Text(info, "\\StringFileInfo\\040904b0\\ProductName"));
    EXPECT_EQ("Treiber", Text(info, "\\StringFileInfo\\040704e4\\ProductName"));
    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(8u, length);
    // US English first, then the others: language and code page words each.
    EXPECT_EQ(0, std::memcmp(value, "\x09\x04\xb0\x04\x07\x04\xe4\x04", 8));
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &value, &length));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof(fixed));
    EXPECT_EQ(0x00020000u, fixed.dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed.dwFileVersionLS);
}

TEST_F(VersionInfoTest, SizeIsTwiceTheBlockAndFour)
{
    const std::string path = Image("SIZE.EXE", "FileVersion=1.0.0.0\r\n", "exe");
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    std::vector<uint8_t> info = Read(path);
    const size_t block = info[0] | (info[1] << 8);
    EXPECT_EQ(block * 2 + 4, size);
    EXPECT_EQ(0, std::memcmp(info.data() + block, "FE2X", 4));
    // A buffer too short gets what fits, and the call still succeeds.
    std::vector<uint8_t> part(16, 0xAA);
    EXPECT_TRUE(GetFileVersionInfoA(path.c_str(), 0, 8, part.data()));
    EXPECT_EQ(0, std::memcmp(part.data(), info.data(), 8));
    EXPECT_EQ(0xAA, part[8]);
}

TEST_F(VersionInfoTest, FilesWithoutVersionResource)
{
    file_test::WriteText(ScratchFolder() + "\\README.TXT", "not an image\r\n");
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND), SizeError(ScratchFolder() + "\\README.TXT"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND), SizeError(Image("BARE.DLL", "")));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), SizeError(ScratchFolder() + "\\MISSING.DLL"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), SizeError(ScratchFolder() + "\\NO\\MISSING.DLL"));
    char buffer[64];
    SetLastError(0);
    EXPECT_FALSE(GetFileVersionInfoA((ScratchFolder() + "\\README.TXT").c_str(), 0, sizeof(buffer), buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND), GetLastError());
}

TEST_F(VersionInfoTest, BareNamesAreSearchedForAsLibrariesAre)
{
    // The profile's system32\setupapi.dll stands for the built-in module and carries its version.
    std::vector<uint8_t> info = Read("setupapi.dll");
    EXPECT_EQ("5.1.2600.2180", Text(info, "\\StringFileInfo\\040904b0\\FileVersion"));
    // No file behind a built-in module: no version resource.
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND), SizeError("mmsys.cpl"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), SizeError("notthere.dll"));
}

TEST_F(VersionInfoTest, QueriesOfMissingNodesFail)
{
    std::vector<uint8_t> info = Read(Image("Q.DLL", "FileVersion=1.2.3.4\r\n"));
    LPVOID value = nullptr;
    UINT length = 99;
    SetLastError(0);
    EXPECT_FALSE(VerQueryValueA(info.data(), "\\StringFileInfo\\nothing", &value, &length));
    EXPECT_EQ(0u, length);
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
    // The empty path is the root, as "\" is.
    ASSERT_TRUE(VerQueryValueA(info.data(), "", &value, &length));
    EXPECT_EQ(sizeof(VS_FIXEDFILEINFO), length);
}
