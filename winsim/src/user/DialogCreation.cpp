#include "DialogCreation.h"

#include <strings.h>

namespace winsim
{

namespace
{

thread_local bool t_pending = false;
thread_local DLGPROC t_proc = nullptr;

} // namespace

DialogCreation::DialogCreation(DLGPROC proc)
{
    t_pending = true;
    t_proc = proc;
}

DialogCreation::~DialogCreation()
{
    t_pending = false;
    t_proc = nullptr;
}

void DialogCreation::Apply(WindowState& state)
{
    if (!t_pending || state.parent)
        return;
    state.dialog = true;
    state.dlgProc = t_proc;
    t_pending = false;
}

} // namespace winsim
