// The INF files a process has open. An HINF is the address of its InfFile; the table says which
// addresses are live, so a closed or made-up handle is refused instead of followed.
#pragma once

#include <memory>
#include <string>

#include "InfModel.h"

namespace winsim
{

struct InfFile
{
    InfModel model;
    std::string path;   // full path as opened
    std::string folder; // its folder, without a trailing backslash
};

class InfHandles
{
public:
    static void* Add(std::unique_ptr<InfFile> file);
    static bool Remove(void* handle);
    // The open file, or nullptr. The model is not changed after open, so readers need no lock.
    static const InfFile* Find(const void* handle);
};

} // namespace winsim
