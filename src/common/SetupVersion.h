// The program's build banner and version, fixed in the build.
#pragma once

#define SETUP_BUILD_BANNER "GDVX Modem Build v4.0.17.1"
#define SETUP_VERSION "4.0.17.1"
