// The dialog procedure of a dialog being created: CreateWindowExA gives it to the dialog window before the
// window's first message, as the dialog manager does on Windows.
#pragma once

#include "UserWindows.h"
#include "windows.h"

namespace winsim
{

class DialogCreation
{
public:
    explicit DialogCreation(DLGPROC proc);
    ~DialogCreation();
    DialogCreation(const DialogCreation&) = delete;
    DialogCreation& operator=(const DialogCreation&) = delete;

    // Marks a dialog-class window made on this thread while a creation is pending as that dialog.
    static void Apply(WindowState& state);
};

} // namespace winsim
