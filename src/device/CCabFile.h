// A driver package shipped as the program plus one cabinet: the cabinet is unpacked into a scratch folder
// under the Windows TEMP folder for the run, and the unpacked files are removed again at the end.
#pragma once

#include <string>

#include "platform/win32.h"

class CCabFile
{
public:
    CCabFile() = default;
    virtual ~CCabFile();
    CCabFile(const CCabFile&) = delete;
    CCabFile& operator=(const CCabFile&) = delete;

    // True when the program's folder holds a cabinet and no INF, and the cabinet was unpacked;
    // csExtractPath receives the scratch folder (with its trailing backslash).
    BOOL IsCabinetFileInstall(std::string& csExtractPath);
    // Unpacks a cabinet into a folder that ends in a backslash; the folder is not cleaned up later.
    BOOL ExtractCabFile(const char* pszCabinet, const char* pszTargetFolder);
    // Deletes what IsCabinetFileInstall unpacked: the files directly in the scratch folder, then the folder
    // when it is empty.
    void CleanUpCabinetFiles();

    // The scratch folder's name under the Windows TEMP folder.
    static const char* const EXTRACT_FOLDER_NAME;

private:
    static UINT CALLBACK ExtractCallback(PVOID pContext, UINT uNotification, UINT_PTR uParam1, UINT_PTR uParam2);

    std::string m_szExtractPath;
    BOOL m_bExtracted = FALSE;
};
