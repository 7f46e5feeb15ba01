#include "tools/data/cairo_art.h"

#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_files.h"
#include "tools/data/demo_data.h"

#include <cstdio>

CCairoCanvas::CCairoCanvas(int width, int height, bool antialias)
    : m_pSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      m_pCairo(cairo_create(m_pSurface))
{
    cairo_set_antialias(m_pCairo, antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

CCairoCanvas::~CCairoCanvas()
{
    cairo_destroy(m_pCairo);
    cairo_surface_destroy(m_pSurface);
}

void CCairoCanvas::Fill(int red, int green, int blue, bool preserve)
{
    cairo_set_source_rgb(m_pCairo, red / 255.0, green / 255.0, blue / 255.0);
    if (preserve)
        cairo_fill_preserve(m_pCairo);
    else
        cairo_fill(m_pCairo);
}

void CCairoCanvas::Stroke(int red, int green, int blue, double width)
{
    cairo_set_source_rgb(m_pCairo, red / 255.0, green / 255.0, blue / 255.0);
    cairo_set_line_width(m_pCairo, width);
    cairo_stroke(m_pCairo);
}

void CCairoCanvas::ToSurface(CxDrawSurface& surface) const
{
    cairo_surface_flush(m_pSurface);
    const int width = cairo_image_surface_get_width(m_pSurface);
    const int height = cairo_image_surface_get_height(m_pSurface);
    const int stride = cairo_image_surface_get_stride(m_pSurface);
    const unsigned char* data = cairo_image_surface_get_data(m_pSurface);
    surface.CreateSurface(width, height, 24);
    for (int y = 0; y < height; ++y)
    {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x)
        {
            const uint32_t argb = row[x];
            uint32_t r = 255, g = 0, b = 255;
            if ((argb >> 24) >= 128)
            {
                r = argb >> 16 & 0xFF;
                g = argb >> 8 & 0xFF;
                b = argb & 0xFF;
            }
            // 24-bit raw values hold the bytes blue, green, red.
            surface.SetPixel(x, y, b << 16 | g << 8 | r);
        }
    }
}

bool CCairoCanvas::SaveTga(const std::string& path) const
{
    CxDrawSurface surface;
    ToSurface(surface);
    if (!MakeParentDirectories(path) || SaveImageFile(&surface, path.c_str(), 0) != CX_ERR_NONE)
    {
        fprintf(stderr, "make-demo-data: could not write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool CCairoCanvas::SavePng(const std::string& path) const
{
    const std::string temp = path + ".part";
    if (!MakeParentDirectories(path) ||
        cairo_surface_write_to_png(m_pSurface, temp.c_str()) != CAIRO_STATUS_SUCCESS ||
        rename(temp.c_str(), path.c_str()) != 0)
    {
        fprintf(stderr, "make-demo-data: could not write %s\n", path.c_str());
        return false;
    }
    return true;
}
