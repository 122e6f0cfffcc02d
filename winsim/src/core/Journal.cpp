#include "Journal.h"

#include "Runtime.h"

namespace winsim
{

void Journal::Record(const char* kind, const char* op, const std::string& target, const std::string& detail)
{
    Runtime* runtime = Runtime::Current();
    if (!runtime)
        return;
    Statement stmt = runtime->GetMachine().GetStore().Prepare(
        "INSERT INTO journal(time_ms, pid, kind, op, target, detail) VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    stmt.Bind(1, static_cast<int64_t>(runtime->GetClock().NowMs()))
        .Bind(2, runtime->Pid())
        .Bind(3, std::string(kind))
        .Bind(4, std::string(op))
        .Bind(5, target)
        .Bind(6, detail);
    stmt.Run();
}

} // namespace winsim
