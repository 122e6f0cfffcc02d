// Device identifiers and the forms the device tree keeps them in: instance IDs, lists of hardware IDs
// (a multi-string on NT, one comma-separated string on Windows 9x, one ID a line in the machine store) and
// class GUIDs as the registry writes them ("{4D36E96D-E325-11CE-BFC1-08002BE10318}").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "guiddef.h"

namespace winsim
{

class DeviceIds
{
public:
    // Instance IDs are kept upper-case, as the PnP manager keeps them.
    static std::string Upper(const std::string& text);
    // True for ENUMERATOR\DEVICE\INSTANCE: three non-empty parts, no blanks, within MAX_DEVICE_ID_LEN.
    static bool IsInstanceId(const std::string& text);
    // "PCI" for "PCI\VEN_...\...".
    static std::string Enumerator(const std::string& instance);
    // Whether an enumerator filter ("PCI", or "PCI\VEN_..." for one device ID) takes in an instance.
    static bool MatchesEnumerator(const std::string& instance, const std::string& filter);

    static std::vector<uint8_t> MultiSz(const std::vector<std::string>& ids);
    static std::vector<std::string> SplitMultiSz(const std::vector<uint8_t>& data);
    static std::string CommaList(const std::vector<std::string>& ids);
    static std::vector<std::string> SplitList(const std::string& text, char separator);
    static std::string Lines(const std::vector<std::string>& ids);

    static bool ParseGuid(const std::string& text, GUID& guid);
    static std::string FormatGuid(const GUID& guid);
    static bool SameGuid(const GUID& a, const GUID& b);
    static GUID NullGuid();
};

} // namespace winsim
