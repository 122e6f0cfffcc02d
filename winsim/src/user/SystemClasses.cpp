#include "SystemClasses.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <strings.h>
#include <vector>

#include "ScreenPublisher.h"
#include "WindowCalls.h"
#include "commctrl.h"
#include "core/Runtime.h"
#include "gdi/BitmapFont.h"
#include "gdi/GdiDraw.h"
#include "gdi/GdiObjects.h"

namespace winsim
{

namespace
{

constexpr uint32_t kFace = 0xD4D0C8;
constexpr uint32_t kText = 0x000000;
constexpr uint32_t kWindow = 0xFFFFFF;
constexpr uint32_t kHighlight = 0x0A246A;

struct ListColumn
{
    std::string title;
    int width = 0;
};

struct ListItem
{
    std::vector<std::string> texts;
    UINT state = 0;
};

// The state of one control, kept by its procedure.
struct ControlData
{
    int low = 0;
    int high = 100;
    int pos = 0;
    int step = 10;
    std::vector<ListColumn> columns;
    std::vector<ListItem> items;
};

std::mutex g_mutex;
std::map<HWND, ControlData> g_controls;

template <typename Use>
auto WithData(HWND hwnd, Use use)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return use(g_controls[hwnd]);
}

Runtime& Rt()
{
    return *Runtime::Current();
}

void SetScreenState(HWND hwnd, const std::string& text)
{
    UserWindows::Of(Rt()).Update(hwnd, [&](WindowState& state) { state.screenState = text; });
    ScreenPublisher::Touch();
}

void Repaint(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
}

std::string WithoutPrefix(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

// Paints through BeginPaint/EndPaint: `draw` gets the context and the client rectangle.
template <typename Draw>
void Paint(HWND hwnd, Draw draw)
{
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(hwnd, &paint);
    PixelRect client;
    WindowState state;
    if (hdc && UserWindows::Of(Rt()).ClientRect(hwnd, client) && UserWindows::Of(Rt()).Find(hwnd, state))
        draw(hdc, client, state);
    EndPaint(hwnd, &paint);
}

// A small icon of the built-in art: a framed monitor with a blue screen.
void DrawIconArt(HDC hdc, int x, int y)
{
    GdiDraw::Fill(hdc, {x + 2, y + 3, x + 30, y + 23}, 0x404040);
    GdiDraw::Fill(hdc, {x + 4, y + 5, x + 28, y + 21}, 0x3A6EA5);
    GdiDraw::Fill(hdc, {x + 12, y + 23, x + 20, y + 27}, 0x808080);
    GdiDraw::Fill(hdc, {x + 8, y + 27, x + 24, y + 29}, 0x404040);
    GdiDraw::Fill(hdc, {x + 7, y + 8, x + 17, y + 10}, 0xFFFFFF);
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_CREATE:
        // An icon control takes the icon's size (32 x 32), whatever size it was made with.
        UserWindows::Of(Rt()).Update(
            hwnd,
            [](WindowState& state)
            {
                if ((state.style & SS_TYPEMASK) == SS_ICON)
                    state.rect = {state.rect.left, state.rect.top, state.rect.left + 32, state.rect.top + 32};
            });
        return 0;
    case WM_PAINT:
        Paint(hwnd,
              [&](HDC hdc, PixelRect client, const WindowState& state)
              {
                  const DWORD type = state.style & SS_TYPEMASK;
                  GdiDraw::Fill(hdc, client, kFace);
                  if (type == SS_ICON)
                  {
                      DrawIconArt(hdc, 0, 0);
                      return;
                  }
                  if (type == SS_BITMAP && state.image)
                  {
                      // A bitmap the program made: drawn at its own size, centred with SS_CENTERIMAGE.
                      GdiObject picture;
                      if (GdiObjects::Instance().Find(static_cast<HGDIOBJ>(state.image), picture) &&
                          picture.kind == GdiKind::Bitmap && picture.bitmap)
                      {
                          int x = 0;
                          int y = 0;
                          if (state.style & SS_CENTERIMAGE)
                          {
                              x = (client.Width() - picture.bitmap->Width()) / 2;
                              y = (client.Height() - picture.bitmap->Height()) / 2;
                          }
                          GdiDraw::Picture(hdc, x, y, static_cast<HGDIOBJ>(state.image));
                          return;
                      }
                  }
                  if (type == SS_BITMAP)
                  {
                      // The built-in art for a picture: bands of the caption colour.
                      for (int y = client.top; y < client.bottom; y += 8)
                          GdiDraw::Fill(hdc, {client.left, y, client.right, std::min(y + 4, client.bottom)},
                                        y % 16 ? 0x3A6EA5 : 0x0A246A);
                      return;
                  }
                  unsigned format = DT_WORDBREAK;
                  if (type == SS_CENTER)
                      format |= DT_CENTER;
                  else if (type == SS_RIGHT)
                      format |= DT_RIGHT;
                  GdiDraw::Text(hdc, client, WithoutPrefix(state.text), format, kText);
              });
        return 0;
    case STM_SETICON:
    case STM_SETIMAGE:
    {
        HANDLE previous = nullptr;
        HANDLE image = reinterpret_cast<HANDLE>(msg == STM_SETICON ? wParam : lParam);
        GdiObject picture;
        const bool bitmap = msg == STM_SETIMAGE && wParam == IMAGE_BITMAP &&
                            GdiObjects::Instance().Find(static_cast<HGDIOBJ>(image), picture) &&
                            picture.kind == GdiKind::Bitmap && picture.bitmap;
        UserWindows::Of(Rt()).Update(hwnd,
                                     [&](WindowState& state)
                                     {
                                         previous = state.image;
                                         state.image = image;
                                         // A bitmap control takes its bitmap's size unless told to keep its own.
                                         if (bitmap && (state.style & SS_TYPEMASK) == SS_BITMAP &&
                                             !(state.style & (SS_REALSIZECONTROL | SS_CENTERIMAGE)))
                                             state.rect = {state.rect.left, state.rect.top,
                                                           state.rect.left + picture.bitmap->Width(),
                                                           state.rect.top + picture.bitmap->Height()};
                                     });
        if (msg == STM_SETIMAGE)
            SetScreenState(hwnd, bitmap ? "bitmap " + std::to_string(picture.bitmap->Width()) + " x " +
                                              std::to_string(picture.bitmap->Height())
                                        : std::string());
        Repaint(hwnd);
        return reinterpret_cast<LRESULT>(previous);
    }
    case STM_GETIMAGE:
    {
        WindowState state;
        return UserWindows::Of(Rt()).Find(hwnd, state) ? reinterpret_cast<LRESULT>(state.image) : 0;
    }
    case WM_SETTEXT:
    {
        const LRESULT result = WindowCalls::Default(Rt(), hwnd, msg, wParam, lParam);
        Repaint(hwnd);
        return result;
    }
    default:
        return WindowCalls::Default(Rt(), hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_PAINT:
        Paint(hwnd,
              [&](HDC hdc, PixelRect client, const WindowState& state)
              {
                  const std::string text = WithoutPrefix(state.text);
                  if ((state.style & BS_TYPEMASK) == BS_GROUPBOX)
                  {
                      // A group box draws its frame only: the controls inside it show through.
                      const PixelRect box{client.left, client.top + 6, client.right, client.bottom};
                      GdiDraw::Frame(hdc, box, 0x808080);
                      GdiDraw::Frame(hdc, {box.left + 1, box.top + 1, box.right, box.bottom}, 0xFFFFFF);
                      GdiDraw::Frame(hdc, {box.left, box.top, box.right - 1, box.bottom - 1}, 0x808080);
                      if (!text.empty())
                      {
                          PixelRect label{client.left + 8, client.top, client.left + 10 + GdiDraw::TextWidth(text),
                                          client.top + BitmapFont::kCellHeight};
                          GdiDraw::Fill(hdc, label, kFace);
                          label.left += 1;
                          GdiDraw::Text(hdc, label, text, DT_SINGLELINE, kText);
                      }
                      return;
                  }
                  GdiDraw::Fill(hdc, client, kFace);
                  GdiDraw::Edge(hdc, client, false);
                  PixelRect inside = client;
                  GdiDraw::Text(hdc, inside, text, DT_SINGLELINE | DT_CENTER | DT_VCENTER, kText);
              });
        return 0;
    case WM_ERASEBKGND:
    {
        WindowState state;
        if (UserWindows::Of(Rt()).Find(hwnd, state) && (state.style & BS_TYPEMASK) == BS_GROUPBOX)
            return 1;
        return WindowCalls::Default(Rt(), hwnd, msg, wParam, lParam);
    }
    case BM_CLICK:
    {
        WindowState state;
        if (UserWindows::Of(Rt()).Find(hwnd, state) && state.parent)
            PostMessageA(state.parent, WM_COMMAND, MAKEWPARAM(state.id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
        return 0;
    }
    case WM_SETTEXT:
    {
        const LRESULT result = WindowCalls::Default(Rt(), hwnd, msg, wParam, lParam);
        Repaint(hwnd);
        return result;
    }
    default:
        return WindowCalls::Default(Rt(), hwnd, msg, wParam, lParam);
    }
}

void DescribeProgress(HWND hwnd, const ControlData& data)
{
    SetScreenState(hwnd, "position " + std::to_string(data.pos) + " of " + std::to_string(data.low) + "-" +
                             std::to_string(data.high));
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ControlData data = WithData(hwnd, [](ControlData& d) { return d; });
    LRESULT result = 0;
    bool changed = false;
    switch (msg)
    {
    case WM_CREATE:
        changed = true;
        break;
    case PBM_SETRANGE:
        result = MAKELONG(data.low, data.high);
        data.low = LOWORD(lParam);
        data.high = HIWORD(lParam);
        changed = true;
        break;
    case PBM_SETRANGE32:
        result = MAKELONG(data.low, data.high);
        data.low = static_cast<int>(wParam);
        data.high = static_cast<int>(lParam);
        changed = true;
        break;
    case PBM_SETPOS:
        result = data.pos;
        data.pos = static_cast<int>(wParam);
        changed = true;
        break;
    case PBM_DELTAPOS:
        result = data.pos;
        data.pos += static_cast<int>(wParam);
        changed = true;
        break;
    case PBM_SETSTEP:
        result = data.step;
        data.step = static_cast<int>(wParam);
        break;
    case PBM_STEPIT:
        result = data.pos;
        data.pos += data.step;
        // Stepping past the end wraps to the start, as the control does.
        if (data.pos > data.high)
            data.pos = data.low + (data.pos - data.high);
        changed = true;
        break;
    case PBM_GETPOS:
        return data.pos;
    case WM_PAINT:
        Paint(hwnd,
              [&](HDC hdc, PixelRect client, const WindowState&)
              {
                  GdiDraw::Fill(hdc, client, kFace);
                  GdiDraw::Frame(hdc, client, 0x808080);
                  const int span = std::max(1, data.high - data.low);
                  const int inner = client.Width() - 4;
                  const int filled = inner * (std::clamp(data.pos, data.low, data.high) - data.low) / span;
                  const int block = std::max(2, (client.Height() - 4) * 2 / 3);
                  for (int x = 0; x < filled; x += block + 2)
                      GdiDraw::Fill(hdc,
                                    {client.left + 2 + x, client.top + 2, client.left + 2 + std::min(x + block, filled),
                                     client.bottom - 2},
                                    kHighlight);
              });
        return 0;
    case WM_DESTROY:
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_controls.erase(hwnd);
        return 0;
    }
    default:
        return WindowCalls::Default(Rt(), hwnd, msg, wParam, lParam);
    }
    if (changed)
    {
        data.pos = std::clamp(data.pos, std::min(data.low, data.high), std::max(data.low, data.high));
        WithData(hwnd, [&](ControlData& d) { return d = data, 0; });
        DescribeProgress(hwnd, data);
        Repaint(hwnd);
    }
    return result;
}

void DescribeList(HWND hwnd, const ControlData& data)
{
    std::string text = "columns:";
    for (const ListColumn& column : data.columns)
        text += (&column == &data.columns.front() ? " " : " | ") + column.title;
    if (!data.columns.empty())
    {
        text += "\ncolumn widths:";
        for (const ListColumn& column : data.columns)
            text += (&column == &data.columns.front() ? " " : " | ") + std::to_string(column.width);
    }
    for (const ListItem& item : data.items)
    {
        text += "\nrow:";
        for (size_t i = 0; i < std::max<size_t>(data.columns.size(), 1); ++i)
            text += (i == 0 ? " " : " | ") + (i < item.texts.size() ? item.texts[i] : std::string());
        if (item.state & LVIS_SELECTED)
            text += " [selected]";
    }
    SetScreenState(hwnd, text);
}

void NotifyItemChanged(HWND hwnd, int item, UINT oldState, UINT newState, UINT changed)
{
    WindowState state;
    if (!UserWindows::Of(Rt()).Find(hwnd, state) || !state.parent)
        return;
    NMLISTVIEW notify{};
    notify.hdr.hwndFrom = hwnd;
    notify.hdr.idFrom = static_cast<UINT_PTR>(state.id);
    notify.hdr.code = LVN_ITEMCHANGED;
    notify.iItem = item;
    notify.uOldState = oldState;
    notify.uNewState = newState;
    notify.uChanged = changed;
    SendMessageA(state.parent, WM_NOTIFY, static_cast<WPARAM>(state.id), reinterpret_cast<LPARAM>(&notify));
}

std::string TextOf(const LVITEMA* item)
{
    if (!item || !item->pszText || reinterpret_cast<intptr_t>(item->pszText) == -1)
        return {};
    return item->pszText;
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ControlData data = WithData(hwnd, [](ControlData& d) { return d; });
    auto store = [&]
    {
        WithData(hwnd, [&](ControlData& d) { return d = data, 0; });
        DescribeList(hwnd, data);
        Repaint(hwnd);
    };
    const int count = static_cast<int>(data.items.size());
    switch (msg)
    {
    case LVM_INSERTCOLUMNA:
    {
        const auto* column = reinterpret_cast<const LVCOLUMNA*>(lParam);
        if (!column)
            return -1;
        const size_t at = std::min<size_t>(wParam, data.columns.size());
        ListColumn added{(column->mask & LVCF_TEXT) && column->pszText ? column->pszText : "",
                         (column->mask & LVCF_WIDTH) ? column->cx : 50};
        data.columns.insert(data.columns.begin() + static_cast<long>(at), added);
        store();
        return static_cast<LRESULT>(at);
    }
    case LVM_GETCOLUMNWIDTH:
        return wParam < data.columns.size() ? data.columns[wParam].width : 0;
    case LVM_SETCOLUMNWIDTH:
        if (wParam >= data.columns.size())
            return FALSE;
        data.columns[wParam].width = static_cast<int>(static_cast<short>(LOWORD(lParam)));
        store();
        return TRUE;
    case LVM_GETITEMCOUNT:
        return count;
    case LVM_INSERTITEMA:
    {
        const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
        if (!item || item->iSubItem != 0 || item->iItem < 0)
            return -1;
        const int at = std::min(item->iItem, count);
        ListItem added;
        added.texts.push_back((item->mask & LVIF_TEXT) ? TextOf(item) : std::string());
        if (item->mask & LVIF_STATE)
            added.state = item->state & item->stateMask;
        data.items.insert(data.items.begin() + at, added);
        store();
        return at;
    }
    case LVM_SETITEMA:
    case LVM_SETITEMTEXTA:
    {
        const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
        const int index = msg == LVM_SETITEMA ? (item ? item->iItem : -1) : static_cast<int>(wParam);
        if (!item || index < 0 || index >= count || item->iSubItem < 0 || item->iSubItem > 255)
            return FALSE;
        ListItem& target = data.items[static_cast<size_t>(index)];
        UINT changed = 0;
        const UINT oldState = target.state;
        if (msg == LVM_SETITEMTEXTA || (item->mask & LVIF_TEXT))
        {
            if (target.texts.size() <= static_cast<size_t>(item->iSubItem))
                target.texts.resize(static_cast<size_t>(item->iSubItem) + 1);
            target.texts[static_cast<size_t>(item->iSubItem)] = TextOf(item);
            changed |= LVIF_TEXT;
        }
        if (msg == LVM_SETITEMA && (item->mask & LVIF_STATE))
        {
            target.state = (target.state & ~item->stateMask) | (item->state & item->stateMask);
            changed |= LVIF_STATE;
        }
        const UINT newState = target.state;
        store();
        if (changed)
            NotifyItemChanged(hwnd, index, oldState, newState, changed);
        return TRUE;
    }
    case LVM_SETITEMSTATE:
    {
        const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
        const int index = static_cast<int>(static_cast<intptr_t>(wParam));
        if (!item || index < -1 || index >= count)
            return FALSE;
        std::vector<std::pair<int, std::pair<UINT, UINT>>> changes;
        for (int i = 0; i < count; ++i)
        {
            if (index != -1 && i != index)
                continue;
            ListItem& target = data.items[static_cast<size_t>(i)];
            const UINT before = target.state;
            target.state = (target.state & ~item->stateMask) | (item->state & item->stateMask);
            if (target.state != before)
                changes.push_back({i, {before, target.state}});
        }
        store();
        for (const auto& change : changes)
            NotifyItemChanged(hwnd, change.first, change.second.first, change.second.second, LVIF_STATE);
        return TRUE;
    }
    case LVM_GETITEMSTATE:
    {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= count)
            return 0;
        return static_cast<LRESULT>(data.items[static_cast<size_t>(index)].state & static_cast<UINT>(lParam));
    }
    case LVM_GETITEMTEXTA:
    {
        auto* item = reinterpret_cast<LVITEMA*>(lParam);
        const int index = static_cast<int>(wParam);
        if (!item || !item->pszText || item->cchTextMax <= 0 || index < 0 || index >= count || item->iSubItem < 0)
            return 0;
        const ListItem& source = data.items[static_cast<size_t>(index)];
        const std::string text = static_cast<size_t>(item->iSubItem) < source.texts.size()
                                     ? source.texts[static_cast<size_t>(item->iSubItem)]
                                     : std::string();
        const size_t copied = std::min<size_t>(text.size(), static_cast<size_t>(item->cchTextMax) - 1);
        std::copy_n(text.data(), copied, item->pszText);
        item->pszText[copied] = '\0';
        return static_cast<LRESULT>(copied);
    }
    case LVM_DELETEALLITEMS:
        data.items.clear();
        store();
        return TRUE;
    case WM_PAINT:
        Paint(hwnd,
              [&](HDC hdc, PixelRect client, const WindowState&)
              {
                  GdiDraw::Fill(hdc, client, kWindow);
                  const int header = BitmapFont::kCellHeight + 4;
                  int x = client.left;
                  for (const ListColumn& column : data.columns)
                  {
                      const PixelRect cell{x, client.top, x + column.width, client.top + header};
                      GdiDraw::Fill(hdc, cell, kFace);
                      GdiDraw::Edge(hdc, cell, false);
                      PixelRect label{cell.left + 6, cell.top, cell.right - 4, cell.bottom};
                      GdiDraw::Text(hdc, label, column.title, DT_SINGLELINE | DT_VCENTER, kText);
                      x += column.width;
                  }
                  int y = client.top + header + 1;
                  for (const ListItem& item : data.items)
                  {
                      const bool selected = (item.state & LVIS_SELECTED) != 0;
                      int cx = client.left;
                      for (size_t i = 0; i < data.columns.size(); ++i)
                      {
                          const int width = data.columns[i].width;
                          PixelRect cell{cx + 6, y, cx + width - 4, y + BitmapFont::kCellHeight + 2};
                          if (selected && i == 0)
                              GdiDraw::Fill(hdc, {cx + 2, y, cx + width, cell.bottom}, kHighlight);
                          GdiDraw::Text(hdc, cell, i < item.texts.size() ? item.texts[i] : std::string(),
                                        DT_SINGLELINE | DT_VCENTER, selected && i == 0 ? kWindow : kText);
                          cx += width;
                      }
                      y += BitmapFont::kCellHeight + 3;
                  }
              });
        return 0;
    case WM_DESTROY:
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_controls.erase(hwnd);
        return 0;
    }
    default:
        return WindowCalls::Default(Rt(), hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK DialogClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefDlgProcA(hwnd, msg, wParam, lParam);
}

} // namespace

bool SystemClasses::Find(const std::string& name, WindowClass& windowClass)
{
    struct Entry
    {
        const char* name;
        WNDPROC proc;
    };
    static const Entry kClasses[] = {
        {"STATIC", StaticProc},          {"BUTTON", ButtonProc},       {"#32770", DialogClassProc},
        {PROGRESS_CLASSA, ProgressProc}, {WC_LISTVIEWA, ListViewProc},
    };
    for (const Entry& entry : kClasses)
    {
        if (strcasecmp(entry.name, name.c_str()) == 0)
        {
            windowClass = WindowClass{};
            windowClass.name = entry.name;
            windowClass.proc = entry.proc;
            windowClass.system = true;
            return true;
        }
    }
    return false;
}

} // namespace winsim
