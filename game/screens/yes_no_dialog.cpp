#include "game/screens/yes_no_dialog.h"

#include "engine/core/event.h"
#include "engine/core/game_path.h"
#include "engine/frame/game_app.h"
#include "engine/frame/system_events.h"
#include "game/world/base_window.h"
#include "game/world/game_image.h"

#include <cstdio>
#include <new>

const char* const YES_NO_CATEGORY = "YesNo";
const char* const YES_NO_BUTTON_SOUND = "$GAMEPATH\\common\\yndl_btn_sfx.wav";

namespace {
constexpr int32_t YES_NO_BUTTON_FRAMES = 5;

#define YN_COMMON "$GAMEPATH\\common\\"
#define YN_TWO_BUTTONS(sequence, background)                                                                 \
    {                                                                                                        \
        YN_COMMON sequence, YN_COMMON background, YN_COMMON "yn_yes.tga", CxPoint(58, 329),                  \
            YN_COMMON "yn_no.tga", CxPoint(260, 327), nullptr, CxPoint()                                     \
    }

const YesNoLayout s_Layouts[YES_NO_TYPE_COUNT] = {
    YN_TWO_BUTTONS("Exit.seq", "yn_bg.tga"),
    YN_TWO_BUTTONS("DeletePlayer.seq", "yn_bg.tga"),
    YN_TWO_BUTTONS("LeaveRoom.seq", "yn_bg.tga"),
    YN_TWO_BUTTONS("CloseHud.seq", "yn_bg.tga"),
    YN_TWO_BUTTONS("ChangeCar.seq", "yn_bg.tga"),
    YN_TWO_BUTTONS("PlayAgain.seq", "playagain_bg.tga"),
    {YN_COMMON "BuyGame.seq", YN_COMMON "sellbg.tga", YN_COMMON "sellexitbtn.tga", CxPoint(440, 353),
     YN_COMMON "selllinkbtn.tga", CxPoint(160, 349), YN_COMMON "sellplaybtn.tga", CxPoint(277, 362)},
};
#undef YN_TWO_BUTTONS
#undef YN_COMMON
} // namespace

const YesNoLayout* GetYesNoLayout(int32_t type)
{
    return type >= 0 && type < YES_NO_TYPE_COUNT ? &s_Layouts[type] : nullptr;
}

CYesNoQuestion* CreateYesNoDialog(int32_t type)
{
    if (!GetYesNoLayout(type))
        return nullptr;
    return new (std::nothrow) CYesNoDialog(type);
}

CYesNoDialog::CYesNoDialog(int32_t type) : m_nType(type)
{
    const YesNoLayout& layout = *GetYesNoLayout(type);
    // A picture or sound that fails to load leaves that part empty (the
    // loader reports it); the question still works with the keys.
    LoadGameSprite(*this, BuildGamePath("%s", layout.background).c_str());
    PlaceButton(m_YesButton, layout.yes, layout.yesAt);
    PlaceButton(m_NoButton, layout.no, layout.noAt);
    if (layout.third)
        PlaceButton(m_ThirdButton, layout.third, layout.thirdAt);
    m_Wave.Load(BuildGamePath("%s", YES_NO_BUTTON_SOUND).c_str());

    ST_EVENT_DEF definition{};
    snprintf(definition.m_szCategory, sizeof(definition.m_szCategory), "%s", YES_NO_CATEGORY);
    definition.m_pCreator = this;
    RegisterEventCreator(YES_NO_CATEGORY, definition);

    // The explanation runs on a channel of its own: the room that asks is
    // paused, and with it its channel.
    CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
    CBaseWindow* room = app ? dynamic_cast<CBaseWindow*>(app->GetCurRoom()) : nullptr;
    if (room && CreateChannel(&m_nChannel) == CX_ERR_NONE)
        room->PlaySequence(BuildGamePath("%s", layout.sequence).c_str(), m_nChannel);
}

CYesNoDialog::~CYesNoDialog()
{
    StopCommands();
    if (m_nChannel != 0 && IsChannelValid(m_nChannel))
        DestroyChannel(m_nChannel);
    CFlashButton* buttons[] = {&m_YesButton, &m_NoButton, &m_ThirdButton};
    for (CFlashButton* button : buttons)
    {
        button->StopFlashing();
        button->Hide();
        button->Detach();
    }
    Hide();
    Detach();
    m_Wave.Stop();
}

void CYesNoDialog::PlaceButton(CFlashButton& button, const char* picture, const CxPoint& at)
{
    LoadGameSprite(button, BuildGamePath("%s", picture).c_str(), YES_NO_BUTTON_FRAMES);
    button.AttachTo(this);
    button.MoveTo(at);
}

void CYesNoDialog::StopCommands()
{
    // Only this dialog's own registration goes.
    if (FindEventCreator(YES_NO_CATEGORY) == this)
        UnregisterEventCreator(YES_NO_CATEGORY);
}

void CYesNoDialog::ResetAnswer()
{
    m_nAnswer = YES_NO_ANSWER_NO;
    CFlashButton* buttons[] = {&m_YesButton, &m_NoButton, &m_ThirdButton};
    for (CFlashButton* button : buttons)
        button->SetState(BUTTON_STATE_UP);
}

CxEvent* CYesNoDialog::CreateEvent(const CxString& category, const CxString& command,
                                   const CxLinkedList<CxString>& arguments)
{
    if (!category.EqualsNoCase(YES_NO_CATEGORY))
        return nullptr;
    return new (std::nothrow) CCommandEvent(this, command, arguments);
}

CFlashButton* CYesNoDialog::ButtonNamed(const CxString& name)
{
    if (name.EqualsNoCase("Yes"))
        return &m_YesButton;
    if (name.EqualsNoCase("No"))
        return &m_NoButton;
    return nullptr;
}

void CYesNoDialog::HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    auto* first = arguments.GetHead();
    CFlashButton* button = first ? ButtonNamed(first->m_Value) : nullptr;
    if (!button)
        return;
    if (command.EqualsNoCase("StartFlashButton"))
        button->StartFlashing();
    else if (command.EqualsNoCase("StopFlashButton"))
        button->StopFlashing();
}

void CYesNoDialog::NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d)
{
    CxButton* button = ButtonFromNotify(b);
    if (button && c == BUTTON_NOTIFY_DOWN)
    {
        // Every press clicks, from the start.
        m_Wave.Stop();
        m_Wave.Play();
    }
    else if (button && c == BUTTON_NOTIFY_CLICKED)
    {
        if (button == &m_YesButton)
            Answer(YES_NO_ANSWER_YES);
        else if (button == &m_NoButton)
            Answer(YES_NO_ANSWER_NO);
        else
            Answer(YES_NO_ANSWER_THIRD);
    }
    CYesNoQuestion::NotifyParent(a, b, c, d);
}

void CYesNoDialog::OnKeyDown(uint32_t key, uint32_t flags)
{
    if (key == 'Y' || key == 'y')
        Answer(YES_NO_ANSWER_YES);
    else if (key == 'N' || key == 'n')
        Answer(YES_NO_ANSWER_NO);
    else
        CYesNoQuestion::OnKeyDown(key, flags);
}

void CYesNoDialog::Answer(int32_t answer)
{
    m_nAnswer = answer;
    if (m_nChannel != 0 && IsChannelValid(m_nChannel))
        FlushChannel(m_nChannel);
    StopCommands();
    EndDialog();
}
