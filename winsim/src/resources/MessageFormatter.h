// Expands a message text as FormatMessage does. Escapes: %0 ends the message without its line break,
// %n a hard line break (CR LF), %r a bare CR, %t a tab, "% ", "%.", "%!" and "%%" the character itself.
// Inserts %1 to %99, each with an optional printf format between exclamation marks (!s! when none), take
// their values from an array (FORMAT_MESSAGE_ARGUMENT_ARRAY) or a va_list, one pointer-sized value each;
// FORMAT_MESSAGE_IGNORE_INSERTS copies them unchanged. The line breaks of the text itself stay unless the
// width is FORMAT_MESSAGE_MAX_WIDTH_MASK, which turns each into a blank; other widths do not wrap here.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

class MessageFormatter
{
public:
    MessageFormatter(uint32_t flags, const uintptr_t* array, va_list* list);

    // False, with the Win32 error, for an insert without a value or a format it cannot apply.
    bool Format(const std::string& text, std::string& out, uint32_t& error);

private:
    bool Argument(unsigned number, uintptr_t& value);
    static bool Supported(const std::string& format);
    static std::string Apply(const std::string& format, uintptr_t value);

    uint32_t m_flags;
    const uintptr_t* m_array;
    va_list* m_list;
    std::vector<uintptr_t> m_taken; // values read from the va_list so far, in order
};

} // namespace winsim
