// What CreateToolhelp32Snapshot took: the processes running and the modules of one process at that
// moment, walked with Process32First/Next and Module32First/Next.
#pragma once

#include <vector>

#include "core/KernelObject.h"
#include "tlhelp32.h"

namespace winsim
{

class ToolhelpSnapshot : public KernelObject
{
public:
    ObjectKind Kind() const override { return ObjectKind::Other; }

    std::vector<PROCESSENTRY32> processes;
    std::vector<MODULEENTRY32> modules;
    size_t nextProcess = 0;
    size_t nextModule = 0;
};

} // namespace winsim
