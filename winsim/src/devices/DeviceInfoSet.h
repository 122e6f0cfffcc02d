// A device information set (HDEVINFO): a handle of the process's handle table that holds a list of
// devices, the class the set was made for, and the class install parameters given for the set or for
// one of its devices. An SP_DEVINFO_DATA names an element by the number in its Reserved field, unique in
// the process, so that data from another set is refused.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/KernelObject.h"
#include "windows.h"
#include "setupapi.h"

namespace winsim
{

class Runtime;

class DeviceInfoSet : public KernelObject
{
public:
    struct Element
    {
        uint64_t id = 0;
        uint32_t devinst = 0;
        std::string instance;
        GUID classGuid{};
        // The device's Enum key when last seen (a key id: ids are not reused), to find it again quickly.
        int64_t enumKey = 0;
        // Removed through this set (DIF_REMOVE): it stays in the list, but is no device any more.
        bool removed = false;
        // Created through this set (SetupDiCreateDeviceInfoA): unless registered, it goes with the set.
        bool created = false;
    };

    explicit DeviceInfoSet(const GUID& classGuid) : m_classGuid(classGuid) {}
    ObjectKind Kind() const override { return ObjectKind::Other; }

    // The set behind a handle; nullptr (ERROR_INVALID_HANDLE set) when it is no set of this process.
    static std::shared_ptr<DeviceInfoSet> FromHandle(Runtime& rt, HDEVINFO handle);

    const GUID& ClassGuid() const { return m_classGuid; }
    // The device's element, added at the end unless the set has it already.
    Element Add(uint32_t devinst, const std::string& instance, const GUID& classGuid, int64_t enumKey,
                bool created = false);
    // Whether the set has an element for the instance that was not removed.
    bool Contains(const std::string& instance) const;
    // The instances of the elements created through the set and not removed.
    std::vector<std::string> Created() const;
    bool At(size_t index, Element& element) const;
    // The element an SP_DEVINFO_DATA names; false when it is not one of this set's.
    bool Find(const SP_DEVINFO_DATA& data, Element& element) const;
    void MarkRemoved(uint64_t id);
    void SetEnumKey(uint64_t id, int64_t enumKey);
    void SetClass(uint64_t id, const GUID& classGuid);

    // Class install parameters, for one element (id) or for the set (id 0).
    void SetParams(uint64_t id, const void* params, size_t size);
    void ClearParams(uint64_t id);
    // The element's own parameters, else the set's; false when neither has any.
    bool Params(uint64_t id, std::vector<uint8_t>& params) const;

    static void Fill(const Element& element, SP_DEVINFO_DATA& data);

private:
    const GUID m_classGuid;
    mutable std::mutex m_mutex;
    std::vector<Element> m_elements;
    // Instance ID -> index of its element, for the elements not removed.
    std::map<std::string, size_t> m_byInstance;
    std::map<uint64_t, std::vector<uint8_t>> m_params;
};

} // namespace winsim
