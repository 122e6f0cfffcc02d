// Platform decorations of INF section names: which [Manufacturer] decoration fits this platform best,
// and the ".NT" install sections of the NT family.
#pragma once

#include <string>

#include "platform/win32.h"

// The best matching decoration field (2, 3, ...) of a [Manufacturer] line: the longest field contained in
// the platform decoration, in its own case; ties go to the earlier field. FALSE below NT 5.0 or when no
// field matches.
BOOL GetBestINFDecoration(INFCONTEXT* pContext, std::string& csDecoration);

// Extends a section name by ".NT" when the INF has that section and the platform is of the NT family.
void DecorateNTSection(HINF hInf, std::string& csSection);
