// CYesNoHook: the holder of the one confirmation dialog a room may show.
//
// The dialogs themselves (pictures, buttons, the spoken explanation) are
// made by a factory that the screens install; the hook only creates the
// dialog of a type, runs it modally on top of the display and returns the
// answer. Without a factory, or when the dialog cannot be made, the answer
// is 0 (no) and nothing is shown.
#pragma once

#include "engine/ui/dialog_box.h"

#include <cstdint>

// Answers of a confirmation dialog.
constexpr int32_t YES_NO_ANSWER_NO = 0;
constexpr int32_t YES_NO_ANSWER_YES = 1;
constexpr int32_t YES_NO_ANSWER_THIRD = 2;

// A confirmation dialog as the hook sees it.
class CYesNoQuestion : public CxDialogBox
{
public:
    // 1 yes, 0 no, 2 the third button.
    virtual int32_t GetAnswer() const = 0;
    // Clears the answer and puts every button into its normal state.
    virtual void ResetAnswer() = 0;
    // True when the dialog's picture places it; otherwise it goes to the origin.
    virtual bool HasOwnPlace() const { return false; }
};

// Makes the dialog of a type, or null.
using PFN_CREATE_YES_NO = CYesNoQuestion* (*)(int32_t type);

class CYesNoHook
{
public:
    CYesNoHook() = default;
    // Deletes a dialog still held.
    ~CYesNoHook();
    CYesNoHook(const CYesNoHook&) = delete;
    CYesNoHook& operator=(const CYesNoHook&) = delete;

    // Shows the dialog of that type modally and returns the answer. shown
    // (when given) tells whether a dialog was shown and answered: the answer
    // 0 of a question that never showed (no factory, no dialog, one already
    // open) or that ended without an answer (the program quit meanwhile) is
    // not the player's.
    int32_t Ask(int32_t type, bool* shown = nullptr);
    // The dialog being shown, null when none is.
    CYesNoQuestion* GetDialog() const { return m_pDialog; }

    // Installs the factory (null removes it); returns the previous one.
    static PFN_CREATE_YES_NO SetDialogFactory(PFN_CREATE_YES_NO factory);

private:
    CYesNoQuestion* m_pDialog = nullptr;
};
