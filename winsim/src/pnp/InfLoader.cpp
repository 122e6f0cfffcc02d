#include "InfLoader.h"

#include <sys/stat.h>

#include <map>
#include <mutex>

#include "core/Runtime.h"
#include "files/PathArgument.h"
#include "resources/CodePage.h"
#include "setupapi/InfReader.h"
#include "windows.h"

namespace winsim
{

namespace
{

struct CachedInf
{
    int64_t size = -1;
    int64_t modified = 0;
    std::string platform;
    std::shared_ptr<const LoadedInf> file;
};

std::mutex& CacheLock()
{
    static std::mutex lock;
    return lock;
}

std::map<std::string, CachedInf>& Cache()
{
    static std::map<std::string, CachedInf> cache;
    return cache;
}

int64_t ModifiedNs(const struct stat& info)
{
    return static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

} // namespace

std::shared_ptr<const LoadedInf> InfLoader::Load(Runtime& rt, const std::string& path, uint32_t& error)
{
    const DWORD saved = GetLastError();
    WinPath resolved;
    const bool found = PathArgument::ResolveFull(rt, path, resolved) && resolved.kind == EntryKind::File;
    SetLastError(saved);
    struct stat info = {};
    if (!found || stat(resolved.host.c_str(), &info) != 0)
    {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    const MachineIdentity& identity = rt.Identity();
    const uint32_t language = identity.uiLanguage;
    // The drivers an INF offers depend on the platform and its strings on the language.
    const std::string platform = identity.architecture + "." + std::to_string(identity.platformId) + "." +
                                 std::to_string(identity.major) + "." + std::to_string(identity.minor) + "." +
                                 std::to_string(language);
    {
        std::lock_guard<std::mutex> guard(CacheLock());
        auto it = Cache().find(resolved.host);
        if (it != Cache().end() && it->second.size == info.st_size && it->second.modified == ModifiedNs(info) &&
            it->second.platform == platform)
            return it->second.file;
    }
    std::string bytes;
    if (!InfReader::LoadHostFile(resolved.host, bytes))
    {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    auto loaded = std::make_shared<LoadedInf>();
    InfFile& file = loaded->file;
    uint32_t line = 0;
    if (!InfReader::Read(std::move(bytes), CodePage::AnsiOf(static_cast<uint16_t>(language)), file.model, error, line))
        return nullptr;
    file.model.BuildStrings(static_cast<uint16_t>(language));
    file.path = resolved.actual.empty() ? resolved.path : resolved.actual;
    file.folder = file.path.substr(0, file.path.rfind('\\'));
    loaded->drivers = InfDriverList::Read(file.model, identity);
    std::lock_guard<std::mutex> guard(CacheLock());
    Cache()[resolved.host] = CachedInf{info.st_size, ModifiedNs(info), platform, loaded};
    return loaded;
}

} // namespace winsim
