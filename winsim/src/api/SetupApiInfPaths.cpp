// SETUPAPI: the target folder of a copy section, the source location of a file and the fields of a source
// disk, from the INF's [DestinationDirs], [SourceDisksFiles] and [SourceDisksNames]. The source location is
// the folder relative to the source root ("x86\drivers"), empty when the file lies in the root.
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "setupapi/InfAccess.h"
#include "setupapi/InfPaths.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

BOOL WINAPI SetupGetTargetPathA(HINF InfHandle, PINFCONTEXT InfContext, PCSTR Section, PSTR ReturnBuffer,
                                DWORD ReturnBufferSize, PDWORD RequiredSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    std::string section = Section ? Section : "";
    const InfFile* file = nullptr;
    if (InfContext)
    {
        if (!InfAccess::LineOf(InfContext, &file))
            return FALSE;
        section = file->model.SectionAt(InfContext->Section).name;
    }
    else if (!(file = InfHandles::Find(InfHandle)))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::string folder;
    uint32_t error = 0;
    if (!InfPaths::TargetFolder(rt->Identity(), *file, section, folder, error))
    {
        SetLastError(error);
        return FALSE;
    }
    return InfAccess::CopyOut(folder, ReturnBuffer, ReturnBufferSize, RequiredSize);
}

BOOL WINAPI SetupGetSourceFileLocationA(HINF InfHandle, PINFCONTEXT InfContext, PCSTR FileName, PUINT SourceId,
                                        PSTR ReturnBuffer, DWORD ReturnBufferSize, PDWORD RequiredSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    const InfFile* file = nullptr;
    std::string name = FileName ? FileName : "";
    if (InfContext)
    {
        const InfModel::Line* line = InfAccess::LineOf(InfContext, &file);
        if (!line)
            return FALSE;
        name = line->hasKey ? file->model.FieldText(*line, 0) : std::string();
    }
    else if (!(file = InfHandles::Find(InfHandle)))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (name.empty() || !SourceId)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    uint32_t disk = 0;
    uint32_t error = 0;
    std::string relative;
    if (!InfPaths::SourceLocation(rt->Identity(), *file, name, disk, relative, error))
    {
        SetLastError(error);
        return FALSE;
    }
    *SourceId = disk;
    return InfAccess::CopyOut(relative, ReturnBuffer, ReturnBufferSize, RequiredSize);
}

BOOL WINAPI SetupGetSourceInfoA(HINF InfHandle, UINT SourceId, UINT InfoDesired, PSTR ReturnBuffer,
                                DWORD ReturnBufferSize, PDWORD RequiredSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    const InfFile* file = InfHandles::Find(InfHandle);
    if (!file)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Fields of "diskid = description, tagfile, unused, path, flags, tagfile2".
    static const uint32_t kFieldOf[] = {0, 4, 2, 1, 5, 6};
    if (InfoDesired < SRCINFO_PATH || InfoDesired > SRCINFO_TAGFILE2)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const InfModel::Line* disk = InfPaths::Disk(rt->Identity(), file->model, SourceId);
    if (!disk)
    {
        SetLastError(ERROR_LINE_NOT_FOUND);
        return FALSE;
    }
    const uint32_t field = kFieldOf[InfoDesired];
    // A field the line leaves out reads as empty.
    const std::string text = field <= disk->fieldCount ? file->model.FieldText(*disk, field) : std::string();
    return InfAccess::CopyOut(text, ReturnBuffer, ReturnBufferSize, RequiredSize);
}
