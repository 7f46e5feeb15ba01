#include "engine/core/event_creator.h"
#include "engine/frame/system_events.h"
#include "game/screens/certificate.h"
#include "game/screens/printing.h"
#include "tests/game/screens/printing_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {
struct PageCase
{
    int32_t page;
    uint32_t buttons; // bits of PrintingButton shown
    size_t thumbnails;
};

// The button table of the printing room copies these at start-up: they must
// be set before any start-up code runs, whatever the order files are linked.
static_assert(CERTIFICATE_PRINT_POSITION.x == 565 && CERTIFICATE_BACK_POSITION.y == 2);

TEST_F(PrintingRoomTest, EveryPageShowsItsButtonsAndTheBackButton)
{
    CPrinting* room = Enter(5);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(FindEventCreator(PRINTING_CATEGORY), room);
    EXPECT_EQ(room->GetPreviousPage(), PRINTING_PAGE_NONE);
    EXPECT_EQ(app.GetInterpolator().Expand("$CERTINTROID"), CxString("1"));
    const PageCase cases[] = {
        {PRINTING_PAGE_MAIN, 0b1110, 0},          {PRINTING_PAGE_COLORS, 0b1000, 20},
        {PRINTING_PAGE_CERTIFICATES, 0b1000, 10}, {PRINTING_PAGE_COLOR, 0b1001, 0},
        {PRINTING_PAGE_CERTIFICATE, 0b1001, 0},
    };
    const CxPoint positions[] = {{565, 417}, {401, 120}, {92, 119}, {3, 2}};
    for (const PageCase& c : cases)
    {
        room->ShowPage(c.page, 2);
        for (int i = 0; i < PRINTING_BUTTON_COUNT; ++i)
        {
            CFlashButton* button = room->GetButton(static_cast<PrintingButton>(i));
            const bool shown = button && button->IsShown();
            EXPECT_EQ(shown, (c.buttons >> i & 1) != 0) << "page " << c.page << " button " << i;
            if (shown)
            {
                EXPECT_EQ(button->GetPosition(), positions[i]);
            }
        }
        size_t visible = 0;
        for (const auto& thumbnail : room->GetThumbnails())
            visible += thumbnail->IsShown();
        EXPECT_EQ(visible, c.thumbnails) << "page " << c.page;
        EXPECT_EQ(room->GetCertificate() != nullptr, c.page == PRINTING_PAGE_CERTIFICATE);
    }
    EXPECT_TRUE(capture.Errors().empty()) << capture.Errors()[0].text;
}

TEST_F(PrintingRoomTest, ThumbnailsSitInTheirGridAndOnlyEarnedCertificatesAreEnabled)
{
    CPrinting* room = Enter(5);
    ASSERT_NE(room, nullptr);
    Click(room->GetButton(PRINTING_BUTTON_CERTIFICATE));
    ASSERT_EQ(room->GetThumbnails().size(), 10u);
    for (const auto& thumbnail : room->GetThumbnails())
    {
        const uint32_t i = thumbnail->GetIdentifier();
        EXPECT_EQ(thumbnail->IsEnabled(), i == 0 || i == 2) << i;
        EXPECT_EQ(thumbnail->GetPosition(), CxPoint(107 + 159 * (i % 3), 50 + 97 * (i / 3)));
    }
    EXPECT_EQ(room->GetThumbnails()[9]->GetPosition(), CxPoint(107, 341));
    EXPECT_EQ(room->GetThumbnails()[1]->GetState(), BUTTON_STATE_DISABLED);
    EXPECT_EQ(GetPrintingThumbnailPosition(PRINTING_PAGE_COLORS, 19), CxPoint(84 + 96 * 4, 51 + 105 * 3));
}

