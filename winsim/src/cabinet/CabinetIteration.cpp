#include "CabinetIteration.h"

#include <cstring>

#include "ExtractedFileStamp.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"

namespace winsim
{

namespace
{

std::string FolderOf(const std::string& fullPath)
{
    const size_t slash = fullPath.rfind('\\');
    return slash == std::string::npos ? std::string() : fullPath.substr(0, slash + 1);
}

} // namespace

CabinetIteration::CabinetIteration(Runtime& runtime, const std::string& cabinet, const std::string& fullPath,
                                   PSP_FILE_CALLBACK_A handler, PVOID context)
    : m_runtime(runtime), m_cabinet(cabinet), m_fullPath(fullPath), m_handler(handler), m_context(context),
      m_reader(m_io)
{
}

UINT CabinetIteration::Notify(UINT notification, UINT_PTR param1, UINT_PTR param2)
{
    // The callback is the program's code again: its own API calls count for fault plans.
    FaultPoint::Callback program;
    return m_handler(m_context, notification, param1, param2);
}

uint32_t CabinetIteration::Run()
{
    // libmspack reopens the cabinet by name while it decompresses: give it the full path, which a callback
    // changing the current directory does not move.
    uint32_t error = m_reader.Open(m_fullPath);
    if (!error)
        error = m_directory.Read(m_fullPath);
    if (error)
        return error;
    if (m_directory.Files().size() != m_reader.FileCount())
        return ERROR_INVALID_DATA;
    // A cabinet that can be read but has no callback to report to fails as one that cannot be read.
    if (!m_handler)
        return ERROR_INVALID_DATA;

    m_source = m_cabinet;
    m_searchFolder = FolderOf(m_fullPath);
    m_tail = m_directory;
    m_tailPath = m_fullPath;
    m_watchSplit = m_tail.SplitBlock(m_tailSplit);
    m_io.SetReadHook([this](const std::string& path, uint64_t position) { return BeforeCabinetRead(path, position); });

    SendCabinetInfo(m_directory, m_searchFolder);
    for (size_t i = 0; i < m_directory.Files().size(); ++i)
    {
        // A file continued from an earlier cabinet was offered with that cabinet.
        if (CabinetDirectory::StartsEarlier(m_directory.Files()[i]))
            continue;
        bool stop = false;
        error = Offer(i, stop);
        if (stop)
            return error;
    }
    return 0;
}

void CabinetIteration::SendCabinetInfo(const CabinetDirectory& directory, const std::string& folder)
{
    // CabinetFile and DiskName name the next cabinet of the set, empty for the last one.
    CABINET_INFO_A info{};
    info.CabinetPath = folder.c_str();
    info.CabinetFile = directory.NextName().c_str();
    info.DiskName = directory.NextDisk().c_str();
    info.SetId = directory.SetId();
    info.CabinetNumber = directory.Index();
    Notify(SPFILENOTIFY_CABINETINFO, reinterpret_cast<UINT_PTR>(&info), 0);
}

uint32_t CabinetIteration::Offer(size_t index, bool& stop)
{
    const CabinetEntry& entry = m_directory.Files()[index];
    FILE_IN_CABINET_INFO_A info{};
    info.NameInCabinet = entry.name.c_str();
    info.FileSize = entry.size;
    info.Win32Error = NO_ERROR;
    info.DosDate = entry.date;
    info.DosTime = entry.time;
    info.DosAttribs = entry.attribs;
    // What is left set after the callback is the error it gives with FILEOP_ABORT.
    SetLastError(NO_ERROR);
    const UINT answer = Notify(SPFILENOTIFY_FILEINCABINET, reinterpret_cast<UINT_PTR>(&info),
                               reinterpret_cast<UINT_PTR>(m_source.c_str()));
    if (answer == FILEOP_ABORT)
    {
        stop = true;
        const DWORD set = GetLastError();
        return info.Win32Error ? info.Win32Error : set ? set : static_cast<uint32_t>(ERROR_CANCELLED);
    }
    if (answer != FILEOP_DOIT)
        return 0;
    const std::string target(info.FullTargetName, strnlen(info.FullTargetName, MAX_PATH));
    if (target.empty())
    {
        stop = true;
        return ERROR_PATH_NOT_FOUND;
    }

    const uint32_t failure = Extract(index, target);
    if (!failure)
        ExtractedFileStamp::Apply(m_runtime, target, entry, m_source);
    FILEPATHS_A paths{};
    paths.Target = target.c_str();
    paths.Source = m_source.c_str();
    paths.Win32Error = failure;
    paths.Flags = 0;
    const UINT reply = Notify(SPFILENOTIFY_FILEEXTRACTED, reinterpret_cast<UINT_PTR>(&paths), 0);
    stop = failure != 0 || reply != NO_ERROR;
    return failure ? failure : reply;
}

uint32_t CabinetIteration::Extract(size_t index, const std::string& target)
{
    m_joinError = 0;
    const uint32_t opened = m_io.TargetsOpened();
    uint32_t error = m_reader.Extract(index, target);
    if (m_joinError)
        error = m_joinError;
    // A file cut short is not left looking whole; one that could not be opened is not ours to remove.
    if (error && m_io.TargetsOpened() != opened)
        DeleteFileA(target.c_str());
    return error;
}

bool CabinetIteration::BeforeCabinetRead(const std::string& path, uint64_t position)
{
    if (!m_watchSplit || position != m_tailSplit || path != m_tailPath)
        return true;
    m_watchSplit = false;
    m_joinError = JoinNextCabinet();
    return m_joinError == 0;
}

uint32_t CabinetIteration::JoinNextCabinet()
{
    CABINET_INFO_A info{};
    info.CabinetPath = m_searchFolder.c_str();
    info.CabinetFile = m_tail.NextName().c_str();
    info.DiskName = m_tail.NextDisk().c_str();
    info.SetId = m_tail.SetId();
    info.CabinetNumber = static_cast<USHORT>(m_tail.Index() + 1);
    // The callback may write a new folder to look in; room beyond MAX_PATH keeps a careless one in bounds.
    char newPath[3 * MAX_PATH] = {};
    const UINT reply =
        Notify(SPFILENOTIFY_NEEDNEWCABINET, reinterpret_cast<UINT_PTR>(&info), reinterpret_cast<UINT_PTR>(newPath));
    if (reply != NO_ERROR)
        return reply;
    if (newPath[0])
    {
        m_searchFolder.assign(newPath, strnlen(newPath, MAX_PATH));
        if (m_searchFolder.back() != '\\')
            m_searchFolder += '\\';
    }
    const std::string path = m_searchFolder + m_tail.NextName();
    CabinetDirectory next;
    if (const uint32_t error = next.Read(path))
        return error;
    // Windows wants the cabinet that follows in the same set, and fails on any other.
    if (next.SetId() != m_tail.SetId() || next.Index() != m_tail.Index() + 1)
        return ERROR_INVALID_DATA;
    if (const uint32_t error = m_reader.Append(path))
        return error;
    m_tail = next;
    m_tailPath = path;
    m_watchSplit = m_tail.SplitBlock(m_tailSplit);
    m_source = path;
    SendCabinetInfo(m_tail, m_searchFolder);
    return 0;
}

} // namespace winsim
