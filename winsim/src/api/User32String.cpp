// USER32 LoadStringA: a string of a module's string table, in the machine's ANSI code page. The program's
// string tables are compiled each from its language's code page, and the machine's ANSI code page is its
// language's, so the bytes that come out are those of the .rc source. The read-only-pointer form
// (cchBufferMax 0) belongs to LoadStringW; here it fails with ERROR_INVALID_PARAMETER, as XP returns 0.
#include <cstring>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "resources/CodePage.h"
#include "resources/ModuleResources.h"
#include "resources/ResourceLanguages.h"
#include "resources/StringBlock.h"
#include "windows.h"

using namespace winsim;

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    if (!lpBuffer || cchBufferMax <= 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    lpBuffer[0] = '\0';
    // Only the low word is the id, as on Windows.
    const uint16_t id = LOWORD(uID);
    uint32_t error = 0;
    const ResourceCatalog* catalog = ModuleResources::Of(*rt, reinterpret_cast<uintptr_t>(hInstance), error);
    const uint16_t uiLanguage = static_cast<uint16_t>(rt->Identity().uiLanguage);
    const ResourceLanguages languages = ResourceLanguages::For(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), uiLanguage);
    const ResourceEntry* block =
        catalog ? catalog->Find(ResourceId::Number(6), ResourceId::Number(StringBlock::BlockOf(id)), languages.order,
                                languages.anyLanguage, error)
                : nullptr;
    std::u16string text;
    if (!block || !StringBlock::Read(block->data, block->size, id, text) || text.empty())
    {
        // A string the table leaves empty is as missing as one whose block is not there.
        SetLastError(block ? ERROR_RESOURCE_NAME_NOT_FOUND : error);
        return 0;
    }
    // Cut between characters: a double-byte character that does not fit whole is left out.
    const size_t room = static_cast<size_t>(cchBufferMax) - 1;
    size_t length = 0;
    for (const std::string& character : CodePage::CharactersOf(text, CodePage::AnsiOf(uiLanguage)))
    {
        if (length + character.size() > room)
            break;
        std::memcpy(lpBuffer + length, character.data(), character.size());
        length += character.size();
    }
    lpBuffer[length] = '\0';
    return static_cast<int>(length);
}
