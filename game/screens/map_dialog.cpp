#include "game/screens/map_dialog.h"

#include "engine/core/game_path.h"
#include "engine/graphics/cursor.h"
#include "engine/platform/window.h"
#include "game/world/game_image.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/town.h"

namespace {
const CxPoint s_BuildingAt[MAP_BUILDING_COUNT] = {
    {81, 194},  {311, 132}, {95, 56},   {291, 196}, {46, 130},  {150, 111}, {387, 80},
    {161, 264}, {236, 272}, {455, 120}, {234, 229}, {397, 216}, {0, 328},   {585, 190},
};
constexpr int32_t MAP_WIDTH = 640;
constexpr int32_t MAP_HEIGHT = 480;

// Two frames: plain for up and disabled, highlighted for down and hover.
void LoadMapButton(CxButton& button, const char* picture, int32_t id, CxDisplayObject* parent,
                   const CxPoint& at)
{
    LoadGameSprite(button, picture, MAP_BUTTON_FRAMES);
    const int32_t frames[BUTTON_STATE_COUNT] = {0, 1, 1, 1, 0};
    for (int32_t state = 0; state < BUTTON_STATE_COUNT; ++state)
        button.SetStateFrame(state, frames[state]);
    button.SetIdentifier(static_cast<uint32_t>(id));
    button.AttachTo(parent);
    button.MoveTo(at);
    button.SetState(BUTTON_STATE_UP);
}

bool IsMapKey(uint32_t key)
{
    static const uint32_t keys[] = {27, 'M', 'm', CX_KEY_ALT | 'Q', CX_KEY_ALT | 'q', CX_KEY_ALT | CX_KEY_F4};
    for (uint32_t k : keys)
        if (key == k)
            return true;
    return false;
}
} // namespace

CxPoint GetMapBuildingPosition(int32_t building)
{
    return building >= 0 && building < MAP_BUILDING_COUNT ? s_BuildingAt[building] : CxPoint();
}

CMapDialog::CMapDialog()
{
    // A missing picture leaves the map blank but full size, so its buttons still show.
    if (LoadGameSprite(*this, BuildGamePath("$GAMEPATH\\MAP\\map_bg.tga").c_str()) != CX_ERR_NONE ||
        GetWidth() == 0)
        SetSize(MAP_WIDTH, MAP_HEIGHT);
    m_Group.Create(0, 0, MAP_WIDTH, MAP_HEIGHT, this);
    // Shown, or the mouse would never reach the buildings inside it.
    m_Group.MoveTo(0, 0);
    for (int32_t n = 0; n < MAP_BUILDING_COUNT; ++n)
    {
        m_Buildings[n].SetPixelHitTest(true);
        LoadMapButton(m_Buildings[n], BuildGamePath("$GAMEPATH\\MAP\\map_b%02d.tga", n).c_str(), n, &m_Group,
                      s_BuildingAt[n]);
    }
    LoadMapButton(m_Exit, BuildGamePath("$GAMEPATH\\MAP\\map_exit.tga").c_str(), MAP_ID_EXIT, this,
                  CxPoint(10, 11));
    LoadMapButton(m_Go, BuildGamePath("$GAMEPATH\\MAP\\map_go.tga").c_str(), MAP_ID_GO, this,
                  CxPoint(157, 393));
}

CMapDialog::~CMapDialog()
{
    m_Wave.Stop();
}

void CMapDialog::NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d)
{
    CxButton* button = ButtonFromNotify(b);
    if (a == 0 && c == BUTTON_NOTIFY_DOWN && button)
    {
        if (button == &m_Go)
        {
            EndDialog();
            return;
        }
        if (button == &m_Exit)
        {
            m_nChosen = MAP_NO_BUILDING;
            EndDialog();
            return;
        }
        for (int32_t n = 0; n < MAP_BUILDING_COUNT; ++n)
            if (button == &m_Buildings[n])
            {
                m_nChosen = n;
                SpeakBuilding(n);
                return;
            }
    }
    CxDialogBox::NotifyParent(a, b, c, d);
}

void CMapDialog::SpeakBuilding(int32_t building)
{
    m_Wave.Stop();
    if (m_Wave.Load(BuildGamePath("$GAMEPATH\\MAP\\vo_b%02d.wav", building).c_str()) == CX_ERR_NONE)
        m_Wave.Play();
}

void CMapDialog::OnKeyDown(uint32_t key, uint32_t flags)
{
    if (IsMapKey(key))
        EndDialog();
    else
        CxDialogBox::OnKeyDown(key, flags);
}

int32_t OpenTownMap(CTown& town)
{
    SetCursorShape(RUMBO_CURSOR_ARROW);
    town.AddPause();
    int32_t chosen = MAP_NO_BUILDING;
    {
        CMapDialog map;
        map.SetDepth(0);
        map.AttachTo(CxDisplayObject::GetRoot());
        map.CenterInParent();
        map.DoModal();
        chosen = map.GetChosen();
        map.Hide();
        map.Detach();
        town.RemovePause();
        SetCursorShape(RUMBO_CURSOR_TARGET);
        if (chosen >= 0 && chosen < MAP_BUILDING_COUNT)
            town.PutTruckAtBuilding(chosen);
    }
    return chosen;
}