TEST_F(PrintingRoomTest, BackGoesUpAPageKeepsTheThumbnailsAndFromTheMainPageLeaves)
{
    CPrinting* room = Enter(1);
    ASSERT_NE(room, nullptr);
    Click(room->GetButton(PRINTING_BUTTON_COLOR));
    EXPECT_EQ(room->GetPage(), PRINTING_PAGE_COLORS);
    const CxButton* first = room->GetThumbnails()[0].get();
    Click(room->GetThumbnails()[7].get());
    EXPECT_EQ(room->GetPage(), PRINTING_PAGE_COLOR);
    EXPECT_EQ(room->GetSelectedIndex(), 7);
    Click(room->GetButton(PRINTING_BUTTON_BACK));
    EXPECT_EQ(room->GetPage(), PRINTING_PAGE_COLORS);
    EXPECT_EQ(room->GetThumbnails()[0].get(), first);
    EXPECT_TRUE(first->IsShown());
    Click(room->GetButton(PRINTING_BUTTON_BACK));
    EXPECT_EQ(room->GetPage(), PRINTING_PAGE_MAIN);
    // Certificates: a thumbnail opens the composed certificate, back frees it.
    Click(room->GetButton(PRINTING_BUTTON_CERTIFICATE));
    Click(room->GetThumbnails()[0].get());
    EXPECT_EQ(room->GetPage(), PRINTING_PAGE_CERTIFICATE);
    EXPECT_EQ(room->GetImage(), room->GetCertificate());
    Click(room->GetButton(PRINTING_BUTTON_BACK));
    EXPECT_EQ(room->GetPage(), PRINTING_PAGE_CERTIFICATES);
    EXPECT_EQ(room->GetCertificate(), nullptr);
    Click(room->GetButton(PRINTING_BUTTON_BACK));
    Click(room->GetButton(PRINTING_BUTTON_BACK));
    Pump();
    EXPECT_EQ(app.GetCurRoomID(), RUMBO_ROOM_TOWN);
    EXPECT_EQ(FindEventCreator(PRINTING_CATEGORY), nullptr);
}

TEST_F(PrintingRoomTest, FlashCommandsReachOnlyButtonsThatExistAndAMissingButtonIsReported)
{
    CPrinting* room = Enter(0);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(app.GetInterpolator().Expand("$CERTINTROID"), CxString("0"));
    // The intro sequence has flashed the back button.
    EXPECT_TRUE(room->GetButton(PRINTING_BUTTON_BACK)->IsFlashing());
    CxLinkedList<CxString> print;
    print.AddTail(CxString("Print"));
    room->HandleCommand(CxString("StartFlashButton"), print);
    EXPECT_EQ(room->GetButton(PRINTING_BUTTON_PRINT), nullptr);
    CxLinkedList<CxString> color;
    color.AddTail(CxString("color"));
    room->HandleCommand(CxString("StartFlashButton"), color);
    EXPECT_TRUE(room->GetButton(PRINTING_BUTTON_COLOR)->IsFlashing());
    room->HandleCommand(CxString("StopFlashButton"), color);
    EXPECT_FALSE(room->GetButton(PRINTING_BUTTON_COLOR)->IsFlashing());
    room->HandleCommand(CxString("StartFlashButton"), CxLinkedList<CxString>());

    remove(dir.File("printing/bt_print.tga").c_str());
    room->ShowPage(PRINTING_PAGE_COLOR, 0);
    ASSERT_EQ(capture.Errors().size(), 1u);
    EXPECT_EQ(capture.Errors()[0].code, 13u);
    EXPECT_EQ(capture.Errors()[0].text, "Could not create print button.");
    EXPECT_TRUE(room->GetButton(PRINTING_BUTTON_BACK)->IsShown());
}

TEST_F(PrintingRoomTest, PrintSendsTheColouringPageOrTheCertificateToThePrinter)
{
    CPrinting* room = Enter(1);
    ASSERT_NE(room, nullptr);
    const std::string out = dir.File("printed.pdf");
    setenv("RUMBO_PRINT_FILE", out.c_str(), 1);
    EXPECT_FALSE(room->PrintPage()); // nothing to print on the main page
    room->ShowPage(PRINTING_PAGE_COLOR, 3);
    EXPECT_TRUE(room->PrintPage());
    EXPECT_EQ(TempDir::Read(out).compare(0, 5, "%PDF-"), 0);
    remove(out.c_str());
    remove(dir.File("printing/bg_col04.bmp").c_str());
    room->ShowPage(PRINTING_PAGE_COLOR, 4);
    EXPECT_FALSE(room->PrintPage()); // a page that cannot be loaded prints nothing
    room->ShowPage(PRINTING_PAGE_CERTIFICATE, 0);
    EXPECT_TRUE(room->PrintPage());
    unsetenv("RUMBO_PRINT_FILE");
    EXPECT_TRUE(capture.Errors().empty()) << capture.Errors()[0].text;
}
} // namespace
