// A pause is a timed wait on an event nothing signals, so that the wait is one the machine's clock knows
// and, when the event is named, one other programs can see. Without the event it falls back to Sleep.
#pragma once

#include "platform/win32.h"

void PauseOnEvent(const char* pszEventName, DWORD dwMs);
