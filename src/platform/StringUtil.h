// String helpers used throughout: ANSI upper case, trimming, case-insensitive search, bounded formatting.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

// Upper case in the ANSI code page (ASCII and the Latin-1 letters of code page 1252), as the platform's
// own case-insensitive comparisons of file names and hardware IDs treat them.
char ToUpperAnsi(char c);
std::string ToUpper(const std::string& text);
void MakeUpper(std::string& text);
bool EqualsNoCase(const std::string& a, const std::string& b);

// Removes blanks, tabs, carriage returns and line feeds from both ends.
std::string Trim(const std::string& text);

// Position of `what` in `text` ignoring case, or std::string::npos.
size_t FindNoCase(const std::string& text, const std::string& what, size_t start = 0);

// printf into a fixed buffer of `size` characters: output that does not fit is cut off, never overflows.
// Returns the number of characters stored (without the terminator).
size_t FormatBounded(char* buffer, size_t size, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
size_t FormatBoundedV(char* buffer, size_t size, const char* format, va_list args)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 0)))
#endif
    ;

// printf into a std::string.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
