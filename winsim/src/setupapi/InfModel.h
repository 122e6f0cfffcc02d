// A parsed INF file: its sections (duplicates merged in file order), their lines and fields, and the
// string table used for %strkey% substitution. Lookups go through hash maps built once at open; the field
// text lives in one pool so that a large INF costs few allocations.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace winsim
{

class InfModel
{
public:
    struct Field
    {
        uint32_t offset = 0;
        uint32_t length = 0;
        bool substitute = false; // holds a '%': strings are replaced when it is read
        bool inSource = false;   // a piece of the file text as it is (most fields), not of the pool
    };
    struct Line
    {
        uint32_t firstField = 0; // field 0 is the key (empty when there is none)
        uint32_t fieldCount = 0; // without the key
        uint32_t sourceLine = 0;
        bool hasKey = false;
    };
    struct Section
    {
        std::string name;
        uint32_t first = 0; // its lines are m_sectionLines[first, first + count), in file order
        uint32_t count = 0;
    };

    // Building (InfReader).
    uint32_t AddSection(std::string_view name);
    struct Span
    {
        uint32_t offset = 0;
        uint32_t length = 0;
        bool inSource = false; // offset is into the file text, not the line's text
    };
    // Keeps the file text: fields that are a piece of it as written are not copied.
    const std::string& AdoptSource(std::string text);
    // Room for a text of this size, so that the tables grow once.
    void Reserve(size_t textSize);
    // spans[0] is the key (empty when hasKey is false); each span is a piece of text.
    void AddLine(uint32_t section, uint32_t sourceLine, bool hasKey, std::string_view text,
                 const std::vector<Span>& spans);
    // Groups the lines by section once all are read (duplicate sections merged in file order).
    void Finish();
    // Builds the string table from [Strings] and the [Strings.LLLL] of a language, which wins.
    void BuildStrings(uint16_t language);
    // The folder a directory id (%10%, %12%, %16422%) stands for; false for an id it does not know, which
    // then stays as written. Without one, no directory id is replaced.
    typedef std::function<bool(long dirId, std::string& folder)> DirIdResolver;
    void SetDirIdResolver(DirIdResolver resolver) { m_dirIds = std::move(resolver); }

    // Reading.
    static constexpr uint32_t kNone = 0xFFFFFFFFu;
    uint32_t FindSection(std::string_view name) const;
    size_t SectionCount() const { return m_sections.size(); }
    const Section& SectionAt(uint32_t index) const { return m_sections[index]; }
    uint32_t LineCount(uint32_t section) const { return m_sections[section].count; }
    const Line& LineAt(uint32_t section, uint32_t line) const
    {
        return m_lines[m_sectionLines[m_sections[section].first + line]];
    }
    // The raw text of a field (0: the key); field must exist.
    std::string_view RawField(const Line& line, uint32_t field) const;
    // The text of a field with %strkey% and %% replaced.
    std::string FieldText(const Line& line, uint32_t field) const;
    // The same without a copy when there is nothing to replace; scratch holds a replaced text.
    std::string_view FieldView(const Line& line, uint32_t field, std::string& scratch) const;
    // A text with %strkey%, %% and %dirid% replaced. A string's value is taken as written: a directory id
    // inside it stays.
    std::string Substitute(std::string_view text) const;
    // The value of a string key, or nullptr.
    const std::string* StringValue(std::string_view key) const;
    // The first line at or after start in a section whose key (with strings replaced) is the given one,
    // without regard to case; kNone when there is none. Each section's keys are indexed on first use, so a
    // walk that looks up every file of a large [SourceDisksFiles] stays linear.
    uint32_t FindKeyLine(uint32_t section, std::string_view key, uint32_t start) const;

    static std::string Upper(std::string_view text);

    // Case-insensitive keys, looked up by string_view without building an upper-case copy.
    struct NoCaseHash
    {
        using is_transparent = void;
        size_t operator()(std::string_view text) const;
    };
    struct NoCaseEqual
    {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

private:
    typedef std::unordered_map<std::string, std::vector<uint32_t>, NoCaseHash, NoCaseEqual> KeyIndex;
    const KeyIndex& KeysOf(uint32_t section) const;

    std::string m_source;
    std::string m_pool;
    std::vector<Field> m_fields;
    std::vector<Line> m_lines;
    std::vector<uint32_t> m_lineSection;  // the section of each line, while reading
    std::vector<uint32_t> m_sectionLines; // line indexes grouped by section
    std::vector<Section> m_sections;
    std::unordered_map<std::string, uint32_t, NoCaseHash, NoCaseEqual> m_sectionIndex;
    std::unordered_map<std::string, std::string, NoCaseHash, NoCaseEqual> m_strings;
    DirIdResolver m_dirIds;
    // Built on first use, per section; an INF handle may be read from several threads.
    mutable std::mutex m_keyIndexMutex;
    mutable std::vector<std::unique_ptr<KeyIndex>> m_keyIndexes;
};

} // namespace winsim
