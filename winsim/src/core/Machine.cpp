#include "Machine.h"

#include <sys/stat.h>

#include <cstdlib>

namespace winsim
{

namespace
{

std::string MetaOf(Store& store, const std::string& name, const std::string& fallback)
{
    Statement stmt = store.Prepare("SELECT value FROM meta WHERE name = ?1");
    stmt.Bind(1, name);
    return stmt.Step() ? stmt.Text(0) : fallback;
}

bool PutMeta(Store& store, const std::string& name, const std::string& value)
{
    Statement stmt = store.Prepare("INSERT OR REPLACE INTO meta(name, value) VALUES(?1, ?2)");
    stmt.Bind(1, name).Bind(2, value);
    return stmt.Run();
}

uint64_t Number(const std::string& text)
{
    return std::strtoull(text.c_str(), nullptr, 0);
}

} // namespace

bool Machine::Open(const std::string& folder, std::string& error)
{
    struct stat info
    {
    };
    std::string dbPath = folder + "/machine.db";
    if (stat(dbPath.c_str(), &info) != 0)
    {
        error = "not a winsim machine (no machine.db): " + folder;
        return false;
    }
    if (!m_store.Open(dbPath, error))
        return false;
    if (!LoadIdentity(m_store, m_identity))
    {
        error = "machine identity missing in " + dbPath;
        m_store.Close();
        return false;
    }
    m_folder = folder;
    return true;
}

void Machine::Close()
{
    m_store.Close();
    m_folder.clear();
}

std::string Machine::GetMeta(const std::string& name, const std::string& fallback)
{
    return MetaOf(m_store, name, fallback);
}

bool Machine::SetMeta(const std::string& name, const std::string& value)
{
    return PutMeta(m_store, name, value);
}

bool Machine::SaveIdentity(Store& store, const MachineIdentity& id)
{
    bool ok =
        PutMeta(store, "os.platform_id", std::to_string(id.platformId)) &&
        PutMeta(store, "os.major", std::to_string(id.major)) && PutMeta(store, "os.minor", std::to_string(id.minor)) &&
        PutMeta(store, "os.build", std::to_string(id.build)) && PutMeta(store, "os.service_pack", id.servicePack) &&
        PutMeta(store, "os.service_pack_major", std::to_string(id.servicePackMajor)) &&
        PutMeta(store, "os.product_type", std::to_string(id.productType)) &&
        PutMeta(store, "os.suite_mask", std::to_string(id.suiteMask)) &&
        PutMeta(store, "os.architecture", id.architecture) &&
        PutMeta(store, "user.administrator", id.administrator ? "1" : "0") &&
        PutMeta(store, "user.accept_elevation", id.acceptElevation ? "1" : "0") &&
        PutMeta(store, "user.ui_language", std::to_string(id.uiLanguage)) && PutMeta(store, "user.sid", id.userSid) &&
        PutMeta(store, "dir.windows", id.windowsDir) && PutMeta(store, "dir.system", id.systemDir) &&
        PutMeta(store, "dir.temp", id.tempDir) && PutMeta(store, "dir.program_files", id.programFilesDir) &&
        PutMeta(store, "computer.name", id.computerName) &&
        PutMeta(store, "clock.tz_bias", std::to_string(id.timeZoneBiasMinutes)) &&
        PutMeta(store, "clock.start_ms", std::to_string(id.clockStartMs));
    return ok;
}

bool Machine::LoadIdentity(Store& store, MachineIdentity& id)
{
    if (MetaOf(store, "os.platform_id", "").empty())
        return false;
    id.platformId = static_cast<uint32_t>(Number(MetaOf(store, "os.platform_id", "2")));
    id.major = static_cast<uint32_t>(Number(MetaOf(store, "os.major", "5")));
    id.minor = static_cast<uint32_t>(Number(MetaOf(store, "os.minor", "1")));
    id.build = static_cast<uint32_t>(Number(MetaOf(store, "os.build", "2600")));
    id.servicePack = MetaOf(store, "os.service_pack", "");
    id.servicePackMajor = static_cast<uint32_t>(Number(MetaOf(store, "os.service_pack_major", "0")));
    id.productType = static_cast<uint32_t>(Number(MetaOf(store, "os.product_type", "1")));
    id.suiteMask = static_cast<uint32_t>(Number(MetaOf(store, "os.suite_mask", "0")));
    id.architecture = MetaOf(store, "os.architecture", "x86");
    id.administrator = MetaOf(store, "user.administrator", "1") == "1";
    id.acceptElevation = MetaOf(store, "user.accept_elevation", "1") == "1";
    id.uiLanguage = static_cast<uint32_t>(Number(MetaOf(store, "user.ui_language", "1033")));
    id.userSid = MetaOf(store, "user.sid", id.userSid);
    id.windowsDir = MetaOf(store, "dir.windows", id.windowsDir);
    id.systemDir = MetaOf(store, "dir.system", id.systemDir);
    id.tempDir = MetaOf(store, "dir.temp", id.tempDir);
    id.programFilesDir = MetaOf(store, "dir.program_files", id.programFilesDir);
    id.computerName = MetaOf(store, "computer.name", id.computerName);
    id.timeZoneBiasMinutes = static_cast<int32_t>(std::strtol(MetaOf(store, "clock.tz_bias", "0").c_str(), nullptr, 0));
    id.clockStartMs = Number(MetaOf(store, "clock.start_ms", "0"));
    return true;
}

} // namespace winsim
