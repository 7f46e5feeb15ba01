// The town's ways out of play: the closing screen asked when the player
// closes the game, and the map screen that moves the truck to a building.
#include "game/world/town.h"

#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/platform/file_system.h"
#include "engine/platform/open_url.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/truck.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
// The closing screen's dialog type.
constexpr int32_t TOWN_CLOSING_SCREEN = 6;
CTown::PFN_OPEN_MAP s_pfnOpenMap = nullptr;

// "Options"/"PublisherPage" of the option file; a "file://" address may
// name its file with path roots ("file://$GAMEPATH\about.html"): it becomes
// the absolute path of the file found, each byte outside the plain URL
// characters written as %XX.
std::string PublisherPage(CxGameApp& app)
{
    char text[CX_GAME_PATH_MAX + 1] = "";
    app.GetString("Options", "PublisherPage", text, "", sizeof(text));
    std::string page(text);
    static const char file[] = "file://";
    const size_t prefix = sizeof(file) - 1;
    if (page.compare(0, prefix, file) != 0 || page.size() <= prefix || page[prefix] != '$')
        return page;
    const CxString path =
        AbsolutePath(ResolvePath(BuildGamePath("%s", page.c_str() + prefix).c_str()).c_str());
    page = file;
    for (const char* p = path.c_str(); *p; ++p)
    {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (isalnum(c) || strchr("-._~/", c))
            page += static_cast<char>(c);
        else
        {
            char escaped[4];
            snprintf(escaped, sizeof(escaped), "%%%02X", c);
            page += escaped;
        }
    }
    return page;
}

void OpenPublisherPage(CxGameApp& app)
{
    const std::string page = PublisherPage(app);
    if (page.empty())
        return;
    std::string why;
    if (OpenWebPage(page.c_str(), &why) != CX_OPEN_URL_STARTED)
        LogEntry(CX_LOG_WARNING, "town: the page '%s' was not opened: %s", page.c_str(), why.c_str());
}
} // namespace

void CTown::RoomClose()
{
    CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
    bool shown = false;
    const int32_t answer = AskYesNo(TOWN_CLOSING_SCREEN, &shown);
    // A closing screen that never showed, or that the program's quit ended,
    // counts as exit: the close goes on and nothing is opened.
    if (!app || !shown || app->IsQuitting())
        return;
    if (answer == YES_NO_ANSWER_THIRD)
    {
        app->CancelQuit();
        app->ReloadRoom();
    }
    else if (answer == YES_NO_ANSWER_NO)
        OpenPublisherPage(*app);
}

CTown::PFN_OPEN_MAP CTown::SetMapOpener(PFN_OPEN_MAP opener)
{
    PFN_OPEN_MAP previous = s_pfnOpenMap;
    s_pfnOpenMap = opener;
    return previous;
}

int32_t CTown::OpenMap()
{
    return s_pfnOpenMap ? s_pfnOpenMap(*this) : -1;
}

bool CTown::PutTruckAtBuilding(int32_t number)
{
    const CBuilding* building = FindBuilding(number);
    if (!building || !m_pTruck)
        return false;
    m_pTruck->SetCentre(building->GetZonePosition());
    m_pTruck->ScrollMapAfter(*this);
    // The truck steers toward the stored point: from here on, its own place.
    PutCursorOnTruck();
    return true;
}
