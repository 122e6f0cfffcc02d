// SHELL32 shell objects: the subset winsim implements.
#pragma once

#include "windows.h"

#define SHSTDAPI_(type) extern "C" type STDAPICALLTYPE

// TRUE when the user is a member of the Administrators group. SHELL32 exports it by name and as ordinal 680.
SHSTDAPI_(BOOL) IsUserAnAdmin(void);
