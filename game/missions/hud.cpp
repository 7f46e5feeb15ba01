#include "game/missions/hud.h"

#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/options.h"
#include "engine/graphics/cursor.h"
#include "game/world/game_image.h"
#include "game/world/town.h"
#include "game/world/yes_no_hook.h"

#include <algorithm>

namespace {
const char* const PANEL_IMAGE = "$GAMEPATH\\HUD\\hud_fram.tga";
const char* const CLOSE_IMAGE = "$GAMEPATH\\HUD\\hud_canc.tga";
const char* const HELP_IMAGE = "$GAMEPATH\\HUD\\hud_help.tga";
const char* const SETTINGS_FILE = "$GAMEPATH\\hud\\hud.ini";
const CxPoint CLOSE_BUTTON_AT(7, 0);
const CxPoint HELP_BUTTON_AT(126, 113);
const CxPoint DEFAULT_UPPER(639, 0);
const CxPoint DEFAULT_LOWER(700, -159);
// The lower position lies this far right of the owner's right edge.
constexpr int32_t OWNER_LOWER_DX = 61;
constexpr int32_t OWNER_LOWER_Y = -159;

// Loads a picture named by a data path into sprite; false when it is missing
// or does not load (nothing reported: the caller says what failed).
bool LoadPicture(CxSprite& sprite, const std::string& name, int32_t frames)
{
    if (name.empty())
        return false;
    const CxString path = BuildGamePath("%s", name.c_str());
    return FileExists(path.c_str()) && LoadGameSprite(sprite, path.c_str(), frames) == CX_ERR_NONE;
}

void LoadButton(CFlashButton& button, const char* name, const CxPoint& at, CxDisplayObject* panel)
{
    if (!LoadPicture(button, name, BUTTON_STATE_COUNT))
    {
        LogEntry(CX_LOG_WARNING, "hud: no %s", name);
        return;
    }
    button.AttachTo(panel);
    button.SetPosition(at);
    button.SetState(BUTTON_STATE_UP);
    button.Redraw();
}
} // namespace

CHud::CHud(CTown* owner) : m_pOwner(owner)
{
    m_CloseButton.SetFlashColor(0, 80, 40);
    m_HelpButton.SetFlashColor(0, 80, 40);
    m_Slide.SetDisplayObject(this);
    if (m_pOwner)
    {
        m_pOwner->SetMotionHandler(HUD_EVENT_OPENED,
                                   [this](CxAnimation*, int32_t) { SlideDone(HUD_EVENT_OPENED); });
        m_pOwner->SetMotionHandler(HUD_EVENT_CLOSED,
                                   [this](CxAnimation*, int32_t) { SlideDone(HUD_EVENT_CLOSED); });
    }
    LoadImages();
    Reset();
}

CHud::~CHud()
{
    m_Slide.Stop();
    if (m_pOwner)
    {
        m_pOwner->SetMotionEvent(&m_Slide, -1);
        m_pOwner->SetMotionHandler(HUD_EVENT_OPENED, nullptr);
        m_pOwner->SetMotionHandler(HUD_EVENT_CLOSED, nullptr);
    }
    // Copies borrow the first right icon's frames: they go first.
    while (!m_RightIcons.empty())
        m_RightIcons.pop_back();
}

void CHud::SetMissionSets(const std::vector<CMissionSetData>& sets, int32_t missionType)
{
    m_Sets = sets;
    m_nMissionType = missionType;
}

void CHud::LoadImages()
{
    if (m_bImagesLoaded)
        return;
    // Without a game path there is nothing to load yet; a later Load tries again.
    const CxString panel = BuildGamePath("%s", PANEL_IMAGE);
    if (!FileExists(panel.c_str()) || LoadGameSprite(*this, panel.c_str(), 1) != CX_ERR_NONE)
        return;
    m_bImagesLoaded = true;
    LoadButton(m_CloseButton, CLOSE_IMAGE, CLOSE_BUTTON_AT, this);
    LoadButton(m_HelpButton, HELP_IMAGE, HELP_BUTTON_AT, this);
}

void CHud::Reset()
{
    m_Slide.Stop();
    while (!m_RightIcons.empty())
        m_RightIcons.pop_back();
    m_pLeftIcon.reset();
    m_nSetIndex = 0;
    m_nState = HUD_STATE_NONE;
    m_nSpeed = HUD_DEFAULT_SPEED;
    m_ptUpper = DEFAULT_UPPER;
    m_ptLower = DEFAULT_LOWER;
    Hide();
    SetPosition(m_ptLower, ANCHOR_TOP_RIGHT);
}

