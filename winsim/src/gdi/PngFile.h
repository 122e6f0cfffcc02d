// Writes 32-bit 0x00RRGGBB pixels as an 8-bit RGB PNG file (libpng).
#pragma once

#include <string>

#include "Surface.h"

namespace winsim
{

class PngFile
{
public:
    static bool Write(const Surface& surface, const std::string& path, std::string& error);
};

} // namespace winsim
