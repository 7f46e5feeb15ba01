#include "game/screens/printing.h"

#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/interpolator.h"
#include "engine/core/log.h"
#include "engine/frame/game_app.h"
#include "engine/frame/print_surface.h"
#include "engine/frame/system_events.h"
#include "engine/graphics/cursor.h"
#include "game/screens/certificate.h"
#include "game/world/game_image.h"
#include "game/world/rumbo_town_app.h"

#include <cstdio>
#include <new>

const char* const PRINTING_CATEGORY = "Printing";

namespace {
struct ButtonInfo
{
    const char* name; // in the flash commands
    const char* file;
    CxPoint at;
    const char* error;
};
const ButtonInfo BUTTONS[PRINTING_BUTTON_COUNT] = {
    {"Print", "$GAMEPATH\\printing\\bt_print.tga", CERTIFICATE_PRINT_POSITION,
     "Could not create print button."},
    {"Color", "$GAMEPATH\\printing\\bt_color.tga", {401, 120}, "Could not create color page button."},
    {"Certificate", "$GAMEPATH\\printing\\bt_certf.tga", {92, 119}, "Could not create certificate button."},
    {"Back", "$GAMEPATH\\printing\\bt_back.tga", CERTIFICATE_BACK_POSITION, "Could not create back button."},
};

// The buttons of each page; the back button is on every page, so that every
// page has a way back.
const uint32_t PAGE_BUTTONS[] = {
    1u << PRINTING_BUTTON_BACK | 1u << PRINTING_BUTTON_COLOR | 1u << PRINTING_BUTTON_CERTIFICATE,
    1u << PRINTING_BUTTON_BACK,
    1u << PRINTING_BUTTON_BACK,
    1u << PRINTING_BUTTON_BACK | 1u << PRINTING_BUTTON_PRINT,
    1u << PRINTING_BUTTON_BACK | 1u << PRINTING_BUTTON_PRINT,
};
const char* const BACKGROUNDS[] = {
    "$GAMEPATH\\printing\\bg_print.tga",
    "$GAMEPATH\\printing\\bg_color.tga",
    "$GAMEPATH\\printing\\bg_certf.tga",
    "$GAMEPATH\\printing\\bg_col%02d.tga",
};

bool IsPage(int32_t page)
{
    return page >= PRINTING_PAGE_MAIN && page <= PRINTING_PAGE_CERTIFICATE;
}
} // namespace

CxPoint GetPrintingThumbnailPosition(int32_t page, int32_t index)
{
    if (page == PRINTING_PAGE_COLORS)
        return CxPoint(84 + 96 * (index % 5), 51 + 105 * (index / 5));
    return CxPoint(107 + 159 * (index % 3), 50 + 97 * (index / 3));
}

CPrinting::CPrinting() = default;

CPrinting::~CPrinting()
{
    if (FindEventCreator(PRINTING_CATEGORY) == this)
        UnregisterEventCreator(PRINTING_CATEGORY);
    // The room's image may be the certificate it is about to free.
    Unload();
}

void CPrinting::RoomPrepare()
{
    AttachTo(GetRoot());
    MoveTo(0, 0);
    CBaseWindow::RoomPrepare();
}

void CPrinting::RoomEnter()
{
    CBaseWindow::RoomEnter();
    ST_EVENT_DEF definition{};
    snprintf(definition.m_szCategory, sizeof(definition.m_szCategory), "%s", PRINTING_CATEGORY);
    definition.m_pCreator = this;
    RegisterEventCreator(PRINTING_CATEGORY, definition);
    if (auto* app = dynamic_cast<CxGameApp*>(GetApp()))
        app->GetInterpolator().AddFormattedConstant("CERTINTROID",
                                                    GetCertificateProfile().completed != 0 ? 1 : 0);
    SetCursorShape(RUMBO_CURSOR_ARROW);
    m_nPage = m_nPreviousPage = PRINTING_PAGE_NONE;
    ShowPage(PRINTING_PAGE_MAIN);
}

