#include "Store.h"

#include <sqlite3.h>

#include "Schema.h"

namespace winsim
{

Store::~Store()
{
    Close();
}

bool Store::Open(const std::string& hostPath, std::string& error)
{
    Close();
    if (sqlite3_open_v2(hostPath.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK)
    {
        error = "cannot open " + hostPath + ": " + (m_db ? sqlite3_errmsg(m_db) : "out of memory");
        Close();
        return false;
    }
    // Several host processes share one machine: wait for each other's short transactions rather than fail.
    sqlite3_busy_timeout(m_db, 30000);
    if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=NORMAL") || !Exec(kSchemaSql))
    {
        error = "cannot prepare " + hostPath + ": " + LastErrorText();
        Close();
        return false;
    }
    return true;
}

void Store::Close()
{
    for (auto& entry : m_cache)
        sqlite3_finalize(entry.second);
    m_cache.clear();
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

bool Store::Exec(const char* sql)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_db && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

Statement Store::Prepare(const char* sql)
{
    std::unique_lock<std::recursive_mutex> lock(m_mutex);
    if (!m_db)
        return Statement(nullptr, std::move(lock));
    auto found = m_cache.find(sql);
    if (found != m_cache.end())
        return Statement(found->second, std::move(lock));
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return Statement(nullptr, std::move(lock));
    m_cache.emplace(sql, stmt);
    return Statement(stmt, std::move(lock));
}

std::string Store::LastErrorText() const
{
    return m_db ? sqlite3_errmsg(m_db) : "machine store not open";
}

int64_t Store::LastInsertId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int Store::Changes() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

Statement::~Statement()
{
    if (m_stmt)
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

Statement& Statement::Bind(int index, int64_t value)
{
    if (m_stmt)
        sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

Statement& Statement::Bind(int index, const std::string& value)
{
    if (m_stmt)
        sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::BindBlob(int index, const void* data, size_t size)
{
    if (m_stmt)
        sqlite3_bind_blob(m_stmt, index, size ? data : "", static_cast<int>(size), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::BindNull(int index)
{
    if (m_stmt)
        sqlite3_bind_null(m_stmt, index);
    return *this;
}

bool Statement::Step()
{
    return m_stmt && sqlite3_step(m_stmt) == SQLITE_ROW;
}

bool Statement::Run()
{
    if (!m_stmt)
        return false;
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW)
    {
    }
    return rc == SQLITE_DONE;
}

int64_t Statement::Int(int column) const
{
    return m_stmt ? sqlite3_column_int64(m_stmt, column) : 0;
}

std::string Statement::Text(int column) const
{
    if (!m_stmt)
        return {};
    const unsigned char* text = sqlite3_column_text(m_stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(m_stmt, column))
                : std::string();
}

std::vector<uint8_t> Statement::Blob(int column) const
{
    if (!m_stmt)
        return {};
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(m_stmt, column));
    int size = sqlite3_column_bytes(m_stmt, column);
    return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
}

bool Statement::IsNull(int column) const
{
    return !m_stmt || sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

Transaction::Transaction(Store& store) : m_store(store), m_lock(store.Mutex())
{
    // Prepared once and reused: these run around every changing API call.
    m_ok = m_store.Prepare("BEGIN IMMEDIATE").Run();
}

Transaction::~Transaction()
{
    if (m_ok && !m_done)
        m_store.Prepare("ROLLBACK").Run();
}

bool Transaction::Commit()
{
    if (!m_ok || m_done)
        return false;
    m_done = true;
    if (m_store.Prepare("COMMIT").Run())
        return true;
    // A commit that failed leaves the transaction open; end it so the connection stays usable.
    m_store.Prepare("ROLLBACK").Run();
    return false;
}

} // namespace winsim
