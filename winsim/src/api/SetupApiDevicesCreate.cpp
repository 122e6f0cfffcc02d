// SETUPAPI: devices a program creates, as a setup program makes a root-enumerated device for its driver.
// SetupDiCreateDeviceInfoA makes the device by instance ID, or generates ROOT\<name>\NNNN: its Enum key with
// the class, but no devnode yet (a phantom that goes with the set unless registered). The program then sets
// its IDs and descriptions with SetupDiSetDeviceRegistryPropertyA, which writes the Enum key as SETUPAPI
// does, past the key's access list. SetupDiRegisterDeviceInfo (DIF_REGISTERDEVICE) makes it a present device
// of the root without a driver (problem 28) until one is installed. All three need an administrator on NT.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/Runtime.h"
#include "core/Store.h"
#include "devices/DeviceIds.h"
#include "devices/DeviceInfoSet.h"
#include "devices/DeviceProperties.h"
#include "devices/DeviceSetAccess.h"
#include "devices/DeviceTree.h"
#include "faults/FaultPoint.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

namespace
{

// The highest instance number DICD_GENERATE_ID gives (four digits).
constexpr unsigned kMaxGeneratedInstance = 9999;

bool MayChangeDevices(Runtime& rt)
{
    if (rt.Identity().IsNT() && !rt.Identity().administrator)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

// The instance ID a name stands for; empty when the name is no valid one.
std::string InstanceFor(DeviceTree& tree, const std::string& name, bool generate)
{
    if (!generate)
        return DeviceIds::IsInstanceId(name) ? DeviceIds::Upper(name) : std::string();
    // A generated ID is ROOT\<name>\NNNN: the name is a device ID of the root without its enumerator.
    if (name.find('\\') != std::string::npos)
        return {};
    for (unsigned number = 0; number <= kMaxGeneratedInstance; ++number)
    {
        char suffix[8];
        std::snprintf(suffix, sizeof(suffix), "%04u", number);
        const std::string instance = DeviceIds::Upper("ROOT\\" + name + "\\" + suffix);
        if (!DeviceIds::IsInstanceId(instance))
            return {};
        if (!tree.Registry().FindEnumKey(instance))
            return instance;
    }
    return {};
}

// The Class value follows ClassGUID: the class's name when the machine has that class, none otherwise.
void WriteClassOf(DeviceTree& tree, int64_t key, const GUID* classGuid)
{
    DeviceRegistry& registry = tree.Registry();
    std::string name;
    if (classGuid)
    {
        for (const DeviceClass& known : registry.Classes())
        {
            GUID guid;
            if (DeviceIds::ParseGuid(known.guid, guid) && DeviceIds::SameGuid(guid, *classGuid))
                name = known.name;
        }
    }
    if (!name.empty())
        registry.WriteString(key, "Class", name);
    else
        registry.DeleteValue(key, "Class");
}

// NULL data clears the property: false (ERROR_INVALID_DATA) when the device has none to clear.
bool ClearProperty(DeviceTree& tree, const DeviceRef& ref, const DeviceProperty& settable)
{
    if (!tree.Registry().DeleteValue(ref.enumKey, settable.valueName))
    {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    if (std::strcmp(settable.valueName, "ClassGUID") == 0)
    {
        WriteClassOf(tree, ref.enumKey, nullptr);
        ref.set->SetClass(ref.element.id, DeviceIds::NullGuid());
    }
    return true;
}

bool Stored(bool ok)
{
    if (!ok)
        SetLastError(ERROR_REGISTRY_IO_FAILED);
    return ok;
}

// Writes the property in the form the machine keeps it (a multi-string of IDs is one comma-separated string
// on Windows 9x); false with the error when the data does not fit the property.
bool WriteProperty(DeviceTree& tree, const DeviceRef& ref, const DeviceProperty& settable, const BYTE* data, DWORD size)
{
    DeviceRegistry& registry = tree.Registry();
    const std::vector<uint8_t> bytes(data, data + size);
    switch (settable.form)
    {
    case PropertyForm::Flags:
    {
        if (size != sizeof(DWORD))
        {
            SetLastError(ERROR_INVALID_DATA);
            return false;
        }
        DWORD flags = 0;
        std::memcpy(&flags, data, sizeof(flags));
        return Stored(registry.SetConfigFlags(ref.enumKey, flags));
    }
    case PropertyForm::Ids:
        return Stored(registry.WriteIds(ref.enumKey, settable.valueName, DeviceIds::SplitMultiSz(bytes)));
    case PropertyForm::Text:
    case PropertyForm::Number:
        break;
    }
    std::string text(bytes.begin(), bytes.end());
    text = text.substr(0, text.find('\0'));
    if (std::strcmp(settable.valueName, "ClassGUID") != 0)
        return Stored(registry.WriteString(ref.enumKey, settable.valueName, text));
    GUID guid;
    if (!DeviceIds::ParseGuid(text, guid))
    {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    if (!Stored(registry.WriteString(ref.enumKey, settable.valueName, DeviceIds::FormatGuid(guid))))
        return false;
    WriteClassOf(tree, ref.enumKey, &guid);
    ref.set->SetClass(ref.element.id, guid);
    return true;
}

} // namespace

BOOL WINAPI SetupDiCreateDeviceInfoA(HDEVINFO DeviceInfoSet, PCSTR DeviceName, const GUID* ClassGuid,
                                     PCSTR DeviceDescription, HWND /*hwndParent*/, DWORD CreationFlags,
                                     PSP_DEVINFO_DATA DeviceInfoData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    // The name is looked at before the set.
    if (!DeviceName || std::strlen(DeviceName) >= MAX_DEVICE_ID_LEN)
    {
        SetLastError(ERROR_INVALID_DEVINST_NAME);
        return FALSE;
    }
    auto set = DeviceInfoSet::FromHandle(*rt, DeviceInfoSet);
    if (!set)
        return FALSE;
    if (!ClassGuid)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!DeviceIds::SameGuid(set->ClassGuid(), DeviceIds::NullGuid()) &&
        !DeviceIds::SameGuid(set->ClassGuid(), *ClassGuid))
    {
        SetLastError(ERROR_CLASS_MISMATCH);
        return FALSE;
    }
    if (CreationFlags & ~static_cast<DWORD>(DICD_GENERATE_ID | DICD_INHERIT_CLASSDRVS))
    {
        SetLastError(ERROR_INVALID_FLAGS);
        return FALSE;
    }
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    tree.Settle();
    const std::string instance = InstanceFor(tree, DeviceName, (CreationFlags & DICD_GENERATE_ID) != 0);
    if (instance.empty())
    {
        SetLastError(ERROR_INVALID_DEVINST_NAME);
        return FALSE;
    }
    if (tree.Registry().FindEnumKey(instance) || set->Contains(instance))
    {
        SetLastError(ERROR_DEVINST_ALREADY_EXISTS);
        return FALSE;
    }
    if (!MayChangeDevices(*rt))
        return FALSE;
    DeviceRecord device;
    if (!tree.Create(instance, *ClassGuid, device) ||
        (DeviceDescription && !tree.Registry().WriteString(device.enumKey, "DeviceDesc", DeviceDescription)) ||
        !txn.Commit())
    {
        SetLastError(ERROR_REGISTRY_IO_FAILED);
        return FALSE;
    }
    const DeviceInfoSet::Element element = set->Add(device.devinst, device.instance, *ClassGuid, device.enumKey, true);
    // The element is in the set even when the caller's buffer cannot take it.
    if (DeviceInfoData)
    {
        if (DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA))
        {
            SetLastError(ERROR_INVALID_USER_BUFFER);
            return FALSE;
        }
        DeviceInfoSet::Fill(element, *DeviceInfoData);
    }
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiSetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                              const BYTE* PropertyBuffer, DWORD PropertyBufferSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    DeviceRef ref;
    if (!DeviceSetAccess::Resolve(*rt, tree, DeviceInfoSet, DeviceInfoData, ref))
        return FALSE;
    const DeviceProperty* entry = DeviceProperties::Find(Property);
    if (!entry || !entry->settable)
    {
        SetLastError(ERROR_INVALID_REG_PROPERTY);
        return FALSE;
    }
    if (!PropertyBuffer && PropertyBufferSize)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!MayChangeDevices(*rt))
        return FALSE;
    const bool done = PropertyBuffer ? WriteProperty(tree, ref, *entry, PropertyBuffer, PropertyBufferSize)
                                     : ClearProperty(tree, ref, *entry);
    if (!done)
        return FALSE;
    if (!txn.Commit())
    {
        SetLastError(ERROR_REGISTRY_IO_FAILED);
        return FALSE;
    }
    if (Property == SPDRP_CLASSGUID)
    {
        DeviceInfoSet::Element element;
        if (ref.set->Find(*DeviceInfoData, element))
            DeviceInfoData->ClassGuid = element.classGuid;
    }
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupDiRegisterDeviceInfo(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Flags,
                                      PSP_DETSIG_CMPPROC /*CompareProc*/, PVOID /*CompareContext*/,
                                      PSP_DEVINFO_DATA /*DupDeviceInfoData*/)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    Transaction txn(rt->GetMachine().GetStore());
    DeviceTree tree(*rt);
    tree.Settle();
    DeviceRef ref;
    if (!DeviceSetAccess::Resolve(*rt, tree, DeviceInfoSet, DeviceInfoData, ref))
        return FALSE;
    if (Flags & ~static_cast<DWORD>(SPRDI_FIND_DUPS))
    {
        SetLastError(ERROR_INVALID_FLAGS);
        return FALSE;
    }
    // SPRDI_FIND_DUPS compares resources, and no device of winsim has any: a duplicate is never found.
    // Registering a device that is registered already, or that was not created through this set, does nothing.
    if (ref.element.created && tree.IsUnregistered(ref.Instance()))
    {
        if (!MayChangeDevices(*rt))
            return FALSE;
        if (!tree.Register(ref.Instance()) || !txn.Commit())
        {
            SetLastError(ERROR_REGISTRY_IO_FAILED);
            return FALSE;
        }
    }
    SetLastError(NO_ERROR);
    return TRUE;
}
