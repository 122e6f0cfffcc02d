// The file part of a section install: CopyFiles (copy sections and "@file") and DelFiles. Sources come from
// the source root (the caller's, else the INF's folder) and the subfolder [SourceDisksFiles] gives; the
// target folder from [DestinationDirs]. A target in use is replaced at the next restart (MoveFileExA with
// MOVEFILE_DELAY_UNTIL_REBOOT). The caller's callback hears of each copy and delete.
#pragma once

#include <cstdint>
#include <string>

#include "InfHandles.h"
#include "windows.h"
#include "setupapi.h"

namespace winsim
{

struct MachineIdentity;

class InfFileInstaller
{
public:
    InfFileInstaller(const MachineIdentity& identity, const InfFile& file, const std::string& sourceRoot,
                     UINT copyFlags, PSP_FILE_CALLBACK_A callback, PVOID context);

    // A CopyFiles value: a section name, or "@file" for one file to the default folder.
    bool CopyFiles(const std::string& item, uint32_t& error);
    bool DelFiles(const std::string& section, uint32_t& error);
    // Whether a change waits for a restart.
    bool RebootNeeded() const { return m_reboot; }

private:
    bool CopyOne(const std::string& targetFolder, const std::string& targetName, const std::string& sourceName,
                 UINT flags, uint32_t& error);
    UINT Notify(UINT notification, UINT_PTR param1, UINT_PTR param2);
    bool Newer(const std::string& target, const std::string& source) const;

    const MachineIdentity& m_identity;
    const InfFile& m_file;
    std::string m_sourceRoot;
    UINT m_copyFlags;
    PSP_FILE_CALLBACK_A m_callback;
    PVOID m_context;
    bool m_reboot = false;
};

} // namespace winsim
