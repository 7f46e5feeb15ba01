// Printing: a picture laid out on one page with cairo and sent to a printer
// through CUPS.
//
// The picture is copied exactly into a 24-bit cairo image (5- and 6-bit
// channels are widened by repeating their top bits, so white stays white),
// drawn onto a one-page PDF in a private temporary file and submitted as a
// job titled "Printout" with one copy and "print-scaling=none", so the
// printer's filters keep the page geometry computed here. The temporary file
// is removed in every case.
//
// This layer reports nothing itself: it answers with a result code and the
// caller shows the messages (the engine's printer routine, print_surface.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pixel layouts of a picture to print.
enum CxPrintFormat
{
    CX_PRINT_RGB565,   // 16-bit words, red 15-11, green 10-5, blue 4-0
    CX_PRINT_RGB555,   // 16-bit words, red 14-10, green 9-5, blue 4-0
    CX_PRINT_XRGB8888, // 32-bit words 0x00RRGGBB
};

struct ST_PRINT_IMAGE
{
    const uint8_t* bits = nullptr; // top row first
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0; // bytes from one row to the next
    CxPrintFormat format = CX_PRINT_RGB565;
};

// A rectangle on the page, in points (1/72 inch).
struct ST_PRINT_RECT
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

enum CxPrintResult
{
    CX_PRINT_OK = 0,
    CX_PRINT_NO_PRINTER,        // no destination, or the job was refused
    CX_PRINT_START_PAGE_FAILED, // drawing the page failed
    CX_PRINT_END_PAGE_FAILED,   // finishing the document failed
    CX_PRINT_BAD_IMAGE,         // no pixels, or a size of 0
};

// ISO A4 in points, the page when the printer names no default size.
constexpr double PRINT_A4_WIDTH = 595.2756;
constexpr double PRINT_A4_HEIGHT = 841.8898;
// Half an inch on every side of the page.
constexpr double PRINT_MARGIN = 36.0;
// How long the printer list may take to arrive.
constexpr int32_t PRINT_LIST_TIMEOUT_MS = 1500;

// Where the picture goes on the page: at the top-left margin, as wide as the
// page (times scale when scale is above 0) less both margins, its height
// kept in proportion; when that is taller than the page less both margins,
// the height is fitted instead and the picture centred across the page.
ST_PRINT_RECT ComputePrintRect(int32_t imageWidth, int32_t imageHeight, double pageWidth, double pageHeight,
                               double scale);

// One printer known to the print server.
struct ST_PRINTER
{
    std::string name;
    bool isDefault = false;
};

// The printers of the print server, in its order (empty when there is no
// server or no printer). *preselected (when given) becomes the index of the
// printer named preferred when it is listed, else of the default, else 0.
std::vector<ST_PRINTER> ListPrinters(const char* preferred, int32_t* preselected);

// Writes the one-page PDF of the picture (page size in points) to path.
CxPrintResult RenderPrintPage(const ST_PRINT_IMAGE& image, double pageWidth, double pageHeight, double scale,
                              const char* path);

// The printer's default page size in points; A4 when it names none.
void GetPrinterPageSize(const char* printer, double* width, double* height);

// Lays the picture out on the printer's default page and submits it. The
// job's number goes to *job when accepted.
CxPrintResult PrintImage(const ST_PRINT_IMAGE& image, const char* printer, double scale,
                         int32_t* job = nullptr);
