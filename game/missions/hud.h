// CHud: the heads-up display of a mission, a panel that slides into the
// top-right corner of the town view. It shows the mission's item as a left
// icon and one right icon per item to find (frame 0 unlit, frame 1 lit when
// the item is collected), a close button and a help button; both buttons can
// blink in the flash colour.
//
// The panel comes from "$GAMEPATH\HUD\hud_fram.tga"; the close button
// ("hud_canc.tga", 5 frames) sits at (7, 0), the help button ("hud_help.tga",
// 5 frames) at (126, 113). "$GAMEPATH\hud\hud.ini" [HUD] gives "AnimSpeed"
// (300), "UpperPosition" (639,0) and "LowerPosition" (700,-159); for a town
// as owner the two positions follow its right edge R instead: (R, 0) and
// (R + 61, -159). Positions are the panel's top-right corner.
//
// The icons come from the mission's HUD sets, handed over with SetMissionSets; a
// mission may step through several sets ("NextHudSet").
//
// States: 0 not loaded, 1 loaded, 2 opening, 3 open, 4 closing, 5 closed.
// Each slide starts where the panel is; closing a panel that is not up or
// on its way up, or opening one that is, changes nothing.
// The slides report to the owner town under motion events 1 (opening done:
// state 3) and 0 (closing done: state 5); without an owner the HUD hears
// its own slides.
//
// Mouse: over the panel the arrow cursor (4) is selected and the movement
// goes no further. A click on the close button asks confirmation dialog 3;
// yes stops the mission ("StopMission" through the town). A click on the
// help button plays the town's help file ("SetHelpFileName") on the town's
// channel.
#pragma once

#include "engine/base/geometry.h"
#include "engine/graphics/animation.h"
#include "engine/graphics/sprite.h"
#include "engine/ui/flash_button.h"
#include "game/missions/mission_data.h"
#include "game/world/town_seams.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CTown;

enum EHudState : int32_t
{
    HUD_STATE_NONE = 0,
    HUD_STATE_LOADED = 1,
    HUD_STATE_OPENING = 2,
    HUD_STATE_OPEN = 3,
    HUD_STATE_CLOSING = 4,
    HUD_STATE_CLOSED = 5,
};

// Motion events the slides report to the owner.
constexpr int32_t HUD_EVENT_CLOSED = 0;
constexpr int32_t HUD_EVENT_OPENED = 1;
constexpr int32_t HUD_DEFAULT_SPEED = 300;
constexpr int32_t HUD_MAX_RIGHT_ICONS = 100;
// Flash targets of ITownHud::FlashOn/FlashOff (the town's numbering).
constexpr int32_t HUD_FLASH_STOP = 0;
constexpr int32_t HUD_FLASH_CLOSE = 1;
constexpr int32_t HUD_FLASH_HELP = 2;
// The confirmation dialog asked before the mission is stopped.
constexpr int32_t HUD_STOP_QUESTION = 3;

class CHud : public CxSprite, public ITownHud, public CxAnimationListener
{
public:
    // Owner: the town the HUD belongs to (it must outlive the HUD; one HUD
    // per town at a time: the HUD holds the town's motion events 0 and 1), or null.
    explicit CHud(CTown* owner = nullptr);
    ~CHud() override;
    using CxSprite::Load;

    // ITownHud: "LoadHud", "OpenHud", "CloseHud", "NextHudSet", flashing,
    // the help button, the help file and hit testing.
    uint32_t Load() override;
    void Open() override;
    void Close() override;
    void NextSet() override;
    void FlashOn(int32_t target) override;
    void FlashOff(int32_t target) override;
    void HelpButtonOn() override;
    void HelpButtonOff() override;
    void SetHelpFile(const char* fileName) override { m_strHelpFile = fileName ? fileName : ""; }
    void SetMissionSets(const std::vector<CMissionSetData>& sets, int32_t missionType) override;
    bool ContainsPoint(const CxPoint& screenPoint) const override;
    void LightIcon(int32_t index, int32_t frame) override;
    bool IsLastHudSet() const override;

    // Deletes the icons, set index 0, state 0, defaults; the panel hidden at
    // the lower position.
    void Reset();

    void OnMouseMove(uint32_t buttons, const CxPoint& point) override;
    void OnLButtonDown(uint32_t buttons, const CxPoint& point) override;
    void OnLButtonUp(uint32_t buttons, const CxPoint& point) override;
    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override;
    // A slide of the HUD without an owner ended.
    void OnAnimationActionDone(CxAnimation* animation) override;

    int32_t GetState() const { return m_nState; }
    int32_t GetSetIndex() const { return m_nSetIndex; }
    int32_t GetSpeed() const { return m_nSpeed; }
    const CxPoint& GetUpperPosition() const { return m_ptUpper; }
    const CxPoint& GetLowerPosition() const { return m_ptLower; }
    CxSprite* GetLeftIcon() const { return m_pLeftIcon.get(); }
    size_t GetRightIconCount() const { return m_RightIcons.size(); }
    CxSprite* GetRightIcon(size_t index) const
    {
        return index < m_RightIcons.size() ? m_RightIcons[index].get() : nullptr;
    }
    CFlashButton& GetCloseButton() { return m_CloseButton; }
    CFlashButton& GetHelpButton() { return m_HelpButton; }
    CxAnimation& GetSlide() { return m_Slide; }

private:
    // The panel and the two buttons, when not loaded yet.
    void LoadImages();
    void ReadSettings();
    void CreateLeftIcon(const CMissionSetData& set);
    void CreateRightIcons(const CMissionSetData& set);
    void Slide(const CxPoint& to, int32_t event);
    void SlideDone(int32_t event);
    void CloseClicked();
    void HelpClicked();
    const CMissionSetData* CurrentSet() const;

    CxAnimation m_Slide;
    CFlashButton m_CloseButton;
    CFlashButton m_HelpButton;
    int32_t m_nState = HUD_STATE_NONE;
    CxPoint m_ptUpper{639, 0};
    CxPoint m_ptLower{700, -159};
    int32_t m_nSpeed = HUD_DEFAULT_SPEED;
    std::unique_ptr<CxSprite> m_pLeftIcon;
    std::vector<std::unique_ptr<CxSprite>> m_RightIcons;
    int32_t m_nSetIndex = 0;

    CTown* m_pOwner;
    std::vector<CMissionSetData> m_Sets;
    int32_t m_nMissionType = -1;
    int32_t m_nSlideEvent = -1;
    std::string m_strHelpFile;
    bool m_bImagesLoaded = false;
};
