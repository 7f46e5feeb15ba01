// Drawing of the printing room's pictures for the demo data: the colouring
// pages (line art of trucks, buildings, Vodu and the town), the certificates,
// the item icons and the pictures on the room's buttons.
#pragma once

#include <cairo.h>

constexpr int PRINTING_ART_PAGES = 20;
constexpr int PRINTING_ART_CERTIFICATES = 10;
constexpr int PRINTING_ART_ICONS = 15;

// Colouring page n (0..19) on a 640 x 480 area: black lines on white with a
// dark frame along every edge.
void DrawColoringPage(cairo_t* cr, int n);
// Certificate n's background (640 x 480): a dark frame, a heading, lines for
// the name and the title, a seal; on certificate 0 the slots of the items.
void DrawCertificate(cairo_t* cr, int n);
// Item icon n (0..14) in a 44 x 44 area, drawn without pure black (black is
// the icons' transparent colour).
void DrawItemIcon(cairo_t* cr, int n);
// Centred text in DejaVu Sans.
void DrawCentredText(cairo_t* cr, const char* text, double x, double y, double size, bool bold);
// The emblems of the room's buttons, in an area of the given size.
void DrawPrinterEmblem(cairo_t* cr, double width, double height);
void DrawCrayonsEmblem(cairo_t* cr, double width, double height);
void DrawRosette(cairo_t* cr, double x, double y, double radius, int n);
void DrawBackArrow(cairo_t* cr, double width, double height);
