// Shared pieces of the button tests: a panel that records the notifications
// reaching it, a five-frame button picture, and a fixture driving them with
// synthetic mouse input.
#pragma once

#include "engine/graphics/draw_surface.h"
#include "engine/graphics/sprite.h"
#include "engine/platform/message_box.h"
#include "engine/platform/window.h"
#include "engine/ui/button.h"
#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A container that records the notifications bubbling through it as
// "name:code", naming the senders it was told about.
class CNotifyPanel : public CxSprite
{
public:
    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override
    {
        std::string sender = "?";
        for (const auto& [object, name] : m_Names)
            if (reinterpret_cast<intptr_t>(object) == b)
                sender = name;
        if (a == 0)
            m_Notes.push_back(sender + ":" + std::to_string(c));
        CxSprite::NotifyParent(a, b, c, d);
    }
    void Name(CxDisplayObject* object, const std::string& name) { m_Names.emplace_back(object, name); }

    std::vector<std::string> m_Notes;
    std::vector<std::pair<CxDisplayObject*, std::string>> m_Names;
};

// Five frames of w x h at the screen depth; frame f is filled with 0x1000 + f * 0x0841.
inline CxDrawSurface* MakeButtonImage(int32_t w, int32_t h)
{
    auto* image = new CxDrawSurface(w * BUTTON_STATE_COUNT, h, 16);
    for (int32_t f = 0; f < BUTTON_STATE_COUNT; ++f)
    {
        const CxRect r(f * w, 0, f * w + w - 1, h - 1);
        image->FillRect(&r, static_cast<uint32_t>(0x1000 + f * 0x0841));
    }
    return image;
}

// Starts the test application and drives it with synthetic input.
class ButtonAppTest : public testing::Test
{
protected:
    void SetUp() override
    {
        app = std::make_unique<CMouseTestApp>();
        StartTestApp(*app);
        panel.Create(100, 100, 200, 100);
        panel.MoveTo(100, 100);
    }
    void TearDown() override
    {
        panel.Destroy();
        StopTestApp(*app);
    }
    void Pump()
    {
        for (int i = 0; i < 4; ++i)
            app->PumpMessage();
    }
    // Screen coordinates.
    void Move(int32_t x, int32_t y)
    {
        CxInjectMouseMotion(x, y);
        Pump();
    }
    void Press(int32_t x, int32_t y)
    {
        CxInjectMouseButton(1, true, x, y);
        Pump();
    }
    void Release(int32_t x, int32_t y)
    {
        CxInjectMouseButton(1, false, x, y);
        Pump();
    }
    // Puts a button of 40 x 20 at (x, y) of parent, shown.
    void Place(CxButton& button, CxDisplayObject& parent, int32_t x, int32_t y, const std::string& name)
    {
        button.SetImage(MakeButtonImage(40, 20), BUTTON_STATE_COUNT);
        button.Create(x, y, 40, 20, &parent);
        button.MoveTo(x, y);
        panel.Name(&button, name);
    }

    std::unique_ptr<CMouseTestApp> app;
    CNotifyPanel panel;
};
