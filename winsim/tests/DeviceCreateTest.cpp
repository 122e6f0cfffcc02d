// Devices a program creates: instance IDs given or generated, the phantom a created device is until it is
// registered and the set that goes with it unless it was, the properties a program writes to its Enum key,
// and the present, driverless device of the root it becomes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "TestMachine.h"
#include "winsim/winsim.h"

using namespace device_test;

namespace
{

using Ids = std::vector<std::string>;

// A class no machine installs: devices of it get no Class value.
constexpr GUID kTestClass = {0xF0E1D2C3, 0x5A5A, 0x4B4B, {0x8C, 0x8C, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60}};
constexpr const char* kRootEnum = "SYSTEM\\CurrentControlSet\\Enum\\ROOT\\";

std::string InstanceOf(HDEVINFO set, SP_DEVINFO_DATA& data)
{
    char id[MAX_DEVICE_ID_LEN];
    if (!SetupDiGetDeviceInstanceIdA(set, &data, id, sizeof(id), nullptr))
        return "<error " + std::to_string(GetLastError()) + ">";
    return id;
}

std::vector<BYTE> MultiSz(const Ids& ids)
{
    std::vector<BYTE> data;
    for (const std::string& id : ids)
    {
        data.insert(data.end(), id.begin(), id.end());
        data.push_back(0);
    }
    data.push_back(0);
    return data;
}

BOOL SetIds(HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property, const Ids& ids)
{
    const std::vector<BYTE> bytes = MultiSz(ids);
    return SetupDiSetDeviceRegistryPropertyA(set, &data, property, bytes.data(), static_cast<DWORD>(bytes.size()));
}

BOOL SetText(HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property, const std::string& text)
{
    return SetupDiSetDeviceRegistryPropertyA(set, &data, property, reinterpret_cast<const BYTE*>(text.c_str()),
                                             static_cast<DWORD>(text.size() + 1));
}

// The property's data as stored, with its type; "<error N>" when the read fails.
std::string Raw(HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property, DWORD* type = nullptr)
{
    BYTE buffer[512];
    DWORD size = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(set, &data, property, type, buffer, sizeof(buffer), &size))
        return "<error " + std::to_string(GetLastError()) + ">";
    return std::string(reinterpret_cast<const char*>(buffer), size);
}

// The Phantom value of a device's Enum key; 0 when it has none.
DWORD PhantomValue(const std::string& instance)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kEnum) + instance).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExA(key, "Phantom", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        value = 0;
    RegCloseKey(key);
    return value;
}

// A string property up to its first null.
std::string Text(HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property)
{
    const std::string raw = Raw(set, data, property);
    return raw.substr(0, raw.find('\0'));
}

class DeviceCreateTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, set);
    }
    void TearDown() override
    {
        if (set != INVALID_HANDLE_VALUE)
            SetupDiDestroyDeviceInfoList(set);
        TestMachine::TearDown();
    }

    // Creates ROOT\<name>\NNNN in the test's set.
    SP_DEVINFO_DATA Create(const char* name, const GUID& classGuid = kTestClass, const char* description = nullptr)
    {
        SP_DEVINFO_DATA data = {sizeof(data)};
        EXPECT_TRUE(SetupDiCreateDeviceInfoA(set, name, &classGuid, description, nullptr, DICD_GENERATE_ID, &data))
            << name << " error " << GetLastError();
        return data;
    }

    static BOOL Register(HDEVINFO in, SP_DEVINFO_DATA& data)
    {
        return SetupDiCallClassInstaller(DIF_REGISTERDEVICE, in, &data);
    }

    HDEVINFO set = INVALID_HANDLE_VALUE;
};