void CHud::ReadSettings()
{
    const CxString path = BuildGamePath("%s", SETTINGS_FILE);
    CxOptions file(path.c_str());
    if (FileExists(path.c_str()) && file.Load() == CX_ERR_NONE)
    {
        long speed = HUD_DEFAULT_SPEED;
        file.GetNumber("HUD", "AnimSpeed", &speed, HUD_DEFAULT_SPEED);
        // A slide that never arrives is no use: at least one pixel a second.
        m_nSpeed = static_cast<int32_t>(std::clamp(speed, 1L, 100000L));
        file.GetPoint("HUD", "UpperPosition", &m_ptUpper, DEFAULT_UPPER);
        file.GetPoint("HUD", "LowerPosition", &m_ptLower, DEFAULT_LOWER);
    }
    if (m_pOwner)
    {
        const int32_t right = m_pOwner->GetWidth() - 1;
        m_ptUpper = CxPoint(right, 0);
        m_ptLower = CxPoint(right + OWNER_LOWER_DX, OWNER_LOWER_Y);
    }
}

const CMissionSetData* CHud::CurrentSet() const
{
    if (m_nSetIndex < 0 || static_cast<size_t>(m_nSetIndex) >= m_Sets.size())
        return nullptr;
    return &m_Sets[static_cast<size_t>(m_nSetIndex)];
}

uint32_t CHud::Load()
{
    Reset();
    LoadImages();
    if (m_pOwner && GetParent() != m_pOwner)
    {
        SetDepth(0);
        AttachTo(m_pOwner);
    }
    m_nState = HUD_STATE_LOADED;
    ReadSettings();
    SetPosition(m_ptLower, ANCHOR_TOP_RIGHT);
    Redraw();
    if (m_nMissionType == -1)
    {
        ReportError(CX_ERR_UNKNOWN, "Could not load mission specific data.");
        return CX_ERR_UNKNOWN;
    }
    // No set (none declared, or the index past them): the panel alone.
    if (const CMissionSetData* set = CurrentSet())
    {
        CreateLeftIcon(*set);
        CreateRightIcons(*set);
    }
    return CX_ERR_NONE;
}

void CHud::CreateLeftIcon(const CMissionSetData& set)
{
    m_pLeftIcon.reset();
    if (set.strLeftIconName.empty())
        return;
    auto icon = std::make_unique<CxSprite>();
    if (!LoadPicture(*icon, set.strLeftIconName, 1))
    {
        ReportError(CX_ERR_UNKNOWN, "Could not create left icon.");
        return;
    }
    icon->AttachTo(this);
    icon->SetPosition(set.ptLeftIconPos);
    icon->Redraw();
    m_pLeftIcon = std::move(icon);
}

void CHud::CreateRightIcons(const CMissionSetData& set)
{
    const int32_t count = std::min(
        {set.nNumRightIcons, static_cast<int32_t>(set.rightIconPositions.size()), HUD_MAX_RIGHT_ICONS});
    CxSprite* first = nullptr;
    for (int32_t j = 0; j < count; ++j)
    {
        auto icon = std::make_unique<CxSprite>();
        // The others share the frames of icon 0; without it there are none.
        const bool made = j == 0 ? LoadPicture(*icon, set.strRightIconName, 2)
                                 : first && icon->SetImage(first->GetImage(), 2, true) == CX_ERR_NONE;
        if (!made)
        {
            ReportError(CX_ERR_UNKNOWN, "Could not create right icon, %d.", j);
            if (j == 0)
                return;
            continue;
        }
        icon->SetKey(first ? first->GetKey() : icon->GetKey());
        icon->SetFrame(0);
        icon->AttachTo(this);
        icon->SetPosition(set.rightIconPositions[static_cast<size_t>(j)]);
        icon->Redraw();
        if (j == 0)
            first = icon.get();
        m_RightIcons.push_back(std::move(icon));
    }
}

void CHud::NextSet()
{
    if (m_nSetIndex >= static_cast<int32_t>(m_Sets.size()))
        return;
    ++m_nSetIndex;
    const CMissionSetData* set = CurrentSet();
    if (!set)
        return; // the last set's icons stay
    if (m_pLeftIcon && !set->strLeftIconName.empty())
    {
        if (LoadPicture(*m_pLeftIcon, set->strLeftIconName, 1))
        {
            m_pLeftIcon->SetPosition(set->ptLeftIconPos);
            m_pLeftIcon->Redraw();
        }
        else
        {
            ReportError(CX_ERR_UNKNOWN, "Could not create left icon.");
            m_pLeftIcon.reset();
        }
    }
    else
        m_pLeftIcon.reset();
    while (!m_RightIcons.empty())
        m_RightIcons.pop_back();
    CreateRightIcons(*set);
}

bool CHud::IsLastHudSet() const
{
    return m_nSetIndex >= static_cast<int32_t>(m_Sets.size()) - 1;
}

