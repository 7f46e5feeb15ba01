#include "engine/platform/print.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <cups/cups.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {
// Widens a channel of bits bits to 8 by repeating its top bits, so that the
// largest value becomes 255 and 0 stays 0.
uint32_t Widen(uint32_t value, int bits)
{
    return (value << (8 - bits)) | (value >> (2 * bits - 8));
}

uint32_t ToXrgb(const uint8_t* pixel, CxPrintFormat format)
{
    if (format == CX_PRINT_XRGB8888)
    {
        uint32_t word = 0;
        memcpy(&word, pixel, 4);
        return word & 0xFFFFFFu;
    }
    uint16_t word = 0;
    memcpy(&word, pixel, 2);
    if (format == CX_PRINT_RGB555)
        return Widen((word >> 10) & 31, 5) << 16 | Widen((word >> 5) & 31, 5) << 8 | Widen(word & 31, 5);
    return Widen(word >> 11, 5) << 16 | Widen((word >> 5) & 63, 6) << 8 | Widen(word & 31, 5);
}

// The picture as a cairo image of its own (null when it cannot be made).
cairo_surface_t* MakeCairoImage(const ST_PRINT_IMAGE& image)
{
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height);
    if (cairo_surface_status(out) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(out);
        return nullptr;
    }
    cairo_surface_flush(out);
    uint8_t* data = cairo_image_surface_get_data(out);
    const int stride = cairo_image_surface_get_stride(out);
    const int bytes = image.format == CX_PRINT_XRGB8888 ? 4 : 2;
    for (int32_t y = 0; y < image.height; ++y)
    {
        const uint8_t* row = image.bits + static_cast<ptrdiff_t>(y) * image.pitch;
        auto* dest = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int32_t x = 0; x < image.width; ++x)
            dest[x] = ToXrgb(row + x * bytes, image.format);
    }
    cairo_surface_mark_dirty(out);
    return out;
}

bool IsUsable(const ST_PRINT_IMAGE& image)
{
    const int32_t bytes = image.format == CX_PRINT_XRGB8888 ? 4 : 2;
    return image.bits && image.width > 0 && image.height > 0 && image.pitch >= image.width * bytes;
}

cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length)
{
    return fwrite(data, 1, length, static_cast<FILE*>(closure)) == length ? CAIRO_STATUS_SUCCESS
                                                                          : CAIRO_STATUS_WRITE_ERROR;
}

struct DestList
{
    int count = 0;
    cups_dest_t* dests = nullptr;
};

int CollectDest(void* user, unsigned flags, cups_dest_t* dest)
{
    auto* list = static_cast<DestList*>(user);
    if (!(flags & CUPS_DEST_FLAGS_REMOVED))
        list->count = cupsCopyDest(dest, list->count, &list->dests);
    return 1;
}
} // namespace

ST_PRINT_RECT ComputePrintRect(int32_t imageWidth, int32_t imageHeight, double pageWidth, double pageHeight,
                               double scale)
{
    ST_PRINT_RECT rect;
    rect.x = PRINT_MARGIN;
    rect.y = PRINT_MARGIN;
    if (imageWidth <= 0 || imageHeight <= 0)
        return rect;
    const double across = (scale > 0 ? pageWidth * scale : pageWidth) - 2 * PRINT_MARGIN;
    const double down = pageHeight - 2 * PRINT_MARGIN;
    if (across <= 0 || down <= 0)
        return rect;
    rect.width = across;
    rect.height = across * imageHeight / imageWidth;
    if (rect.height > down)
    {
        rect.height = down;
        rect.width = down * imageWidth / imageHeight;
        rect.x = (pageWidth - rect.width) / 2;
    }
    return rect;
}

