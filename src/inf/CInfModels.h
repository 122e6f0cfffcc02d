// The model lines of an INF's models section, read once when the INF is opened: description (field 0),
// install section (field 1) and hardware IDs (field 2 on). Questions about a hardware ID are answered from
// indexes instead of walking the section again, so a package with many models costs time in proportion to
// its models, not to their square.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/StringList.h"

struct INF_MODEL_LINE
{
    std::string csDescription;
    bool bHasDescription = false; // field 0 could be read
    std::string csInstallSection;
    CStringList hardwareIDs; // as written, in field order
};

class CInfModels
{
public:
    void Clear();
    void Add(const INF_MODEL_LINE& line);

    const std::vector<INF_MODEL_LINE>& Lines() const { return m_lines; }
    // The lines whose first hardware ID equals the ID without regard to case, in file order.
    const std::vector<size_t>& LinesWithFirstID(const std::string& csHardwareID) const;
    // The last line with a hardware ID that the device ID begins with (case ignored); false when none.
    bool LastLineWithPrefixOf(const std::string& csDeviceID, size_t& nLine) const;

private:
    std::vector<INF_MODEL_LINE> m_lines;
    std::unordered_map<std::string, std::vector<size_t>> m_byFirstID; // upper-case ID -> lines
    std::unordered_map<std::string, size_t> m_lastByAnyID;            // upper-case ID -> last line
    size_t m_nLongestID = 0;
};
