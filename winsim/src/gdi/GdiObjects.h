// GDI objects and device contexts of the process, behind handles of their own. A device context draws
// into a surface: a window's (the top-level window's pixels, at the window's client origin, clipped to it)
// or the bitmap selected into a memory context. Stock objects are never freed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "Surface.h"
#include "windows.h"

namespace winsim
{

enum class GdiKind
{
    Brush,
    Pen,
    Bitmap,
    Font
};

struct GdiObject
{
    GdiKind kind = GdiKind::Brush;
    uint32_t rgb = 0; // pixel colour of a brush or pen
    bool hollow = false;
    bool stock = false;
    std::shared_ptr<Surface> bitmap;
};

struct DeviceContext
{
    bool memory = false;
    HWND window = nullptr;
    std::shared_ptr<Surface> target;
    int originX = 0;
    int originY = 0;
    PixelRect clip;
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    HGDIOBJ bitmap = nullptr;
    HGDIOBJ font = nullptr;
    uint32_t textRgb = 0;
    uint32_t backRgb = 0xFFFFFF;
    int backMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
};

class GdiObjects
{
public:
    static GdiObjects& Instance();

    HGDIOBJ Add(const GdiObject& object);
    bool Delete(HGDIOBJ handle);
    // A copy of the object; false for no such handle.
    bool Find(HGDIOBJ handle, GdiObject& object);
    HGDIOBJ Stock(int index);

    HDC AddDc(const DeviceContext& dc);
    bool DeleteDc(HDC dc);
    // Runs `use` on the context under the lock; false for no such context. `use` must not call back in.
    template <typename Use>
    bool WithDc(HDC handle, Use use)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_dcs.find(handle);
        if (it == m_dcs.end())
            return false;
        use(it->second);
        return true;
    }
    // The object of a handle under the lock, for a drawing call that holds WithDc's lock already.
    const GdiObject* FindLocked(HGDIOBJ handle) const;

private:
    GdiObjects();

    mutable std::mutex m_mutex;
    uintptr_t m_next = 0x01000000;
    std::map<HGDIOBJ, GdiObject> m_objects;
    std::map<HDC, DeviceContext> m_dcs;
    std::map<int, HGDIOBJ> m_stock;
};

} // namespace winsim
