#include "ExtractedFileStamp.h"

#include "core/Journal.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "files/AttributeTable.h"
#include "files/PathArgument.h"
#include "kernel/Calendar.h"

namespace winsim
{

bool ExtractedFileStamp::DosTimeToMs(uint16_t date, uint16_t time, int32_t biasMinutes, uint64_t& ms)
{
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(1980 + (date >> 9));
    local.wMonth = static_cast<WORD>((date >> 5) & 0x0F);
    local.wDay = static_cast<WORD>(date & 0x1F);
    local.wHour = static_cast<WORD>(time >> 11);
    local.wMinute = static_cast<WORD>((time >> 5) & 0x3F);
    local.wSecond = static_cast<WORD>((time & 0x1F) * 2);
    uint64_t localMs = 0;
    if (local.wMinute > 59 || local.wSecond > 59 || !Calendar::FromSystemTime(local, localMs))
        return false;
    const int64_t utc = static_cast<int64_t>(localMs) + static_cast<int64_t>(biasMinutes) * 60000;
    if (utc < 0)
        return false;
    ms = static_cast<uint64_t>(utc);
    return true;
}

void ExtractedFileStamp::Apply(Runtime& runtime, const std::string& target, const CabinetEntry& entry,
                               const std::string& cabinet)
{
    WinPath path;
    if (!PathArgument::Resolve(runtime, target.c_str(), path) || path.kind != EntryKind::File)
        return;
    Store& store = runtime.GetMachine().GetStore();
    Transaction txn(store);
    AttributeTable table(store);
    uint64_t stamp = 0;
    // An invalid stamp leaves the times of the write, as a failed DosDateTimeToFileTime would.
    const bool dated = DosTimeToMs(entry.date, entry.time, runtime.Identity().timeZoneBiasMinutes, stamp);
    AttributeTable::Row row = dated ? AttributeTable::Row{} : table.Get(path.upath);
    row.attrs = entry.attribs & kKeptAttributes;
    if (dated)
        row.writeMs = row.creationMs = static_cast<int64_t>(stamp);
    table.Put(path.upath, row);
    Journal::Record("file", "extract", path.actual, cabinet + " " + entry.name);
    txn.Commit();
}

} // namespace winsim
