// Devnodes and their state: locating them, their status and problem, enabling and disabling in virtual
// time, removal and re-enumeration, plugging in and out, and the functions a parent's driver exposes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "TestMachine.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceTree.h"
#include "winsim/winsim.h"

using namespace device_test;

namespace
{

using Ids = std::vector<std::string>;

class DeviceStateTest : public TestMachine
{
protected:
    // The journal's device lines, as "op target".
    static std::vector<std::string> DeviceJournal()
    {
        winsim::Statement rows = winsim::Runtime::Current()->GetMachine().GetStore().Prepare(
            "SELECT op, target FROM journal WHERE kind = 'device' ORDER BY seq");
        std::vector<std::string> lines;
        while (rows.Step())
            lines.push_back(rows.Text(0) + " " + rows.Text(1));
        return lines;
    }

    // Polls as the program does: once a second, at most five times, until the device is (not) started.
    static int SecondsUntilStarted(const std::string& instance, bool started)
    {
        for (int second = 1; second <= 5; ++second)
        {
            Sleep(1000);
            if (Started(instance) == started)
                return second;
        }
        return -1;
    }
};

TEST_F(DeviceStateTest, LocateFindsTheRootPresentDevicesAndPhantomsOnRequest)
{
    DEVINST devinst = 77;
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Locate_DevNodeA(&devinst, nullptr, 0));
    const DEVINST root = devinst;
    char empty[] = "";
    char rootId[] = "htree\\root\\0";
    EXPECT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Locate_DevNodeA(&devinst, empty, 0));
    EXPECT_EQ(root, devinst);
    EXPECT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Locate_DevNodeA(&devinst, rootId, 0));
    EXPECT_EQ(root, devinst);

    const DEVINST modem = Locate("pci\\ven_f0e1&dev_2f20&subsys_200ff0e1&rev_01\\4&1a2b3c4d&0&58f0");
    EXPECT_NE(0u, modem);
    EXPECT_NE(root, modem);
    EXPECT_EQ(modem, Locate(kSoftModem));

    char missing[] = "PCI\\VEN_F0E1&DEV_FFFF\\0";
    devinst = 77;
    EXPECT_EQ(static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE), CM_Locate_DevNodeA(&devinst, missing, 0));
    EXPECT_EQ(0u, devinst);
    // Never plugged in: no devnode and no keys, so not even a phantom.
    EXPECT_EQ(0u, Locate(kUsbModem, CM_LOCATE_DEVNODE_PHANTOM));
    EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_POINTER), CM_Locate_DevNodeA(nullptr, missing, 0));
    EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_FLAG), CM_Locate_DevNodeA(&devinst, missing, 0x100));
}

TEST_F(DeviceStateTest, StatusOfRunningDriverlessAndRootDevnodes)
{
    const NodeStatus controller = StatusOf(kController);
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), controller.result);
    EXPECT_EQ(static_cast<ULONG>(DN_STARTED | DN_DRIVER_LOADED), controller.status & (DN_STARTED | DN_DRIVER_LOADED));
    EXPECT_EQ(0u, controller.status & DN_HAS_PROBLEM);
    EXPECT_EQ(0u, controller.problem);

    const NodeStatus modem = StatusOf(kSoftModem);
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), modem.result);
    EXPECT_NE(0u, modem.status & DN_HAS_PROBLEM);
    EXPECT_EQ(0u, modem.status & (DN_STARTED | DN_DRIVER_LOADED));
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_FAILED_INSTALL), modem.problem);

    // The plain call answers as the _Ex one does.
    ULONG status = 0;
    ULONG problem = 0;
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Get_DevNode_Status(&status, &problem, Locate(kSoftModem), 0));
    EXPECT_EQ(modem.status, status);
    EXPECT_EQ(modem.problem, problem);

    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Get_DevNode_Status(&status, &problem, Locate(""), 0));
    EXPECT_NE(0u, status & DN_STARTED);
    EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_DEVNODE), CM_Get_DevNode_Status(&status, &problem, 0, 0));
    EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_DEVNODE), CM_Get_DevNode_Status(&status, &problem, 9999, 0));
    EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_FLAG), CM_Get_DevNode_Status(&status, &problem, Locate(kCodec), 1));
    EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_POINTER), CM_Get_DevNode_Status(nullptr, &problem, Locate(kCodec), 0));
}

