#include "InfModel.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace winsim
{

std::string InfModel::Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

size_t InfModel::NoCaseHash::operator()(std::string_view text) const
{
    // FNV-1a over the upper-case bytes.
    size_t hash = 1469598103934665603ull;
    for (char c : text)
    {
        const unsigned char u = static_cast<unsigned char>(c);
        hash = (hash ^ (u >= 'a' && u <= 'z' ? u - 32 : u)) * 1099511628211ull;
    }
    return hash;
}

bool InfModel::NoCaseEqual::operator()(std::string_view a, std::string_view b) const
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && (x >= 'a' && x <= 'z' ? x - 32 : x) != (y >= 'a' && y <= 'z' ? y - 32 : y))
            return false;
    }
    return true;
}

uint32_t InfModel::AddSection(std::string_view name)
{
    auto it = m_sectionIndex.find(name);
    if (it != m_sectionIndex.end())
        return it->second;
    const uint32_t index = static_cast<uint32_t>(m_sections.size());
    m_sectionIndex.emplace(std::string(name), index);
    m_sections.push_back(Section{std::string(name), {}});
    return index;
}

const std::string& InfModel::AdoptSource(std::string text)
{
    m_source = std::move(text);
    return m_source;
}

void InfModel::Reserve(size_t textSize)
{
    m_pool.reserve(textSize / 8);
    m_fields.reserve(textSize / 12);
    m_lines.reserve(textSize / 48);
    m_lineSection.reserve(textSize / 48);
    // Driver INFs hold a section every few hundred bytes; the index then never rehashes while reading.
    m_sections.reserve(textSize / 256);
    m_sectionIndex.reserve(textSize / 256);
}

void InfModel::AddLine(uint32_t section, uint32_t sourceLine, bool hasKey, std::string_view text,
                       const std::vector<Span>& spans)
{
    Line line;
    line.firstField = static_cast<uint32_t>(m_fields.size());
    line.hasKey = hasKey;
    line.sourceLine = sourceLine;
    line.fieldCount = static_cast<uint32_t>(spans.size()) - 1;
    for (const Span& span : spans)
    {
        Field field;
        field.length = span.length;
        field.inSource = span.inSource;
        std::string_view piece;
        if (span.inSource)
        {
            field.offset = span.offset;
            piece = std::string_view(m_source).substr(span.offset, span.length);
        }
        else
        {
            field.offset = static_cast<uint32_t>(m_pool.size());
            piece = text.substr(span.offset, span.length);
            m_pool.append(piece);
        }
        field.substitute = piece.find('%') != std::string_view::npos;
        m_fields.push_back(field);
    }
    ++m_sections[section].count;
    m_lineSection.push_back(section);
    m_lines.push_back(line);
}

void InfModel::Finish()
{
    // A counting sort: stable, so merged sections keep file order.
    uint32_t next = 0;
    for (Section& section : m_sections)
    {
        section.first = next;
        next += section.count;
    }
    std::vector<uint32_t> fill(m_sections.size());
    for (size_t i = 0; i < m_sections.size(); ++i)
        fill[i] = m_sections[i].first;
    m_sectionLines.resize(m_lines.size());
    for (uint32_t line = 0; line < m_lineSection.size(); ++line)
        m_sectionLines[fill[m_lineSection[line]]++] = line;
    m_lineSection.clear();
    m_lineSection.shrink_to_fit();
}

void InfModel::BuildStrings(uint16_t language)
{
    auto load = [this](const char* name)
    {
        const uint32_t section = FindSection(name);
        if (section == kNone)
            return;
        for (uint32_t index = 0; index < m_sections[section].count; ++index)
        {
            const Line& line = LineAt(section, index);
            if (!line.hasKey || line.fieldCount < 1)
                continue;
            // Later lines of the same key win, as they overwrite earlier ones.
            const std::string_view key = RawField(line, 0);
            auto it = m_strings.find(key);
            if (it == m_strings.end())
                m_strings.emplace(std::string(key), std::string(RawField(line, 1)));
            else
                it->second = std::string(RawField(line, 1));
        }
    };
    load("Strings");
    char localized[16];
    std::snprintf(localized, sizeof(localized), "Strings.%04x", language);
    load(localized);
}

