// The text of an INI file, read and edited as the profile functions do. Lookups ignore case and the blanks
// around names and values; the first section of a name, and the first key of a name in it, count. Edits
// change only the lines they concern and leave every other byte of the file as it was; new lines end in
// CR LF.
#pragma once

#include <string>
#include <vector>

namespace winsim
{

class ProfileText
{
public:
    explicit ProfileText(std::string text);

    const std::string& Text() const { return m_text; }

    // Every section header's name, in file order.
    std::vector<std::string> SectionNames() const;
    bool HasSection(const std::string& section) const;
    // Names of the keys of a section that have a value (comments and lines without '=' left out).
    std::vector<std::string> KeyNames(const std::string& section) const;
    // A section's lines as GetPrivateProfileSectionA returns them: "key=value", or the trimmed line.
    std::vector<std::string> SectionLines(const std::string& section) const;
    // False when the section, the key or its '=' is missing.
    bool GetValue(const std::string& section, const std::string& key, std::string& value) const;

    // Edits; each returns whether the text changed.
    bool SetValue(const std::string& section, const std::string& key, const std::string& value);
    bool DeleteKey(const std::string& section, const std::string& key);
    bool DeleteSection(const std::string& section);
    bool ReplaceSection(const std::string& section, const std::vector<std::string>& lines);

    // Blanks as INI files know them: white space, CR and the DOS end-of-file mark.
    static std::string Trim(const std::string& text);

private:
    struct Line
    {
        size_t start;
        size_t end;  // end of the content, before CR LF or LF
        size_t next; // start of the next line
        bool header;
        bool hasValue;
        std::string name;
        std::string value;
    };

    void Parse();
    int FindSection(const std::string& section) const;
    // Index of the line after a section's last line (the next header, or the line count).
    size_t SectionEnd(size_t header) const;
    int FindKey(size_t header, const std::string& key) const;
    // The last line of a section that is not blank (the header itself when the section is empty).
    size_t LastContentLine(size_t header) const;
    // Text inserted after a line: starts a new line first when that line has no line end.
    std::string AfterLine(size_t line, const std::string& text) const;
    void Splice(size_t from, size_t to, const std::string& replacement);
    void AppendSection(const std::string& section, const std::string& body);

    std::string m_text;
    std::vector<Line> m_lines;
};

} // namespace winsim
