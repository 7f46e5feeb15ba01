// The engine's printer routine: prints a surface on one page.
//
// The printer is chosen in a box titled "Print" that offers up to six of the
// print server's printers and "Cancel"; the one named by "Printing"/"Printer"
// in the option file is preselected when it exists, else the server's
// default, else the first. Without a printer, on "Cancel" or when the job is
// refused, the box "No Printer Found" tells the player. Drawing failures are
// reported as error 13 ("StartPage() Failed!", "EndPage() Failed!").
//
// The cursor shows shape 1 (busy) while the routine runs and its previous
// shape again at every exit.
//
// When the environment variable RUMBO_PRINT_FILE names a file, the page (A4)
// is written there as a PDF instead, without asking for a printer: tests and
// people without a printer can look at what would be printed.
#pragma once

#include <cstdint>

class CxDrawSurface;

constexpr int32_t PRINT_MAX_PRINTERS = 6;
extern const char* const PRINT_NO_PRINTER_TITLE; // "No Printer Found"
extern const char* const PRINT_NO_PRINTER_TEXT;

// scale: the part of the page width the picture takes (the whole width when
// 0 or less). options is kept for the callers' dialog flags; no flag changes
// the result. Returns 0 when the page went to the printer (or the file), 1
// when nothing was printed (no surface; an application without its window;
// no printer; cancelled; job refused) and 13 when drawing failed (reported).
// A program without an application object (a command-line tool) prints too.
uint32_t PrintSurface(CxDrawSurface* surface, uint32_t options, float scale);