TEST_F(DeviceCreateTest, GeneratedIdsCountUpUnderRootAndGivenIdsAreUpperCased)
{
    SP_DEVINFO_DATA first = Create("DrvTest");
    SP_DEVINFO_DATA second = Create("DRVTEST");
    EXPECT_EQ("ROOT\\DRVTEST\\0000", InstanceOf(set, first));
    EXPECT_EQ("ROOT\\DRVTEST\\0001", InstanceOf(set, second));
    EXPECT_NE(0u, first.DevInst);
    EXPECT_NE(first.DevInst, second.DevInst);
    EXPECT_TRUE(SameGuid(kTestClass, first.ClassGuid));

    SP_DEVINFO_DATA given = {sizeof(given)};
    ASSERT_TRUE(SetupDiCreateDeviceInfoA(set, "Root\\DrvTest\\Unit7", &kTestClass, nullptr, nullptr, 0, &given));
    EXPECT_EQ("ROOT\\DRVTEST\\UNIT7", InstanceOf(set, given));
    EXPECT_TRUE(KeyExists(std::string(kRootEnum) + "DRVTEST\\UNIT7"));
    // Taken: by a device this set made, and by one of the profile.
    EXPECT_FALSE(SetupDiCreateDeviceInfoA(set, "ROOT\\DRVTEST\\0001", &kTestClass, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVINST_ALREADY_EXISTS), GetLastError());
    EXPECT_FALSE(SetupDiCreateDeviceInfoA(set, kSoftModem, &kTestClass, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVINST_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ((Ids{"ROOT\\DRVTEST\\0000", "ROOT\\DRVTEST\\0001", "ROOT\\DRVTEST\\UNIT7"}), InstanceIds(set));

    // A generated ID takes a device ID of the root without its enumerator; a given one needs all three parts.
    for (const char* name : {"ROOT\\DRVTEST", "", "DRV TEST"})
    {
        EXPECT_FALSE(SetupDiCreateDeviceInfoA(set, name, &kTestClass, nullptr, nullptr, DICD_GENERATE_ID, nullptr));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DEVINST_NAME), GetLastError()) << name;
    }
    for (const char* name : {"ROOT\\DRVTEST", "DRVTEST", "ROOT\\DRVTEST\\0009\\X", "ROOT\\\\0009"})
    {
        EXPECT_FALSE(SetupDiCreateDeviceInfoA(set, name, &kTestClass, nullptr, nullptr, 0, nullptr));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DEVINST_NAME), GetLastError()) << name;
    }
    // MAX_DEVICE_ID_LEN counts the terminating null.
    std::string longest = "ROOT\\DRVTEST\\";
    longest.resize(MAX_DEVICE_ID_LEN - 1, 'X');
    EXPECT_TRUE(SetupDiCreateDeviceInfoA(set, longest.c_str(), &kTestClass, nullptr, nullptr, 0, nullptr));
    longest += 'X';
    EXPECT_FALSE(SetupDiCreateDeviceInfoA(set, longest.c_str(), &kTestClass, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DEVINST_NAME), GetLastError());
}

