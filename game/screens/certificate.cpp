#include "game/screens/certificate.h"

#include "engine/core/app.h"
#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/frame/print_surface.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "game/world/game_image.h"
#include "game/world/rumbo_town_app.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

const CxRect CERTIFICATE_NAME_RECT(172, 210, 372, 260);
const CxRect CERTIFICATE_TITLE_RECT(142, 315, 402, 365);
const CxPoint CERTIFICATE_ICON_POSITIONS[CERTIFICATE_ICON_COUNT] = {
    {200, 407}, {99, 407}, {423, 31},  {373, 31},  {149, 407}, {272, 31},  {249, 407}, {223, 31},
    {323, 31},  {173, 31}, {449, 407}, {399, 407}, {499, 407}, {300, 407}, {348, 407},
};

namespace {
// Three grades per certificate: good, super, super good.
const char* const TITLES[CERTIFICATE_COUNT][3] = {
    {"Good Collector", "Super Collector", "Super Good Collector"},
    {"Good Builder", "Super Builder", "Super Good Builder"},
    {"Good Firefighter", "Super Firefighter", "Super Good Firefighter"},
    {"Good Police Officer", "Super Police Officer", "Super Good Police Officer"},
    {"Good Fisherman", "Super Fisherman", "Super Good Fisherman"},
    {"Good Brund Racer", "Super Brund Racer", "Super Good Brund Racer"},
    {"Good Gosk Racer", "Super Gosk Racer", "Super Good Gosk Racer"},
    {"Good Tev Racer", "Super Tev Racer", "Super Good Tev Racer"},
    {"Good Zorbin Racer", "Super Zorbin Racer", "Super Good Zorbin Racer"},
    {"Super Good Vazi", "Super Good Vazi", "Super Good Vazi"},
};
// The activity whose title each certificate shows (-1: none). Certificate 2
// is earned by the fire mission and 3 by the bumper cars.
const int32_t TITLE_SOURCES[CERTIFICATE_COUNT] = {
    USER_COLLECTION, USER_DROP, USER_FIRE, USER_BUMPER_CAR, USER_FISH,
    USER_RACE,       USER_RACE, USER_RACE, USER_RACE,       -1,
};
const char* const FONT_FILE = "$GAMEPATH\\printing\\font1.pcx";

void DrawIcons(CxDrawSurface& certificate, uint32_t items)
{
    for (int32_t i = 0; i < CERTIFICATE_ICON_COUNT; ++i)
    {
        if (!(items & (1u << i)))
            continue;
        const CxString path = BuildGamePath("$GAMEPATH\\printing\\icon_%02d.tga", i);
        CxDrawSurface icon;
        if (!FileExists(path.c_str()) || icon.Load(path.c_str()) != CX_ERR_NONE)
            continue;
        icon.DrawAt(&certificate, CERTIFICATE_ICON_POSITIONS[i].x, CERTIFICATE_ICON_POSITIONS[i].y, nullptr,
                    0);
    }
}
} // namespace

const char* GetCertificateTitle(int32_t n, int32_t titleId)
{
    if (n < 0 || n >= CERTIFICATE_COUNT)
        return nullptr;
    return TITLES[n][std::clamp(titleId, 0, USER_MAX_TITLE)];
}

int32_t GetCertificateTitleId(int32_t n, const UserProfile& profile)
{
    if (n < 0 || n >= CERTIFICATE_COUNT || TITLE_SOURCES[n] < 0)
        return 0;
    return std::clamp(profile.title[TITLE_SOURCES[n]], 0, USER_MAX_TITLE);
}

const UserProfile& GetCertificateProfile()
{
    static UserProfile blank{};
    if (auto* app = dynamic_cast<CRumboTownApp*>(GetApp()))
        return app->GetProfile();
    return blank;
}

