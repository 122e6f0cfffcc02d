#include "InfReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "resources/CodePage.h"
#include "windows.h"
#include "setupapi.h"

namespace winsim
{

namespace
{

constexpr size_t kMaxSectionName = 255;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// The fields of one logical line being collected. A field that is one run of the file text (most are)
// is only remembered by where it lies; the others are put together in a buffer reused from line to line.
struct LineBuilder
{
    std::string text;
    std::vector<InfModel::Span> spans{InfModel::Span{}};
    const char* base = nullptr; // the file text
    uint32_t start = 0;         // where the current field begins in text once it is not a run
    uint32_t keep = 0;          // its length up to its last quoted or non-blank character
    bool hasKey = false;
    bool any = false; // anything but blanks seen
    bool contiguous = true;
    const char* runStart = nullptr;
    const char* runEnd = nullptr;

    uint32_t Length() const
    {
        return contiguous ? static_cast<uint32_t>(runEnd - runStart) : static_cast<uint32_t>(text.size()) - start;
    }
    // The field can no longer be a run of the file text: copy what it has so far.
    void Materialize()
    {
        if (!contiguous)
            return;
        if (runStart)
            text.append(runStart, runEnd);
        contiguous = false;
    }
    void Append(char c, bool quoted)
    {
        if (!quoted && Length() == 0 && IsBlank(c))
            return; // leading blanks of a field
        Materialize();
        text += c;
        if (quoted || !IsBlank(c))
            keep = Length();
        any = true;
    }
    // Quoted text: kept as it is, blanks included.
    void AppendQuoted(const char* from, const char* to)
    {
        Materialize();
        text.append(from, to);
        keep = Length();
        any = true;
    }
    // A run of ordinary characters, none of them special to the line syntax.
    void AppendRun(const char* from, const char* to)
    {
        if (Length() == 0)
            while (from < to && IsBlank(*from))
                ++from;
        if (from == to)
            return;
        if (contiguous && !runStart)
        {
            runStart = from;
            runEnd = to;
        }
        else if (contiguous && from == runEnd)
            runEnd = to;
        else
        {
            Materialize();
            text.append(from, to);
        }
        const char* last = to;
        while (last > from && IsBlank(last[-1]))
            --last;
        if (last > from)
            keep = Length() - static_cast<uint32_t>(to - last);
        any = true;
    }
    InfModel::Span Close()
    {
        InfModel::Span span;
        if (contiguous)
            span = runStart ? InfModel::Span{static_cast<uint32_t>(runStart - base), keep, true} : InfModel::Span{};
        else
        {
            text.resize(start + keep);
            span = InfModel::Span{start, keep, false};
        }
        start = static_cast<uint32_t>(text.size());
        keep = 0;
        contiguous = true;
        runStart = runEnd = nullptr;
        return span;
    }
    void EndField() { spans.push_back(Close()); }
    void EndKey()
    {
        spans[0] = Close();
        hasKey = true;
    }
    void Reset()
    {
        text.clear();
        spans.assign(1, InfModel::Span{});
        start = 0;
        keep = 0;
        hasKey = false;
        any = false;
        contiguous = true;
        runStart = runEnd = nullptr;
    }
};

// The characters that end a run of plain field text.
struct SpecialTable
{
    bool special[256] = {};
    SpecialTable()
    {
        for (unsigned char c : {'\n', ';', '"', '\\', '=', ',', '\x1a'})
            special[c] = true;
    }
};
const SpecialTable kSpecial;

bool IsSpecial(char c)
{
    return kSpecial.special[static_cast<unsigned char>(c)];
}

} // namespace

bool InfReader::LoadHostFile(const std::string& hostPath, std::string& bytes)
{
    const int fd = open(hostPath.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0;
    if (ok)
    {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < bytes.size())
        {
            const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
            if (got <= 0)
                break;
            done += static_cast<size_t>(got);
        }
        bytes.resize(done);
    }
    close(fd);
    return ok;
}

namespace
{

// Unicode text in the machine's ANSI code page; most INFs are plain ASCII, which needs no conversion.
std::string ToAnsi(const std::u16string& text, uint32_t codePage)
{
    std::string ansi(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] >= 0x80)
            return CodePage::FromUtf16(text, codePage);
        ansi[i] = static_cast<char>(text[i]);
    }
    return ansi;
}

} // namespace

