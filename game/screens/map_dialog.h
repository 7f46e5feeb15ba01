// CMapDialog: the town map the player opens with the map button.
//
// A picture of the town with one radio button per building (only the
// painted shape of a building reacts to the mouse), an exit button and a go
// button. Choosing a building speaks its name; go closes the map with that
// building chosen, exit (or Escape, M, or the quit keys) closes it with
// none, or with the choice unchanged for the keys.
#pragma once

#include "engine/base/geometry.h"
#include "engine/media/wave.h"
#include "engine/ui/button.h"
#include "engine/ui/dialog_box.h"

#include <cstdint>

class CTown;

constexpr int32_t MAP_BUILDING_COUNT = 14;
constexpr int32_t MAP_BUTTON_FRAMES = 2;
constexpr int32_t MAP_ID_GO = -1;
constexpr int32_t MAP_ID_EXIT = -2;
constexpr int32_t MAP_NO_BUILDING = -1;

// Top-left of building n's button in the dialog.
CxPoint GetMapBuildingPosition(int32_t building);

class CMapDialog : public CxDialogBox
{
public:
    // Loads the pictures and builds the buttons.
    CMapDialog();
    ~CMapDialog() override;

    // Presses on go, exit and the buildings; the rest to the parent.
    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override;
    // Escape, M/m and the quit keys end the map; the rest the default way.
    void OnKeyDown(uint32_t key, uint32_t flags) override;

    int32_t GetChosen() const { return m_nChosen; }
    CxRadioButton& GetBuildingButton(int32_t building) { return m_Buildings[building]; }
    CxButton& GetExitButton() { return m_Exit; }
    CxButton& GetGoButton() { return m_Go; }
    CxRadioGroup& GetGroup() { return m_Group; }
    CxWave& GetWave() { return m_Wave; }

private:
    void SpeakBuilding(int32_t building);

    CxRadioButton m_Buildings[MAP_BUILDING_COUNT];
    CxButton m_Exit;
    CxButton m_Go;
    CxRadioGroup m_Group;
    CxWave m_Wave;
    int32_t m_nChosen = MAP_NO_BUILDING;
};

// The town's map screen: arrow cursor and a paused town while the map is
// open; a chosen building moves the truck to its enter zone. Returns the
// chosen building or -1.
int32_t OpenTownMap(CTown& town);
