// The languages FindResource tries, in order, for a requested language. A specific language is tried as
// itself, then with its sublanguage neutral, then language-neutral; nothing else. A neutral request (what
// FindResourceA and LoadStringA make) goes on with the machine's UI language, that language's primary
// language with a neutral and with the default sublanguage, then English (US) and neutral English, and
// finally takes whatever language the resource has.
#pragma once

#include <cstdint>
#include <vector>

namespace winsim
{

struct ResourceLanguages
{
    std::vector<uint16_t> order;
    bool anyLanguage = false; // nothing in order matched: take the resource's lowest language

    static ResourceLanguages For(uint16_t requested, uint16_t uiLanguage);
};

} // namespace winsim
