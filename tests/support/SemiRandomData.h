// Test data that compresses the way program files do.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

// Bytes that MSZIP shrinks to about half: runs of 32 random bytes, every other one a repeat of a run from
// the last 4 KB. The same seed gives the same bytes.
inline std::string SemiRandomData(size_t size, uint32_t seed)
{
    std::string data(size, '\0');
    uint32_t state = seed * 2654435761u + 1;
    const auto next = [&state]
    {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    for (size_t at = 0; at < size; at += 32)
    {
        const size_t run = std::min<size_t>(32, size - at);
        const size_t from = at >= 4096 && (next() & 1) ? at - 32 * (1 + next() % 127) : at;
        for (size_t i = 0; i < run; ++i)
            data[at + i] = from != at ? data[from + i] : static_cast<char>(next());
    }
    return data;
}