TEST_F(DeviceCreateTest, ArgumentsAreCheckedInWindowsOrder)
{
    // The name before the set, the set before the class.
    EXPECT_FALSE(SetupDiCreateDeviceInfoA(nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DEVINST_NAME), GetLastError());
    EXPECT_FALSE(SetupDiCreateDeviceInfoA(nullptr, "ROOT\\DRVTEST\\0000", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(SetupDiCreateDeviceInfoA(set, "ROOT\\DRVTEST\\0000", nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(SetupDiCreateDeviceInfoA(set, "ROOT\\DRVTEST\\0000", &kTestClass, nullptr, nullptr, 0x10, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());

    // A set of a class takes devices of that class only, GUID_NULL included.
    HDEVINFO modems = SetupDiCreateDeviceInfoList(&kModemClass, nullptr);
    for (const GUID* other : {&kTestClass, &kNullGuid})
    {
        EXPECT_FALSE(SetupDiCreateDeviceInfoA(modems, "DRVTEST", other, nullptr, nullptr, DICD_GENERATE_ID, nullptr));
        EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_MISMATCH), GetLastError());
    }
    EXPECT_TRUE(SetupDiCreateDeviceInfoA(modems, "DRVTEST", &kModemClass, nullptr, nullptr, DICD_GENERATE_ID, nullptr));
    SetupDiDestroyDeviceInfoList(modems);

    // A buffer of the wrong size is refused, but the device is made and in the set all the same.
    SP_DEVINFO_DATA data = {};
    EXPECT_FALSE(SetupDiCreateDeviceInfoA(set, "ROOT\\DRVTEST\\0005", &kTestClass, nullptr, nullptr, 0, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_USER_BUFFER), GetLastError());
    EXPECT_EQ((Ids{"ROOT\\DRVTEST\\0005"}), InstanceIds(set));
}

TEST_F(DeviceCreateTest, ACreatedDeviceIsAPhantomUntilRegistered)
{
    SP_DEVINFO_DATA device = Create("DRVTEST", kModemClass, "Test Modem");
    const std::string instance = InstanceOf(set, device);
    EXPECT_EQ("Modem", Text(set, device, SPDRP_CLASS));
    EXPECT_EQ("{4D36E96D-E325-11CE-BFC1-08002BE10318}", Text(set, device, SPDRP_CLASSGUID));
    EXPECT_EQ("Test Modem", Text(set, device, SPDRP_DEVICEDESC));
    EXPECT_EQ("<error " + std::to_string(ERROR_INVALID_DATA) + ">", Raw(set, device, SPDRP_HARDWAREID));
    EXPECT_EQ(1u, PhantomValue(instance));
    EXPECT_EQ(0u, Locate(instance));
    EXPECT_EQ(device.DevInst, Locate(instance, CM_LOCATE_DEVNODE_PHANTOM));
    EXPECT_EQ(Ids{}, ListDevices(&kModemClass, nullptr, DIGCF_PRESENT));
    EXPECT_EQ(Ids{instance}, ListDevices(&kModemClass, nullptr, 0));
    HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    EXPECT_EQ(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE), key);
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVINFO_NOT_REGISTERED), GetLastError());

    ASSERT_TRUE(Register(set, device)) << GetLastError();
    EXPECT_EQ(0u, PhantomValue(instance));
    // Present at once, of the root, and without a driver.
    EXPECT_EQ(device.DevInst, Locate(instance));
    const NodeStatus node = StatusOf(instance);
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_FAILED_INSTALL), node.problem);
    EXPECT_EQ(static_cast<ULONG>(DN_HAS_PROBLEM | DN_ROOT_ENUMERATED),
              node.status & (DN_HAS_PROBLEM | DN_ROOT_ENUMERATED | DN_STARTED));
    EXPECT_EQ(Ids{instance}, ListDevices(&kModemClass, nullptr, DIGCF_PRESENT));
    key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    EXPECT_EQ(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE), key);
    EXPECT_EQ(static_cast<DWORD>(ERROR_KEY_DOES_NOT_EXIST), GetLastError());
    // Registering again, directly this time, changes nothing.
    EXPECT_TRUE(SetupDiRegisterDeviceInfo(set, &device, SPRDI_FIND_DUPS, nullptr, nullptr, nullptr));
    EXPECT_FALSE(SetupDiRegisterDeviceInfo(set, &device, 2, nullptr, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());
    EXPECT_FALSE(SetupDiRegisterDeviceInfo(set, nullptr, 0, nullptr, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    ASSERT_TRUE(SetupDiDestroyDeviceInfoList(set));
    set = INVALID_HANDLE_VALUE;
    EXPECT_EQ(device.DevInst, Locate(instance)) << "a registered device outlives its set";
}

TEST_F(DeviceCreateTest, UnregisteredDevicesGoWithTheSetThatMadeThem)
{
    SP_DEVINFO_DATA kept = Create("DRVKEPT");
    Create("DRVDROP");
    ASSERT_TRUE(Register(set, kept));
    // Until registered it is no device another set can open.
    HDEVINFO other = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    SP_DEVINFO_DATA opened = {sizeof(opened)};
    EXPECT_FALSE(SetupDiOpenDeviceInfoA(other, "ROOT\\DRVDROP\\0000", nullptr, 0, &opened));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SUCH_DEVINST), GetLastError());
    EXPECT_TRUE(SetupDiOpenDeviceInfoA(other, "ROOT\\DRVKEPT\\0000", nullptr, 0, &opened));
    SetupDiDestroyDeviceInfoList(other);
    EXPECT_TRUE(KeyExists(std::string(kRootEnum) + "DRVDROP\\0000"));
    ASSERT_TRUE(SetupDiDestroyDeviceInfoList(set));
    set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    EXPECT_TRUE(KeyExists(std::string(kRootEnum) + "DRVKEPT\\0000"));
    EXPECT_FALSE(KeyExists(std::string(kRootEnum) + "DRVDROP")) << "the device ID key goes with its last instance";
    EXPECT_EQ(0u, Locate("ROOT\\DRVDROP\\0000", CM_LOCATE_DEVNODE_PHANTOM));
    EXPECT_NE(0u, Locate("ROOT\\DRVKEPT\\0000"));

    // The same ID can be made again, and registered this time.
    SP_DEVINFO_DATA again = Create("DRVDROP");
    EXPECT_EQ("ROOT\\DRVDROP\\0000", InstanceOf(set, again));
    EXPECT_EQ(0u, Locate("ROOT\\DRVDROP\\0000"));
    ASSERT_TRUE(Register(set, again));
    EXPECT_NE(0u, Locate("ROOT\\DRVDROP\\0000"));
}

