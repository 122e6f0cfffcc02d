// The machine's wave output devices: how many there are, and from when. A profile whose sound device
// comes up late (its driver is installed by the setup under test) says so:
//
//   [WaveOut]
//   Devices=1            ; 0: the machine has none
//   AvailableFrom=30000  ; milliseconds after the machine's Clock
//
// Without the section the machine has one device from the start.
#pragma once

#include <cstdint>
#include <string>

namespace winsim
{

class Runtime;
class Store;

class WaveOut
{
public:
    // The devices there now.
    static uint32_t Devices(Runtime& rt);
    // One Name=value line of [WaveOut]; false with `what` for a malformed one.
    static bool SetFromProfile(Store& store, const std::string& name, const std::string& value, std::string& what);
};

} // namespace winsim
