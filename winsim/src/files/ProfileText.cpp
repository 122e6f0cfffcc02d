#include "ProfileText.h"

#include "NameCase.h"

namespace winsim
{

namespace
{

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

bool IsComment(const std::string& name)
{
    return !name.empty() && name[0] == ';';
}

} // namespace

ProfileText::ProfileText(std::string text) : m_text(std::move(text))
{
    Parse();
}

std::string ProfileText::Trim(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

void ProfileText::Parse()
{
    m_lines.clear();
    size_t position = 0;
    while (position < m_text.size())
    {
        size_t newline = m_text.find('\n', position);
        Line line{};
        line.start = position;
        line.next = newline == std::string::npos ? m_text.size() : newline + 1;
        line.end = newline == std::string::npos ? m_text.size() : newline;
        if (line.end > line.start && m_text[line.end - 1] == '\r' && newline != std::string::npos)
            --line.end;
        const std::string content = Trim(m_text.substr(line.start, line.end - line.start));
        size_t close = content.rfind(']');
        size_t equals = content.find('=');
        if (!content.empty() && content[0] == '[' && close != std::string::npos)
        {
            line.header = true;
            line.name = content.substr(1, close - 1);
        }
        else if (equals != std::string::npos)
        {
            line.hasValue = true;
            line.name = Trim(content.substr(0, equals));
            line.value = Trim(content.substr(equals + 1));
        }
        else
            line.name = content;
        m_lines.push_back(line);
        position = line.next;
    }
}

int ProfileText::FindSection(const std::string& section) const
{
    const std::string wanted = Trim(section);
    for (size_t i = 0; i < m_lines.size(); ++i)
    {
        if (m_lines[i].header && !m_lines[i].name.empty() && NameCase::Equal(m_lines[i].name, wanted))
            return static_cast<int>(i);
    }
    return -1;
}

size_t ProfileText::SectionEnd(size_t header) const
{
    size_t i = header + 1;
    while (i < m_lines.size() && !m_lines[i].header)
        ++i;
    return i;
}

int ProfileText::FindKey(size_t header, const std::string& key) const
{
    const std::string wanted = Trim(key);
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
    {
        if (!m_lines[i].name.empty() && NameCase::Equal(m_lines[i].name, wanted))
            return static_cast<int>(i);
    }
    return -1;
}

size_t ProfileText::LastContentLine(size_t header) const
{
    size_t last = header;
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
    {
        if (!m_lines[i].name.empty() || m_lines[i].hasValue)
            last = i;
    }
    return last;
}

std::vector<std::string> ProfileText::SectionNames() const
{
    std::vector<std::string> names;
    for (const Line& line : m_lines)
    {
        if (line.header && !line.name.empty())
            names.push_back(line.name);
    }
    return names;
}

bool ProfileText::HasSection(const std::string& section) const
{
    return FindSection(section) >= 0;
}

std::vector<std::string> ProfileText::KeyNames(const std::string& section) const
{
    std::vector<std::string> names;
    int header = FindSection(section);
    if (header < 0)
        return names;
    for (size_t i = header + 1; i < SectionEnd(header); ++i)
    {
        const Line& line = m_lines[i];
        if (line.hasValue && !line.name.empty() && !IsComment(line.name))
            names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> ProfileText::SectionLines(const std::string& section) const
{
    std::vector<std::string> lines;
    int header = FindSection(section);
    if (header < 0)
        return lines;
    for (size_t i = header + 1; i < SectionEnd(header); ++i)
    {
        const Line& line = m_lines[i];
        if (line.name.empty() || IsComment(line.name))
            continue;
        lines.push_back(line.hasValue ? line.name + "=" + line.value : line.name);
    }
    return lines;
}

bool ProfileText::GetValue(const std::string& section, const std::string& key, std::string& value) const
{
    int header = FindSection(section);
    int found = header < 0 ? -1 : FindKey(header, key);
    if (found < 0 || !m_lines[found].hasValue)
        return false;
    value = m_lines[found].value;
    return true;
}

std::string ProfileText::AfterLine(size_t line, const std::string& text) const
{
    return m_lines[line].next > m_lines[line].end ? text : "\r\n" + text;
}

void ProfileText::Splice(size_t from, size_t to, const std::string& replacement)
{
    m_text.replace(from, to - from, replacement);
    Parse();
}

void ProfileText::AppendSection(const std::string& section, const std::string& body)
{
    std::string prefix = !m_text.empty() && m_text.back() != '\n' ? "\r\n" : "";
    Splice(m_text.size(), m_text.size(), prefix + "[" + section + "]\r\n" + body);
}

bool ProfileText::SetValue(const std::string& section, const std::string& key, const std::string& value)
{
    size_t first = 0;
    while (first < value.size() && IsBlank(value[first]))
        ++first;
    const std::string text = value.substr(first);
    const std::string name = Trim(key);
    int header = FindSection(section);
    if (header < 0)
    {
        AppendSection(Trim(section), name + "=" + text + "\r\n");
        return true;
    }
    int found = FindKey(header, key);
    if (found >= 0)
    {
        const Line& line = m_lines[found];
        if (line.hasValue && line.value == text)
            return false;
        Splice(line.start, line.end, line.name + "=" + text);
        return true;
    }
    const size_t anchor = LastContentLine(header);
    Splice(m_lines[anchor].next, m_lines[anchor].next, AfterLine(anchor, name + "=" + text + "\r\n"));
    return true;
}

bool ProfileText::DeleteKey(const std::string& section, const std::string& key)
{
    int header = FindSection(section);
    int found = header < 0 ? -1 : FindKey(header, key);
    if (found < 0)
        return false;
    Splice(m_lines[found].start, m_lines[found].next, "");
    return true;
}

bool ProfileText::DeleteSection(const std::string& section)
{
    int header = FindSection(section);
    if (header < 0)
        return false;
    const size_t end = SectionEnd(header);
    Splice(m_lines[header].start, end < m_lines.size() ? m_lines[end].start : m_text.size(), "");
    return true;
}

bool ProfileText::ReplaceSection(const std::string& section, const std::vector<std::string>& lines)
{
    std::string body;
    for (const std::string& line : lines)
        body += line + "\r\n";
    int header = FindSection(section);
    if (header < 0)
    {
        AppendSection(Trim(section), body);
        return true;
    }
    // Blank lines after the last key stay, so that the gap before the next section does too.
    const size_t last = LastContentLine(header);
    const size_t from = m_lines[header].next;
    if (last == static_cast<size_t>(header))
    {
        Splice(from, from, AfterLine(header, body));
        return true;
    }
    const std::string old = m_text.substr(from, m_lines[last].next - from);
    const bool keepsLineEnd = m_lines[last].next > m_lines[last].end || body.empty();
    const std::string replacement = keepsLineEnd ? body : body.substr(0, body.size() - 2);
    if (old == replacement)
        return false;
    Splice(from, m_lines[last].next, replacement);
    return true;
}

} // namespace winsim
