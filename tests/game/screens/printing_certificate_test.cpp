#include "engine/core/main_loop.h"
#include "engine/graphics/display_object.h"
#include "game/screens/certificate.h"
#include "tests/game/screens/printing_test_support.h"
#include "tests/support/scoped_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {
struct TitleCase
{
    int32_t n;
    int32_t fire, bumper, collection; // the profile's titles
    const char* expected;
};

TEST(CertificateTitle, EachCertificateReadsItsOwnActivityClampedAndSpeltRight)
{
    const TitleCase cases[] = {
        {0, 0, 0, 2, "Super Good Collector"},
        {0, 0, 0, 1, "Super Collector"},
        {0, 0, 0, 7, "Super Good Collector"}, // an edited profile file
        {0, 0, 0, -3, "Good Collector"},
        {2, 1, 2, 0, "Super Firefighter"}, // the fire title, not the bumper cars'
        {3, 1, 2, 0, "Super Good Police Officer"},
        {2, 0, 2, 0, "Good Firefighter"},
        {9, 2, 2, 2, "Super Good Vazi"},
        {10, 0, 0, 0, nullptr},
        {-1, 0, 0, 0, nullptr},
    };
    for (const TitleCase& c : cases)
    {
        UserProfile profile{};
        profile.title[USER_FIRE] = c.fire;
        profile.title[USER_BUMPER_CAR] = c.bumper;
        profile.title[USER_COLLECTION] = c.collection;
        const char* title = GetCertificateTitle(c.n, GetCertificateTitleId(c.n, profile));
        if (!c.expected)
            EXPECT_EQ(title, nullptr) << c.n;
        else
            EXPECT_STREQ(title, c.expected) << c.n;
    }
    EXPECT_STREQ(GetCertificateTitle(8, 1), "Super Zorbin Racer");
    EXPECT_EQ(ComposeCertificate(10, UserProfile{}), nullptr);
}

class CertificateTest : public PrintingRoomTest
{
protected:
    void SetUp() override
    {
        PrintingRoomTest::SetUp();
        // Icons: a colour with a black (keyed) corner.
        for (int i = 0; i < 3; ++i)
        {
            CxDrawSurface icon(10, 10, 16);
            icon.FillRect(nullptr, icon.MakeColor(i == 0 ? 255 : 0, i == 1 ? 255 : 0, i == 2 ? 255 : 0));
            const CxRect corner(0, 0, 1, 1);
            icon.FillRect(&corner, 0);
            char name[64];
            snprintf(name, sizeof(name), "printing/icon_%02d.tga", i);
            ASSERT_EQ(icon.Save(dir.File(name).c_str()), CX_ERR_NONE);
        }
    }
};

TEST_F(CertificateTest, ItemBitsPutTheirIconsOnTheCollectionCertificateOnly)
{
    Enter(1);
    UserProfile profile{};
    profile.itemsCompleted = 3;
    std::unique_ptr<CxDrawSurface> certificate(ComposeCertificate(0, profile));
    ASSERT_NE(certificate, nullptr);
    CxDrawSurface& c = *certificate;
    const uint32_t background = c.GetPixel(5, 5);
    EXPECT_EQ(c.GetPixel(205, 412), c.MakeColor(255, 0, 0));
    EXPECT_EQ(c.GetPixel(104, 412), c.MakeColor(0, 255, 0));
    EXPECT_EQ(c.GetPixel(200, 407), background); // the keyed corner
    EXPECT_EQ(c.GetPixel(428, 36), background);  // icon 2 not earned
    std::unique_ptr<CxDrawSurface> other(ComposeCertificate(1, profile));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetPixel(205, 412), background);
}

// What the modal loop does on each pass, set by the test.
void (*s_pfnPass)() = nullptr;
void RunPass()
{
    if (s_pfnPass)
        s_pfnPass();
}
CCertificate* s_pDialog = nullptr;
ScopedManualClock* s_pClock = nullptr;
int s_nPasses = 0;

TEST_F(CertificateTest, TheDialogRestartsItsTimerAndEndsOnAKeyOrAfterPrinting)
{
    Enter(1);
    ScopedManualClock clock(1000);
    s_pClock = &clock;
    AddMainLoopFunction(RunPass);
    // The timer's expiry only starts it again; a key then ends the dialog.
    {
        CCertificate dialog;
        ASSERT_EQ(dialog.Create(0), CX_ERR_NONE);
        s_pDialog = &dialog;
        s_nPasses = 0;
        s_pfnPass = [] {
            if (++s_nPasses == 2)
                s_pClock->Advance(CERTIFICATE_TIMER_INTERVAL);
            else if (s_nPasses == 4)
            {
                EXPECT_EQ(s_pDialog->GetTimer().GetStartTick(), s_pClock->GetTicks());
                EXPECT_FALSE(s_pDialog->GetTimer().HasExpired());
                CxDisplayObject::DispatchKey(true, 'A', 0);
            }
            else if (s_nPasses > 50)
                s_pDialog->EndDialog();
        };
        EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
        EXPECT_EQ(s_nPasses, 4);
        EXPECT_EQ(dialog.GetPosition(), CxPoint(0, 0));
        EXPECT_EQ(dialog.GetPrintButton().GetPosition(), CERTIFICATE_PRINT_POSITION);
    }
    // Print prints the certificate and ends the dialog.
    {
        const std::string out = dir.File("certificate.pdf");
        setenv("RUMBO_PRINT_FILE", out.c_str(), 1);
        CCertificate dialog;
        ASSERT_EQ(dialog.Create(2), CX_ERR_NONE);
        s_pDialog = &dialog;
        s_nPasses = 0;
        s_pfnPass = [] {
            if (++s_nPasses == 2)
                Click(&s_pDialog->GetPrintButton());
            else if (s_nPasses > 50)
                s_pDialog->EndDialog();
        };
        EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
        EXPECT_EQ(s_nPasses, 2);
        EXPECT_EQ(dialog.GetPrintCount(), 1);
        EXPECT_EQ(TempDir::Read(out).compare(0, 5, "%PDF-"), 0);
        unsetenv("RUMBO_PRINT_FILE");
    }
    s_pfnPass = nullptr;
    RemoveMainLoopFunction(RunPass);
    CCertificate none;
    EXPECT_NE(none.Create(10), CX_ERR_NONE);
    EXPECT_TRUE(capture.Errors().empty()) << capture.Errors()[0].text;
}
} // namespace
