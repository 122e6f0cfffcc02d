#include "DeviceInfoSet.h"

#include <atomic>

#include "core/Runtime.h"

namespace winsim
{

namespace
{

std::atomic<uint64_t> g_nextElement{1};

} // namespace

std::shared_ptr<DeviceInfoSet> DeviceInfoSet::FromHandle(Runtime& rt, HDEVINFO handle)
{
    auto set = std::dynamic_pointer_cast<DeviceInfoSet>(rt.Handles().Lookup(handle, ObjectKind::Other));
    if (!set)
        SetLastError(ERROR_INVALID_HANDLE);
    return set;
}

DeviceInfoSet::Element DeviceInfoSet::Add(uint32_t devinst, const std::string& instance, const GUID& classGuid,
                                          int64_t enumKey, bool created)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_byInstance.find(instance);
    if (found != m_byInstance.end())
        return m_elements[found->second];
    Element element;
    element.id = g_nextElement.fetch_add(1);
    element.devinst = devinst;
    element.instance = instance;
    element.classGuid = classGuid;
    element.enumKey = enumKey;
    element.created = created;
    m_byInstance[instance] = m_elements.size();
    m_elements.push_back(element);
    return element;
}

bool DeviceInfoSet::Contains(const std::string& instance) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_byInstance.count(instance) != 0;
}

std::vector<std::string> DeviceInfoSet::Created() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> instances;
    for (const Element& element : m_elements)
    {
        if (element.created && !element.removed)
            instances.push_back(element.instance);
    }
    return instances;
}

bool DeviceInfoSet::At(size_t index, Element& element) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index >= m_elements.size())
        return false;
    element = m_elements[index];
    return true;
}

bool DeviceInfoSet::Find(const SP_DEVINFO_DATA& data, Element& element) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Element& candidate : m_elements)
    {
        if (candidate.id == data.Reserved)
        {
            element = candidate;
            return true;
        }
    }
    return false;
}

void DeviceInfoSet::MarkRemoved(uint64_t id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Element& element : m_elements)
    {
        if (element.id == id && !element.removed)
        {
            element.removed = true;
            m_byInstance.erase(element.instance);
        }
    }
}

void DeviceInfoSet::SetEnumKey(uint64_t id, int64_t enumKey)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Element& element : m_elements)
    {
        if (element.id == id)
            element.enumKey = enumKey;
    }
}

void DeviceInfoSet::SetClass(uint64_t id, const GUID& classGuid)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Element& element : m_elements)
    {
        if (element.id == id)
            element.classGuid = classGuid;
    }
}

void DeviceInfoSet::SetParams(uint64_t id, const void* params, size_t size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto* bytes = static_cast<const uint8_t*>(params);
    m_params[id].assign(bytes, bytes + size);
}

void DeviceInfoSet::ClearParams(uint64_t id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_params.erase(id);
}

bool DeviceInfoSet::Params(uint64_t id, std::vector<uint8_t>& params) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_params.find(id);
    if (found == m_params.end())
        found = m_params.find(0);
    if (found == m_params.end())
        return false;
    params = found->second;
    return true;
}

void DeviceInfoSet::Fill(const Element& element, SP_DEVINFO_DATA& data)
{
    data.ClassGuid = element.classGuid;
    data.DevInst = element.devinst;
    data.Reserved = static_cast<ULONG_PTR>(element.id);
}

} // namespace winsim