TEST_F(DeviceStateTest, DisableShowsAfterAShortDelayAndEnableUndoesIt)
{
    OneDevice codec(kCodec);
    ASSERT_TRUE(codec.Change(DICS_DISABLE)) << GetLastError();
    // The device takes a moment to stop; the registry says so at once.
    EXPECT_TRUE(Started(kCodec));
    DWORD flags = 0;
    ASSERT_TRUE(SetupDiGetDeviceRegistryPropertyA(codec.set, &codec.data, SPDRP_CONFIGFLAGS, nullptr,
                                                  reinterpret_cast<BYTE*>(&flags), sizeof(flags), nullptr));
    EXPECT_EQ(1u, flags & 1) << "CONFIGFLAG_DISABLED";
    EXPECT_EQ(2, SecondsUntilStarted(kCodec, false));
    const NodeStatus disabled = StatusOf(kCodec);
    EXPECT_NE(0u, disabled.status & DN_HAS_PROBLEM);
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_DISABLED), disabled.problem);

    ASSERT_TRUE(codec.Change(DICS_ENABLE));
    EXPECT_EQ(2, SecondsUntilStarted(kCodec, true));
    EXPECT_EQ(0u, StatusOf(kCodec).problem);
    ASSERT_TRUE(SetupDiGetDeviceRegistryPropertyA(codec.set, &codec.data, SPDRP_CONFIGFLAGS, nullptr,
                                                  reinterpret_cast<BYTE*>(&flags), sizeof(flags), nullptr));
    EXPECT_EQ(0u, flags);
    EXPECT_EQ((std::vector<std::string>{std::string("disable ") + kCodec, std::string("enable ") + kCodec}),
              DeviceJournal());
}

TEST_F(DeviceStateTest, ADisabledDriverlessDeviceShowsDisabled)
{
    OneDevice modem(kSoftModem);
    SP_PROPCHANGE_PARAMS params = {
        {sizeof(SP_CLASSINSTALL_HEADER), DIF_PROPERTYCHANGE}, DICS_DISABLE, DICS_FLAG_CONFIGSPECIFIC, 0};
    ASSERT_TRUE(SetupDiSetClassInstallParamsA(modem.set, &modem.data, &params.ClassInstallHeader, sizeof(params)));
    ASSERT_TRUE(SetupDiChangeState(modem.set, &modem.data));
    Sleep(static_cast<DWORD>(winsim::DeviceTree::kStateChangeDelayMs));
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_DISABLED), StatusOf(kSoftModem).problem);
    // Only this hardware profile: ConfigFlags keeps the failed install alone.
    EXPECT_EQ("<error " + std::to_string(ERROR_INVALID_DATA) + ">", modem.Text(SPDRP_DRIVER));
    DWORD flags = 0;
    ASSERT_TRUE(SetupDiGetDeviceRegistryPropertyA(modem.set, &modem.data, SPDRP_CONFIGFLAGS, nullptr,
                                                  reinterpret_cast<BYTE*>(&flags), sizeof(flags), nullptr));
    EXPECT_EQ(0x40u, flags);
}

TEST_F(DeviceStateTest, DisablingTheControllerTakesItsFunctionsAway)
{
    OneDevice controller(kController);
    ASSERT_TRUE(controller.Change(DICS_DISABLE));
    Sleep(static_cast<DWORD>(winsim::DeviceTree::kStateChangeDelayMs));
    EXPECT_EQ(0u, Locate(kCodec));
    EXPECT_EQ(0u, Locate(kHdaModem));
    EXPECT_NE(0u, Locate(kCodec, CM_LOCATE_DEVNODE_PHANTOM)) << "the codec's keys stay";
    EXPECT_EQ((Ids{kController, kSoftModem, kUsbController, kRootHub}),
              ListDevices(nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));

    ASSERT_TRUE(controller.Change(DICS_ENABLE));
    Sleep(static_cast<DWORD>(winsim::DeviceTree::kStateChangeDelayMs));
    EXPECT_TRUE(Started(kCodec));
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_FAILED_INSTALL), StatusOf(kHdaModem).problem);
}

