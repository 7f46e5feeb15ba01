#include "engine/frame/print_surface.h"

#include "engine/core/app.h"
#include "engine/core/error.h"
#include "engine/core/log.h"
#include "engine/core/window_app.h"
#include "engine/graphics/cursor.h"
#include "engine/graphics/draw_surface.h"
#include "engine/platform/message_box.h"
#include "engine/platform/print.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

const char* const PRINT_NO_PRINTER_TITLE = "No Printer Found";
const char* const PRINT_NO_PRINTER_TEXT =
    "Sorry.  It looks like you don't have a printer connected to this computer";

namespace {
constexpr int32_t PRINT_BUSY_CURSOR = 1;

// Brings the cursor shape back however the routine ends.
class CursorKeeper
{
public:
    CursorKeeper() : m_nShape(GetCursorShape()) { SetCursorShape(PRINT_BUSY_CURSOR); }
    ~CursorKeeper() { SetCursorShape(m_nShape); }
    CursorKeeper(const CursorKeeper&) = delete;
    CursorKeeper& operator=(const CursorKeeper&) = delete;

private:
    int32_t m_nShape;
};

uint32_t NoPrinter()
{
    const char* ok[] = {"OK"};
    ShowMessageBox(PRINT_NO_PRINTER_TITLE, PRINT_NO_PRINTER_TEXT, ok, 1, 0, CX_MB_ICON_WARNING);
    return 1;
}

// The picture in a layout the print layer reads: 16-bit 5-6-5 and 5-5-5
// surfaces as they are, any other depth through a 32-bit copy (kept in copy).
bool DescribeImage(CxDrawSurface* surface, std::unique_ptr<CxDrawSurface>& copy, ST_PRINT_IMAGE& image)
{
    CxDrawSurface* source = surface;
    const bool is565 =
        surface->GetRedBits() == 5 && surface->GetGreenBits() == 6 && surface->GetBlueBits() == 5;
    const bool is555 =
        surface->GetRedBits() == 5 && surface->GetGreenBits() == 5 && surface->GetBlueBits() == 5;
    if (surface->GetDepth() != 16 || !(is565 || is555))
    {
        copy = std::make_unique<CxDrawSurface>();
        if (copy->CopyFrom(surface) != CX_ERR_NONE || copy->ConvertDepth(32) != CX_ERR_NONE)
            return false;
        source = copy.get();
    }
    image.bits = source->GetBits();
    image.width = source->GetWidth();
    image.height = source->GetHeight();
    image.pitch = source->GetPitch();
    image.format = source->GetDepth() == 32 ? CX_PRINT_XRGB8888 : is565 ? CX_PRINT_RGB565 : CX_PRINT_RGB555;
    return image.bits != nullptr;
}

// The printer the player picks; empty when there is none or on "Cancel".
std::string ChoosePrinter()
{
    char preferred[256] = "";
    if (CxApp* app = GetApp())
        app->GetString("Printing", "Printer", preferred, "", sizeof(preferred));
    int32_t preselected = 0;
    std::vector<ST_PRINTER> printers = ListPrinters(preferred, &preselected);
    if (printers.empty())
        return std::string();
    // The preselected printer is always among the buttons offered.
    if (preselected >= PRINT_MAX_PRINTERS)
    {
        std::swap(printers[PRINT_MAX_PRINTERS - 1], printers[preselected]);
        preselected = PRINT_MAX_PRINTERS - 1;
    }
    if (printers.size() > static_cast<size_t>(PRINT_MAX_PRINTERS))
        printers.resize(PRINT_MAX_PRINTERS);
    std::vector<const char*> buttons;
    for (const ST_PRINTER& printer : printers)
        buttons.push_back(printer.name.c_str());
    buttons.push_back("Cancel");
    const int32_t answer =
        ShowMessageBox("Print", "Print on which printer?", buttons.data(),
                       static_cast<int32_t>(buttons.size()), preselected, CX_MB_ICON_INFORMATION);
    if (answer < 0 || answer >= static_cast<int32_t>(printers.size()))
        return std::string();
    return printers[answer].name;
}
} // namespace

uint32_t PrintSurface(CxDrawSurface* surface, uint32_t, float scale)
{
    CursorKeeper cursor;
    // A game without its window prints nothing; a program without an
    // application (the command-line tool) prints all the same.
    auto* app = dynamic_cast<CxWindowApp*>(GetApp());
    if (!surface || (GetApp() && (!app || !app->HasAppWindow())))
        return 1;
    CxSurfaceLock lock(surface);
    std::unique_ptr<CxDrawSurface> copy;
    ST_PRINT_IMAGE image;
    if (!DescribeImage(surface, copy, image))
        return 1;
    CxPrintResult result = CX_PRINT_OK;
    const char* file = getenv("RUMBO_PRINT_FILE");
    if (file && *file)
        result = RenderPrintPage(image, PRINT_A4_WIDTH, PRINT_A4_HEIGHT, scale, file);
    else
    {
        const std::string printer = ChoosePrinter();
        if (printer.empty())
            return NoPrinter();
        int32_t job = 0;
        result = PrintImage(image, printer.c_str(), scale, &job);
        if (result == CX_PRINT_OK)
            LogEntry(CX_LOG_INFO, "Printout sent to %s as job %d", printer.c_str(), job);
    }
    switch (result)
    {
    case CX_PRINT_OK:
        return 0;
    case CX_PRINT_START_PAGE_FAILED:
        ReportError(CX_ERR_UNKNOWN, "StartPage() Failed!");
        return CX_ERR_UNKNOWN;
    case CX_PRINT_END_PAGE_FAILED:
        ReportError(CX_ERR_UNKNOWN, "EndPage() Failed!");
        return CX_ERR_UNKNOWN;
    case CX_PRINT_BAD_IMAGE:
        return 1;
    default:
        return NoPrinter();
    }
}
