// Reads the text of an INF file into an InfModel, as SetupOpenInfFile reads it: ANSI, or UTF-16LE or UTF-8
// with a byte-order mark; sections, "key = field, field", quoted fields with doubled quotes, ';' comments, a
// trailing backslash continuing a line. A line with one field and no key has that field as its key too.
#pragma once

#include <cstdint>
#include <string>

#include "InfModel.h"

namespace winsim
{

class InfReader
{
public:
    // False with the Win32 error (ERROR_EXPECTED_SECTION_NAME, ERROR_BAD_SECTION_NAME_LINE,
    // ERROR_SECTION_NAME_TOO_LONG, ERROR_GENERAL_SYNTAX) and the 1-based line it was found on.
    static bool Read(std::string bytes, uint32_t codePage, InfModel& model, uint32_t& error, uint32_t& errorLine);

    // The bytes of a host file, read in one go at its size; false when it cannot be read.
    static bool LoadHostFile(const std::string& hostPath, std::string& bytes);

private:
    static bool Parse(const std::string& text, InfModel& model, uint32_t& error, uint32_t& errorLine);
};

} // namespace winsim
