// The machine's screen as `winsim screen` shows it: the visible top-level windows, topmost first, each
// with its controls (class, id, text, and their state: a progress position, list columns and rows); and
// as a picture, the windows' published pixels drawn over the desktop in z order.
#pragma once

#include <string>

namespace winsim
{

class Store;

class ScreenText
{
public:
    static std::string Windows(Store& store);
    // Writes the screen (1024 x 768) as a PNG file on the host; false with the reason.
    static bool SavePng(Store& store, const std::string& hostPath, std::string& error);
};

} // namespace winsim
