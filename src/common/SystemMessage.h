// Shows the platform's text for a system error code in a message box.
#pragma once

#include <string>

#include "platform/win32.h"

void ShowSystemMessage(const std::string& csCaption, DWORD dwCode);
