// Certificates: a certificate composed from its background, the player's
// name, the title earned in the activity and, on the collection certificate,
// an icon for every item found; CCertificate shows one in the town as a
// modal dialog with back and print buttons, and CShowCertificateEvent is the
// town's "ShowCertificate" n, done when that dialog closes.
#pragma once

#include "engine/base/geometry.h"
#include "engine/core/event.h"
#include "engine/core/timer.h"
#include "engine/ui/dialog_box.h"
#include "engine/ui/flash_button.h"
#include "game/world/user_profile.h"

#include <cstdint>

class CxDrawSurface;

constexpr int32_t CERTIFICATE_COUNT = 10;
constexpr int32_t CERTIFICATE_ICON_COUNT = 15;
constexpr uint32_t CERTIFICATE_TEXT_FLAGS = 0x24; // centred both ways
constexpr uint32_t CERTIFICATE_TIMER_INTERVAL = 4000;
extern const CxRect CERTIFICATE_NAME_RECT;  // (172, 210)-(372, 260)
extern const CxRect CERTIFICATE_TITLE_RECT; // (142, 315)-(402, 365)
// Where item i's icon goes on certificate 0.
extern const CxPoint CERTIFICATE_ICON_POSITIONS[CERTIFICATE_ICON_COUNT];
inline constexpr CxPoint CERTIFICATE_PRINT_POSITION(565, 417); // also the printing room's
inline constexpr CxPoint CERTIFICATE_BACK_POSITION(3, 2);

// The title text of certificate n for a title ID (clamped to 0..2, as the
// profile file may say anything); null for n outside 0..9.
const char* GetCertificateTitle(int32_t n, int32_t titleId);
// The player's title ID that certificate n shows: each certificate reads the
// title of the activity that earns it; 0 for certificate 9.
int32_t GetCertificateTitleId(int32_t n, const UserProfile& profile);
// A new surface holding certificate n for the player, or null when n is
// outside 0..9 or its background cannot be loaded (then reported).
CxDrawSurface* ComposeCertificate(int32_t n, const UserProfile& profile);
// The current player's record (a blank one outside the game application).
const UserProfile& GetCertificateProfile();

class CCertificate : public CxDialogBox, public CxTimerListener
{
public:
    CCertificate();
    ~CCertificate() override;

    // Composes certificate n and loads the buttons. Returns 0, or an error
    // code when there is no certificate to show.
    uint32_t Create(int32_t n);
    // Places the dialog at (0, 0) on the screen and runs it; returns its error code.
    uint32_t DoModal() override;

    // Expiry only starts the next 4000 ms.
    void OnTimer(CxTimer* timer) override;
    // Any key ends the dialog.
    void OnKeyDown(uint32_t key, uint32_t flags) override;
    // Back ends the dialog; print prints the certificate, then ends it.
    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override;

    const CxTimerCallBack& GetTimer() const { return m_Timer; }
    CxButton& GetBackButton() { return m_Back; }
    CFlashButton& GetPrintButton() { return m_Print; }
    int32_t GetPrintCount() const { return m_nPrinted; }

private:
    CxTimerCallBack m_Timer;
    CxButton m_Back;
    CFlashButton m_Print;
    int32_t m_nPrinted = 0;
};

class CShowCertificateEvent : public CxEvent
{
public:
    explicit CShowCertificateEvent(int32_t n) : m_nCertificate(n) {}

    // Shows the dialog; returns when it has closed.
    void Start() override;
    void Stop() override {}
    bool IsFinished() override { return m_bDone; }
    void Pause() override {}
    void Resume() override {}
    bool IsBlocked() override { return false; }

private:
    int32_t m_nCertificate;
    bool m_bDone = false; // set once the dialog has closed
};
