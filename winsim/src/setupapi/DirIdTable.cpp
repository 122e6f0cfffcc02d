#include "DirIdTable.h"

#include "core/MachineIdentity.h"

namespace winsim
{

std::string DirIdTable::Join(const std::string& folder, const std::string& subdir)
{
    if (subdir.empty())
        return folder;
    std::string out = folder;
    if (!out.empty() && out.back() != '\\')
        out += '\\';
    out += subdir[0] == '\\' ? subdir.substr(1) : subdir;
    return out;
}

namespace
{

// The user's profile folder: the machine names the user's temporary folder, which lies inside it.
std::string UserProfile(const MachineIdentity& identity)
{
    for (const char* tail : {"\\Local Settings\\Temp", "\\AppData\\Local\\Temp"})
    {
        const size_t at = identity.tempDir.find(tail);
        if (at != std::string::npos)
            return identity.tempDir.substr(0, at);
    }
    return identity.windowsDir.substr(0, 2) + "\\Documents and Settings\\Default User";
}

} // namespace

bool DirIdTable::Folder(const MachineIdentity& identity, uint32_t dirId, const std::string& srcPath,
                        std::string& folder)
{
    const std::string& windows = identity.windowsDir;
    const std::string& system = identity.systemDir;
    const std::string drive = windows.substr(0, 2); // "C:"
    switch (dirId)
    {
    case 1:
        folder = srcPath;
        return true;
    case 10:
        folder = windows;
        return true;
    case 11:
        folder = system;
        return true;
    case 12:
        folder = system + "\\drivers";
        return true;
    case 17:
        folder = windows + "\\inf";
        return true;
    case 18:
        folder = windows + "\\help";
        return true;
    case 20:
        folder = windows + "\\Fonts";
        return true;
    case 21:
        folder = system + "\\viewers";
        return true;
    case 23:
        folder = system + "\\spool\\drivers\\color";
        return true;
    case 24:
        folder = drive;
        return true;
    case 25:
        folder = windows;
        return true;
    case 30:
        folder = drive;
        return true;
    case 50:
        folder = windows + "\\system";
        return true;
    case 51:
        folder = system + "\\spool";
        return true;
    case 52:
        folder = system + "\\spool\\drivers\\w32x86";
        return true;
    case 53:
        folder = UserProfile(identity);
        return true;
    case 54:
        folder = drive;
        return true;
    case 55:
        folder = system + "\\spool\\prtprocs\\w32x86";
        return true;
    case 16406:
        folder = drive + "\\Documents and Settings\\All Users\\Start Menu";
        return true;
    case 16407:
        folder = drive + "\\Documents and Settings\\All Users\\Start Menu\\Programs";
        return true;
    case 16409:
        folder = drive + "\\Documents and Settings\\All Users\\Desktop";
        return true;
    case 16419:
        folder = drive + "\\Documents and Settings\\All Users\\Application Data";
        return true;
    case 16420:
        folder = windows;
        return true;
    case 16421:
        folder = system;
        return true;
    case 16422:
        folder = identity.programFilesDir;
        return true;
    case 16427:
        folder = identity.programFilesDir + "\\Common Files";
        return true;
    default:
        return false;
    }
}

} // namespace winsim
