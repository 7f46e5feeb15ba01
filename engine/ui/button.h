// Picture buttons: CxButton (a push button), CxRadioButton and CxRadioGroup.
//
// A button is a sprite whose image holds one frame per state, five equal
// frames side by side. It follows the mouse by itself and tells its parent
// what happened with NotifyParent(0, button, code, 0), which bubbles up the
// display tree until an object handles it; the second argument is the
// button as a CxDisplayObject* (ButtonFromNotify turns it back).
//
// States:              push button             radio button
//   0                  up                      not selected
//   1                  down                    selected
//   2                  up, pointer over it     not selected, pointer over it
//   3                  down, pointer over it   selected, pointer over it
//   4                  disabled                disabled
//
// While the pointer is over a button the button holds the mouse capture, so
// that it still receives the movement that takes the pointer off it. The
// mouse points the handlers receive are in the button's own coordinates
// (as the display objects' input dispatch hands them over).
//
// A radio group is a plain container: when one of its radio buttons becomes
// selected, the others go back to "not selected".
#pragma once

#include "engine/graphics/sprite.h"

#include <cstdint>

// Hit masks: a button has bits 0 and 3; a radio button adds bit 7, which is
// how a group recognises its radio buttons.
constexpr uint32_t BUTTON_HIT_MASK = 9;
constexpr uint32_t RADIO_BUTTON_HIT_MASK = 137;

constexpr int32_t BUTTON_STATE_COUNT = 5;
constexpr int32_t BUTTON_STATE_NONE = -1; // no saved state
constexpr int32_t BUTTON_STATE_UP = 0;
constexpr int32_t BUTTON_STATE_DOWN = 1;
constexpr int32_t BUTTON_STATE_UP_OVER = 2;
constexpr int32_t BUTTON_STATE_DOWN_OVER = 3;
constexpr int32_t BUTTON_STATE_DISABLED = 4;

// Notification codes (third argument of NotifyParent).
constexpr intptr_t BUTTON_NOTIFY_UP = 0;
constexpr intptr_t BUTTON_NOTIFY_DOWN = 1; // a radio button: selected
constexpr intptr_t BUTTON_NOTIFY_ENTER = 2;
constexpr intptr_t BUTTON_NOTIFY_DISABLED = 4;
constexpr intptr_t BUTTON_NOTIFY_CLICKED = 10;
constexpr intptr_t BUTTON_NOTIFY_LEAVE = 11; // also when a press ends outside the button

class CxButton;
// The button that sent a notification, from its second argument; null when
// that was not a button.
CxButton* ButtonFromNotify(intptr_t b);

class CxButton : public CxSprite
{
public:
    CxButton();
    ~CxButton() override;

    // Stores the state and shows its frame; then, when the state changed and
    // the button has a parent, notifies it (see button.cpp). States outside
    // 0..4 are stored without a frame change or notification.
    virtual void SetState(int32_t state);
    virtual int32_t GetState() const;

    // Clears the disabled flag and returns to the saved state (up when none).
    void Enable() override;
    // Releases the mouse, saves the state (push buttons forget it, radio
    // buttons keep their selection), shows state 4 and sets the disabled flag.
    void Disable() override;
    // Gives up every mouse capture, then hides.
    void Hide() override;

    void OnMouseMove(uint32_t buttons, const CxPoint& point) override;
    void OnLButtonDown(uint32_t buttons, const CxPoint& point) override;
    void OnLButtonUp(uint32_t buttons, const CxPoint& point) override;

    // The frame shown for a state (0..4); the frames 0..4 after construction.
    void SetStateFrame(int32_t state, int32_t frame);
    int32_t GetStateFrame(int32_t state) const;
    int32_t GetSavedState() const { return m_nSavedState; }

protected:
    // True when point (button coordinates) is over the button: inside its
    // visible rectangle and, with pixel-exact hit testing, on an opaque pixel.
    bool IsPointOver(const CxPoint& point);
    // Holds the capture, taking it only when not held yet (taking it again
    // would stack the button on itself and one release would not free it).
    void HoldCapture();
    void Notify(intptr_t code);
    bool IsDisabled() const { return !IsEnabled() || m_nState == BUTTON_STATE_DISABLED; }
    virtual bool IsRadioButton() const { return false; }

    int32_t m_nStateFrame[BUTTON_STATE_COUNT] = {0, 1, 2, 3, 4};
    int32_t m_nState = BUTTON_STATE_UP;
    int32_t m_nSavedState = BUTTON_STATE_NONE;
};

class CxRadioButton : public CxButton
{
public:
    CxRadioButton();
    ~CxRadioButton() override;

    void OnMouseMove(uint32_t buttons, const CxPoint& point) override;
    void OnLButtonDown(uint32_t buttons, const CxPoint& point) override;
    void OnLButtonUp(uint32_t buttons, const CxPoint& point) override;

    bool IsSelected() const { return m_nState == BUTTON_STATE_DOWN || m_nState == BUTTON_STATE_DOWN_OVER; }

protected:
    bool IsRadioButton() const override { return true; }
};

class CxRadioGroup : public CxSprite
{
public:
    CxRadioGroup();
    ~CxRadioGroup() override;

    // Enable every disabled child radio button (or disable every enabled
    // one), then clear (or set) the group's own disabled flag.
    void Enable() override;
    void Disable() override;
    // A child radio button that became selected puts the group's other
    // enabled radio buttons back to state 0; every notification then goes
    // on to the group's parent.
    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override;

    // The child radio button that is selected, or null.
    CxButton* GetSelected() const;

    // A child recognised as a radio button by its hit mask, as a button; null otherwise.
    static CxButton* AsRadioButton(CxDisplayObject* object);
};
