#include "InfFileInstaller.h"

#include <cstdlib>
#include <vector>

#include "DirIdTable.h"
#include "InfPaths.h"
#include "faults/FaultPoint.h"
#include "winver.h"

namespace winsim
{

namespace
{

// COPYFLG_* of a copy-section line.
constexpr UINT kCopyFlgNoSkip = 0x00000002;
constexpr UINT kCopyFlgNoOverwrite = 0x00000010;
constexpr UINT kCopyFlgReplaceOnly = 0x00000400;
constexpr UINT kCopyFlgOverwriteOlderOnly = 0x00000040;

// The file version of an image, 0 when it has none.
uint64_t FileVersion(const std::string& path)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (!size)
        return 0;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&info), &length) || !info)
        return 0;
    return (static_cast<uint64_t>(info->dwFileVersionMS) << 32) | info->dwFileVersionLS;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Creates a folder and the folders above it that are missing.
void CreateFolders(const std::string& folder)
{
    for (size_t at = folder.find('\\', 3);; at = folder.find('\\', at + 1))
    {
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
        if (at == std::string::npos)
            break;
    }
}

bool InUse(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

} // namespace

InfFileInstaller::InfFileInstaller(const MachineIdentity& identity, const InfFile& file, const std::string& sourceRoot,
                                   UINT copyFlags, PSP_FILE_CALLBACK_A callback, PVOID context)
    : m_identity(identity), m_file(file), m_sourceRoot(sourceRoot.empty() ? file.folder : sourceRoot),
      m_copyFlags(copyFlags), m_callback(callback), m_context(context)
{
    while (m_sourceRoot.size() > 3 && m_sourceRoot.back() == '\\')
        m_sourceRoot.pop_back();
}

UINT InfFileInstaller::Notify(UINT notification, UINT_PTR param1, UINT_PTR param2)
{
    if (!m_callback)
        return notification == SPFILENOTIFY_COPYERROR || notification == SPFILENOTIFY_DELETEERROR ? FILEOP_SKIP
                                                                                                  : FILEOP_DOIT;
    FaultPoint::Callback program;
    return m_callback(m_context, notification, param1, param2);
}

bool InfFileInstaller::Newer(const std::string& target, const std::string& source) const
{
    const uint64_t have = FileVersion(target);
    const uint64_t offered = FileVersion(source);
    // Without versions on both sides there is nothing to compare: the copy goes ahead.
    return have && offered && have > offered;
}

bool InfFileInstaller::CopyFiles(const std::string& item, uint32_t& error)
{
    std::string folder;
    if (!item.empty() && item[0] == '@')
    {
        if (!InfPaths::TargetFolder(m_identity, m_file, std::string(), folder, error))
            return false;
        const std::string name = item.substr(1);
        return CopyOne(folder, name, name, 0, error);
    }
    const InfModel& model = m_file.model;
    const uint32_t section = model.FindSection(item);
    if (section == InfModel::kNone)
    {
        error = ERROR_SECTION_NOT_FOUND;
        return false;
    }
    if (!InfPaths::TargetFolder(m_identity, m_file, item, folder, error))
        return false;
    for (size_t i = 0; i < model.LineCount(section); ++i)
    {
        const InfModel::Line& line = model.LineAt(section, static_cast<uint32_t>(i));
        auto field = [&](uint32_t n) { return n <= line.fieldCount ? model.FieldText(line, n) : std::string(); };
        // "target[,source[,temporary[,flags]]]"
        const std::string target = field(1);
        std::string source = field(2);
        if (source.empty())
            source = target;
        const UINT flags = static_cast<UINT>(std::strtoul(field(4).c_str(), nullptr, 0));
        if (!target.empty() && !CopyOne(folder, target, source, flags, error))
            return false;
    }
    return true;
}

