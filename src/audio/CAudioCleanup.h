// Clean-up after an uninstall removed sound devices: old audio files go at the next restart, and the
// sound control panel that still holds them is closed. The trace names are those of the application
// object, which offered these services before they had a folder of their own.
#pragma once

#include "platform/StringList.h"

class CAudioCleanup
{
public:
    // deviceClasses: the class of each device being removed.
    static void AudioDeviceCleanup(const CStringList& deviceClasses);
    static void CloseMMSYSWindow();
    // The sound control panel's window title (MAX_PATH characters).
    static void GetWindowTitle(char* pszTitleString);
};