CxDrawSurface* ComposeCertificate(int32_t n, const UserProfile& profile)
{
    if (n < 0 || n >= CERTIFICATE_COUNT)
        return nullptr;
    auto certificate = std::make_unique<CxDrawSurface>();
    const CxString background = BuildGamePath("$GAMEPATH\\printing\\bg_cer%02d.tga", n);
    if (LoadGameImage(*certificate, background.c_str()) != CX_ERR_NONE)
        return nullptr;
    const CxString fontPath = BuildGamePath("%s", FONT_FILE);
    std::unique_ptr<CxFont> font(FileExists(fontPath.c_str()) ? LoadBitmapFontFile(fontPath.c_str(), 0)
                                                              : nullptr);
    if (font)
    {
        // The record's name need not end inside its field.
        const std::string name(profile.name, strnlen(profile.name, sizeof(profile.name)));
        DrawText(certificate.get(), CERTIFICATE_NAME_RECT, CX_FONT_OWN_COLORS, name.c_str(),
                 CERTIFICATE_TEXT_FLAGS, 0, font.get());
        DrawText(certificate.get(), CERTIFICATE_TITLE_RECT, CX_FONT_OWN_COLORS,
                 GetCertificateTitle(n, GetCertificateTitleId(n, profile)), CERTIFICATE_TEXT_FLAGS, 0,
                 font.get());
    }
    if (n == 0)
        DrawIcons(*certificate, profile.itemsCompleted);
    return certificate.release();
}

// ---- the town's certificate dialog ----

CCertificate::CCertificate() : m_Timer(this, CERTIFICATE_TIMER_INTERVAL) {}

CCertificate::~CCertificate()
{
    m_Timer.Reset();
    m_Back.Destroy();
    m_Print.Destroy();
}

uint32_t CCertificate::Create(int32_t n)
{
    CxDrawSurface* image = ComposeCertificate(n, GetCertificateProfile());
    if (!image)
    {
        SetErrorCode(CX_ERR_INVALID_ARGUMENT);
        return GetError();
    }
    SetImage(image, 1);
    struct
    {
        CxButton* button;
        const char* file;
        CxPoint at;
    } const buttons[] = {
        {&m_Back, "$GAMEPATH\\PRINTING\\bt_back.tga", CERTIFICATE_BACK_POSITION},
        {&m_Print, "$GAMEPATH\\PRINTING\\bt_print.tga", CERTIFICATE_PRINT_POSITION},
    };
    for (const auto& entry : buttons)
    {
        const CxString path = BuildGamePath("%s", entry.file);
        if (LoadGameSprite(*entry.button, path.c_str(), BUTTON_STATE_COUNT) != CX_ERR_NONE)
            continue;
        entry.button->AttachTo(this);
        entry.button->SetDepth(10);
        entry.button->MoveTo(entry.at);
        entry.button->SetState(BUTTON_STATE_UP);
    }
    return CX_ERR_NONE;
}

uint32_t CCertificate::DoModal()
{
    AttachTo(GetRoot());
    SetDepth(1000);
    MoveTo(0, 0);
    m_Timer.Start(CERTIFICATE_TIMER_INTERVAL);
    const uint32_t result = CxDialogBox::DoModal();
    m_Timer.Reset();
    Hide();
    Detach();
    return result;
}

void CCertificate::OnTimer(CxTimer* timer)
{
    // The timer calls once more when it stops at its end.
    if (timer == &m_Timer && (!m_Timer.IsRunning() || m_Timer.HasExpired()))
        m_Timer.Start(CERTIFICATE_TIMER_INTERVAL);
}

void CCertificate::OnKeyDown(uint32_t, uint32_t)
{
    EndDialog();
}

void CCertificate::NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d)
{
    if (c != BUTTON_NOTIFY_CLICKED)
    {
        CxDialogBox::NotifyParent(a, b, c, d);
        return;
    }
    CxButton* button = ButtonFromNotify(b);
    if (button == &m_Print)
    {
        ++m_nPrinted;
        PrintSurface(GetImage(), 0, 0);
        EndDialog();
    }
    else if (button == &m_Back)
        EndDialog();
}

void CShowCertificateEvent::Start()
{
    m_bStarted = true;
    auto dialog = std::make_unique<CCertificate>();
    if (dialog->Create(m_nCertificate) == CX_ERR_NONE)
        dialog->DoModal();
    m_bDone = true;
}