uint32_t InfModel::FindSection(std::string_view name) const
{
    auto it = m_sectionIndex.find(name);
    return it == m_sectionIndex.end() ? kNone : it->second;
}

std::string_view InfModel::RawField(const Line& line, uint32_t field) const
{
    const Field& f = m_fields[line.firstField + field];
    return std::string_view(f.inSource ? m_source : m_pool).substr(f.offset, f.length);
}

std::string InfModel::FieldText(const Line& line, uint32_t field) const
{
    const Field& f = m_fields[line.firstField + field];
    const std::string_view raw = RawField(line, field);
    return f.substitute ? Substitute(raw) : std::string(raw);
}

std::string_view InfModel::FieldView(const Line& line, uint32_t field, std::string& scratch) const
{
    const Field& f = m_fields[line.firstField + field];
    const std::string_view raw = RawField(line, field);
    if (!f.substitute)
        return raw;
    scratch = Substitute(raw);
    return scratch;
}

const std::string* InfModel::StringValue(std::string_view key) const
{
    auto it = m_strings.find(key);
    return it == m_strings.end() ? nullptr : &it->second;
}

namespace
{

// "%12%", "%-1%": a directory id is a whole decimal number.
bool ParseDirId(std::string_view key, long& dirId)
{
    size_t at = key.size() > 1 && key[0] == '-' ? 1 : 0;
    if (at == key.size() || key.size() - at > 10)
        return false;
    long value = 0;
    for (; at < key.size(); ++at)
    {
        if (key[at] < '0' || key[at] > '9')
            return false;
        value = value * 10 + (key[at] - '0');
    }
    dirId = key[0] == '-' ? -value : value;
    return true;
}

} // namespace

std::string InfModel::Substitute(std::string_view text) const
{
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    long dirId = 0;
    while (at < text.size())
    {
        const size_t open = text.find('%', at);
        if (open == std::string_view::npos)
        {
            out.append(text.substr(at));
            break;
        }
        out.append(text.substr(at, open - at));
        const size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos)
        {
            // A lone '%' stays as it is.
            out.append(text.substr(open));
            break;
        }
        const std::string_view key = text.substr(open + 1, close - open - 1);
        if (key.empty())
            out += '%';
        else if (const std::string* value = StringValue(key))
            out += *value;
        else if (std::string folder; m_dirIds && ParseDirId(key, dirId) && m_dirIds(dirId, folder))
            out += folder;
        else
            out.append(text.substr(open, close - open + 1)); // an unknown key is left with its percent signs
        at = close + 1;
    }
    return out;
}

const InfModel::KeyIndex& InfModel::KeysOf(uint32_t section) const
{
    std::lock_guard<std::mutex> lock(m_keyIndexMutex);
    if (m_keyIndexes.size() != m_sections.size())
        m_keyIndexes.resize(m_sections.size());
    std::unique_ptr<KeyIndex>& index = m_keyIndexes[section];
    if (!index)
    {
        index = std::make_unique<KeyIndex>();
        std::string scratch;
        for (uint32_t i = 0; i < m_sections[section].count; ++i)
        {
            const Line& line = LineAt(section, i);
            if (line.hasKey)
                (*index)[std::string(FieldView(line, 0, scratch))].push_back(i);
        }
    }
    return *index;
}

uint32_t InfModel::FindKeyLine(uint32_t section, std::string_view key, uint32_t start) const
{
    const KeyIndex& index = KeysOf(section);
    auto found = index.find(key);
    if (found == index.end())
        return kNone;
    auto line = std::lower_bound(found->second.begin(), found->second.end(), start);
    return line == found->second.end() ? kNone : *line;
}

} // namespace winsim
