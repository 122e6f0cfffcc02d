#include "RegistryStore.h"

#include "core/Runtime.h"
#include "registry/Cp1252.h"

namespace winsim
{

namespace
{

constexpr const char* kMachineHive = "HKEY_LOCAL_MACHINE";
constexpr const char* kUsersHive = "HKEY_USERS";
constexpr const char* kDynDataHive = "HKEY_DYN_DATA";

// The subtree of ?1, the key itself included.
#define REG_TREE_CTE                                                                                                   \
    "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM reg_keys k JOIN tree t ON k.parent = t.id) "

struct RootNames
{
    RegRoot root;
    const char* longName;
    const char* shortName;
};

constexpr RootNames kRootNames[] = {
    {RegRoot::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},     {RegRoot::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},   {RegRoot::Users, "HKEY_USERS", "HKU"},
    {RegRoot::CurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"}, {RegRoot::DynData, "HKEY_DYN_DATA", "HKDD"},
};

} // namespace

RegistryStore::RegistryStore(Store& store, const MachineIdentity& identity) : m_store(store), m_identity(identity) {}

bool RegistryStore::ParseRoot(const std::string& name, RegRoot& root)
{
    for (const RootNames& entry : kRootNames)
    {
        if (Cp1252::EqualNoCase(name, entry.longName) || Cp1252::EqualNoCase(name, entry.shortName))
        {
            root = entry.root;
            return true;
        }
    }
    return false;
}

const char* RegistryStore::RootName(RegRoot root)
{
    for (const auto& entry : kRootNames)
    {
        if (entry.root == root)
            return entry.longName;
    }
    return "";
}

std::vector<std::string> RegistryStore::SplitPath(const std::string& path)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= path.size())
    {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

bool RegistryStore::SplitFullPath(const std::string& fullPath, RegRoot& root, std::string& rest)
{
    size_t slash = fullPath.find('\\');
    if (!ParseRoot(fullPath.substr(0, slash), root))
        return false;
    rest = slash == std::string::npos ? std::string() : fullPath.substr(slash + 1);
    return true;
}

uint64_t RegistryStore::NowMs() const
{
    Runtime* rt = Runtime::Current();
    return rt ? rt->GetClock().NowMs() : m_identity.clockStartMs;
}

bool RegistryStore::Touch(int64_t key)
{
    int64_t now = static_cast<int64_t>(NowMs());
    {
        // Virtual time rarely moves between two calls: an unchanged row is left alone, which saves writing
        // its page.
        Statement stmt = m_store.Prepare("SELECT mtime FROM reg_keys WHERE id = ?1");
        stmt.Bind(1, key);
        if (!stmt.Step())
            return false;
        if (stmt.Int(0) == now)
            return true;
    }
    Statement stmt = m_store.Prepare("UPDATE reg_keys SET mtime = ?2 WHERE id = ?1");
    stmt.Bind(1, key).Bind(2, now);
    return stmt.Run();
}

int64_t RegistryStore::HiveKey(const char* name, bool create)
{
    int64_t key = FindChild(0, name);
    if (!key && create)
        key = CreateChild(0, name);
    return key;
}

int64_t RegistryStore::MappedKey(RegRoot root, bool create)
{
    auto below = [&](const char* hive, const std::string& path) -> int64_t
    {
        int64_t base = HiveKey(hive, create);
        if (!base)
            return 0;
        return create ? CreateSubKey(base, path) : FindSubKey(base, path);
    };
    switch (root)
    {
    case RegRoot::LocalMachine:
        return HiveKey(kMachineHive, create);
    case RegRoot::Users:
        return HiveKey(kUsersHive, create);
    case RegRoot::DynData:
        return m_identity.IsNT() ? 0 : HiveKey(kDynDataHive, create);
    case RegRoot::ClassesRoot:
        return below(kMachineHive, "SOFTWARE\\Classes");
    case RegRoot::CurrentUser:
        return below(kUsersHive, m_identity.IsNT() ? m_identity.userSid : std::string(".DEFAULT"));
    case RegRoot::CurrentConfig:
        return below(kMachineHive, "SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current");
    }
    return 0;
}

int64_t RegistryStore::RootKey(RegRoot root)
{
    return MappedKey(root, true);
}

int64_t RegistryStore::FindRootKey(RegRoot root)
{
    return MappedKey(root, false);
}

int64_t RegistryStore::FindKey(const std::string& fullPath)
{
    RegRoot root;
    std::string rest;
    if (!SplitFullPath(fullPath, root, rest))
        return 0;
    int64_t base = FindRootKey(root);
    return base ? FindSubKey(base, rest) : 0;
}

int64_t RegistryStore::CreateKey(const std::string& fullPath)
{
    RegRoot root;
    std::string rest;
    if (!SplitFullPath(fullPath, root, rest))
        return 0;
    int64_t base = RootKey(root);
    return base ? CreateSubKey(base, rest) : 0;
}

int64_t RegistryStore::FindSubKey(int64_t parent, const std::string& relativePath)
{
    int64_t key = parent;
    for (const std::string& name : SplitPath(relativePath))
    {
        key = FindChild(key, name);
        if (!key)
            return 0;
    }
    return key;
}

int64_t RegistryStore::CreateSubKey(int64_t parent, const std::string& relativePath, bool* created)
{
    if (created)
        *created = false;
    int64_t key = parent;
    for (const std::string& name : SplitPath(relativePath))
    {
        int64_t child = FindChild(key, name);
        bool isNew = false;
        if (!child)
        {
            child = CreateChild(key, name);
            isNew = true;
        }
        if (!child)
            return 0;
        key = child;
        if (created)
            *created = isNew;
    }
    return key;
}

int64_t RegistryStore::FindChild(int64_t parent, const std::string& name)
{
    Statement stmt = m_store.Prepare("SELECT id FROM reg_keys WHERE parent = ?1 AND uname = ?2");
    stmt.Bind(1, parent).Bind(2, Cp1252::SortKey(name));
    return stmt.Step() ? stmt.Int(0) : 0;
}

int64_t RegistryStore::CreateChild(int64_t parent, const std::string& name, bool isVolatile,
                                   const std::string& className)
{
    if (name.empty())
        return 0;
    int64_t id = 0;
    {
        Statement stmt = m_store.Prepare(
            "INSERT INTO reg_keys(parent, name, uname, deny_write, mtime, volatile, class) VALUES(?1, ?2, ?3, "
            "COALESCE((SELECT deny_write FROM reg_keys WHERE id = ?1), 0), ?4, ?5, ?6)");
        stmt.Bind(1, parent)
            .Bind(2, name)
            .Bind(3, Cp1252::SortKey(name))
            .Bind(4, static_cast<int64_t>(NowMs()))
            .Bind(5, isVolatile ? 1 : 0)
            .Bind(6, className);
        if (!stmt.Run())
            return 0;
        id = m_store.LastInsertId();
    }
    if (parent)
        Touch(parent);
    return id;
}

bool RegistryStore::KeyExists(int64_t key)
{
    Statement stmt = m_store.Prepare("SELECT 1 FROM reg_keys WHERE id = ?1");
    stmt.Bind(1, key);
    return stmt.Step();
}

int64_t RegistryStore::ParentOf(int64_t key)
{
    Statement stmt = m_store.Prepare("SELECT parent FROM reg_keys WHERE id = ?1");
    stmt.Bind(1, key);
    return stmt.Step() ? stmt.Int(0) : 0;
}

std::string RegistryStore::PathOf(int64_t key)
{
    Statement stmt = m_store.Prepare(
        "WITH RECURSIVE up(id, parent, name, depth) AS (SELECT id, parent, name, 0 FROM reg_keys WHERE id = ?1 "
        "UNION ALL SELECT k.id, k.parent, k.name, up.depth + 1 FROM reg_keys k JOIN up ON k.id = up.parent) "
        "SELECT name FROM up ORDER BY depth DESC");
    stmt.Bind(1, key);
    std::string path;
    while (stmt.Step())
    {
        if (!path.empty())
            path += '\\';
        path += stmt.Text(0);
    }
    return path;
}

std::string RegistryStore::NameOf(int64_t key)
{
    Statement stmt = m_store.Prepare("SELECT name FROM reg_keys WHERE id = ?1");
    stmt.Bind(1, key);
    return stmt.Step() ? stmt.Text(0) : std::string();
}

std::vector<std::string> RegistryStore::SubKeyNames(int64_t key)
{
    Statement stmt = m_store.Prepare("SELECT name FROM reg_keys WHERE parent = ?1 ORDER BY uname");
    stmt.Bind(1, key);
    std::vector<std::string> names;
    while (stmt.Step())
        names.push_back(stmt.Text(0));
    return names;
}

std::vector<int64_t> RegistryStore::SubKeyIds(int64_t key)
{
    Statement stmt = m_store.Prepare("SELECT id FROM reg_keys WHERE parent = ?1 ORDER BY uname");
    stmt.Bind(1, key);
    std::vector<int64_t> ids;
    while (stmt.Step())
        ids.push_back(stmt.Int(0));
    return ids;
}

std::vector<RegValue> RegistryStore::Values(int64_t key)
{
    Statement stmt = m_store.Prepare("SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY seq");
    stmt.Bind(1, key);
    std::vector<RegValue> values;
    while (stmt.Step())
        values.push_back(RegValue{stmt.Text(0), static_cast<uint32_t>(stmt.Int(1)), stmt.Blob(2)});
    return values;
}

bool RegistryStore::SubKeyAt(int64_t key, uint32_t index, std::string& name, std::string* className, uint64_t* mtimeMs)
{
    Statement stmt =
        m_store.Prepare("SELECT name, class, mtime FROM reg_keys WHERE parent = ?1 ORDER BY uname LIMIT 1 OFFSET ?2");
    stmt.Bind(1, key).Bind(2, static_cast<int64_t>(index));
    if (!stmt.Step())
        return false;
    name = stmt.Text(0);
    if (className)
        *className = stmt.Text(1);
    if (mtimeMs)
        *mtimeMs = static_cast<uint64_t>(stmt.Int(2));
    return true;
}

bool RegistryStore::ValueAt(int64_t key, uint32_t index, RegValue& value)
{
    Statement stmt =
        m_store.Prepare("SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY seq LIMIT 1 OFFSET ?2");
    stmt.Bind(1, key).Bind(2, static_cast<int64_t>(index));
    if (!stmt.Step())
        return false;
    value = RegValue{stmt.Text(0), static_cast<uint32_t>(stmt.Int(1)), stmt.Blob(2)};
    return true;
}

bool RegistryStore::HasSubKeys(int64_t key)
{
    Statement stmt = m_store.Prepare("SELECT 1 FROM reg_keys WHERE parent = ?1 LIMIT 1");
    stmt.Bind(1, key);
    return stmt.Step();
}

bool RegistryStore::QueryInfo(int64_t key, RegKeyInfo& info)
{
    info = RegKeyInfo{};
    {
        Statement stmt = m_store.Prepare("SELECT class, mtime FROM reg_keys WHERE id = ?1");
        stmt.Bind(1, key);
        if (!stmt.Step())
            return false;
        info.className = stmt.Text(0);
        info.mtimeMs = static_cast<uint64_t>(stmt.Int(1));
    }
    {
        Statement stmt =
            m_store.Prepare("SELECT COUNT(*), COALESCE(MAX(LENGTH(CAST(name AS BLOB))), 0), "
                            "COALESCE(MAX(LENGTH(CAST(class AS BLOB))), 0) FROM reg_keys WHERE parent = ?1");
        stmt.Bind(1, key);
        if (stmt.Step())
        {
            info.subKeys = static_cast<uint32_t>(stmt.Int(0));
            info.maxSubKeyLen = static_cast<uint32_t>(stmt.Int(1));
            info.maxClassLen = static_cast<uint32_t>(stmt.Int(2));
        }
    }
    {
        // NT keeps strings in UTF-16 and reports their stored size here, even to the ANSI API.
        Statement stmt = m_store.Prepare(
            "SELECT COUNT(*), COALESCE(MAX(LENGTH(CAST(name AS BLOB))), 0), COALESCE(MAX(CASE WHEN ?2 AND type IN "
            "(1, 2, 7) THEN 2 * LENGTH(data) ELSE LENGTH(data) END), 0) FROM reg_values WHERE key = ?1");
        stmt.Bind(1, key).Bind(2, m_identity.IsNT() ? 1 : 0);
        if (stmt.Step())
        {
            info.values = static_cast<uint32_t>(stmt.Int(0));
            info.maxValueNameLen = static_cast<uint32_t>(stmt.Int(1));
            info.maxValueLen = static_cast<uint32_t>(stmt.Int(2));
        }
    }
    return true;
}

bool RegistryStore::IsVolatile(int64_t key)
{
    Statement stmt = m_store.Prepare("SELECT volatile FROM reg_keys WHERE id = ?1");
    stmt.Bind(1, key);
    return stmt.Step() && stmt.Int(0) != 0;
}

bool RegistryStore::QueryValue(int64_t key, const std::string& name, RegValue& value)
{
    Statement stmt = m_store.Prepare("SELECT name, type, data FROM reg_values WHERE key = ?1 AND uname = ?2");
    stmt.Bind(1, key).Bind(2, Cp1252::SortKey(name));
    if (!stmt.Step())
        return false;
    value = RegValue{stmt.Text(0), static_cast<uint32_t>(stmt.Int(1)), stmt.Blob(2)};
    return true;
}

bool RegistryStore::SetValue(int64_t key, const std::string& name, uint32_t type, const void* data, size_t size)
{
    // Touching the key first doubles as the check that it still exists.
    if (!Touch(key))
        return false;
    // A value set again keeps its place in the enumeration order (and the case of its name).
    Statement stmt =
        m_store.Prepare("INSERT INTO reg_values(key, uname, name, type, data, seq) VALUES(?1, ?2, ?3, ?4, ?5, "
                        "(SELECT COALESCE(MAX(seq), 0) + 1 FROM reg_values WHERE key = ?1)) "
                        "ON CONFLICT(key, uname) DO UPDATE SET type = excluded.type, data = excluded.data");
    stmt.Bind(1, key).Bind(2, Cp1252::SortKey(name)).Bind(3, name).Bind(4, static_cast<int64_t>(type));
    stmt.BindBlob(5, data, size);
    return stmt.Run();
}

bool RegistryStore::DeleteValue(int64_t key, const std::string& name)
{
    {
        Statement stmt = m_store.Prepare("DELETE FROM reg_values WHERE key = ?1 AND uname = ?2");
        stmt.Bind(1, key).Bind(2, Cp1252::SortKey(name));
        if (!stmt.Run() || m_store.Changes() == 0)
            return false;
    }
    Touch(key);
    return true;
}

bool RegistryStore::DeleteKey(int64_t key)
{
    if (HasSubKeys(key))
        return false;
    int64_t parent = ParentOf(key);
    {
        Statement values = m_store.Prepare("DELETE FROM reg_values WHERE key = ?1");
        values.Bind(1, key);
        if (!values.Run())
            return false;
    }
    {
        Statement stmt = m_store.Prepare("DELETE FROM reg_keys WHERE id = ?1");
        stmt.Bind(1, key);
        if (!stmt.Run() || m_store.Changes() == 0)
            return false;
    }
    if (parent)
        Touch(parent);
    return true;
}

bool RegistryStore::DeleteTree(int64_t key)
{
    if (!KeyExists(key))
        return false;
    int64_t parent = ParentOf(key);
    {
        Statement values = m_store.Prepare(REG_TREE_CTE "DELETE FROM reg_values WHERE key IN (SELECT id FROM tree)");
        values.Bind(1, key);
        if (!values.Run())
            return false;
    }
    {
        Statement keys = m_store.Prepare(REG_TREE_CTE "DELETE FROM reg_keys WHERE id IN (SELECT id FROM tree)");
        keys.Bind(1, key);
        if (!keys.Run())
            return false;
    }
    if (parent)
        Touch(parent);
    return true;
}

bool RegistryStore::DeleteVolatileKeys()
{
    std::vector<int64_t> roots;
    {
        Statement stmt = m_store.Prepare("SELECT k.id FROM reg_keys k WHERE k.volatile = 1 AND NOT EXISTS "
                                         "(SELECT 1 FROM reg_keys p WHERE p.id = k.parent AND p.volatile = 1)");
        while (stmt.Step())
            roots.push_back(stmt.Int(0));
    }
    bool ok = true;
    for (int64_t key : roots)
        ok = DeleteTree(key) && ok;
    return ok;
}

bool RegistryStore::DeniesWrite(int64_t key)
{
    Statement stmt = m_store.Prepare("SELECT deny_write FROM reg_keys WHERE id = ?1");
    stmt.Bind(1, key);
    return stmt.Step() && stmt.Int(0) != 0;
}

bool RegistryStore::SetDenyWrite(int64_t key, bool deny, bool recursive)
{
    Statement stmt =
        recursive
            ? m_store.Prepare(REG_TREE_CTE "UPDATE reg_keys SET deny_write = ?2 WHERE id IN (SELECT id FROM tree)")
            : m_store.Prepare("UPDATE reg_keys SET deny_write = ?2 WHERE id = ?1");
    stmt.Bind(1, key).Bind(2, deny ? 1 : 0);
    return stmt.Run() && m_store.Changes() > 0;
}

} // namespace winsim
