// The registry as the machine store keeps it: keys and values by key id. Used by the Reg* API, by profile
// loading (no process attached) and by `winsim reg`. Names are case-insensitive and case-preserving.
// The store runs no transactions of its own: callers wrap a change in one (an API call, a profile import).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/MachineIdentity.h"
#include "core/Store.h"

namespace winsim
{

struct RegValue
{
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

// Predefined roots, by the numbers of the HKEY_* constants (0x80000000 + n).
enum class RegRoot : uint32_t
{
    ClassesRoot = 0,
    CurrentUser = 1,
    LocalMachine = 2,
    Users = 3,
    CurrentConfig = 5,
    DynData = 6 // Windows 9x only
};

// What RegQueryInfoKeyA reports.
struct RegKeyInfo
{
    uint32_t subKeys = 0;
    uint32_t maxSubKeyLen = 0;
    uint32_t maxClassLen = 0;
    uint32_t values = 0;
    uint32_t maxValueNameLen = 0;
    uint32_t maxValueLen = 0;
    uint64_t mtimeMs = 0;
    std::string className;
};

class RegistryStore
{
public:
    RegistryStore(Store& store, const MachineIdentity& identity);

    // Key id of a predefined root, creating the key it maps to (HKCR -> HKLM\SOFTWARE\Classes, ...) if needed.
    int64_t RootKey(RegRoot root);
    // The same without creating anything; 0 when the key is missing or the root does not exist on this OS.
    int64_t FindRootKey(RegRoot root);
    // Key id of a full path ("HKEY_LOCAL_MACHINE\\SOFTWARE\\X" or "HKLM\\SOFTWARE\\X"); 0 if it does not exist.
    int64_t FindKey(const std::string& fullPath);
    // Key id of a relative path below parent ("" is the parent itself); 0 if any level is missing.
    int64_t FindSubKey(int64_t parent, const std::string& relativePath);
    // Creates every missing level; 0 on failure. `created` tells whether the last level is new.
    int64_t CreateSubKey(int64_t parent, const std::string& relativePath, bool* created = nullptr);
    // Creates a full path (as FindKey takes it).
    int64_t CreateKey(const std::string& fullPath);

    // One level: the child named `name` (any case) or 0.
    int64_t FindChild(int64_t parent, const std::string& name);
    // Creates one level, inheriting the parent's access list; 0 on failure (or if it exists).
    int64_t CreateChild(int64_t parent, const std::string& name, bool isVolatile = false,
                        const std::string& className = {});

    bool KeyExists(int64_t key);
    int64_t ParentOf(int64_t key);
    std::string PathOf(int64_t key);
    std::string NameOf(int64_t key);
    std::vector<std::string> SubKeyNames(int64_t key); // in the order RegEnumKeyExA reports them
    std::vector<RegValue> Values(int64_t key);         // in the order RegEnumValueA reports them
    std::vector<int64_t> SubKeyIds(int64_t key);       // in enumeration order
    // The index-th subkey / value in enumeration order; false past the end.
    bool SubKeyAt(int64_t key, uint32_t index, std::string& name, std::string* className = nullptr,
                  uint64_t* mtimeMs = nullptr);
    bool ValueAt(int64_t key, uint32_t index, RegValue& value);
    bool HasSubKeys(int64_t key);
    bool QueryInfo(int64_t key, RegKeyInfo& info);
    bool IsVolatile(int64_t key);

    bool QueryValue(int64_t key, const std::string& name, RegValue& value);
    bool SetValue(int64_t key, const std::string& name, uint32_t type, const void* data, size_t size);
    bool DeleteValue(int64_t key, const std::string& name);
    // Deletes a key that has no subkeys.
    bool DeleteKey(int64_t key);
    // Deletes a key with everything below it.
    bool DeleteTree(int64_t key);
    // Removes every volatile key (with its subtree): what a reboot does.
    bool DeleteVolatileKeys();

    // Per-key access list: a key that denies writes refuses KEY_SET_VALUE, KEY_CREATE_SUB_KEY and DELETE
    // to administrators; new subkeys inherit it.
    bool DeniesWrite(int64_t key);
    bool SetDenyWrite(int64_t key, bool deny, bool recursive);

    // Predefined roots by name, long ("HKEY_LOCAL_MACHINE") or short ("HKLM"), any case.
    static bool ParseRoot(const std::string& name, RegRoot& root);
    static const char* RootName(RegRoot root);
    // Splits "A\\B\\C" into its names; empty names (doubled or trailing backslashes) are dropped.
    static std::vector<std::string> SplitPath(const std::string& path);
    // Splits a full path into its root and the path below it.
    static bool SplitFullPath(const std::string& fullPath, RegRoot& root, std::string& rest);

private:
    int64_t HiveKey(const char* name, bool create);
    int64_t MappedKey(RegRoot root, bool create);
    uint64_t NowMs() const;
    bool Touch(int64_t key);

    Store& m_store;
    const MachineIdentity& m_identity;
};

} // namespace winsim
