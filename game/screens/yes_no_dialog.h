// CYesNoDialog: the game's confirmation dialogs and its closing screen.
//
// One class shows every question; the type picks the pictures and the
// spoken explanation (a sequence file whose "YesNo" lines make the buttons
// flash in time with the voice). The dialog answers 1 for the Yes picture
// or the keys Y/y, 0 for the No picture or N/n, and 2 for the third picture,
// which only the closing screen (type 6) has. Answering silences the
// explanation at once and ends the modal loop.
#pragma once

#include "engine/base/geometry.h"
#include "engine/core/command_handler.h"
#include "engine/core/event_creator.h"
#include "engine/media/wave.h"
#include "engine/ui/flash_button.h"
#include "game/world/yes_no_hook.h"

#include <cstdint>

constexpr int32_t YES_NO_TYPE_EXIT = 0;
constexpr int32_t YES_NO_TYPE_DELETE_PLAYER = 1;
constexpr int32_t YES_NO_TYPE_LEAVE_ROOM = 2;
constexpr int32_t YES_NO_TYPE_CLOSE_HUD = 3;
constexpr int32_t YES_NO_TYPE_CHANGE_CAR = 4;
constexpr int32_t YES_NO_TYPE_PLAY_AGAIN = 5;
constexpr int32_t YES_NO_TYPE_CLOSING = 6;
constexpr int32_t YES_NO_TYPE_COUNT = 7;
// The event category of the dialogs' sequence lines.
extern const char* const YES_NO_CATEGORY;
extern const char* const YES_NO_BUTTON_SOUND;

// The pictures and explanation of a type (names with path roots).
struct YesNoLayout
{
    const char* sequence;
    const char* background;
    const char* yes;
    CxPoint yesAt;
    const char* no;
    CxPoint noAt;
    const char* third; // null: two buttons
    CxPoint thirdAt;
};

// The layout of a type, or null outside 0..6.
const YesNoLayout* GetYesNoLayout(int32_t type);

class CYesNoDialog : public CYesNoQuestion, public CxEventCreator, public CCommandHandler
{
public:
    // Loads the type's pictures and sound, registers "YesNo" and starts the
    // explanation on a channel of the dialog's own. The type must be 0..6.
    explicit CYesNoDialog(int32_t type);
    ~CYesNoDialog() override;

    int32_t GetAnswer() const override { return m_nAnswer; }
    void ResetAnswer() override;
    bool HasOwnPlace() const override { return m_nType == YES_NO_TYPE_CLOSING; }

    // "YesNo" lines become commands for this dialog; other categories nothing.
    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override;
    // "StartFlashButton" / "StopFlashButton" with "Yes" or "No".
    void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) override;
    // A press plays the button sound; a click answers.
    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override;
    // Y/y and N/n answer; other keys go the default way.
    void OnKeyDown(uint32_t key, uint32_t flags) override;

    // Sets the answer, silences the explanation, unregisters "YesNo" and
    // ends the modal loop.
    void Answer(int32_t answer);

    int32_t GetType() const { return m_nType; }
    uint32_t GetChannel() const { return m_nChannel; }
    CFlashButton& GetYesButton() { return m_YesButton; }
    CFlashButton& GetNoButton() { return m_NoButton; }
    CFlashButton& GetThirdButton() { return m_ThirdButton; }
    CxWave& GetWave() { return m_Wave; }

private:
    void PlaceButton(CFlashButton& button, const char* picture, const CxPoint& at);
    CFlashButton* ButtonNamed(const CxString& name);
    void StopCommands();

    CFlashButton m_YesButton;
    CFlashButton m_NoButton;
    CFlashButton m_ThirdButton;
    int32_t m_nAnswer = YES_NO_ANSWER_NO;
    uint32_t m_nChannel = 0;
    CxWave m_Wave;
    int32_t m_nType;
};

// The factory the application installs: the dialog of the type, or null
// outside 0..6 (or when out of memory).
CYesNoQuestion* CreateYesNoDialog(int32_t type);
