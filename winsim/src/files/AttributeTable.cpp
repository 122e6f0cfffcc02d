#include "AttributeTable.h"

#include <vector>

#include "winnt.h"

namespace winsim
{

namespace
{

struct StoredRow
{
    std::string upath;
    AttributeTable::Row row;
};

// Rows strictly below a folder: their keys start with "<folder>\", which sorts between "<folder>\" and
// "<folder>]" ('\' and ']' are neighbours in ASCII).
std::vector<StoredRow> RowsBelow(Store& store, const std::string& upath)
{
    std::vector<StoredRow> rows;
    Statement stmt = store.Prepare("SELECT upath, attrs, mtime, ctime FROM file_attrs WHERE upath > ?1 AND upath < ?2");
    stmt.Bind(1, upath + "\\").Bind(2, upath + "]");
    while (stmt.Step())
    {
        StoredRow stored;
        stored.upath = stmt.Text(0);
        stored.row.attrs = static_cast<uint32_t>(stmt.Int(1));
        stored.row.writeMs = stmt.IsNull(2) ? AttributeTable::kNoTime : stmt.Int(2);
        stored.row.creationMs = stmt.IsNull(3) ? AttributeTable::kNoTime : stmt.Int(3);
        rows.push_back(stored);
    }
    return rows;
}

} // namespace

AttributeTable::Row AttributeTable::Get(const std::string& upath)
{
    Row row;
    Statement stmt = m_store.Prepare("SELECT attrs, mtime, ctime FROM file_attrs WHERE upath = ?1");
    stmt.Bind(1, upath);
    if (stmt.Step())
    {
        row.attrs = static_cast<uint32_t>(stmt.Int(0));
        row.writeMs = stmt.IsNull(1) ? kNoTime : stmt.Int(1);
        row.creationMs = stmt.IsNull(2) ? kNoTime : stmt.Int(2);
    }
    return row;
}

bool AttributeTable::Put(const std::string& upath, const Row& row)
{
    if (row.attrs == 0 && row.writeMs == kNoTime && row.creationMs == kNoTime)
    {
        Statement stmt = m_store.Prepare("DELETE FROM file_attrs WHERE upath = ?1");
        stmt.Bind(1, upath);
        return stmt.Run();
    }
    Statement stmt =
        m_store.Prepare("INSERT OR REPLACE INTO file_attrs(upath, attrs, mtime, ctime) VALUES(?1, ?2, ?3, ?4)");
    stmt.Bind(1, upath).Bind(2, static_cast<int64_t>(row.attrs));
    if (row.writeMs == kNoTime)
        stmt.BindNull(3);
    else
        stmt.Bind(3, row.writeMs);
    if (row.creationMs == kNoTime)
        stmt.BindNull(4);
    else
        stmt.Bind(4, row.creationMs);
    return stmt.Run();
}

bool AttributeTable::SetAttributes(const std::string& upath, uint32_t attrs)
{
    Row row = Get(upath);
    row.attrs = attrs & kSettable;
    return Put(upath, row);
}

bool AttributeTable::SetWriteTime(const std::string& upath, uint64_t writeMs)
{
    Row row = Get(upath);
    row.writeMs = static_cast<int64_t>(writeMs);
    return Put(upath, row);
}

bool AttributeTable::RemoveTree(const std::string& upath)
{
    Statement self = m_store.Prepare("DELETE FROM file_attrs WHERE upath = ?1");
    self.Bind(1, upath);
    if (!self.Run())
        return false;
    Statement below = m_store.Prepare("DELETE FROM file_attrs WHERE upath > ?1 AND upath < ?2");
    below.Bind(1, upath + "\\").Bind(2, upath + "]");
    return below.Run();
}

bool AttributeTable::MoveTree(const std::string& fromUpath, const std::string& toUpath)
{
    if (fromUpath == toUpath)
        return true;
    Row own = Get(fromUpath);
    std::vector<StoredRow> rows = RowsBelow(m_store, fromUpath);
    if (!RemoveTree(fromUpath) || !RemoveTree(toUpath))
        return false;
    bool ok = Put(toUpath, own);
    for (const StoredRow& stored : rows)
        ok = Put(toUpath + stored.upath.substr(fromUpath.size()), stored.row) && ok;
    return ok;
}

FileFacts AttributeTable::Describe(const std::string& upath, const HostStat& host)
{
    Row row = Get(upath);
    FileFacts facts;
    facts.attributes = row.attrs & kSettable;
    if (host.isDirectory)
        facts.attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (facts.attributes == 0)
        facts.attributes = FILE_ATTRIBUTE_NORMAL;
    facts.writeMs = row.writeMs != kNoTime ? static_cast<uint64_t>(row.writeMs) : host.writeMs;
    facts.creationMs = row.creationMs != kNoTime ? static_cast<uint64_t>(row.creationMs) : facts.writeMs;
    facts.size = host.size;
    return facts;
}

} // namespace winsim
