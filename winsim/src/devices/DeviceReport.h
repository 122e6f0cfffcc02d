// The device tree as text, for `winsim devices` (the format is documented in docs/winsim.md, Devices):
// the root, then each device below its parent, children in enumeration order, two more blanks a level:
//
//   HTREE\ROOT\0
//     PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01\4&1A2B3C4D&0&58F0
//         hardware ids:   PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01, PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1
//         compatible ids: PCI\VEN_F0E1&DEV_2F20&REV_01, PCI\VEN_F0E1
//         description:    PCI Simple Communications Controller
//         class:          -
//         driver:         -
//         status:         problem 28 (no driver)
//
// What a device's keys say when it has keys, else what its bus reports. status is one of "started",
// "problem N (what)", "absent (unplugged | plug-in at TIME | removed | parent absent | parent's driver not
// running)"; a device with install activity pending has a line "pending:        install until TIME".
// TIME is the machine's local time, "YYYY-MM-DD HH:MM:SS.mmm".
#pragma once

#include <string>

namespace winsim
{

class DeviceTree;

class DeviceReport
{
public:
    // timeZoneBiasMinutes: UTC = local + bias, as the machine has it.
    static std::string Text(DeviceTree& tree, int timeZoneBiasMinutes);
};

} // namespace winsim
