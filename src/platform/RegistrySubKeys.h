// The names of a registry key's subkeys, in enumeration order.
#pragma once

#include <string>

#include "platform/StringList.h"
#include "platform/win32.h"

// At most nMaxKeys names; an unreadable or missing key gives none.
CStringList GetRegSubKeyNames(HKEY hRoot, const std::string& csPath, size_t nMaxKeys = 500);
