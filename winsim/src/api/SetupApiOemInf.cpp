// SETUPAPI: SetupCopyOEMInfA publishes a driver INF in the INF folder (see pnp/PublishedInf.h) and hands
// back the name it has there. The same INF copied again gives the same name; with SP_COPY_NOOVERWRITE that
// is ERROR_FILE_EXISTS (the name is still handed back). The size rules are SETUPAPI's: the size counts the
// terminating NUL, a short buffer fails with ERROR_INSUFFICIENT_BUFFER.
#include <cstring>
#include <string>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "pnp/PublishedInf.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

BOOL WINAPI SetupCopyOEMInfA(PCSTR SourceInfFileName, PCSTR OEMSourceMediaLocation, DWORD OEMSourceMediaType,
                             DWORD CopyStyle, PSTR DestinationInfFileName, DWORD DestinationInfFileNameSize,
                             PDWORD RequiredSize, PSTR* DestinationInfFileNameComponent)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    (void)OEMSourceMediaLocation;
    if (!SourceInfFileName ||
        (OEMSourceMediaType != SPOST_NONE && OEMSourceMediaType != SPOST_PATH && OEMSourceMediaType != SPOST_URL))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!DestinationInfFileName && DestinationInfFileNameSize)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (rt->Identity().IsNT() && !rt->Identity().administrator)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::string published;
    bool alreadyThere = false;
    uint32_t error = 0;
    if (!PublishedInf::Publish(*rt, SourceInfFileName, published, alreadyThere, error))
    {
        SetLastError(error);
        return FALSE;
    }
    const DWORD needed = static_cast<DWORD>(published.size() + 1);
    if (RequiredSize)
        *RequiredSize = needed;
    if (DestinationInfFileName)
    {
        if (DestinationInfFileNameSize < needed)
        {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memcpy(DestinationInfFileName, published.c_str(), needed);
        if (DestinationInfFileNameComponent)
            *DestinationInfFileNameComponent = DestinationInfFileName + published.rfind('\\') + 1;
    }
    if (alreadyThere && (CopyStyle & SP_COPY_NOOVERWRITE))
    {
        SetLastError(ERROR_FILE_EXISTS);
        return FALSE;
    }
    SetLastError(NO_ERROR);
    return TRUE;
}
