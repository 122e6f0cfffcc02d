#include "StringBlock.h"

namespace winsim
{

namespace
{

uint16_t WordAt(const uint8_t* data, size_t at)
{
    return static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
}

} // namespace

bool StringBlock::Read(const uint8_t* data, uint32_t size, uint16_t stringId, std::u16string& text)
{
    size_t at = 0;
    for (unsigned index = 0;; ++index)
    {
        if (at + 2 > size)
            return false;
        const size_t length = WordAt(data, at);
        at += 2;
        if (at + length * 2 > size)
            return false;
        if (index == (stringId & 15u))
        {
            text.clear();
            for (size_t i = 0; i < length; ++i)
                text += static_cast<char16_t>(WordAt(data, at + i * 2));
            return true;
        }
        at += length * 2;
    }
}

std::vector<uint8_t> StringBlock::Build(const std::map<unsigned, std::u16string>& entries)
{
    std::vector<uint8_t> block;
    auto word = [&block](uint16_t value)
    {
        block.push_back(static_cast<uint8_t>(value & 0xFF));
        block.push_back(static_cast<uint8_t>(value >> 8));
    };
    for (unsigned index = 0; index < 16; ++index)
    {
        auto found = entries.find(index);
        const std::u16string text = found == entries.end() ? std::u16string() : found->second;
        word(static_cast<uint16_t>(text.size()));
        for (char16_t c : text)
            word(static_cast<uint16_t>(c));
    }
    return block;
}

} // namespace winsim
