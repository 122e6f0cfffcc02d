// Version resources of the package's files and the Windows 9x way of deleting at the next restart.
#include <gtest/gtest.h>

#include "FileText.h"
#include "TestMachine.h"
#include "common/CFileUtility.h"

namespace
{

class FileUtilityVersionTest : public TestMachine
{
};

std::string Image(const std::string& fields)
{
    return "WINSIM-IMAGE 1\r\nKind=dll\r\nProgram=builtin\r\nMachine=x86\r\n" + fields;
}

TEST_F(FileUtilityVersionTest, FileVersionAndMakerFromTheVersionResource)
{
    std::string plain = ScratchFolder() + "\\PLAIN.DLL";
    ASSERT_TRUE(WriteWholeFile(plain, Image("FileVersion=5.1.2600.0\r\nCompanyName=Operating system\r\n")));
    std::string csVersion = "unchanged";
    EXPECT_TRUE(CFileUtility::GetFileVersionString(plain, csVersion));
    EXPECT_EQ("5.1.2600.0", csVersion);
    EXPECT_FALSE(CFileUtility::IsNorvalisFile(plain));

    // The maker's name in the second of two translations still counts.
    std::string ours = ScratchFolder() + "\\OURS.DLL";
    ASSERT_TRUE(WriteWholeFile(ours, Image("040904b0.FileVersion=7.1.0.0\r\n040904b0.CompanyName=Someone\r\n"
                                           "040704b0.CompanyName=Nvls Modem Division\r\n")));
    EXPECT_TRUE(CFileUtility::IsNorvalisFile(ours));

    // Without version fields, or not an image at all: no version.
    std::string text = ScratchFolder() + "\\README.TXT";
    ASSERT_TRUE(WriteWholeFile(text, "hello"));
    EXPECT_FALSE(CFileUtility::GetFileVersionString(text, csVersion));
    EXPECT_FALSE(CFileUtility::IsNorvalisFile(text));
    EXPECT_EQ("5.1.2600.0", csVersion);
}

class FileUtilityWin9xTest : public TestMachine
{
protected:
    const char* Profile() const override { return "win98se"; }
};

TEST_F(FileUtilityWin9xTest, DeleteOnRebootWritesWininit)
{
    std::string file = ScratchFolder() + "\\LONGFILENAME.DLL";
    ASSERT_TRUE(WriteWholeFile(file, "x"));
    ASSERT_TRUE(CFileUtility::DeleteOnReboot(file));
    ASSERT_TRUE(CFileUtility::DeleteOnReboot(ScratchFolder() + "\\LONGFILENAME.DLL"));
    char section[1024] = {0};
    DWORD used = GetPrivateProfileSectionA("Rename", section, sizeof(section), "C:\\WINDOWS\\wininit.ini");
    std::string entries(section, used);
    EXPECT_EQ(std::string("NUL=C:\\TEST\\LONGFI~1.DLL") + '\0' + "NUL=C:\\TEST\\LONGFI~1.DLL" + '\0', entries);
}

} // namespace
