#include "InfAccess.h"

#include <cstring>

namespace winsim
{

const InfModel::Line* InfAccess::LineOf(const INFCONTEXT* context, const InfFile** file)
{
    if (!context)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const InfFile* inf = InfHandles::Find(context->CurrentInf);
    if (!inf)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (context->Section >= inf->model.SectionCount() || context->Line >= inf->model.LineCount(context->Section))
    {
        SetLastError(ERROR_LINE_NOT_FOUND);
        return nullptr;
    }
    if (file)
        *file = inf;
    return &inf->model.LineAt(context->Section, context->Line);
}

void InfAccess::Point(INFCONTEXT* context, const void* handle, uint32_t section, uint32_t line)
{
    context->Inf = const_cast<void*>(handle);
    context->CurrentInf = const_cast<void*>(handle);
    context->Section = section;
    context->Line = line;
}

BOOL InfAccess::CopyOut(std::string_view text, PSTR buffer, DWORD size, PDWORD required)
{
    const DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (required)
        *required = needed;
    if (buffer)
    {
        if (size < needed)
        {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memcpy(buffer, text.data(), text.size());
        buffer[text.size()] = '\0';
    }
    else if (size)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SetLastError(NO_ERROR);
    return TRUE;
}

uint32_t InfAccess::FindKey(const InfModel& model, uint32_t section, uint32_t start, const char* key)
{
    return model.FindKeyLine(section, key, start);
}

} // namespace winsim
