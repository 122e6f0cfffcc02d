#include "CInfReport.h"

#include "platform/StringUtil.h"

void CInfReport::AddLine(std::string& text, const std::string& line)
{
    text += line;
    text += "\n";
}

std::string CInfReport::YesNo(BOOL bValue)
{
    return bValue ? "yes" : "no";
}

std::string CInfReport::Describe(CInf& inf)
{
    std::string text;
    AddLine(text, "INF = " + inf.GetINFFileName());
    AddLine(text, "ManufacturerTag = " + inf.GetManufacturerTag());
    AddLine(text, "ValidModelHardwareID = " + YesNo(inf.HasValidModelHardwareID()));
    AddLine(text, "NvlsINF = " + YesNo(inf.IsNvlsINF()));
    std::string csWaveID;
    AddLine(text, "WaveHardwareID = " + (inf.GetWaveHardwareID(csWaveID) ? csWaveID : std::string("(none)")));

    CStringList hardwareIDs;
    inf.GetHardwareIDList(hardwareIDs);
    AddLine(text, Format("HardwareIDs = %u", static_cast<unsigned>(hardwareIDs.size())));
    for (const std::string& csID : hardwareIDs)
    {
        AddLine(text, "HardwareID = " + csID);
        std::string csSection;
        AddLine(text, "  InstallSection = " +
                          (inf.GetInstallSectionForID(csID, csSection) ? csSection : std::string("(none)")));
        CStringList children;
        inf.GetChildHardwareIDList(csID, CHILD_DEVICES, children);
        for (const std::string& csChild : children)
            AddLine(text, "  ChildHardwareID = " + csChild);
        CCopyFilesList files;
        inf.GetCopyFilesList(csID, files);
        AddLine(text, Format("  CopyFiles = %u", static_cast<unsigned>(files.size())));
        for (const COPY_FILES_INFO& file : files)
        {
            AddLine(text, Format("    %s | %s | %s | 0x%X | %u", file.kFileName.c_str(), file.kSourceFile.c_str(),
                                 file.kDestinationFile.c_str(), static_cast<unsigned>(file.dwCopyFlags),
                                 static_cast<unsigned>(file.dwFileType)));
        }
    }

    CAddRegList addReg;
    inf.GetAddRegList("ALL", "HKR", addReg);
    AddLine(text, Format("AddRegHKR = %u", static_cast<unsigned>(addReg.size())));
    for (const ADD_REG_INFO& entry : addReg)
    {
        AddLine(text, "  " + entry.kRootKey + " | " + entry.kRegKey + " | " + entry.kValueName + " | " + entry.kFlags +
                          " | " + entry.kValueData);
    }

    CStringList killApps;
    inf.GetKillAppsList(killApps);
    AddLine(text, Format("KillApps = %u", static_cast<unsigned>(killApps.size())));
    for (const std::string& csApp : killApps)
        AddLine(text, "  " + csApp);
    return text;
}
