#include "CInstall2KWA4.h"

#include <algorithm>
#include <cctype>

#include "common/CTraceScope.h"
#include "device/CDevNode.h"

BOOL CInstall2KWA4::DoWA(const std::string& csDeviceID, std::string& csResult)
{
    CTraceScope trace("CInstall2KWA4::DoWA", "csDeviceID = %s", csDeviceID.c_str());
    TraceLine("CInstall2KWA4 :: DoWA : csDeviceID = %s\n", csDeviceID.c_str());
    std::string csUpper = csDeviceID;
    std::transform(csUpper.begin(), csUpper.end(), csUpper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (csUpper.find("VEN_") == std::string::npos || csUpper.find("&SUBSYS_") != std::string::npos)
        return trace.Return(FALSE);
    CDevNode node(csDeviceID.c_str(), TRUE);
    CStringList ids;
    node.GetHardwareIDs(ids);
    csResult.clear();
    for (size_t i = 0; i < ids.size(); ++i)
    {
        if (ids[i].size() > csResult.size())
            csResult = ids[i];
    }
    if (csResult.empty())
        return trace.Return(FALSE);
    TraceLine("Found 4 Part ID : %s\n", csResult.c_str());
    return trace.Return(TRUE);
}
