// The version resource of an image descriptor, laid out as Windows NT hands it to GetFileVersionInfoA: a
// VS_VERSIONINFO block of UTF-16 nodes (VS_FIXEDFILEINFO, StringFileInfo with one table per translation,
// VarFileInfo\Translation). Fields "040704e4.FileVersion=..." belong to that translation, plain ones to
// 040904b0 (US English, Unicode). The fixed part takes FileVersion and ProductVersion ("a.b.c.d") from the
// plain fields, or else from the first translation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

struct ImageDescriptor;

class VersionBlock
{
public:
    // The block (ANSI field values read in codePage); empty when the image has no version fields.
    static std::vector<uint8_t> Build(const ImageDescriptor& image, uint32_t codePage);

    // VerQueryValueA on a block of blockLength bytes followed by its ANSI area (as long again, plus the
    // 4-byte signature): the value of a path such as "\", "\VarFileInfo\Translation" or
    // "\StringFileInfo\040904b0\FileVersion" (names compare without regard to case). A text value is
    // converted to codePage into the ANSI area, at the node's offset; its length counts the null. False when
    // the path names no node.
    static bool Query(uint8_t* block, const std::string& path, uint32_t codePage, void*& value, uint32_t& length);
};

} // namespace winsim
