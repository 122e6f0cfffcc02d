// An opened machine folder: its store, its identity and the host folder behind drive C:.
#pragma once

#include <string>

#include "MachineIdentity.h"
#include "Store.h"

namespace winsim
{

class Machine
{
public:
    bool Open(const std::string& folder, std::string& error);
    void Close();

    Store& GetStore() { return m_store; }
    const MachineIdentity& Identity() const { return m_identity; }
    const std::string& Folder() const { return m_folder; }
    // Host folder that stands for the root of drive C:, without a trailing slash.
    std::string DriveRoot() const { return m_folder + "/drive/c"; }

    std::string GetMeta(const std::string& name, const std::string& fallback = {});
    bool SetMeta(const std::string& name, const std::string& value);

    static bool SaveIdentity(Store& store, const MachineIdentity& identity);
    static bool LoadIdentity(Store& store, MachineIdentity& identity);

private:
    std::string m_folder;
    Store m_store;
    MachineIdentity m_identity;
};

} // namespace winsim