std::vector<ST_PRINTER> ListPrinters(const char* preferred, int32_t* preselected)
{
    // The server named by the environment now, not the one of an earlier call.
    cupsSetServer(nullptr);
    DestList list;
    int cancel = 0;
    cupsEnumDests(CUPS_DEST_FLAGS_NONE, PRINT_LIST_TIMEOUT_MS, &cancel, 0, 0, CollectDest, &list);
    std::vector<ST_PRINTER> printers;
    int32_t chosen = -1, fallback = 0;
    for (int i = 0; i < list.count; ++i)
    {
        ST_PRINTER printer;
        printer.name = list.dests[i].name ? list.dests[i].name : "";
        printer.isDefault = list.dests[i].is_default != 0;
        if (printer.isDefault)
            fallback = static_cast<int32_t>(printers.size());
        if (preferred && *preferred && printer.name == preferred)
            chosen = static_cast<int32_t>(printers.size());
        printers.push_back(printer);
    }
    cupsFreeDests(list.count, list.dests);
    if (preselected)
        *preselected = chosen >= 0 ? chosen : fallback;
    return printers;
}

CxPrintResult RenderPrintPage(const ST_PRINT_IMAGE& image, double pageWidth, double pageHeight, double scale,
                              const char* path)
{
    if (!IsUsable(image))
        return CX_PRINT_BAD_IMAGE;
    cairo_surface_t* picture = MakeCairoImage(image);
    if (!picture)
        return CX_PRINT_START_PAGE_FAILED;
    // The file is opened here, not by cairo, so that a path that cannot be
    // written stops before any drawing (and a failed write shows at close).
    FILE* file = fopen(path, "wb");
    if (!file)
    {
        cairo_surface_destroy(picture);
        return CX_PRINT_START_PAGE_FAILED;
    }
    cairo_surface_t* page = cairo_pdf_surface_create_for_stream(WriteToFile, file, pageWidth, pageHeight);
    cairo_t* cr = cairo_create(page);
    const ST_PRINT_RECT rect = ComputePrintRect(image.width, image.height, pageWidth, pageHeight, scale);
    cairo_translate(cr, rect.x, rect.y);
    cairo_scale(cr, rect.width / image.width, rect.height / image.height);
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_show_page(cr);
    const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    cairo_surface_finish(page);
    const bool finished = cairo_surface_status(page) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(page);
    cairo_surface_destroy(picture);
    const bool closed = fclose(file) == 0;
    if (!drawn)
        return CX_PRINT_START_PAGE_FAILED;
    return finished && closed ? CX_PRINT_OK : CX_PRINT_END_PAGE_FAILED;
}

void GetPrinterPageSize(const char* printer, double* width, double* height)
{
    *width = PRINT_A4_WIDTH;
    *height = PRINT_A4_HEIGHT;
    cupsSetServer(nullptr);
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer, nullptr);
    if (!dest)
        return;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest))
    {
        cups_size_t size{};
        // Sizes come in hundredths of a millimetre.
        if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size) && size.width > 0 &&
            size.length > 0)
        {
            *width = size.width * 72.0 / 2540.0;
            *height = size.length * 72.0 / 2540.0;
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
}

CxPrintResult PrintImage(const ST_PRINT_IMAGE& image, const char* printer, double scale, int32_t* job)
{
    if (!IsUsable(image))
        return CX_PRINT_BAD_IMAGE;
    if (!printer || !*printer)
        return CX_PRINT_NO_PRINTER;
    double width = 0, height = 0;
    GetPrinterPageSize(printer, &width, &height);
    const char* dir = getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/rumbo-print-XXXXXX.pdf";
    const int fd = mkstemps(path.data(), 4);
    if (fd < 0)
        return CX_PRINT_START_PAGE_FAILED;
    close(fd);
    CxPrintResult result = RenderPrintPage(image, width, height, scale, path.c_str());
    if (result == CX_PRINT_OK)
    {
        cups_option_t* options = nullptr;
        int count = cupsAddOption("copies", "1", 0, &options);
        count = cupsAddOption("print-scaling", "none", count, &options);
        const int id = cupsPrintFile(printer, path.c_str(), "Printout", count, options);
        cupsFreeOptions(count, options);
        if (id <= 0)
            result = CX_PRINT_NO_PRINTER;
        else if (job)
            *job = id;
    }
    unlink(path.c_str());
    return result;
}
