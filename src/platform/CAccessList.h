// Builds and applies the access list the program gives keys it must change: Everyone may read,
// Administrators have full control.
#pragma once

#include "platform/win32.h"

class CAccessList
{
public:
    static BOOL ApplyReadForEveryoneFullForAdministrators(HKEY hKey);
};
