// A compiled dialog template (RT_DIALOG) as the dialog manager reads it: DLGTEMPLATE or DLGTEMPLATEEX, the
// menu, class, title and font, then each item's style, place in dialog units, id, class (a name or one of
// the predefined atoms) and text (or a resource ordinal). Every read checks the resource's size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

struct DialogItem
{
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    int id = 0;
    std::string className;
    std::string text;
    int textOrdinal = -1; // a resource id given instead of a text (an icon's, a bitmap's)
};

struct DialogTemplate
{
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    std::string className; // empty: the dialog class
    std::string title;
    int pointSize = 0;
    std::string fontName;
    std::vector<DialogItem> items;

    // False for a template that is cut short or malformed.
    static bool Parse(const uint8_t* data, size_t size, DialogTemplate& dialog);
};

} // namespace winsim
