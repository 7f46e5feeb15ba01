// CxDialogBox: a sprite that runs a nested main loop until it is ended, so
// that the code which opens it can wait for the player's answer.
//
// DoModal pumps the application's messages exactly as the main loop does:
// input is dispatched, timers, sounds, main-loop functions and the room
// update keep running and the screen is redrawn on every pass. While it runs
// the dialog holds the keyboard focus and the mouse capture; both go back to
// where they were when it returns. The capture keeps the rest of the display
// away from the mouse, while the objects inside the dialog (its buttons)
// still get the input over them. It returns when EndDialog was called
// (from an input handler, a timer, a main-loop function...), when the
// application quits, or once three errors have been reported, the same
// limit that ends the main loop.
#pragma once

#include "engine/graphics/sprite.h"

#include <cstdint>

// Hit-mask bits of a dialog box (bits 0 and 2).
constexpr uint32_t DIALOG_BOX_HIT_MASK = 5;

class CxDialogBox : public CxSprite
{
public:
    CxDialogBox();
    ~CxDialogBox() override;

    // Runs the nested loop; returns the dialog's error code (0 normally). A
    // dialog that already has an error returns it at once without running.
    virtual uint32_t DoModal();
    // Ends the nested loop after the pass that is running.
    virtual void EndDialog();

    bool IsDone() const { return m_bDone != 0; }
    // True while DoModal of this dialog is running.
    bool IsModal() const { return m_nModalDepth > 0; }

protected:
    int32_t m_bDone = 0;

private:
    int32_t m_nModalDepth = 0;
};
