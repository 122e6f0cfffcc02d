// SETUPAPI: opening INF files and walking their lines. A name without a path is looked for in the INF
// folder, then the system folder, as Windows does. Only INF_STYLE_WIN4 files are read: a [Version] section
// whose Signature is $Chicago$, $Windows NT$ or $Windows 95$; anything else is ERROR_WRONG_INF_STYLE.
#include <strings.h>

#include <cstring>
#include <memory>
#include <utility>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "files/PathArgument.h"
#include "resources/CodePage.h"
#include "setupapi/DirIdTable.h"
#include "setupapi/InfAccess.h"
#include "setupapi/InfReader.h"
#include "setupapi/MemoryInf.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

namespace
{

bool ReadInf(Runtime& rt, const char* name, WinPath& path, std::string& bytes)
{
    const bool bare = !std::strchr(name, '\\') && !std::strchr(name, '/') && !std::strchr(name, ':');
    if (bare)
    {
        for (const std::string& folder : {rt.Identity().windowsDir + "\\inf", rt.Identity().systemDir})
        {
            if (PathArgument::ResolveFull(rt, folder + "\\" + name, path) && path.kind == EntryKind::File)
                return InfReader::LoadHostFile(path.host, bytes);
        }
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    if (!PathArgument::Resolve(rt, name, path))
        return false;
    if (path.kind != EntryKind::File)
    {
        SetLastError(path.kind == EntryKind::NoParent ? ERROR_PATH_NOT_FOUND
                     : path.kind == EntryKind::Folder ? ERROR_ACCESS_DENIED
                                                      : ERROR_FILE_NOT_FOUND);
        return false;
    }
    if (!InfReader::LoadHostFile(path.host, bytes))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

bool IsWin4(const InfModel& model)
{
    const uint32_t version = model.FindSection("Version");
    if (version == InfModel::kNone)
        return false;
    const uint32_t line = InfAccess::FindKey(model, version, 0, "Signature");
    if (line == InfModel::kNone)
        return false;
    const std::string signature = model.FieldText(model.LineAt(version, line), 1);
    for (const char* known : {"$Chicago$", "$Windows NT$", "$Windows 95$"})
        if (strcasecmp(signature.c_str(), known) == 0)
            return true;
    return false;
}

} // namespace

HINF WINAPI SetupOpenInfFileA(PCSTR FileName, PCSTR InfClass, DWORD InfStyle, PUINT ErrorLine)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, INVALID_HANDLE_VALUE);
    if (ErrorLine)
        *ErrorLine = 0;
    if (!FileName)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (!(InfStyle & INF_STYLE_WIN4))
    {
        SetLastError(ERROR_WRONG_INF_STYLE);
        return INVALID_HANDLE_VALUE;
    }
    WinPath path;
    std::string bytes;
    if (MemoryInf::Get(FileName, bytes))
        path.path = FileName;
    else if (!ReadInf(*rt, FileName, path, bytes))
        return INVALID_HANDLE_VALUE;

    auto file = std::make_unique<InfFile>();
    uint32_t error = 0;
    uint32_t line = 0;
    const uint16_t language = static_cast<uint16_t>(rt->Identity().uiLanguage);
    if (!InfReader::Read(std::move(bytes), CodePage::AnsiOf(language), file->model, error, line))
    {
        if (ErrorLine)
            *ErrorLine = line;
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    if (!IsWin4(file->model))
    {
        SetLastError(ERROR_WRONG_INF_STYLE);
        return INVALID_HANDLE_VALUE;
    }
    if (InfClass)
    {
        // A class given must be the one in [Version].
        const uint32_t version = file->model.FindSection("Version");
        const uint32_t classLine = InfAccess::FindKey(file->model, version, 0, "Class");
        if (classLine == InfModel::kNone ||
            strcasecmp(file->model.FieldText(file->model.LineAt(version, classLine), 1).c_str(), InfClass) != 0)
        {
            SetLastError(ERROR_CLASS_MISMATCH);
            return INVALID_HANDLE_VALUE;
        }
    }
    file->model.BuildStrings(language);
    file->path = path.actual.empty() ? path.path : path.actual;
    file->folder = file->path.substr(0, file->path.rfind('\\'));
    if (file->folder.size() == 2)
        file->folder += '\\';
    file->model.SetDirIdResolver(
        [identity = rt->Identity(), source = file->folder](long dirId, std::string& folder)
        { return DirIdTable::Folder(identity, static_cast<uint32_t>(dirId), source, folder); });
    SetLastError(NO_ERROR);
    return InfHandles::Add(std::move(file));
}

VOID WINAPI SetupCloseInfFile(HINF InfHandle)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return;
    }
    WINSIM_API_CALL();
    if (InfHandle && InfHandle != INVALID_HANDLE_VALUE)
        InfHandles::Remove(InfHandle);
}

BOOL WINAPI SetupFindFirstLineA(HINF InfHandle, PCSTR Section, PCSTR Key, PINFCONTEXT Context)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    const InfFile* file = InfHandles::Find(InfHandle);
    if (!file)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!Section || !Context)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const uint32_t section = file->model.FindSection(Section);
    if (section == InfModel::kNone)
    {
        SetLastError(ERROR_SECTION_NOT_FOUND);
        return FALSE;
    }
    const uint32_t line = Key                                   ? InfAccess::FindKey(file->model, section, 0, Key)
                          : file->model.LineCount(section) == 0 ? InfModel::kNone
                                                                : 0;
    if (line == InfModel::kNone)
    {
        SetLastError(ERROR_LINE_NOT_FOUND);
        return FALSE;
    }
    InfAccess::Point(Context, InfHandle, section, line);
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupFindNextLine(PINFCONTEXT ContextIn, PINFCONTEXT ContextOut)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    return SetupFindNextMatchLineA(ContextIn, nullptr, ContextOut);
}

BOOL WINAPI SetupFindNextMatchLineA(PINFCONTEXT ContextIn, PCSTR Key, PINFCONTEXT ContextOut)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!ContextIn || !ContextOut)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const InfFile* file = InfHandles::Find(ContextIn->CurrentInf);
    if (!file)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (ContextIn->Section >= file->model.SectionCount())
    {
        SetLastError(ERROR_SECTION_NOT_FOUND);
        return FALSE;
    }
    const uint32_t section = ContextIn->Section;
    const uint32_t next = ContextIn->Line + 1;
    const size_t count = file->model.LineCount(section);
    const uint32_t line = Key            ? InfAccess::FindKey(file->model, section, next, Key)
                          : next < count ? next
                                         : InfModel::kNone;
    if (line == InfModel::kNone)
    {
        SetLastError(ERROR_LINE_NOT_FOUND);
        return FALSE;
    }
    InfAccess::Point(ContextOut, ContextIn->CurrentInf, section, line);
    SetLastError(NO_ERROR);
    return TRUE;
}
