// The machine store: one SQLite database per machine, shared by every process attached to it.
// Each API call runs as its own short transaction so that processes interleave call by call.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace winsim
{

class Statement;

class Store
{
public:
    Store() = default;
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens (creating if needed) the database and makes sure every table exists.
    bool Open(const std::string& hostPath, std::string& error);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }

    // Runs SQL without results; returns false and fills LastErrorText() on failure.
    bool Exec(const char* sql);

    // A prepared statement, cached per SQL text. The caller resets it through Statement's destructor.
    Statement Prepare(const char* sql);

    std::string LastErrorText() const;
    int64_t LastInsertId() const;
    int Changes() const;

    // Serialises this process's use of the connection; SQLite's busy timeout handles other processes.
    std::recursive_mutex& Mutex() { return m_mutex; }

private:
    sqlite3* m_db = nullptr;
    std::map<std::string, sqlite3_stmt*> m_cache;
    std::recursive_mutex m_mutex;
};

// A bound use of a cached prepared statement; resets and clears bindings when it goes out of scope.
// It holds the store's lock while alive. A cached statement cannot be used twice at once: code that
// recurses collects its rows first and then acts on them.
class Statement
{
public:
    Statement(sqlite3_stmt* stmt, std::unique_lock<std::recursive_mutex> lock) : m_stmt(stmt), m_lock(std::move(lock))
    {
    }
    ~Statement();
    Statement(Statement&& other) noexcept : m_stmt(other.m_stmt), m_lock(std::move(other.m_lock))
    {
        other.m_stmt = nullptr;
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Valid() const { return m_stmt != nullptr; }

    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, const std::string& value);
    Statement& BindBlob(int index, const void* data, size_t size);
    Statement& BindNull(int index);

    // Steps once: true when a row is available.
    bool Step();
    // Steps to completion; true when the statement finished without error.
    bool Run();

    int64_t Int(int column) const;
    std::string Text(int column) const;
    std::vector<uint8_t> Blob(int column) const;
    bool IsNull(int column) const;

private:
    sqlite3_stmt* m_stmt;
    std::unique_lock<std::recursive_mutex> m_lock;
};

// BEGIN IMMEDIATE ... COMMIT around one API call; rolls back unless Commit() was called.
class Transaction
{
public:
    explicit Transaction(Store& store);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool Ok() const { return m_ok; }
    bool Commit();

private:
    Store& m_store;
    std::unique_lock<std::recursive_mutex> m_lock;
    bool m_ok = false;
    bool m_done = false;
};

} // namespace winsim
