// The folders a run looks in for the package's INF files: the program's folder, a forced path, the AC'97
// paths, the unpacked cabinet or a private copy of the package, with their first-level sub-folders, kept
// when they hold an INF. As a cabinet extractor it owns the run's scratch folder.
#pragma once

#include <string>

#include "common/SetupParms.h"
#include "device/CCabFile.h"
#include "platform/StringList.h"

class CInstallPath : public CCabFile
{
public:
    // Every path ends in a backslash; returns how many there are.
    size_t GetInstallPaths(const SETUP_PARMS& parms, CStringList& cslInstallPaths);
    // Each root followed by its immediate sub-folders.
    void GetPossibleInstallPaths(const CStringList& roots, CStringList& paths);
    // Appends the sub-folders of a path (one level, upper case, with a trailing backslash).
    BOOL CheckForSubFolders(const std::string& csPath, CStringList& paths);
    // The candidates that hold at least one INF file, in order.
    void ValidateInstallPaths(const CStringList& candidates, CStringList& paths);
    // Makes the run's private folder under the Windows TEMP folder and copies the program's folder there.
    void SetupTempInstallPath();

    const std::string& GetTempInstallPath() const { return m_csTempInstallPath; }

private:
    std::string m_csTempInstallPath;
};
