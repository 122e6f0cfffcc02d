// Machine control entry point for write-protected folders, declared in winsim/winsim.h.
#include "WriteProtection.h"
#include "core/Runtime.h"
#include "winsim/winsim.h"

namespace winsim
{

bool SetFolderWriteProtected(const std::string& windowsPath, bool writeProtected)
{
    Runtime* rt = Runtime::Current();
    return rt && WriteProtection::Change(*rt, windowsPath, writeProtected);
}

} // namespace winsim