bool InfReader::Read(std::string bytes, uint32_t codePage, InfModel& model, uint32_t& error, uint32_t& errorLine)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
    {
        std::u16string wide((bytes.size() - 2) / 2, u'\0');
        for (size_t i = 0; i < wide.size(); ++i)
            wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                            (static_cast<unsigned char>(bytes[3 + 2 * i]) << 8));
        return Parse(model.AdoptSource(ToAnsi(wide, codePage)), model, error, errorLine);
    }
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    {
        // UTF-8 with a byte-order mark: read as Unicode, handed out in the machine's ANSI code page.
        bytes.erase(0, 3);
        return Parse(model.AdoptSource(ToAnsi(CodePage::FromUtf8(bytes), codePage)), model, error, errorLine);
    }
    return Parse(model.AdoptSource(std::move(bytes)), model, error, errorLine);
}

bool InfReader::Parse(const std::string& text, InfModel& model, uint32_t& error, uint32_t& errorLine)
{
    const char* p = text.data();
    const char* end = p + text.size();
    uint32_t line = 1;
    uint32_t lineStart = 1; // the line a logical line (with continuations) began on
    uint32_t section = InfModel::kNone;
    LineBuilder builder;

    auto fail = [&](uint32_t code, uint32_t at)
    {
        error = code;
        errorLine = at;
        return false;
    };
    auto finishLine = [&]() -> bool
    {
        if (builder.any || builder.hasKey || builder.spans.size() > 1)
        {
            if (section == InfModel::kNone)
                return fail(ERROR_EXPECTED_SECTION_NAME, lineStart);
            builder.EndField();
            if (!builder.hasKey && builder.spans.size() == 2)
            {
                // One field and no key: the field is the key as well.
                builder.spans[0] = builder.spans[1];
                builder.hasKey = true;
            }
            model.AddLine(section, lineStart, builder.hasKey, builder.text, builder.spans);
        }
        builder.Reset();
        return true;
    };
    model.Reserve(text.size());
    builder.base = text.data();

    while (p < end)
    {
        // Start of a logical line.
        while (p < end && IsBlank(*p))
            ++p;
        if (p >= end || *p == '\x1a')
            break;
        if (*p == '\n')
        {
            ++p;
            ++line;
            continue;
        }
        if (*p == ';')
        {
            while (p < end && *p != '\n')
                ++p;
            continue;
        }
        if (*p == '[')
        {
            const char* name = ++p;
            while (p < end && *p != ']' && *p != '\n')
                ++p;
            if (p >= end || *p != ']')
                return fail(ERROR_BAD_SECTION_NAME_LINE, line);
            if (static_cast<size_t>(p - name) > kMaxSectionName)
                return fail(ERROR_SECTION_NAME_TOO_LONG, line);
            section = model.AddSection(std::string_view(name, p - name));
            // The rest of a section line is ignored.
            while (p < end && *p != '\n')
                ++p;
            continue;
        }

        lineStart = line;
        bool done = false;
        while (!done)
        {
            if (p >= end || *p == '\n' || *p == ';' || *p == '\x1a')
            {
                if (p < end && *p == ';')
                    while (p < end && *p != '\n')
                        ++p;
                done = true;
                break;
            }
            const char c = *p;
            if (c == '"')
            {
                ++p;
                for (;;)
                {
                    if (p >= end || *p == '\n')
                        return fail(ERROR_GENERAL_SYNTAX, line);
                    if (*p == '"')
                    {
                        if (p + 1 < end && p[1] == '"')
                        {
                            builder.Append('"', true);
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    // Up to the next quote or line end in one piece.
                    const char* run = p;
                    while (p < end && *p != '"' && *p != '\n')
                        ++p;
                    builder.AppendQuoted(run, p);
                }
                // An empty quoted field still counts as written.
                builder.any = true;
                builder.keep = builder.Length();
                continue;
            }
            if (c == '\\')
            {
                // A backslash followed only by blanks (or a comment) continues the line.
                const char* q = p + 1;
                while (q < end && IsBlank(*q))
                    ++q;
                if (q >= end || *q == '\n' || *q == ';')
                {
                    while (q < end && *q != '\n')
                        ++q;
                    if (q < end)
                    {
                        ++q;
                        ++line;
                    }
                    p = q;
                    continue;
                }
                builder.Append(c, false);
                ++p;
                continue;
            }
            if (c == '=' && !builder.hasKey && builder.spans.size() == 1)
            {
                builder.EndKey();
                ++p;
                continue;
            }
            if (c == ',')
            {
                builder.EndField();
                ++p;
                continue;
            }
            if (c == '=')
            {
                builder.Append(c, false);
                ++p;
                continue;
            }
            const char* run = p;
            while (p < end && !IsSpecial(*p))
                ++p;
            builder.AppendRun(run, p);
        }
        if (!finishLine())
            return false;
    }
    model.Finish();
    error = 0;
    errorLine = 0;
    return true;
}

} // namespace winsim
