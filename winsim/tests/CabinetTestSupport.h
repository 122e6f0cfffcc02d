// Helpers shared by the cabinet tests: cabinets made on the host with gcab, and a callback that logs each
// notification as one line and answers as a test scripts it.
#pragma once

#include <gtest/gtest.h>
#include <utime.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "SemiRandomData.h"
#include "windows.h"
#include "setupapi.h"
#include "winsim/winsim.h"

namespace cab_test
{

// The files' time, 2020-05-06 07:08:10 UTC; gcab stores it as DOS date 0x50A6, time 0x3905.
constexpr time_t kStamp = 1588748890;

struct HostFile
{
    std::string name; // '/' between folders
    std::string data;
};

// The bytes of a cabinet gcab makes of the files, in the order given (empty when gcab fails).
inline std::string MakeCabinet(const std::string& hostFolder, const std::vector<HostFile>& files, bool mszip)
{
    namespace fs = std::filesystem;
    const fs::path source = fs::path(hostFolder) / "source";
    fs::remove_all(source);
    std::string command = "cd '" + source.string() + "' && gcab -c " + (mszip ? "-z " : "") + "../out.cab";
    for (const HostFile& file : files)
    {
        fs::create_directories((source / file.name).parent_path());
        std::ofstream(source / file.name, std::ios::binary) << file.data;
        const utimbuf times{kStamp, kStamp};
        utime((source / file.name).c_str(), &times);
        command += " '" + file.name + "'";
    }
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
        return {};
    std::ifstream in(fs::path(hostFolder) / "out.cab", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Puts bytes on the machine at a Windows path whose folder exists.
inline void PutBytes(const std::string& machineDir, const std::string& windowsPath, const std::string& bytes)
{
    std::ofstream(winsim::HostPathOf(machineDir, windowsPath), std::ios::binary | std::ios::trunc) << bytes;
}

// The answer that extracts a file to its name in the cabinet below a folder, making the folders it needs.
inline UINT ExtractBelow(const std::string& folder, FILE_IN_CABINET_INFO_A& info)
{
    const std::string target = folder + "\\" + info.NameInCabinet;
    for (size_t at = target.find('\\', 3); at != std::string::npos; at = target.find('\\', at + 1))
        CreateDirectoryA(target.substr(0, at).c_str(), nullptr);
    std::snprintf(info.FullTargetName, MAX_PATH, "%s", target.c_str());
    return FILEOP_DOIT;
}

// A callback whose answers a test scripts, logging each notification as one line:
//   info|need <CabinetPath>|<CabinetFile>|<DiskName>|<SetId>|<CabinetNumber>
//   file <NameInCabinet>|<FileSize>|<DosDate>|<DosTime>|<DosAttribs>|<Win32Error>|<Param2>
//   done <Target>|<Source>|<Win32Error>
struct Script
{
    // Where files go, at their names in the cabinet (folders made as needed).
    std::string targetFolder;
    // Overrides the answer to a file: returns it, may fill FullTargetName.
    std::function<UINT(FILE_IN_CABINET_INFO_A&)> onFile;
    UINT extractedReply = NO_ERROR;
    UINT needReply = NO_ERROR;
    std::string needNewPath;
    std::vector<std::string> log;

    static UINT CALLBACK Callback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2)
    {
        return static_cast<Script*>(context)->On(notification, param1, param2);
    }

    UINT On(UINT notification, UINT_PTR param1, UINT_PTR param2)
    {
        char line[1024];
        if (notification == SPFILENOTIFY_CABINETINFO || notification == SPFILENOTIFY_NEEDNEWCABINET)
        {
            const auto* info = reinterpret_cast<const CABINET_INFO_A*>(param1);
            const bool need = notification == SPFILENOTIFY_NEEDNEWCABINET;
            std::snprintf(line, sizeof(line), "%s %s|%s|%s|%u|%u", need ? "need" : "info", info->CabinetPath,
                          info->CabinetFile, info->DiskName, info->SetId, info->CabinetNumber);
            log.push_back(line);
            if (need && !needNewPath.empty())
                std::snprintf(reinterpret_cast<char*>(param2), MAX_PATH, "%s", needNewPath.c_str());
            EXPECT_TRUE(need || param2 == 0);
            return need ? needReply : NO_ERROR;
        }
        if (notification == SPFILENOTIFY_FILEINCABINET)
        {
            auto* info = reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
            std::snprintf(line, sizeof(line), "file %s|%u|0x%X|0x%X|0x%X|%u|%s", info->NameInCabinet, info->FileSize,
                          info->DosDate, info->DosTime, info->DosAttribs, info->Win32Error,
                          reinterpret_cast<const char*>(param2));
            log.push_back(line);
            EXPECT_EQ('\0', info->FullTargetName[0]);
            return onFile ? onFile(*info) : ExtractBelow(targetFolder, *info);
        }
        EXPECT_EQ(static_cast<UINT>(SPFILENOTIFY_FILEEXTRACTED), notification);
        const auto* paths = reinterpret_cast<const FILEPATHS_A*>(param1);
        std::snprintf(line, sizeof(line), "done %s|%s|%u", paths->Target, paths->Source, paths->Win32Error);
        log.push_back(line);
        EXPECT_EQ(0u, param2);
        return extractedReply;
    }

    // Runs SetupIterateCabinetA with this script, keeping its error in `error`.
    BOOL Iterate(const std::string& cabinet, DWORD& error)
    {
        SetLastError(0xDEADBEEF);
        const BOOL ok = SetupIterateCabinetA(cabinet.c_str(), 0, &Script::Callback, this);
        error = GetLastError();
        return ok;
    }
};

} // namespace cab_test
