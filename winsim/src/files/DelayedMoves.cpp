#include "DelayedMoves.h"

#include <vector>

#include "windows.h"

namespace winsim
{

namespace
{

constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kValueName = "PendingFileRenameOperations";

// The pairs already recorded, without the NUL that ends the list. The list is read as pairs, so an empty
// target is a string of its own and not the end of the list.
std::vector<char> ExistingPairs(HKEY key)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, kValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_MULTI_SZ ||
        size == 0)
        return {};
    std::vector<char> data(size);
    if (RegQueryValueExA(key, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return {};
    data.resize(size);
    if (data.size() == 1 && data[0] == '\0')
        return {}; // an empty list
    if (data.size() >= 2 && data[data.size() - 1] == '\0' && data[data.size() - 2] == '\0')
        data.pop_back();
    else if (!data.empty() && data.back() != '\0')
        data.push_back('\0');
    return data;
}

} // namespace

int32_t DelayedMoves::Record(const std::string& source, const std::string& target, bool replaceExisting)
{
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::vector<char> data = ExistingPairs(key);
    std::string pair = "\\??\\" + source;
    pair += '\0';
    if (!target.empty())
        pair += (replaceExisting ? "!\\??\\" : "\\??\\") + target;
    pair += '\0';
    data.insert(data.end(), pair.begin(), pair.end());
    data.push_back('\0');
    rc = RegSetValueExA(key, kValueName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return rc;
}

} // namespace winsim
