// A small program for the virtual-display test: a blue background, a red
// 32 x 32 sprite at (100, 100) of the 640 x 480 drawing area, another sprite
// moving under an animation, and a green 12 x 12 custom cursor whose hot spot
// is its top-left pixel. It writes "ready" once the first frame is shown and
// ends when a file named "quit" appears in its working directory.
//
// Further files in the working directory ask for one thing each (the file is
// removed when it is taken):
//   "resize" holding "X Y WIDTH HEIGHT": SetAppWindowRect with that client
//            rectangle, then "resized W H full|window" with the screen's size;
//   "error": reports an error, which opens the error dialog; "answered"
//            follows once the player has answered it.
#include "engine/core/file.h"
#include "engine/frame/game_app.h"
#include "engine/graphics/animation.h"
#include "engine/graphics/cursor.h"
#include "engine/graphics/screen.h"

#include <cstdio>

namespace {
const AppDescription s_Description = {
    "Rumbo Display Demo", "display_demo.ini", 0, 0, 640, 480, 16, APP_USE_CUSTOM_CURSOR | APP_FRAMED,
};

CxSprite* MakeSprite(int32_t width, int32_t height, uint32_t color, int32_t depth)
{
    auto* image = new CxDrawSurface(width, height, 16);
    image->FillRect(nullptr, color);
    auto* sprite = new CxSprite;
    sprite->SetImage(image, 1);
    sprite->SetDepth(depth);
    sprite->Create(0, 0, width, height);
    return sprite;
}

class CDisplayDemo : public CxGameApp
{
public:
    CDisplayDemo() : CxGameApp(s_Description) {}

    uint32_t Create() override
    {
        CxGameApp::Create();
        GotoRoom(0);
        // Colours are made once the screen has set the 16-bit format.
        return GetError();
    }

    void PreDestroy() override
    {
        m_Animation.Stop();
        delete m_pMover;
        delete m_pRed;
        delete m_pBackground;
        m_pMover = m_pRed = m_pBackground = nullptr;
        CxGameApp::PreDestroy();
    }

    void OnIdle() override
    {
        CxGameApp::OnIdle();
        if (!GetScreen())
            return;
        if (!m_pBackground)
            Build();
        if (!m_bReady && ++m_nPasses > 5)
        {
            m_bReady = true;
            printf("ready\n");
            fflush(stdout);
        }
        if (FileExists("resize"))
            Resize();
        if (FileExists("error"))
        {
            DeleteFile("error");
            printf("reporting\n");
            fflush(stdout);
            CxError report;
            report.SetError(CX_ERR_INVALID_ARGUMENT, "An error for the dialog test");
            printf("answered\n");
            fflush(stdout);
        }
        if (FileExists("quit"))
            Quit();
    }

    CxGameWindow* CreateRoom(long id) override { return id == 0 ? new CxGameWindow : nullptr; }

private:
    void Resize()
    {
        int x = 0, y = 0, width = 0, height = 0;
        FILE* f = fopen("resize", "r");
        const bool read = f && fscanf(f, "%d %d %d %d", &x, &y, &width, &height) == 4;
        if (f)
            fclose(f);
        DeleteFile("resize");
        if (!read || width < 1 || height < 1)
            return;
        SetAppWindowRect(CxRect(x, y, x + width - 1, y + height - 1));
        CxDrawSurface* screen = GetScreen() ? GetScreen()->GetDrawSurface() : nullptr;
        printf("resized %d %d %s\n", screen ? screen->GetWidth() : 0, screen ? screen->GetHeight() : 0,
               (GetState() & STATE_DIRECTDRAW_SCREEN) ? "full" : "window");
        fflush(stdout);
    }

    void Build()
    {
        CxDrawSurface* screen = GetScreen()->GetDrawSurface();
        m_pBackground = MakeSprite(640, 480, screen->MakeColor(0, 0, 255), 100);
        m_pBackground->MoveTo(0, 0);
        m_pRed = MakeSprite(32, 32, screen->MakeColor(255, 0, 0), 0);
        m_pRed->MoveTo(100, 100);
        m_pMover = MakeSprite(16, 16, screen->MakeColor(255, 255, 0), 0);
        ST_ANIM_ACTION actions[2];
        actions[0].nFlags = ANIM_POSITION | ANIM_MOVE | ANIM_SPEED;
        actions[0].nX = 400;
        actions[0].nY = 50;
        actions[0].nTargetX = 600;
        actions[0].nTargetY = 50;
        actions[0].fSpeed = 200.0f;
        actions[1] = actions[0];
        actions[1].nX = 600;
        actions[1].nTargetX = 400;
        m_Animation.SetDisplayObject(m_pMover);
        m_Animation.AddActions(actions, 2);
        m_Animation.SetRepeat(0);
        m_Animation.Start(0);

        auto* cursor = new CxDrawSurface(12, 12, 16);
        cursor->FillRect(nullptr, screen->MakeColor(0, 255, 0));
        RegisterCursorImage(new CxCursorImage(cursor, 1, CxPoint(0, 0), CX_CURSOR_NORMAL));
        SetCursorShape(CX_CURSOR_NORMAL);
    }

    CxSprite* m_pBackground = nullptr;
    CxSprite* m_pRed = nullptr;
    CxSprite* m_pMover = nullptr;
    CxAnimation m_Animation;
    int m_nPasses = 0;
    bool m_bReady = false;
};
} // namespace

int main(int argc, char** argv)
{
    static CDisplayDemo app;
    return CxAppMain(argc, argv);
}
