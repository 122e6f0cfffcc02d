#include "PngFile.h"

#include <cstdio>
#include <png.h>
#include <vector>

namespace winsim
{

namespace
{

// libpng reports errors through longjmp unless it is given a handler: this one records the message and
// lets png_error's longjmp return to Write.
void OnError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error)
        *error = message ? message : "libpng error";
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

} // namespace

bool PngFile::Write(const Surface& surface, const std::string& path, std::string& error)
{
    if (surface.Width() <= 0 || surface.Height() <= 0)
    {
        error = "nothing to save";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        error = "cannot write " + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    std::vector<png_byte> row(static_cast<size_t>(surface.Width()) * 3);
    if (png && info && setjmp(png_jmpbuf(png)) == 0)
    {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(surface.Width()), static_cast<png_uint_32>(surface.Height()),
                     8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < surface.Height(); ++y)
        {
            for (int x = 0; x < surface.Width(); ++x)
            {
                const uint32_t pixel = surface.Get(x, y);
                row[static_cast<size_t>(x) * 3] = static_cast<png_byte>(pixel >> 16);
                row[static_cast<size_t>(x) * 3 + 1] = static_cast<png_byte>(pixel >> 8);
                row[static_cast<size_t>(x) * 3 + 2] = static_cast<png_byte>(pixel);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, info);
        ok = true;
    }
    else if (!png || !info)
        error = "libpng could not start";
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (std::fclose(file) != 0 && ok)
    {
        error = "cannot write " + path;
        ok = false;
    }
    return ok;
}

} // namespace winsim