TEST_F(DeviceCreateTest, PropertiesAreWrittenToTheEnumKeyInTheirForm)
{
    SP_DEVINFO_DATA device = Create("DRVTEST");
    const Ids hardware = {"DRVSETUP\\TEST_F0E1&REV_01", "DRVSETUP\\TEST_F0E1"};
    ASSERT_TRUE(SetIds(set, device, SPDRP_HARDWAREID, hardware)) << GetLastError();
    ASSERT_TRUE(SetIds(set, device, SPDRP_COMPATIBLEIDS, {"DRVSETUP\\COMPAT_F0E1"}));
    ASSERT_TRUE(SetText(set, device, SPDRP_FRIENDLYNAME, "Friendly Test Device"));
    ASSERT_TRUE(SetText(set, device, SPDRP_DEVICEDESC, "Test Device"));
    const DWORD disabled = 1;
    ASSERT_TRUE(SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_CONFIGFLAGS,
                                                  reinterpret_cast<const BYTE*>(&disabled), sizeof(disabled)));
    DWORD type = 0;
    const std::vector<BYTE> expected = MultiSz(hardware);
    EXPECT_EQ(std::string(expected.begin(), expected.end()), Raw(set, device, SPDRP_HARDWAREID, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
    EXPECT_EQ(std::string("DRVSETUP\\COMPAT_F0E1\0\0", 22), Raw(set, device, SPDRP_COMPATIBLEIDS));
    EXPECT_EQ(std::string("Friendly Test Device", 21), Raw(set, device, SPDRP_FRIENDLYNAME, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("\1\0\0\0", 4), Raw(set, device, SPDRP_CONFIGFLAGS, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    // SETUPAPI writes past the key's access list; the program itself may not.
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kRootEnum) + "DRVTEST\\0000").c_str(),
                                                 0, KEY_SET_VALUE, &key));

    // No data clears a property; there must be one to clear.
    ASSERT_TRUE(SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_FRIENDLYNAME, nullptr, 0));
    EXPECT_EQ("<error " + std::to_string(ERROR_INVALID_DATA) + ">", Raw(set, device, SPDRP_FRIENDLYNAME));
    EXPECT_FALSE(SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_FRIENDLYNAME, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());

    // The class name follows the class GUID, in the set's element too.
    ASSERT_TRUE(SetText(set, device, SPDRP_CLASSGUID, "{4d36e96d-e325-11ce-bfc1-08002be10318}"));
    EXPECT_TRUE(SameGuid(kModemClass, device.ClassGuid));
    EXPECT_EQ("Modem", Text(set, device, SPDRP_CLASS));
    EXPECT_EQ("{4D36E96D-E325-11CE-BFC1-08002BE10318}", Text(set, device, SPDRP_CLASSGUID));
    SP_DEVINFO_DATA listed = {sizeof(listed)};
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &listed));
    EXPECT_TRUE(SameGuid(kModemClass, listed.ClassGuid));
    ASSERT_TRUE(SetText(set, device, SPDRP_CLASSGUID, "{F0E1D2C3-5A5A-4B4B-8C8C-102030405060}"));
    EXPECT_EQ("<error " + std::to_string(ERROR_INVALID_DATA) + ">", Raw(set, device, SPDRP_CLASS));
}

