// What a machine is: operating-system identity, user, language and the root folders.
// Loaded from the profile's machine.ini when the machine is created, then kept in the store's meta table.
#pragma once

#include <cstdint>
#include <string>

namespace winsim
{

struct MachineIdentity
{
    uint32_t platformId = 2; // VER_PLATFORM_WIN32_NT
    uint32_t major = 5;
    uint32_t minor = 1;
    uint32_t build = 2600;
    std::string servicePack; // "Service Pack 2"
    uint32_t servicePackMajor = 0;
    uint32_t productType = 1; // VER_NT_WORKSTATION
    uint32_t suiteMask = 0;
    std::string architecture = "x86"; // x86 or x64
    bool administrator = true;
    // Vista and later: whether the user says yes when a program asks to run elevated ("runas").
    bool acceptElevation = true;
    uint32_t uiLanguage = 0x0409;
    std::string windowsDir = "C:\\WINDOWS";
    std::string systemDir = "C:\\WINDOWS\\system32";
    std::string tempDir = "C:\\WINDOWS\\TEMP";
    std::string programFilesDir = "C:\\Program Files";
    std::string userSid = "S-1-5-21-1004336348-1177238915-682003330-1003";
    std::string computerName = "WINSIM";
    int32_t timeZoneBiasMinutes = 0; // UTC = local + bias, as Windows defines it
    uint64_t clockStartMs = 0;       // virtual wall clock at creation, milliseconds since 1601-01-01 UTC

    bool IsNT() const { return platformId == 2; }
    bool Is64Bit() const { return architecture == "x64"; }
};

} // namespace winsim
