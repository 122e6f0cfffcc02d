// The files a search pattern ("C:\PKG\*.INF") finds, in directory order, as full paths.
#pragma once

#include <string>

#include "platform/StringList.h"

// Folders are left out; at most 500 files are listed.
CStringList FindFiles(const std::string& csPattern);