void CPrinting::RoomLeave()
{
    // Only the room's own registration goes: another room may have taken the name.
    if (FindEventCreator(PRINTING_CATEGORY) == this)
        UnregisterEventCreator(PRINTING_CATEGORY);
    TidyPage();
    Unload();
    for (auto& button : m_pButtons)
        button.reset();
    m_Thumbnails.clear();
    m_nThumbnailPage = PRINTING_PAGE_NONE;
    m_pCertificate.reset();
    CBaseWindow::RoomLeave();
}

void CPrinting::RoomLeaveDone()
{
    Hide();
    Detach();
    CBaseWindow::RoomLeaveDone();
}

CxEvent* CPrinting::CreateEvent(const CxString&, const CxString& command,
                                const CxLinkedList<CxString>& arguments)
{
    return new (std::nothrow) CCommandEvent(this, command, arguments);
}

void CPrinting::HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    const bool start = command.EqualsNoCase("StartFlashButton");
    if ((!start && !command.EqualsNoCase("StopFlashButton")) || !arguments.GetHead())
        return;
    const CxString& name = arguments.GetHead()->m_Value;
    for (int32_t i = 0; i < PRINTING_BUTTON_COUNT; ++i)
    {
        if (!name.EqualsNoCase(BUTTONS[i].name) || !m_pButtons[i])
            continue;
        if (start)
            m_pButtons[i]->StartFlashing();
        else
            m_pButtons[i]->StopFlashing();
    }
}

void CPrinting::NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d)
{
    CBaseWindow::NotifyParent(a, b, c, d);
    if (c == BUTTON_NOTIFY_CLICKED)
        if (CxButton* button = ButtonFromNotify(b))
            OnClick(button);
}

void CPrinting::OnClick(CxButton* button)
{
    if (button == m_pButtons[PRINTING_BUTTON_PRINT].get())
        PrintPage();
    else if (button == m_pButtons[PRINTING_BUTTON_COLOR].get())
        ShowPage(PRINTING_PAGE_COLORS);
    else if (button == m_pButtons[PRINTING_BUTTON_CERTIFICATE].get())
        ShowPage(PRINTING_PAGE_CERTIFICATES);
    else if (button == m_pButtons[PRINTING_BUTTON_BACK].get())
    {
        static const int32_t UP[] = {PRINTING_PAGE_NONE, PRINTING_PAGE_MAIN, PRINTING_PAGE_MAIN,
                                     PRINTING_PAGE_COLORS, PRINTING_PAGE_CERTIFICATES};
        if (m_nPage > PRINTING_PAGE_MAIN)
            ShowPage(UP[m_nPage]);
        else if (auto* app = dynamic_cast<CxGameApp*>(GetApp()))
            app->PopRoom();
    }
    else if (m_nPage == PRINTING_PAGE_COLORS || m_nPage == PRINTING_PAGE_CERTIFICATES)
    {
        for (const auto& thumbnail : m_Thumbnails)
            if (thumbnail.get() == button)
            {
                ShowPage(m_nPage + 2, static_cast<int32_t>(button->GetIdentifier()));
                return;
            }
    }
}

void CPrinting::TidyPage()
{
    for (auto& button : m_pButtons)
        if (button && button->IsShown())
            button->Hide();
    for (auto& thumbnail : m_Thumbnails)
        thumbnail->Hide();
    if (m_nPage == PRINTING_PAGE_CERTIFICATE)
    {
        // The room shows the certificate without owning it.
        Unload();
        m_pCertificate.reset();
    }
}

void CPrinting::ShowPage(int32_t page, int32_t index)
{
    if (!IsPage(page))
        return;
    TidyPage();
    m_nPreviousPage = m_nPage;
    m_nPage = page;
    if (page >= PRINTING_PAGE_COLOR)
        m_nSelected = index;
    if (page == PRINTING_PAGE_CERTIFICATE)
    {
        m_pCertificate.reset(ComposeCertificate(index, GetCertificateProfile()));
        if (m_pCertificate)
            SetImage(m_pCertificate.get(), 1, true);
    }
    else
        LoadGameSprite(*this, BuildGamePath(BACKGROUNDS[page], index).c_str(), 1);
    MoveTo(0, 0);
    Redraw();
    for (int32_t i = 0; i < PRINTING_BUTTON_COUNT; ++i)
        if (PAGE_BUTTONS[page] & (1u << i))
            ShowButton(static_cast<PrintingButton>(i));
    if (page == PRINTING_PAGE_COLORS || page == PRINTING_PAGE_CERTIFICATES)
    {
        const bool back = m_nPreviousPage == page + 2 && m_nThumbnailPage == page;
        if (back)
            for (auto& thumbnail : m_Thumbnails)
                thumbnail->Redraw();
        else
            MakeThumbnails(page);
    }
    PlayEntrySequence(page);
    Output("printing: page %d\n", page);
}

