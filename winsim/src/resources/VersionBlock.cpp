#include "VersionBlock.h"

#include <cctype>
#include <cstring>
#include <map>

#include "CodePage.h"
#include "images/ImageDescriptor.h"
#include "windows.h"

namespace winsim
{

namespace
{

constexpr const char* kPlainTranslation = "040904b0";

// One node of the block under construction: a key, a value (text or binary) and its children.
struct Node
{
    std::u16string key;
    bool text = true;
    std::vector<uint8_t> value;
    uint16_t valueLength = 0; // characters with the null for text, bytes for binary
    std::vector<Node> children;
};

void PutWord(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PadToDword(std::vector<uint8_t>& out)
{
    while (out.size() % 4)
        out.push_back(0);
}

void Write(const Node& node, std::vector<uint8_t>& out)
{
    const size_t start = out.size();
    PutWord(out, 0); // wLength, filled in below
    PutWord(out, node.valueLength);
    PutWord(out, node.text ? 1 : 0);
    for (char16_t c : node.key)
        PutWord(out, static_cast<uint16_t>(c));
    PutWord(out, 0);
    PadToDword(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node& child : node.children)
    {
        PadToDword(out);
        Write(child, out);
    }
    const size_t length = out.size() - start;
    out[start] = static_cast<uint8_t>(length & 0xFF);
    out[start + 1] = static_cast<uint8_t>(length >> 8);
}

Node TextNode(const std::string& key, const std::u16string& text)
{
    Node node;
    node.key = CodePage::FromUtf8(key);
    for (char16_t c : text)
        PutWord(node.value, static_cast<uint16_t>(c));
    PutWord(node.value, 0);
    node.valueLength = static_cast<uint16_t>(text.size() + 1);
    return node;
}

bool IsTranslation(const std::string& text)
{
    if (text.size() != 8)
        return false;
    for (char c : text)
    {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// "1.2.3.4" (or "1, 2, 3, 4"): the most and least significant DWORDs.
void ParseVersion(const std::string& text, uint32_t& ms, uint32_t& ls)
{
    uint32_t parts[4] = {0, 0, 0, 0};
    size_t at = 0;
    for (int part = 0; part < 4 && at < text.size(); ++part)
    {
        while (at < text.size() && text[at] == ' ')
            ++at;
        if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at])))
            break;
        uint32_t value = 0;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
            value = value * 10 + static_cast<uint32_t>(text[at++] - '0');
        parts[part] = value & 0xFFFF;
        while (at < text.size() && text[at] == ' ')
            ++at;
        if (at >= text.size() || (text[at] != '.' && text[at] != ','))
            break;
        ++at;
    }
    ms = (parts[0] << 16) | parts[1];
    ls = (parts[2] << 16) | parts[3];
}

// Reads the nodes of a built block.
struct View
{
    uint8_t* base;
    size_t at; // offset of the node in the block