void CHud::LightIcon(int32_t index, int32_t frame)
{
    if (index < 0 || static_cast<size_t>(index) >= m_RightIcons.size())
        return;
    CxSprite& icon = *m_RightIcons[static_cast<size_t>(index)];
    if (frame >= 0 && frame < icon.GetFrameCount())
        icon.SetFrame(frame);
}

void CHud::Slide(const CxPoint& to, int32_t event)
{
    m_Slide.Stop();
    m_Slide.RemoveAllActions();
    // From where the panel is: a slide turned back halfway does not jump.
    CxPoint from;
    GetAnchorPoint(from, ANCHOR_TOP_RIGHT);
    ST_ANIM_ACTION action;
    action.nFlags = ANIM_POSITION | ANIM_MOVE | ANIM_ANCHOR | ANIM_SPEED | ANIM_STOP_AFTER;
    action.nX = from.x;
    action.nY = from.y;
    action.nTargetX = to.x;
    action.nTargetY = to.y;
    action.nAnchor = ANCHOR_TOP_RIGHT;
    action.fSpeed = static_cast<float>(m_nSpeed);
    m_Slide.AddActions(&action, 1);
    m_Slide.SetDisplayObject(this);
    m_nSlideEvent = event;
    if (m_pOwner)
        m_pOwner->SetMotionEvent(&m_Slide, event);
    else
        m_Slide.SetListener(this);
    m_Slide.Start(0);
}

void CHud::Open()
{
    // Not loaded, or already up or on its way: nothing to do.
    if (m_nState == HUD_STATE_NONE || m_nState == HUD_STATE_OPENING || m_nState == HUD_STATE_OPEN)
        return;
    m_nState = HUD_STATE_OPENING;
    Slide(m_ptUpper, HUD_EVENT_OPENED);
}

void CHud::Close()
{
    // Only a panel that is up or on its way up goes down.
    if (m_nState != HUD_STATE_OPENING && m_nState != HUD_STATE_OPEN)
        return;
    m_nState = HUD_STATE_CLOSING;
    Slide(m_ptLower, HUD_EVENT_CLOSED);
}

void CHud::SlideDone(int32_t event)
{
    // A slide replaced by the opposite one reports nothing.
    if (event != m_nSlideEvent)
        return;
    m_nSlideEvent = -1;
    if (event == HUD_EVENT_OPENED && m_nState == HUD_STATE_OPENING)
        m_nState = HUD_STATE_OPEN;
    else if (event == HUD_EVENT_CLOSED && m_nState == HUD_STATE_CLOSING)
        m_nState = HUD_STATE_CLOSED;
}

void CHud::OnAnimationActionDone(CxAnimation* animation)
{
    if (animation == &m_Slide)
        SlideDone(m_nSlideEvent);
}

void CHud::FlashOn(int32_t target)
{
    if (target == HUD_FLASH_CLOSE)
        m_CloseButton.StartFlashing();
    else if (target == HUD_FLASH_HELP)
        m_HelpButton.StartFlashing();
}

void CHud::FlashOff(int32_t target)
{
    if (target == HUD_FLASH_CLOSE)
        m_CloseButton.StopFlashing();
    else if (target == HUD_FLASH_HELP)
        m_HelpButton.StopFlashing();
}

void CHud::HelpButtonOn()
{
    m_HelpButton.Enable();
}

void CHud::HelpButtonOff()
{
    m_HelpButton.Disable();
}

bool CHud::ContainsPoint(const CxPoint& screenPoint) const
{
    return IsShown() && GetScreenArea().Contains(screenPoint);
}

void CHud::OnMouseMove(uint32_t, const CxPoint&)
{
    // The truck does not chase a pointer resting on the panel; the player
    // is still there, though.
    SetCursorShape(CX_CURSOR_ARROW);
    if (m_pOwner)
        m_pOwner->RestartIdleTimer();
}

void CHud::OnLButtonDown(uint32_t, const CxPoint&)
{
    if (m_pOwner)
        m_pOwner->RestartIdleTimer();
}

void CHud::OnLButtonUp(uint32_t, const CxPoint&) {}

void CHud::NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d)
{
    const CxButton* button = ButtonFromNotify(b);
    if (c == BUTTON_NOTIFY_CLICKED && button == &m_CloseButton)
        CloseClicked();
    else if (c == BUTTON_NOTIFY_CLICKED && button == &m_HelpButton)
        HelpClicked();
    CxSprite::NotifyParent(a, b, c, d);
}

void CHud::CloseClicked()
{
    if (m_pOwner && m_pOwner->AskYesNo(HUD_STOP_QUESTION) == YES_NO_ANSWER_YES)
        m_pOwner->HandleCommand(CxString("StopMission"), CxLinkedList<CxString>());
}

void CHud::HelpClicked()
{
    if (m_pOwner && !m_strHelpFile.empty())
        m_pOwner->PlaySequence(m_strHelpFile.c_str());
}
