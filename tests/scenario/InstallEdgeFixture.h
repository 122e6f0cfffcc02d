// Scenario fixture for the install's edge cases: the default machine (Windows XP SP2) with a few devices
// of our own added, a small package written by each test under C:\DRIVERS, and what a user sees after a
// run (the result rows the trace log records, SETUP.LOG, the device tree, the registry, the screen).
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "SetupRunFixture.h"
#include "platform/CRegistryKey.h"

namespace install_edge
{

inline const char* const LOG = "C:\\DRIVERS\\NORVALIS_INSTALL.LOG";
inline const char* const RESULT_FILE = "C:\\DRIVERS\\SETUP.LOG";
inline const char* const RUN_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const char* const MODEM_GUID = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
inline const char* const SYSTEM_GUID = "{4D36E97D-E325-11CE-BFC1-08002BE10318}";
// The wizard's windows all carry this title: the confirmation, the busy window and the result list.
inline const char* const PRESS_OK = "--answer 'window:Device driver installation wizard=OK@1'";

// PCI devices of our own vendor, without drivers: a multifunction card with three child functions, two
// modems, one whose install keeps Plug and Play busy for ten minutes and one that needs a restart.
inline const char* const EDGE_DEVICES = R"(
[Device.20]
InstanceId=PCI\VEN_F0E1&DEV_4C10&SUBSYS_4C10F0E1&REV_01\4&5A1B2C3D&0&60F0
HardwareIDs=PCI\VEN_F0E1&DEV_4C10&SUBSYS_4C10F0E1&REV_01|PCI\VEN_F0E1&DEV_4C10&SUBSYS_4C10F0E1
Description=PCI Multifunction Device
[Device.21]
InstanceId=F0E1MF\CHILD_1\5&2B3C4D5E&0&0
HardwareIDs=F0E1MF\CHILD_1
Description=Multifunction Child
Parent=PCI\VEN_F0E1&DEV_4C10&SUBSYS_4C10F0E1&REV_01\4&5A1B2C3D&0&60F0
Exposed=1
[Device.22]
InstanceId=F0E1MF\CHILD_2\5&2B3C4D5E&0&1
HardwareIDs=F0E1MF\CHILD_2
Description=Multifunction Child
Parent=PCI\VEN_F0E1&DEV_4C10&SUBSYS_4C10F0E1&REV_01\4&5A1B2C3D&0&60F0
Exposed=1
[Device.23]
InstanceId=F0E1MF\CHILD_3\5&2B3C4D5E&0&2
HardwareIDs=F0E1MF\CHILD_3
Description=Multifunction Child
Parent=PCI\VEN_F0E1&DEV_4C10&SUBSYS_4C10F0E1&REV_01\4&5A1B2C3D&0&60F0
Exposed=1
[Device.24]
InstanceId=PCI\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1&REV_01\4&5A1B2C3D&0&68F0
HardwareIDs=PCI\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1&REV_01|PCI\VEN_F0E1&DEV_4C20&SUBSYS_4C20F0E1
Description=PCI Simple Communications Controller
[Device.25]
InstanceId=PCI\VEN_F0E1&DEV_4C21&SUBSYS_4C21F0E1&REV_01\4&5A1B2C3D&0&70F0
HardwareIDs=PCI\VEN_F0E1&DEV_4C21&SUBSYS_4C21F0E1&REV_01|PCI\VEN_F0E1&DEV_4C21&SUBSYS_4C21F0E1
Description=PCI Simple Communications Controller
[Device.26]
InstanceId=PCI\VEN_F0E1&DEV_4C30&SUBSYS_4C30F0E1&REV_01\4&5A1B2C3D&0&78F0
HardwareIDs=PCI\VEN_F0E1&DEV_4C30&SUBSYS_4C30F0E1&REV_01|PCI\VEN_F0E1&DEV_4C30&SUBSYS_4C30F0E1
Description=PCI Simple Communications Controller
InstallDelay=600000
[Device.27]
InstanceId=PCI\VEN_F0E1&DEV_4C40&SUBSYS_4C40F0E1&REV_01\4&5A1B2C3D&0&80F0
HardwareIDs=PCI\VEN_F0E1&DEV_4C40&SUBSYS_4C40F0E1&REV_01|PCI\VEN_F0E1&DEV_4C40&SUBSYS_4C40F0E1
Description=PCI Simple Communications Controller
NeedsReboot=1
)";

struct MODEL
{
    const char* pszDesc;
    const char* pszHardwareID;
    const char* pszFile; // the one file the model copies
};

