// Drawing with cairo for the demo data: a canvas whose unpainted pixels
// become the game's transparent magenta when it is turned into an image.
#pragma once

#include <cairo.h>

#include <string>

class CxDrawSurface;

class CCairoCanvas
{
public:
    // A transparent ARGB canvas; antialiasing off, so that no edge pixel is
    // a blend with the key colour.
    CCairoCanvas(int width, int height, bool antialias = false);
    ~CCairoCanvas();
    CCairoCanvas(const CCairoCanvas&) = delete;
    CCairoCanvas& operator=(const CCairoCanvas&) = delete;

    cairo_t* Get() const { return m_pCairo; }
    // Fills the current path with one colour (0..255 components).
    void Fill(int red, int green, int blue, bool preserve = false);
    void Stroke(int red, int green, int blue, double width);
    // The picture as a 24-bit surface; pixels left at least half transparent are magenta.
    void ToSurface(CxDrawSurface& surface) const;
    // Writes a TGA through the engine's writer; false with a message on failure.
    bool SaveTga(const std::string& path) const;
    bool SavePng(const std::string& path) const;

private:
    cairo_surface_t* m_pSurface;
    cairo_t* m_pCairo;
};