TEST_F(DeviceCreateTest, PropertiesTheSystemOwnsOrDataThatDoesNotFitAreRefused)
{
    SP_DEVINFO_DATA device = Create("DRVTEST");
    for (DWORD property :
         {static_cast<DWORD>(SPDRP_CLASS), static_cast<DWORD>(SPDRP_DRIVER), static_cast<DWORD>(SPDRP_SERVICE),
          static_cast<DWORD>(SPDRP_ENUMERATOR_NAME), static_cast<DWORD>(3), static_cast<DWORD>(-1)})
    {
        EXPECT_FALSE(SetText(set, device, property, "x")) << property;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_REG_PROPERTY), GetLastError()) << property;
    }
    const BYTE three[3] = {1, 0, 0};
    EXPECT_FALSE(SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_CONFIGFLAGS, three, sizeof(three)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
    EXPECT_FALSE(SetText(set, device, SPDRP_CLASSGUID, "Modem"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
    EXPECT_FALSE(SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_FRIENDLYNAME, nullptr, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(SetupDiSetDeviceRegistryPropertyA(set, nullptr, SPDRP_FRIENDLYNAME, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(SetupDiSetDeviceRegistryPropertyA(nullptr, &device, SPDRP_FRIENDLYNAME, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(DeviceCreateTest, RemovedRootDevicesStayAwayThroughReenumerationAndReboot)
{
    SP_DEVINFO_DATA kept = Create("DRVKEPT");
    SP_DEVINFO_DATA removed = Create("DRVGONE");
    ASSERT_TRUE(Register(set, kept));
    ASSERT_TRUE(Register(set, removed));
    ASSERT_TRUE(SetupDiCallClassInstaller(DIF_REMOVE, set, &removed)) << GetLastError();
    EXPECT_FALSE(KeyExists(std::string(kRootEnum) + "DRVGONE"));
    EXPECT_EQ("<error " + std::to_string(ERROR_NO_SUCH_DEVINST) + ">", InstanceOf(set, removed));
    ASSERT_EQ(static_cast<CONFIGRET>(CR_SUCCESS), CM_Reenumerate_DevNode(Locate(""), 0));
    EXPECT_EQ(0u, Locate("ROOT\\DRVGONE\\0000", CM_LOCATE_DEVNODE_PHANTOM));

    SetupDiDestroyDeviceInfoList(set);
    set = INVALID_HANDLE_VALUE;
    winsim::Detach(0);
    std::string error;
    ASSERT_TRUE(winsim::Reboot(MachineDir(), error)) << error;
    winsim::AttachOptions options;
    options.machineDir = MachineDir();
    options.imagePath = "C:\\TEST\\tests.exe";
    ASSERT_TRUE(winsim::Attach(options, error)) << error;
    EXPECT_EQ(0u, Locate("ROOT\\DRVGONE\\0000", CM_LOCATE_DEVNODE_PHANTOM));
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_FAILED_INSTALL), StatusOf("ROOT\\DRVKEPT\\0000").problem);
}

class DeviceCreateUserTest : public DeviceCreateTest
{
protected:
    const char* Profile() const override
    {
        static const std::string path = DeriveProfile("xp-sp2", "device-create-user", "[Machine]\nAdministrator=0\n");
        return path.c_str();
    }
};

TEST_F(DeviceCreateUserTest, OnlyAdministratorsCreateDevices)
{
    EXPECT_FALSE(SetupDiCreateDeviceInfoA(set, "DRVTEST", &kTestClass, nullptr, nullptr, DICD_GENERATE_ID, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(KeyExists(std::string(kRootEnum) + "DRVTEST"));
    OneDevice codec(kCodec);
    EXPECT_FALSE(SetText(codec.set, codec.data, SPDRP_FRIENDLYNAME, "Mine"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

class DeviceCreate9xTest : public DeviceCreateTest
{
protected:
    const char* Profile() const override { return "win98se"; }
};

TEST_F(DeviceCreate9xTest, IdsAreOneCommaSeparatedStringUnderTheNinetyEightEnum)
{
    SP_DEVINFO_DATA device = Create("DRVTEST");
    ASSERT_TRUE(SetIds(set, device, SPDRP_HARDWAREID, {"DRVSETUP\\TEST_F0E1&REV_01", "DRVSETUP\\TEST_F0E1"}));
    DWORD type = 0;
    EXPECT_EQ(std::string("DRVSETUP\\TEST_F0E1&REV_01,DRVSETUP\\TEST_F0E1\0", 45),
              Raw(set, device, SPDRP_HARDWAREID, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_TRUE(KeyExists("Enum\\ROOT\\DRVTEST\\0000"));
    ASSERT_TRUE(Register(set, device));
    EXPECT_EQ(static_cast<ULONG>(CM_PROB_FAILED_INSTALL), StatusOf("ROOT\\DRVTEST\\0000").problem);
}

} // namespace
