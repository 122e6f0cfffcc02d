#include "ResourceLanguages.h"

#include <algorithm>

#include "windows.h"

namespace winsim
{

ResourceLanguages ResourceLanguages::For(uint16_t requested, uint16_t uiLanguage)
{
    ResourceLanguages result;
    auto push = [&result](uint16_t language)
    {
        if (std::find(result.order.begin(), result.order.end(), language) == result.order.end())
            result.order.push_back(language);
    };
    push(requested);
    push(MAKELANGID(PRIMARYLANGID(requested), SUBLANG_NEUTRAL));
    push(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (PRIMARYLANGID(requested) == LANG_NEUTRAL)
    {
        push(uiLanguage);
        push(MAKELANGID(PRIMARYLANGID(uiLanguage), SUBLANG_NEUTRAL));
        push(MAKELANGID(PRIMARYLANGID(uiLanguage), SUBLANG_DEFAULT));
        push(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        push(MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL));
        result.anyLanguage = true;
    }
    return result;
}

} // namespace winsim
