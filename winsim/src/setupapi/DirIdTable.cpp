#include "DirIdTable.h"

#include "core/MachineIdentity.h"
#include "windows.h"
#include "setupapi.h"

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

// Shell folders are 16384 plus their CSIDL number.
constexpr uint32_t kShellDirIdBase = 0x4000;
constexpr uint32_t kCsidlCommonStartMenu = 0x16;
constexpr uint32_t kCsidlCommonPrograms = 0x17;
constexpr uint32_t kCsidlCommonDesktop = 0x19;
constexpr uint32_t kCsidlCommonAppData = 0x23;
constexpr uint32_t kCsidlWindows = 0x24;
constexpr uint32_t kCsidlSystem = 0x25;
constexpr uint32_t kCsidlProgramFiles = 0x26;
constexpr uint32_t kCsidlProgramFilesCommon = 0x2b;

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
    const std::string allUsers = drive + "\\Documents and Settings\\All Users";
    switch (dirId)
    {
    case DIRID_NULL:
    case DIRID_ABSOLUTE_16BIT:
    case static_cast<uint32_t>(DIRID_ABSOLUTE):
        // An absolute path follows: the id itself stands for nothing.
        folder.clear();
        return true;
    case DIRID_SRCPATH:
        folder = srcPath;
        return true;
    case DIRID_WINDOWS:
    case DIRID_SHARED:
    case kShellDirIdBase + kCsidlWindows:
        folder = windows;
        return true;
    case DIRID_SYSTEM:
    case kShellDirIdBase + kCsidlSystem:
        folder = system;
        return true;
    case DIRID_DRIVERS:
        folder = system + "\\drivers";
        return true;
    case DIRID_INF:
        folder = windows + "\\inf";
        return true;
    case DIRID_HELP:
        folder = windows + "\\help";
        return true;
    case DIRID_FONTS:
        folder = windows + "\\Fonts";
        return true;
    case DIRID_VIEWERS:
        folder = system + "\\viewers";
        return true;
    case DIRID_COLOR:
        folder = system + "\\spool\\drivers\\color";
        return true;
    case DIRID_APPS:
    case DIRID_BOOT:
    case DIRID_LOADER:
        folder = drive;
        return true;
    case DIRID_SYSTEM16:
        folder = windows + "\\system";
        return true;
    case DIRID_SPOOL:
        folder = system + "\\spool";
        return true;
    case DIRID_SPOOLDRIVERS:
        folder = system + "\\spool\\drivers\\w32x86";
        return true;
    case DIRID_USERPROFILE:
        folder = UserProfile(identity);
        return true;
    case DIRID_PRINTPROCESSOR:
        folder = system + "\\spool\\prtprocs\\w32x86";
        return true;
    case kShellDirIdBase + kCsidlCommonStartMenu:
        folder = allUsers + "\\Start Menu";
        return true;
    case kShellDirIdBase + kCsidlCommonPrograms:
        folder = allUsers + "\\Start Menu\\Programs";
        return true;
    case kShellDirIdBase + kCsidlCommonDesktop:
        folder = allUsers + "\\Desktop";
        return true;
    case kShellDirIdBase + kCsidlCommonAppData:
        folder = allUsers + "\\Application Data";
        return true;
    case kShellDirIdBase + kCsidlProgramFiles:
        folder = identity.programFilesDir;
        return true;
    case kShellDirIdBase + kCsidlProgramFilesCommon:
        folder = identity.programFilesDir + "\\Common Files";
        return true;
    default:
        return false;
    }
}

} // namespace winsim