bool CPrinting::ShowButton(PrintingButton which)
{
    std::unique_ptr<CFlashButton>& button = m_pButtons[which];
    if (button)
    {
        if (!button->IsShown())
            button->Redraw();
        return true;
    }
    auto made = std::make_unique<CFlashButton>();
    const CxString path = BuildGamePath("%s", BUTTONS[which].file);
    if (!FileExists(path.c_str()) || LoadGameSprite(*made, path.c_str(), BUTTON_STATE_COUNT) != CX_ERR_NONE)
    {
        ReportError(CX_ERR_UNKNOWN, "%s", BUTTONS[which].error);
        return false;
    }
    made->AttachTo(this);
    made->SetDepth(10);
    made->MoveTo(BUTTONS[which].at);
    made->SetState(BUTTON_STATE_UP);
    button = std::move(made);
    return true;
}

void CPrinting::MakeThumbnails(int32_t page)
{
    m_Thumbnails.clear();
    m_nThumbnailPage = page;
    const bool colors = page == PRINTING_PAGE_COLORS;
    const int32_t count = colors ? PRINTING_COLOR_PAGES : CERTIFICATE_COUNT;
    const uint32_t earned = GetCertificateProfile().completed;
    for (int32_t i = 0; i < count; ++i)
    {
        auto thumbnail = std::make_unique<CxButton>();
        const CxString path = BuildGamePath(
            colors ? "$GAMEPATH\\printing\\bt_col%02d.tga" : "$GAMEPATH\\printing\\bt_cer%02d.tga", i);
        if (!FileExists(path.c_str()) ||
            LoadGameSprite(*thumbnail, path.c_str(), BUTTON_STATE_COUNT) != CX_ERR_NONE)
        {
            ReportError(CX_ERR_UNKNOWN, "%s",
                        colors ? "Could not create coloring page button."
                               : "Could not create certificate button.");
            continue;
        }
        thumbnail->SetIdentifier(static_cast<uint32_t>(i));
        thumbnail->AttachTo(this);
        thumbnail->SetDepth(10);
        thumbnail->MoveTo(GetPrintingThumbnailPosition(page, i));
        thumbnail->SetState(BUTTON_STATE_UP);
        if (!colors && !(earned & (1u << i)))
            thumbnail->Disable();
        m_Thumbnails.push_back(std::move(thumbnail));
    }
}

void CPrinting::PlayEntrySequence(int32_t page)
{
    const char* file = nullptr;
    if (page == PRINTING_PAGE_MAIN && m_nPreviousPage == PRINTING_PAGE_NONE)
        file = "$GAMEPATH\\mission\\printing\\PrintIntro.seq";
    else if (page == PRINTING_PAGE_COLORS && m_nPreviousPage == PRINTING_PAGE_MAIN)
        file = "$GAMEPATH\\mission\\printing\\ColorSelectIntro.seq";
    else if (page == PRINTING_PAGE_CERTIFICATES && m_nPreviousPage == PRINTING_PAGE_MAIN)
        file = "$GAMEPATH\\mission\\printing\\CertSelectIntro.seq";
    if (file && FileExists(BuildGamePath("%s", file).c_str()))
        PlaySequence(file);
}

bool CPrinting::PrintPage()
{
    if (m_nPage == PRINTING_PAGE_CERTIFICATE)
        return m_pCertificate && PrintSurface(m_pCertificate.get(), 0, 0) == 0;
    if (m_nPage != PRINTING_PAGE_COLOR)
        return false;
    const CxString path = BuildGamePath("$GAMEPATH\\printing\\bg_col%02d.bmp", m_nSelected);
    CxDrawSurface page;
    if (!FileExists(path.c_str()) || page.Load(path.c_str()) != CX_ERR_NONE)
        return false;
    return PrintSurface(&page, 0, 0) == 0;
}
