// CPrinting: the printing room (room 2), where the child prints colouring
// pages and the certificates earned.
//
// Pages: 0 the main page (back, colouring pages, certificates); 1 the
// colouring-page thumbnails; 2 the certificate thumbnails (a certificate not
// earned yet is shown disabled); 3 one colouring page and 4 one certificate,
// each with a print button. The back button shows on every page and goes
// one page up (from page 0 out of the room). Sequence files address the
// room as "Printing" ("StartFlashButton" / "StopFlashButton" with "Print",
// "Color", "Certificate" or "Back") while it is current.
//
// Output line: "printing: page N" whenever page N has been built.
#pragma once

#include "engine/core/command_handler.h"
#include "engine/core/event_creator.h"
#include "engine/graphics/draw_surface.h"
#include "engine/ui/flash_button.h"
#include "game/world/base_window.h"

#include <cstdint>
#include <memory>
#include <vector>

enum PrintingPage
{
    PRINTING_PAGE_NONE = -1,
    PRINTING_PAGE_MAIN = 0,
    PRINTING_PAGE_COLORS = 1,
    PRINTING_PAGE_CERTIFICATES = 2,
    PRINTING_PAGE_COLOR = 3,
    PRINTING_PAGE_CERTIFICATE = 4,
};

// The room's buttons, in the order of their names in the commands.
enum PrintingButton
{
    PRINTING_BUTTON_PRINT = 0,
    PRINTING_BUTTON_COLOR,
    PRINTING_BUTTON_CERTIFICATE,
    PRINTING_BUTTON_BACK,
    PRINTING_BUTTON_COUNT
};

constexpr int32_t PRINTING_COLOR_PAGES = 20;
extern const char* const PRINTING_CATEGORY; // "Printing"

// Where thumbnail index goes on page 1 (colouring pages) or 2 (certificates).
CxPoint GetPrintingThumbnailPosition(int32_t page, int32_t index);

class CPrinting : public CBaseWindow, public CxEventCreator, public CCommandHandler
{
public:
    CPrinting();
    ~CPrinting() override;

    void RoomPrepare() override;
    void RoomEnter() override;
    void RoomLeave() override;
    void RoomLeaveDone() override;

    // Every "Printing" line becomes a command for HandleCommand.
    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override;
    void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) override;
    // Clicks of the room's buttons and thumbnails (notification 10).
    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override;

    // Leaves the page shown and builds page (index: the thumbnail chosen on
    // pages 3 and 4).
    void ShowPage(int32_t page, int32_t index = 0);
    // What the print button does on the page shown; false when nothing was printed.
    bool PrintPage();

    int32_t GetPage() const { return m_nPage; }
    int32_t GetPreviousPage() const { return m_nPreviousPage; }
    int32_t GetSelectedIndex() const { return m_nSelected; }
    CFlashButton* GetButton(PrintingButton which) const { return m_pButtons[which].get(); }
    const std::vector<std::unique_ptr<CxButton>>& GetThumbnails() const { return m_Thumbnails; }
    const CxDrawSurface* GetCertificate() const { return m_pCertificate.get(); }

private:
    void OnClick(CxButton* button);
    void TidyPage();
    // Makes the button on first use (false when it cannot be made), else shows it again.
    bool ShowButton(PrintingButton which);
    void MakeThumbnails(int32_t page);
    void PlayEntrySequence(int32_t page);

    int32_t m_nPage = PRINTING_PAGE_NONE;
    int32_t m_nPreviousPage = PRINTING_PAGE_NONE;
    int32_t m_nSelected = 0;
    std::unique_ptr<CFlashButton> m_pButtons[PRINTING_BUTTON_COUNT];
    std::vector<std::unique_ptr<CxButton>> m_Thumbnails;
    int32_t m_nThumbnailPage = PRINTING_PAGE_NONE; // the page the thumbnails were made for
    std::unique_ptr<CxDrawSurface> m_pCertificate;
};
