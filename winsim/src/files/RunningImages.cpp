#include "RunningImages.h"

#include <functional>

#include "NameCase.h"
#include "PathResolver.h"
#include "core/Runtime.h"
#include "processes/ProcessTable.h"

namespace winsim
{

namespace
{

bool AnyRunningImage(Runtime& runtime, const std::function<bool(const std::string&)>& matches)
{
    for (const ProcessRow& row : ProcessTable::Of(runtime).Running())
    {
        std::string full;
        if (PathResolver::Normalize(row.image, "C:\\", full) && matches(NameCase::Upper(full)))
            return true;
    }
    return false;
}

} // namespace

bool RunningImages::IsImage(Runtime& runtime, const std::string& upath)
{
    return AnyRunningImage(runtime, [&upath](const std::string& image) { return image == upath; });
}

bool RunningImages::AnyBelow(Runtime& runtime, const std::string& folderUpath)
{
    const std::string prefix = folderUpath + "\\";
    return AnyRunningImage(runtime, [&prefix](const std::string& image)
                           { return image.compare(0, prefix.size(), prefix) == 0; });
}

} // namespace winsim