    uint16_t Word(size_t offset) const
    {
        return static_cast<uint16_t>(base[at + offset] | (base[at + offset + 1] << 8));
    }
    uint16_t Length() const { return Word(0); }
    uint16_t ValueLength() const { return Word(2); }
    bool Text() const { return Word(4) == 1; }
    std::u16string Key() const
    {
        std::u16string key;
        for (size_t offset = 6; Word(offset) != 0 && offset < Length(); offset += 2)
            key += static_cast<char16_t>(Word(offset));
        return key;
    }
    size_t ValueOffset() const { return (at + 6 + (Key().size() + 1) * 2 + 3) & ~static_cast<size_t>(3); }
    size_t ValueSize() const { return Text() ? ValueLength() * 2u : ValueLength(); }
};

bool SameKey(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        char16_t x = a[i] < 0x80 ? static_cast<char16_t>(std::tolower(a[i])) : a[i];
        char16_t y = b[i] < 0x80 ? static_cast<char16_t>(std::tolower(b[i])) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

std::vector<uint8_t> VersionBlock::Build(const ImageDescriptor& image, uint32_t codePage)
{
    // Field values by translation, plain fields under the US English one.
    std::map<std::string, std::map<std::string, std::string>> tables;
    for (const auto& [name, value] : image.versionFields)
    {
        const size_t dot = name.find('.');
        if (dot != std::string::npos && IsTranslation(name.substr(0, dot)))
        {
            std::string translation = name.substr(0, dot);
            for (char& c : translation)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            tables[translation][name.substr(dot + 1)] = value;
        }
        else
            tables[kPlainTranslation][name] = value;
    }
    if (tables.empty())
        return {};
    std::vector<std::string> order;
    if (tables.count(kPlainTranslation))
        order.push_back(kPlainTranslation);
    for (const auto& [translation, fields] : tables)
    {
        if (translation != kPlainTranslation)
            order.push_back(translation);
    }

    auto field = [&](const char* name)
    {
        const auto& first = tables[order.front()];
        auto found = first.find(name);
        return found == first.end() ? std::string() : found->second;
    };
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    ParseVersion(field("FileVersion"), fixed.dwFileVersionMS, fixed.dwFileVersionLS);
    ParseVersion(field("ProductVersion"), fixed.dwProductVersionMS, fixed.dwProductVersionLS);
    fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    fixed.dwFileOS = VOS_NT_WINDOWS32;
    fixed.dwFileType = image.kind == "dll" ? VFT_DLL : VFT_APP;

    Node root;
    root.key = u"VS_VERSION_INFO";
    root.text = false;
    root.value.resize(sizeof(fixed));
    std::memcpy(root.value.data(), &fixed, sizeof(fixed));
    root.valueLength = sizeof(fixed);

    Node strings;
    strings.key = u"StringFileInfo";
    Node translations;
    translations.key = u"Translation";
    translations.text = false;
    for (const std::string& translation : order)
    {
        Node table;
        table.key = CodePage::FromUtf8(translation);
        for (const auto& [name, value] : tables[translation])
            table.children.push_back(TextNode(name, CodePage::ToUtf16(value, codePage)));
        strings.children.push_back(table);
        const uint32_t pair = static_cast<uint32_t>(std::stoul(translation, nullptr, 16));
        PutWord(translations.value, static_cast<uint16_t>(pair >> 16));
        PutWord(translations.value, static_cast<uint16_t>(pair & 0xFFFF));
    }
    translations.valueLength = static_cast<uint16_t>(translations.value.size());
    Node vars;
    vars.key = u"VarFileInfo";
    vars.children.push_back(translations);
    root.children.push_back(strings);
    root.children.push_back(vars);

    std::vector<uint8_t> block;
    Write(root, block);
    return block;
}

bool VersionBlock::Query(uint8_t* block, const std::string& path, uint32_t codePage, void*& value, uint32_t& length)
{
    View node{block, 0};
    size_t at = 0;
    while (at < path.size())
    {
        const size_t slash = path.find('\\', at);
        const std::string component = path.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
        at = slash == std::string::npos ? path.size() : slash + 1;
        if (component.empty())
            continue;
        const std::u16string wanted = CodePage::ToUtf16(component, codePage);
        const size_t end = node.at + node.Length();
        size_t child = (node.ValueOffset() + node.ValueSize() + 3) & ~static_cast<size_t>(3);
        bool found = false;
        while (child + 6 <= end)
        {
            View candidate{block, child};
            if (candidate.Length() == 0)
                break;
            if (SameKey(candidate.Key(), wanted))
            {
                node = candidate;
                found = true;
                break;
            }
            child = (child + candidate.Length() + 3) & ~static_cast<size_t>(3);
        }
        if (!found)
            return false;
    }
    const size_t offset = node.ValueOffset();
    value = block + offset;
    length = node.ValueLength();
    if (node.Text() && length > 0)
    {
        // The ANSI copy goes after the block and its signature, at the node's own offset: it is never
        // longer than the UTF-16 text, so copies of different nodes do not overlap.
        std::u16string text;
        for (size_t i = 0; i + 1 < length; ++i)
            text += static_cast<char16_t>(View{block, offset}.Word(i * 2));
        const std::string ansi = CodePage::FromUtf16(text, codePage);
        uint8_t* copy = block + View{block, 0}.Length() + 4 + offset;
        std::memcpy(copy, ansi.c_str(), ansi.size() + 1);
        value = copy;
        length = static_cast<uint32_t>(ansi.size() + 1);
    }
    return true;
}

} // namespace winsim
