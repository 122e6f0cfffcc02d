// SETUPAPI: reading the fields of an INF line. Field 0 is the key; strings (%strkey%) are replaced as a
// field is read. Sizes count the terminating NUL. A field past the end of the line is
// ERROR_INVALID_PARAMETER; a field that is not a number (SetupGetIntField) or not a hex byte
// (SetupGetBinaryField) is ERROR_INVALID_DATA.
#include <cstdlib>
#include <string>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "setupapi/InfAccess.h"
#include "windows.h"
#include "setupapi.h"

using namespace winsim;

BOOL WINAPI SetupGetLineTextA(PINFCONTEXT Context, HINF InfHandle, PCSTR Section, PCSTR Key, PSTR ReturnBuffer,
                              DWORD ReturnBufferSize, PDWORD RequiredSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    INFCONTEXT found;
    if (!Context)
    {
        // Without a context the line is the one the section and key name.
        if (!SetupFindFirstLineA(InfHandle, Section, Key, &found))
            return FALSE;
        Context = &found;
    }
    const InfFile* file = nullptr;
    const InfModel::Line* line = InfAccess::LineOf(Context, &file);
    if (!line)
        return FALSE;
    std::string text;
    for (uint32_t field = 1; field <= line->fieldCount; ++field)
    {
        if (field > 1)
            text += ',';
        text += file->model.FieldText(*line, field);
    }
    return InfAccess::CopyOut(text, ReturnBuffer, ReturnBufferSize, RequiredSize);
}

DWORD WINAPI SetupGetFieldCount(PINFCONTEXT Context)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    const InfModel::Line* line = InfAccess::LineOf(Context, nullptr);
    return line ? line->fieldCount : 0;
}

BOOL WINAPI SetupGetStringFieldA(PINFCONTEXT Context, DWORD FieldIndex, PSTR ReturnBuffer, DWORD ReturnBufferSize,
                                 PDWORD RequiredSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    const InfFile* file = nullptr;
    const InfModel::Line* line = InfAccess::LineOf(Context, &file);
    if (!line)
        return FALSE;
    if (FieldIndex > line->fieldCount || (FieldIndex == 0 && !line->hasKey))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Most fields are a piece of the file as written: they are copied out without a string in between.
    std::string scratch;
    return InfAccess::CopyOut(file->model.FieldView(*line, FieldIndex, scratch), ReturnBuffer, ReturnBufferSize,
                              RequiredSize);
}

BOOL WINAPI SetupGetIntField(PINFCONTEXT Context, DWORD FieldIndex, PINT IntegerValue)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    const InfFile* file = nullptr;
    const InfModel::Line* line = InfAccess::LineOf(Context, &file);
    if (!line)
        return FALSE;
    if (!IntegerValue || FieldIndex > line->fieldCount || (FieldIndex == 0 && !line->hasKey))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string text = file->model.FieldText(*line, FieldIndex);
    char* end = nullptr;
    // Decimal, or hex with 0x; values above INT_MAX wrap as the 32-bit conversion does.
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || *end)
    {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    *IntegerValue = static_cast<INT>(static_cast<uint32_t>(value));
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL WINAPI SetupGetBinaryField(PINFCONTEXT Context, DWORD FieldIndex, PBYTE ReturnBuffer, DWORD ReturnBufferSize,
                                LPDWORD RequiredSize)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    const InfFile* file = nullptr;
    const InfModel::Line* line = InfAccess::LineOf(Context, &file);
    if (!line)
        return FALSE;
    if (FieldIndex == 0 || FieldIndex > line->fieldCount + 1)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD count = line->fieldCount + 1 - FieldIndex;
    if (RequiredSize)
        *RequiredSize = count;
    if (!ReturnBuffer)
    {
        SetLastError(NO_ERROR);
        return TRUE;
    }
    if (ReturnBufferSize < count)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    for (DWORD i = 0; i < count; ++i)
    {
        const std::string text = file->model.FieldText(*line, FieldIndex + i);
        char* end = nullptr;
        const unsigned long value = std::strtoul(text.c_str(), &end, 16);
        if (text.empty() || *end || value > 0xFF)
        {
            SetLastError(ERROR_INVALID_DATA);
            return FALSE;
        }
        ReturnBuffer[i] = static_cast<BYTE>(value);
    }
    SetLastError(NO_ERROR);
    return TRUE;
}
