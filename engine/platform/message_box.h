// System message boxes.
//
// With a display, an SDL message box, a dialog of the program's window when
// there is one (in front of it, and modal to it). Without one (no X11 or Wayland display,
// or SDL's dummy/offscreen video driver, as in tests) the box is printed to
// standard error and answered with its default button, or with the button
// whose text the environment variable RUMBO_MESSAGEBOX names.
#pragma once

#include <cstdint>

enum CxMessageBoxIcon
{
    CX_MB_ICON_ERROR,
    CX_MB_ICON_WARNING,
    CX_MB_ICON_INFORMATION
};

// Shows the box and returns the index of the chosen button.
int32_t ShowMessageBox(const char* title, const char* text, const char* const* buttons, int32_t buttonCount,
                       int32_t defaultButton, CxMessageBoxIcon icon);

// True when boxes cannot be shown on a screen and go to standard error.
bool IsMessageBoxHeadless();

// Answers every later box with the button of this text, as RUMBO_MESSAGEBOX
// does, for a program that must choose while it runs (tests): changing the
// environment then is unsafe, since SDL's threads read it as they start.
// nullptr hands the choice back to the environment.
void SetMessageBoxAnswer(const char* answer);

// The error handler that shows a report as a system box titled with the
// code's text. Answers 1 ("OK", or "Retry" for the missing-disc code) or 0 ("Cancel").
int32_t ShowErrorBox(uint32_t code, const char* text);
