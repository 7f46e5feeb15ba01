// The game's application on a scratch install directory (and CD path,
// unless another is given); no log, errors as codes.
#pragma once

#include "engine/core/error.h"
#include "engine/core/log.h"
#include "game/missions/mission_town.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/town.h"

#include <new>

#include <string>

class CTownTestApp : public CRumboTownApp
{
public:
    explicit CTownTestApp(const std::string& dir, const std::string& options = "", const std::string& cd = "")
        : CRumboTownApp(AppDescription{"Rumbo Town Test", "", 0, 0, 640, 480, 16,
                                       APP_USE_CUSTOM_CURSOR | APP_RIGHT_BUTTON_IS_LEFT})
    {
        const std::string text =
            "[Engine.Debug]\nLogFile=0\n[Engine.Game]\nUseBlueScreenError=0\n[Startup]\nInstallPath=" + dir +
            "\nCDPath=" + (cd.empty() ? dir : cd) + "\n" + options;
        Parse(text.c_str(), static_cast<uint32_t>(text.size()));
        StartDebug(*this);
    }
    // Start-up installs the application's error dialog; the test's capture
    // is put back after it, and the reports made meanwhile are counted.
    void Start()
    {
        const CxErrorHandler handler = GetErrorHandler();
        const uint32_t before = GetErrorCount();
        Init();
        Create();
        SetErrorHandler(handler);
        m_nStartErrors = GetErrorCount() - before;
    }
    uint32_t m_nStartErrors = 0;
    // The town room: the town of the world alone (its tests bring their own
    // mission parts), or, with m_bMissions, the town with all its missions.
    CxGameWindow* CreateRoom(long id) override
    {
        if (id == RUMBO_ROOM_TOWN)
            return m_bMissions ? new (std::nothrow) CMissionTown : new (std::nothrow) CTown;
        return CRumboTownApp::CreateRoom(id);
    }
    bool m_bMissions = false;
    void Stop()
    {
        PreDestroy();
        Destroy();
        ExitInstance();
    }
};
