#include "GdiObjects.h"

namespace winsim
{

GdiObjects& GdiObjects::Instance()
{
    static GdiObjects objects;
    return objects;
}

GdiObjects::GdiObjects()
{
    auto stock = [this](int index, GdiKind kind, uint32_t rgb, bool hollow)
    {
        GdiObject object;
        object.kind = kind;
        object.rgb = rgb;
        object.hollow = hollow;
        object.stock = true;
        m_stock[index] = Add(object);
    };
    stock(WHITE_BRUSH, GdiKind::Brush, 0xFFFFFF, false);
    stock(LTGRAY_BRUSH, GdiKind::Brush, 0xC0C0C0, false);
    stock(GRAY_BRUSH, GdiKind::Brush, 0x808080, false);
    stock(BLACK_BRUSH, GdiKind::Brush, 0x000000, false);
    stock(NULL_BRUSH, GdiKind::Brush, 0, true);
    stock(WHITE_PEN, GdiKind::Pen, 0xFFFFFF, false);
    stock(BLACK_PEN, GdiKind::Pen, 0x000000, false);
    stock(NULL_PEN, GdiKind::Pen, 0, true);
    stock(DEFAULT_GUI_FONT, GdiKind::Font, 0, false);
}

HGDIOBJ GdiObjects::Add(const GdiObject& object)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_next += 4;
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(m_next);
    m_objects[handle] = object;
    return handle;
}

bool GdiObjects::Delete(HGDIOBJ handle)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_objects.find(handle);
    if (it == m_objects.end())
        return false;
    // Deleting a stock object succeeds and does nothing, as on Windows.
    if (!it->second.stock)
        m_objects.erase(it);
    return true;
}

bool GdiObjects::Find(HGDIOBJ handle, GdiObject& object)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const GdiObject* found = FindLocked(handle);
    if (!found)
        return false;
    object = *found;
    return true;
}

const GdiObject* GdiObjects::FindLocked(HGDIOBJ handle) const
{
    auto it = m_objects.find(handle);
    return it == m_objects.end() ? nullptr : &it->second;
}

HGDIOBJ GdiObjects::Stock(int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_stock.find(index);
    return it == m_stock.end() ? nullptr : it->second;
}

HDC GdiObjects::AddDc(const DeviceContext& dc)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_next += 4;
    HDC handle = reinterpret_cast<HDC>(m_next);
    m_dcs[handle] = dc;
    return handle;
}

bool GdiObjects::DeleteDc(HDC dc)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dcs.erase(dc) == 1;
}

} // namespace winsim