TEST_F(DeviceStateTest, ChangeStateChecksItsParameters)
{
    OneDevice codec(kCodec);
    EXPECT_FALSE(SetupDiChangeState(codec.set, &codec.data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_CLASSINSTALL_PARAMS), GetLastError());

    SP_PROPCHANGE_PARAMS params = {
        {sizeof(SP_CLASSINSTALL_HEADER), DIF_PROPERTYCHANGE}, DICS_DISABLE, DICS_FLAG_GLOBAL, 0};
    EXPECT_FALSE(SetupDiSetClassInstallParamsA(codec.set, &codec.data, &params.ClassInstallHeader, 12));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_USER_BUFFER), GetLastError());
    params.ClassInstallHeader.cbSize = 4;
    EXPECT_FALSE(SetupDiSetClassInstallParamsA(codec.set, &codec.data, &params.ClassInstallHeader, sizeof(params)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_USER_BUFFER), GetLastError());
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.StateChange = 9;
    EXPECT_FALSE(SetupDiSetClassInstallParamsA(codec.set, &codec.data, &params.ClassInstallHeader, sizeof(params)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());
    params.StateChange = DICS_STOP; // stopping is for one hardware profile only
    EXPECT_FALSE(SetupDiSetClassInstallParamsA(codec.set, &codec.data, &params.ClassInstallHeader, sizeof(params)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());

    // Parameters given for the set serve its devices; clearing them takes them back.
    params.StateChange = DICS_DISABLE;
    ASSERT_TRUE(SetupDiSetClassInstallParamsA(codec.set, nullptr, &params.ClassInstallHeader, sizeof(params)));
    ASSERT_TRUE(SetupDiSetClassInstallParamsA(codec.set, nullptr, nullptr, 0));
    EXPECT_FALSE(SetupDiChangeState(codec.set, &codec.data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_CLASSINSTALL_PARAMS), GetLastError());
    EXPECT_FALSE(SetupDiCallClassInstaller(DIF_SELECTDEVICE, codec.set, &codec.data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DI_DO_DEFAULT), GetLastError());
}

TEST_F(DeviceStateTest, RemovedDeviceComesBackDriverlessAtReenumeration)
{
    OneDevice codec(kCodec);
    ASSERT_TRUE(SetupDiCallClassInstaller(DIF_REMOVE, codec.set, &codec.data)) << GetLastError();
    char id[MAX_DEVICE_ID_LEN];
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(codec.set, &codec.data, id, sizeof(id), nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SUCH_DEVINST), GetLastError());
    EXPECT_FALSE(KeyExists(std::string(kEnum) + kCodec));
    EXPECT_FALSE(KeyExists("SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}\\0000"));
    EXPECT_EQ(0u, Locate(kCodec, CM_LOCATE_DEVNODE_PHANTOM));
    EXPECT_EQ((Ids{kController, kHdaModem, kSoftModem, kUsbController, kRootHub}),
              ListDevices(nullptr, nullptr, DIGCF_ALLCLASSES));

    DEVINST root = 0;
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Locate_DevNodeA(&root, nullptr, 0));
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Reenumerate_DevNode(root, CM_REENUMERATE_NORMAL));
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_FAILED_INSTALL), StatusOf(kCodec).problem);
    OneDevice again(kCodec);
    EXPECT_EQ("<error " + std::to_string(ERROR_INVALID_DATA) + ">", again.Text(SPDRP_DRIVER));
    EXPECT_EQ("HDAUDIO\\FUNC_01&VEN_F0E1&DEV_5045&SUBSYS_F0E10001&REV_1001", again.Text(SPDRP_HARDWAREID));
    EXPECT_EQ("Audio Device on High Definition Audio Bus", again.Text(SPDRP_DEVICEDESC));
    // It keeps its place in the enumeration order.
    EXPECT_EQ((Ids{kController, kHdaModem, kCodec, kSoftModem, kUsbController, kRootHub}),
              ListDevices(nullptr, nullptr, DIGCF_ALLCLASSES));
}

