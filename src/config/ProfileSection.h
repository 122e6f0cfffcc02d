// The profile section reader of configuration, device INI and response files: one section's key=value
// lines, cleaned the way package makers expect (comments after ";" dropped, tabs removed), within fixed
// limits so that a hand-written file can never make it read or keep more than it should.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

// One key=value line of a section.
struct INI_ENTRY
{
    std::string ksParm0;
    std::string ksParm1;
};

typedef std::vector<INI_ENTRY> CIniEntryList;

// A section is read into this many characters; a longer section is cut there.
const DWORD MAX_INI_SECTION_CHARS = 1000;
// The most entries a section gives; further lines are dropped.
const size_t MAX_INI_SECTION_ENTRIES = 500;

// The entries of a section in file order (the list is replaced). FALSE for an empty or missing section.
BOOL GetSectionEntries(const std::string& csFileName, const std::string& csSection, CIniEntryList& entries);
// The value of the first entry whose key equals csKey without regard to case.
BOOL GetSectionValue(const std::string& csFileName, const std::string& csSection, const std::string& csKey,
                     std::string& csValue);
// The cleaning rules on one section line; FALSE for a line without "=".
BOOL ParseSectionLine(const std::string& csLine, INI_ENTRY& entry);
