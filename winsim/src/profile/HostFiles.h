// Host file-system helpers for machine creation and the winsim command (never used by API functions).
#pragma once

#include <string>
#include <vector>

namespace winsim
{

bool HostIsDirectory(const std::string& path);
bool HostExists(const std::string& path);
bool HostMakeDirectories(const std::string& path);
// Copies a file or a whole folder; folders are merged into an existing destination.
bool HostCopyTree(const std::string& from, const std::string& to, std::string& error);
bool HostRemoveTree(const std::string& path);
bool HostReadFile(const std::string& path, std::string& content);
bool HostWriteFile(const std::string& path, const std::string& content);
// Names in a folder, without "." and "..".
std::vector<std::string> HostListDirectory(const std::string& path);

} // namespace winsim