// A driver INF of one class whose models each copy one file from the package's folder.
inline std::string DriverInf(const char* pszClass, const char* pszGuid, std::initializer_list<MODEL> models,
                             const std::string& csMore = std::string())
{
    std::string text = std::string("[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=") + pszClass +
                       "\r\nClassGUID=" + pszGuid +
                       "\r\nProvider=Edge Maker\r\nDriverVer=06/01/2007,1.0.0.1\r\n\r\n"
                       "[Manufacturer]\r\nEdge Maker=Models,NTx86\r\n\r\n[Models.NTx86]\r\n";
    int n = 0;
    for (const MODEL& model : models)
        text += std::string(model.pszDesc) + "=Install_" + std::to_string(++n) + ", " + model.pszHardwareID + "\r\n";
    std::string csSources = "\r\n[SourceDisksNames]\r\n1=Edge Disk,,,\r\n\r\n[SourceDisksFiles]\r\n";
    n = 0;
    for (const MODEL& model : models)
    {
        const std::string csN = std::to_string(++n);
        text += "\r\n[Install_" + csN + ".NT]\r\nCopyFiles=Files_" + csN + "\r\n\r\n[Files_" + csN + "]\r\n" +
                model.pszFile + "\r\n";
        csSources += std::string(model.pszFile) + "=1\r\n";
    }
    return text + "\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\n" + csSources + csMore;
}

class InstallEdgeScenarioTest : public SetupRunFixture
{
protected:
    const char* Profile() const override
    {
        static const std::string profile = TestMachine::DeriveProfile("xp-sp2", "install-edge", EDGE_DEVICES);
        return profile.c_str();
    }

    // Puts a package file under C:\DRIVERS.
    static void Put(const std::string& csName, const std::string& csText)
    {
        ASSERT_TRUE(WriteWholeFile("C:\\DRIVERS\\" + csName, csText)) << csName;
    }
    // The hardware-detection library: only the devices present are listed.
    static void PutDetectionLibrary() { ASSERT_TRUE(WriteImage("C:\\DRIVERS\\DVXDLL.DLL", "dll", "dvxdll")); }

    int RunWith(const std::string& options, const std::string& args)
    {
        return Shell("'" + m_bin + "/winsim' run '" + MachineDir() + "' " + options + " -- 'C:\\DRIVERS\\Setup.exe' " +
                     args);
    }

    // Starts Setup.exe, waits for a window showing csText, and returns the screen then; the run is ended
    // there (its process group, started here, is killed).
    std::string ScreenWhenShowing(const std::string& args, const std::string& csText)
    {
        const std::string winsim = "'" + m_bin + "/winsim'";
        const std::string command = "setsid " + winsim + " run '" + MachineDir() + "' -- 'C:\\DRIVERS\\Setup.exe' " +
                                    args + " >/dev/null 2>&1 & pid=$!; for i in $(seq 300); do " + winsim +
                                    " screen '" + MachineDir() + "' | grep -qF '" + csText +
                                    "' && break; sleep 0.1; done; " + winsim + " screen '" + MachineDir() +
                                    "'; { kill -TERM -$pid; wait $pid; } 2>/dev/null";
        return HostCommandOutput(command);
    }

    std::string Journal() { return Winsim("journal '" + MachineDir() + "'"); }
    std::string Devices() { return Winsim("devices '" + MachineDir() + "'"); }

    // The trace log of the last run.
    static std::string LastRun()
    {
        const std::string log = Read(LOG);
        const size_t at = log.rfind("ENTRY: CSetupApp::RunSetupApp");
        return at == std::string::npos ? log : log.substr(at);
    }

    // The review's verdict on each device, "description=STATUS", in list order.
    static std::vector<std::string> Reviews(const std::string& log)
    {
        return Rows(log, "csDeviceDesc = ", ", SetupStatus = ");
    }
    // The result table the wizard was given after the install, "description=status".
    static std::vector<std::string> ResultRows(const std::string& log)
    {
        const size_t at = log.rfind("GetInstallInfo : eInstallInfo = 1");
        return at == std::string::npos ? std::vector<std::string>()
                                       : Rows(log.substr(at), "szDeviceDesc = ", ", eDeviceStatus = ");
    }
    static std::vector<std::string> Rows(const std::string& log, const std::string& csKey, const std::string& csValue)
    {
        std::vector<std::string> rows;
        for (size_t at = log.find(csKey); at != std::string::npos; at = log.find(csKey, at + 1))
        {
            const size_t nLineEnd = log.find_first_of("\r\n", at);
            const std::string line = log.substr(at + csKey.size(), nLineEnd - at - csKey.size());
            const size_t nSplit = line.find(csValue);
            if (nSplit != std::string::npos)
                rows.push_back(line.substr(0, nSplit) + "=" + line.substr(nSplit + csValue.size()));
        }
        return rows;
    }

    static std::string ResultCode(const std::string& csFile = RESULT_FILE)
    {
        const std::string text = Read(csFile);
        const size_t at = text.find("ResultCode=");
        return at == std::string::npos ? "(no result file)" : text.substr(at, text.find_first_of("\r\n", at) - at);
    }

    static bool HasRunValue(const char* pszName)
    {
        std::string value;
        return CRegistryKey(HKEY_LOCAL_MACHINE, RUN_KEY).ReadString(pszName, value);
    }

    // The `winsim devices` block of the one device whose instance ID starts with csInstance.
    std::string DeviceBlock(const std::string& csInstance)
    {
        const std::string devices = Devices();
        const size_t at = devices.find(csInstance);
        if (at == std::string::npos)
            return std::string();
        const size_t nEnd = devices.find("status:", at);
        return devices.substr(at, devices.find('\n', nEnd) - at);
    }
};

using Lines = std::vector<std::string>;

} // namespace install_edge
