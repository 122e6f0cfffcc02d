// The setup file lists on a small package: child INFs found by the composite "#" ID before plain IDs, the
// wave INF found by the description, and the copy-file list with each destination once.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "FileText.h"
#include "ProductMachine.h"
#include "devapi/KDeviceApi.h"
#include "platform/StringUtil.h"
#include "prepare/CDeviceDataList.h"
#include "prepare/CSetupFilesInfo.h"

namespace
{

const char* kMainInf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\nCatalogFile=main.cat\r\n"
                       "[Manufacturer]\r\nMaker=Models\r\n"
                       "[Models]\r\nExample Soft Modem=Inst, PCI\\VEN_F0E1&DEV_1111\r\n"
                       "[Inst.NT]\r\nCopyFiles=Drv\r\n"
                       "[Inst.NT.HW]\r\nAddReg=Child\r\n"
                       "[Child]\r\nHKR,CHILD0000,HardwareID,,\"EXMDM\\CHILD_A\"\r\n"
                       "[Drv]\r\nshared.sys\r\nmain.sys\r\n"
                       "[DestinationDirs]\r\nDefaultDestDir=12\r\n"
                       "[SourceDisksNames]\r\n1=Disk\r\n"
                       "[SourceDisksFiles]\r\nshared.sys=1\r\nmain.sys=1\r\n";

// Names the child with its plain ID only; it comes first in the folder, but the composite ID wins.
const char* kPlainChildInf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n"
                             "[Manufacturer]\r\nMaker=Models\r\n"
                             "[Models]\r\nPlain Child=Inst, EXMDM\\CHILD_A\r\n";

const char* kChildInf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Media\r\n"
                        "[Manufacturer]\r\nMaker=Models\r\n"
                        "[Models]\r\nExample Soft Modem=Inst, EXMDM\\CHILD_A#PCI#VEN_F0E1&DEV_1111\r\n"
                        "Example Soft Modem=Inst, EXMDM\\CHILD_A\r\n"
                        "[Inst.NT]\r\nCopyFiles=Drv\r\n"
                        "[Drv]\r\nSHARED.SYS\r\nchild.sys\r\n"
                        "[DestinationDirs]\r\nDefaultDestDir=12\r\n"
                        "[SourceDisksNames]\r\n1=Disk\r\n"
                        "[SourceDisksFiles]\r\nshared.sys=1\r\nchild.sys=1\r\n";

const char* kWaveInf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Media\r\n"
                       "[Manufacturer]\r\nMaker=Models\r\n"
                       "[Models]\r\nWave=Inst, EXWAVE\\EXAMPLE_SOFT_MODEM\r\n";

class SetupFilesInfoTest : public ProductMachine
{
protected:
    void SetUp() override
    {
        ProductMachine::SetUp();
        ASSERT_TRUE(CreateDirectoryA("C:\\PKG", nullptr));
        ASSERT_TRUE(WriteWholeFile("C:\\PKG\\MAIN.INF", kMainInf));
        ASSERT_TRUE(WriteWholeFile("C:\\PKG\\APLAIN.INF", kPlainChildInf));
        ASSERT_TRUE(WriteWholeFile("C:\\PKG\\CHILD.INF", kChildInf));
        ASSERT_TRUE(WriteWholeFile("C:\\PKG\\WAVE.INF", kWaveInf));
    }
    static DEVICE_DATA MainRecord(int nStatus)
    {
        DEVICE_DATA data;
        data.csInstallPath = "C:\\PKG";
        data.csEnumFileName = "C:\\PKG\\MAIN.INF";
        data.csClassType = "Modem";
        SplitHardwareID("PCI\\VEN_F0E1&DEV_1111", data.csClassType, data);
        data.SetupStatus = nStatus;
        return data;
    }
};

TEST_F(SetupFilesInfoTest, ChildByCompositeIDAndWaveByDescription)
{
    CDeviceDataList list;
    list.AddTail(MainRecord(DEVICE_INSTALL_PENDING));
    CSetupFilesInfo files;
    ASSERT_TRUE(files.GetINFAssociatedFiles(list));
    const DEVICE_DATA& data = list.GetAt(0);
    EXPECT_EQ("C:\\PKG\\CHILD.INF", data.ChildDevice[0].csChildFileName);
    EXPECT_EQ("EXMDM\\CHILD_A#PCI#VEN_F0E1&DEV_1111", data.ChildDevice[0].csChildBusTypeAndDeviceID);
    // The one child line answers several searches; it fills one pair.
    EXPECT_TRUE(data.ChildDevice[1].csChildFileName.empty());
    // The child's description, blanks as "_", upper case.
    EXPECT_EQ("C:\\PKG\\WAVE.INF", data.csWaveFileName);
    EXPECT_EQ("EXWAVE\\EXAMPLE_SOFT_MODEM", data.csWaveBusTypeAndDeviceID);
}

TEST_F(SetupFilesInfoTest, CopyListHoldsEachDestinationOnceWithTheMiscEntries)
{
    CDeviceDataList list;
    list.AddTail(MainRecord(DEVICE_INSTALL_PENDING));
    list.AddTail(MainRecord(DEVICE_INSTALL_FAILED)); // not a record whose files are listed
    CSetupFilesInfo files;
    files.GetINFAssociatedFiles(list);
    CCopyFilesList copy;
    files.GetCopyFileListFromINF(list, copy);

    char szWindows[MAX_PATH];
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    const std::string csWindows = szWindows;
    std::set<std::string> destinations;
    for (const COPY_FILES_INFO& info : copy)
        EXPECT_TRUE(destinations.insert(ToUpper(info.kDestinationFile)).second) << info.kDestinationFile;
    // shared.sys (twice, in two cases), main.sys, child.sys, three INFs, one catalog, DISK1.
    ASSERT_EQ(8u, copy.size());
    EXPECT_EQ("shared.sys", copy[0].kFileName);
    EXPECT_EQ("C:\\PKG\\MAIN.INF", copy[3].kSourceFile);
    EXPECT_EQ(csWindows + "\\INF\\MAIN.INF", copy[3].kDestinationFile);
    EXPECT_EQ(static_cast<DWORD>(INF_FILE_TYPE_INF), copy[3].dwFileType);
    EXPECT_EQ("main.cat", copy[4].kSourceFile);
    EXPECT_EQ(csWindows + "\\System32\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\main.cat",
              copy[4].kDestinationFile);
    EXPECT_EQ(static_cast<DWORD>(INF_FILE_TYPE_CATALOG), copy[4].dwFileType);
    EXPECT_EQ("C:\\PKG\\CHILD.INF", copy[5].kSourceFile);
    EXPECT_EQ("C:\\PKG\\WAVE.INF", copy[6].kSourceFile);
    EXPECT_EQ("DISK1", copy[7].kFileName);
    EXPECT_EQ("C:\\PKG\\DISK1", copy[7].kSourceFile);
    EXPECT_EQ("UNKNOWN", copy[7].kDestinationFile);

    // One record: its own and its children's files; an uninstall record has no DISK1.
    CCopyFilesList single;
    DEVICE_DATA uninstall = list.GetAt(0);
    uninstall.SetupStatus = DEVICE_UNINSTALL_PENDING;
    files.GetCopyFileListFromINF(uninstall, single);
    ASSERT_EQ(7u, single.size());
    EXPECT_EQ("child.sys", single[2].kFileName);
    EXPECT_EQ("C:\\PKG\\CHILD.INF", single[5].kSourceFile);
    EXPECT_EQ("C:\\PKG\\WAVE.INF", single[6].kSourceFile);
    CCopyFilesList none;
    files.GetCopyFileListFromINF(list.GetAt(1), none);
    EXPECT_TRUE(none.empty());
}

TEST_F(SetupFilesInfoTest, MergeIgnoresCaseAndStopsAtFiveHundred)
{
    CCopyFilesList collected;
    for (int i = 0; i < 600; ++i)
    {
        COPY_FILES_INFO info;
        info.kDestinationFile = Format("C:\\WINDOWS\\system32\\drivers\\f%d.sys", i % 550);
        collected.push_back(info);
    }
    COPY_FILES_INFO upper;
    upper.kDestinationFile = "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\F0.SYS";
    CCopyFilesList list{upper};
    CSetupFilesInfo::MergeByDestination(collected, list);
    ASSERT_EQ(MAX_INF_LIST_ENTRIES, list.size());
    EXPECT_EQ(upper.kDestinationFile, list[0].kDestinationFile);
    EXPECT_EQ("C:\\WINDOWS\\system32\\drivers\\f499.sys", list.back().kDestinationFile);
}

} // namespace