TEST_F(DeviceStateTest, ReenumerationLeavesUnpluggedDevicesAway)
{
    ASSERT_TRUE(winsim::SetDevicePlugged(kUsbModem, true));
    {
        OneDevice modem(kUsbModem);
        ASSERT_TRUE(SetupDiCallClassInstaller(DIF_REMOVE, modem.set, &modem.data));
    }
    ASSERT_TRUE(winsim::SetDevicePlugged(kUsbModem, false));
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Reenumerate_DevNode(Locate(""), 0));
    EXPECT_EQ(0u, Locate(kUsbModem, CM_LOCATE_DEVNODE_PHANTOM));

    // Re-enumerating a part of the tree finds only what is below it.
    ASSERT_TRUE(winsim::SetDevicePlugged(kUsbModem, true));
    OneDevice modem(kUsbModem);
    ASSERT_TRUE(SetupDiCallClassInstaller(DIF_REMOVE, modem.set, &modem.data));
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Reenumerate_DevNode(Locate(kController), 0));
    EXPECT_EQ(0u, Locate(kUsbModem));
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Reenumerate_DevNode(Locate(kUsbController), 0));
    EXPECT_NE(0u, Locate(kUsbModem));

    EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_DEVNODE), CM_Reenumerate_DevNode(0, 0));
    EXPECT_EQ(static_cast<CONFIGRET>(CR_INVALID_FLAG), CM_Reenumerate_DevNode(Locate(""), 0x80));
}

TEST_F(DeviceStateTest, RebootBringsARemovedDeviceBack)
{
    {
        OneDevice modem(kSoftModem);
        ASSERT_TRUE(SetupDiCallClassInstaller(DIF_REMOVE, modem.set, &modem.data));
    }
    ASSERT_EQ(0u, Locate(kSoftModem));
    winsim::Detach(0);
    std::string error;
    ASSERT_TRUE(winsim::Reboot(MachineDir(), error)) << error;
    winsim::AttachOptions options;
    options.machineDir = MachineDir();
    options.imagePath = "C:\\TEST\\tests.exe";
    ASSERT_TRUE(winsim::Attach(options, error)) << error;
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_FAILED_INSTALL), StatusOf(kSoftModem).problem);
    EXPECT_TRUE(Started(kCodec));
}

TEST_F(DeviceStateTest, ParentChildAndSiblingFollowThePresentTree)
{
    DEVINST found = 0;
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Get_Child(&found, Locate(""), 0));
    EXPECT_EQ(Locate(kController), found);
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Get_Child(&found, Locate(kController), 0));
    EXPECT_EQ(Locate(kHdaModem), found);
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Get_Sibling(&found, found, 0));
    EXPECT_EQ(Locate(kCodec), found);
    EXPECT_EQ(static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE), CM_Get_Sibling(&found, Locate(kCodec), 0));
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Get_Parent(&found, Locate(kCodec), 0));
    EXPECT_EQ(Locate(kController), found);
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Get_Parent(&found, Locate(kController), 0));
    EXPECT_EQ(Locate(""), found);
    EXPECT_EQ(static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE), CM_Get_Parent(&found, Locate(""), 0));
    // The modem function's own functions come with its driver.
    EXPECT_EQ(static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE), CM_Get_Child(&found, Locate(kHdaModem), 0));
}

TEST_F(DeviceStateTest, DeviceIdComesBackInTheCallersBuffer)
{
    const std::string id = kCodec;
    ULONG length = 0;
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Get_Device_ID_Size(&length, Locate(kCodec), 0));
    EXPECT_EQ(id.size(), length);
    std::vector<char> buffer(id.size() + 1, 'x');
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS),
              CM_Get_Device_IDA(Locate(kCodec), buffer.data(), static_cast<ULONG>(buffer.size()), 0));
    EXPECT_EQ(id, buffer.data());
    // Exactly the ID's length: no room for the null, which is still a success.
    std::fill(buffer.begin(), buffer.end(), 'x');
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS),
              CM_Get_Device_IDA(Locate(kCodec), buffer.data(), static_cast<ULONG>(id.size()), 0));
    EXPECT_EQ('x', buffer.back());
    EXPECT_EQ(static_cast<CONFIGRET>(CR_BUFFER_SMALL), CM_Get_Device_IDA(Locate(kCodec), buffer.data(), 10, 0));
    char root[32];
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Get_Device_IDA(Locate(""), root, sizeof(root), 0));
    EXPECT_STREQ("HTREE\\ROOT\\0", root);
}