bool InfFileInstaller::CopyOne(const std::string& targetFolder, const std::string& targetName,
                               const std::string& sourceName, UINT lineFlags, uint32_t& error)
{
    uint32_t disk = 0;
    std::string relative;
    uint32_t ignored = 0;
    InfPaths::SourceLocation(m_identity, m_file, sourceName, disk, relative, ignored);
    const std::string source = DirIdTable::Join(DirIdTable::Join(m_sourceRoot, relative), sourceName);
    const std::string target = DirIdTable::Join(targetFolder, targetName);
    const bool noSkip = (m_copyFlags & SP_COPY_NOSKIP) || (lineFlags & kCopyFlgNoSkip);

    const bool targetExists = Exists(target);
    if (targetExists && ((m_copyFlags & SP_COPY_NOOVERWRITE) || (lineFlags & kCopyFlgNoOverwrite)))
        return true;
    if (!targetExists && ((m_copyFlags & SP_COPY_REPLACEONLY) || (lineFlags & kCopyFlgReplaceOnly)))
        return true;
    if (targetExists && ((m_copyFlags & SP_COPY_NEWER) || (lineFlags & kCopyFlgOverwriteOlderOnly)) &&
        Newer(target, source))
        return true;

    FILEPATHS_A paths{target.c_str(), source.c_str(), 0, 0};
    const UINT start = Notify(SPFILENOTIFY_STARTCOPY, reinterpret_cast<UINT_PTR>(&paths), 0);
    if (start == FILEOP_ABORT)
    {
        error = ERROR_CANCELLED;
        return false;
    }
    if (start == FILEOP_SKIP)
        return true;
    CreateFolders(targetFolder);
    if (targetExists)
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL); // a read-only target is replaced too
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
    {
        paths.Win32Error = GetLastError();
        if (InUse(paths.Win32Error))
        {
            // In use: copy beside it and let the restart put it in place.
            const std::string pending = target + ".new";
            if (Exists(source) && CopyFileA(source.c_str(), pending.c_str(), FALSE) &&
                MoveFileExA(pending.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT))
            {
                m_reboot = true;
                paths.Win32Error = 0;
                Notify(SPFILENOTIFY_FILEOPDELAYED, reinterpret_cast<UINT_PTR>(&paths), 0);
                Notify(SPFILENOTIFY_ENDCOPY, reinterpret_cast<UINT_PTR>(&paths), 0);
                return true;
            }
            paths.Win32Error = GetLastError();
        }
        const UINT answer = noSkip ? static_cast<UINT>(FILEOP_ABORT)
                                   : Notify(SPFILENOTIFY_COPYERROR, reinterpret_cast<UINT_PTR>(&paths), 0);
        if (answer != FILEOP_SKIP)
        {
            error = paths.Win32Error;
            return false;
        }
        return true;
    }
    Notify(SPFILENOTIFY_ENDCOPY, reinterpret_cast<UINT_PTR>(&paths), 0);
    return true;
}

bool InfFileInstaller::DelFiles(const std::string& item, uint32_t& error)
{
    const InfModel& model = m_file.model;
    const uint32_t section = model.FindSection(item);
    if (section == InfModel::kNone)
    {
        error = ERROR_SECTION_NOT_FOUND;
        return false;
    }
    std::string folder;
    if (!InfPaths::TargetFolder(m_identity, m_file, item, folder, error))
        return false;
    for (size_t i = 0; i < model.LineCount(section); ++i)
    {
        const InfModel::Line& line = model.LineAt(section, static_cast<uint32_t>(i));
        const std::string name = line.fieldCount >= 1 ? model.FieldText(line, 1) : std::string();
        const std::string target = DirIdTable::Join(folder, name);
        if (name.empty() || !Exists(target))
            continue;
        FILEPATHS_A paths{target.c_str(), nullptr, 0, 0};
        const UINT start = Notify(SPFILENOTIFY_STARTDELETE, reinterpret_cast<UINT_PTR>(&paths), 0);
        if (start == FILEOP_ABORT)
        {
            error = ERROR_CANCELLED;
            return false;
        }
        if (start == FILEOP_SKIP)
            continue;
        if (!DeleteFileA(target.c_str()))
        {
            paths.Win32Error = GetLastError();
            if (InUse(paths.Win32Error) && MoveFileExA(target.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            {
                m_reboot = true;
                Notify(SPFILENOTIFY_FILEOPDELAYED, reinterpret_cast<UINT_PTR>(&paths), 0);
            }
            else if (Notify(SPFILENOTIFY_DELETEERROR, reinterpret_cast<UINT_PTR>(&paths), 0) == FILEOP_ABORT)
            {
                error = paths.Win32Error;
                return false;
            }
        }
        Notify(SPFILENOTIFY_ENDDELETE, reinterpret_cast<UINT_PTR>(&paths), 0);
    }
    return true;
}

} // namespace winsim
