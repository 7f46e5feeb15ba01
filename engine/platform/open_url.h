// Opening a web page in the desktop's browser.
//
// The page is handed to "xdg-open" as one argument of its argument vector
// (no shell ever sees it), with its standard streams on /dev/null, and the
// program does not wait for it. Only "http://", "https://" and "file://"
// addresses are opened: the address comes from a file the player may edit,
// and anything else (a "javascript:" address, an option such as "-x") is
// refused. The opener can be replaced, so that tests never start a browser
// and can see what the game asked to open.
#pragma once

#include <cstdint>
#include <string>

constexpr int32_t CX_OPEN_URL_STARTED = 0;
constexpr int32_t CX_OPEN_URL_REFUSED = 1; // not an address that may be opened
constexpr int32_t CX_OPEN_URL_FAILED = 2;  // no opener could be started

// Opens url; why (when given) receives the reason of a failure.
using PFN_OPEN_WEB_PAGE = int32_t (*)(const char* url, std::string* why);

// True for a non-empty http, https or file address without control characters.
bool IsOpenableUrl(const char* url);
// Opens url with the installed opener (xdg-open unless replaced).
int32_t OpenWebPage(const char* url, std::string* why = nullptr);
// Replaces the opener (null: xdg-open); returns the previous one.
PFN_OPEN_WEB_PAGE SetWebPageOpener(PFN_OPEN_WEB_PAGE opener);
// The xdg-open opener itself.
int32_t SpawnWebPageOpener(const char* url, std::string* why);
// Waits for every opener started so far to end (tests; the game never waits).
void WaitForWebPageOpeners();
