// SETUPAPI: section installs and the default queue callback. The default callback has no window to show
// here: it lets every copy and delete go ahead, and answers a copy or delete error with "skip", as a user
// pressing Skip in its dialog would.
#include <memory>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "setupapi/InfHandles.h"
#include "setupapi/InfSectionInstaller.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

namespace
{

struct DefaultQueueContext
{
    uint32_t magic = 0x51434244; // 'DBCQ'
    HWND owner = nullptr;
};

} // namespace

PVOID WINAPI SetupInitDefaultQueueCallback(HWND OwnerWindow)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    auto* context = new DefaultQueueContext;
    context->owner = OwnerWindow;
    return context;
}

VOID WINAPI SetupTermDefaultQueueCallback(PVOID Context)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return;
    }
    WINSIM_API_CALL();
    delete static_cast<DefaultQueueContext*>(Context);
}

UINT WINAPI SetupDefaultQueueCallbackA(PVOID Context, UINT Notification, UINT_PTR Param1, UINT_PTR Param2)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    (void)Context;
    (void)Param1;
    (void)Param2;
    switch (Notification)
    {
    case SPFILENOTIFY_STARTQUEUE:
    case SPFILENOTIFY_STARTSUBQUEUE:
    case SPFILENOTIFY_ENDSUBQUEUE:
        return TRUE;
    case SPFILENOTIFY_ENDQUEUE:
        return 0;
    case SPFILENOTIFY_STARTCOPY:
    case SPFILENOTIFY_STARTDELETE:
        return FILEOP_DOIT;
    case SPFILENOTIFY_ENDCOPY:
    case SPFILENOTIFY_ENDDELETE:
    case SPFILENOTIFY_FILEOPDELAYED:
        return NO_ERROR;
    case SPFILENOTIFY_COPYERROR:
    case SPFILENOTIFY_DELETEERROR:
        return FILEOP_SKIP;
    case SPFILENOTIFY_NEEDMEDIA:
        return FILEOP_ABORT;
    default:
        return 0;
    }
}

BOOL WINAPI SetupInstallFromInfSectionA(HWND Owner, HINF InfHandle, PCSTR SectionName, UINT Flags, HKEY RelativeKeyRoot,
                                        PCSTR SourceRootPath, UINT CopyFlags, PSP_FILE_CALLBACK_A MsgHandler,
                                        PVOID Context, HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    (void)Owner;
    (void)DeviceInfoSet;
    (void)DeviceInfoData;
    const InfFile* file = InfHandles::Find(InfHandle);
    if (!file)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!SectionName || ((Flags & SPINST_FILES) && !MsgHandler))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SectionInstallArgs args;
    args.flags = Flags;
    args.relativeRoot = RelativeKeyRoot;
    args.sourceRoot = SourceRootPath ? SourceRootPath : "";
    args.copyFlags = CopyFlags;
    args.callback = MsgHandler;
    args.context = Context;
    InfSectionInstaller installer(rt->Identity(), args);
    uint32_t error = 0;
    if (!installer.Install(*file, SectionName, error))
    {
        SetLastError(error);
        return FALSE;
    }
    SetLastError(NO_ERROR);
    return TRUE;
}