TEST_F(DeviceStateTest, InstallingADriverStartsTheDeviceAndExposesItsFunctions)
{
    winsim::Runtime& rt = *winsim::Runtime::Current();
    std::string driverName;
    {
        winsim::Transaction txn(rt.GetMachine().GetStore());
        winsim::DeviceTree tree(rt);
        winsim::DriverValues driver;
        driver.className = "Modem";
        driver.classGuid = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
        driver.description = "Sample HD Audio Modem";
        driver.provider = "Sample Modems";
        driver.service = "hdamdm";
        driver.serviceImagePath = "system32\\drivers\\hdamdm.sys";
        ASSERT_TRUE(tree.InstallDriver(kHdaModem, driver, &driverName));
        ASSERT_TRUE(txn.Commit());
    }
    EXPECT_EQ("{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000", driverName);
    EXPECT_TRUE(Started(kHdaModem));
    DEVINST child = 0;
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Get_Child(&child, Locate(kHdaModem), 0));
    EXPECT_EQ(Locate(kWave), child);
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_FAILED_INSTALL), StatusOf(kWave).problem);
    EXPECT_EQ((Ids{kHdaModem}), ListDevices(&kModemClass, nullptr, DIGCF_PRESENT));
    EXPECT_TRUE(KeyExists("SYSTEM\\CurrentControlSet\\Services\\hdamdm"));
}

class DeviceArrivalTest : public TestMachine
{
protected:
    static constexpr const char* kLateModem = "USB\\VID_F0E1&PID_3A01\\5&1E2D3C4B&0&2";

    const char* Profile() const override
    {
        static const std::string path =
            DeriveProfile("xp-sp2", "late-usb-modem",
                          "[Device.12]\n"
                          "InstanceId=USB\\VID_F0E1&PID_3A01\\5&1E2D3C4B&0&2\n"
                          "HardwareIDs=USB\\VID_F0E1&PID_3A01&REV_0100|USB\\VID_F0E1&PID_3A01\n"
                          "Parent=USB\\ROOT_HUB20\\4&2D4C1B3A&0\n"
                          "Exposed=1\n"
                          "Present=0\n"
                          "PlugAt=60000\n"
                          "InstallDelay=5000\n");
        return path.c_str();
    }
};

TEST_F(DeviceArrivalTest, NothingIsPendingOnAFreshMachine)
{
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(0));
}

TEST_F(DeviceArrivalTest, ADeviceWithAPlugInTimeAppearsThenAsNewHardware)
{
    EXPECT_EQ(0u, Locate(kLateModem));
    Sleep(59000);
    EXPECT_EQ(0u, Locate(kLateModem));
    Sleep(1000);
    ASSERT_NE(0u, Locate(kLateModem));
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_FAILED_INSTALL), StatusOf(kLateModem).problem);

    // Finding it set off an install that keeps the PnP manager busy for its install delay.
    const DWORD start = GetTickCount();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), CMP_WaitNoPendingInstallEvents(0));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), CMP_WaitNoPendingInstallEvents(1000));
    EXPECT_EQ(1000u, GetTickCount() - start);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(INFINITE));
    EXPECT_EQ(5000u, GetTickCount() - start);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), CMP_WaitNoPendingInstallEvents(0));
}

class DeviceUserTest : public TestMachine
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile("xp-sp2", "device-user", "[Machine]\nAdministrator=0\n");
        return path.c_str();
    }
};

TEST_F(DeviceUserTest, OnlyAdministratorsChangeDevices)
{
    OneDevice codec(kCodec);
    EXPECT_FALSE(codec.Change(DICS_DISABLE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(SetupDiCallClassInstaller(DIF_REMOVE, codec.set, &codec.data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(static_cast<CONFIGRET>(CR_ACCESS_DENIED), CM_Reenumerate_DevNode(Locate(""), 0));
    EXPECT_TRUE(Started(kCodec));
}

} // namespace
