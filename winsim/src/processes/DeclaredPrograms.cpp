#include "DeclaredPrograms.h"

#include <sstream>

#include "core/Store.h"
#include "files/NameCase.h"

namespace winsim
{

namespace
{

constexpr const char* kColumns = "name, image, boot, modules, windows, lifetime_ms, exit_code, installer";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
    {
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

DeclaredProgram FromRow(const Statement& row)
{
    DeclaredProgram program;
    program.name = row.Text(0);
    program.image = row.Text(1);
    program.boot = row.Int(2) != 0;
    program.modules = Lines(row.Text(3));
    for (const std::string& line : Lines(row.Text(4)))
    {
        const size_t bar = line.find('|');
        program.windows.push_back({line.substr(0, bar), bar == std::string::npos ? "" : line.substr(bar + 1)});
    }
    if (!row.IsNull(5))
        program.lifetimeMs = static_cast<uint64_t>(row.Int(5));
    program.exitCode = static_cast<uint32_t>(row.Int(6));
    for (const std::string& line : Lines(row.Text(7)))
    {
        const size_t equals = line.find('=');
        std::string what;
        program.installer.Set(line.substr(0, equals), equals == std::string::npos ? "" : line.substr(equals + 1), what);
    }
    return program;
}

} // namespace

bool DeclaredPrograms::Save(Store& store, const std::vector<DeclaredProgram>& programs)
{
    int64_t seq = 0;
    for (const DeclaredProgram& program : programs)
    {
        std::string modules, windows;
        for (const std::string& module : program.modules)
            modules += module + "\n";
        for (const DeclaredWindow& window : program.windows)
            windows += window.title + "|" + window.className + "\n";
        Statement insert = store.Prepare("INSERT OR REPLACE INTO declared_programs(name, seq, image, boot, modules, "
                                         "windows, lifetime_ms, exit_code, installer) "
                                         "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
        insert.Bind(1, program.name)
            .Bind(2, ++seq)
            .Bind(3, program.image)
            .Bind(4, program.boot ? 1 : 0)
            .Bind(5, modules)
            .Bind(6, windows)
            .Bind(8, program.exitCode)
            .Bind(9, program.installer.Text());
        if (program.lifetimeMs)
            insert.Bind(7, static_cast<int64_t>(*program.lifetimeMs));
        else
            insert.BindNull(7);
        if (!insert.Run())
            return false;
    }
    return true;
}

bool DeclaredPrograms::Find(Store& store, const std::string& name, DeclaredProgram& program)
{
    Statement stmt =
        store.Prepare((std::string("SELECT ") + kColumns + " FROM declared_programs WHERE name = ?1").c_str());
    stmt.Bind(1, NameCase::Upper(name));
    if (!stmt.Step())
        return false;
    program = FromRow(stmt);
    return true;
}

std::vector<DeclaredProgram> DeclaredPrograms::BootProcesses(Store& store)
{
    std::vector<DeclaredProgram> programs;
    Statement stmt = store.Prepare(
        (std::string("SELECT ") + kColumns + " FROM declared_programs WHERE boot = 1 ORDER BY seq").c_str());
    while (stmt.Step())
        programs.push_back(FromRow(stmt));
    return programs;
}

} // namespace winsim
