// A game application for tests: it records the frame's calls and the rooms'
// operations in one journal, makes a chosen number of rooms, and stops its
// main loop by itself after a pass limit so that no test can hang.
#pragma once

#include "engine/core/log.h"
#include "engine/frame/game_app.h"
#include "engine/platform/message_box.h"
#include "engine/platform/window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

class CTestJournal
{
public:
    void Add(const std::string& entry) { m_Entries.push_back(entry); }
    void Clear() { m_Entries.clear(); }
    const std::vector<std::string>& Entries() const { return m_Entries; }
    size_t Count(const std::string& entry) const
    {
        size_t n = 0;
        for (const auto& e : m_Entries)
            n += e == entry;
        return n;
    }
    // The entries that start with prefix, in order.
    std::vector<std::string> With(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& e : m_Entries)
            if (e.rfind(prefix, 0) == 0)
                out.push_back(e);
        return out;
    }

private:
    std::vector<std::string> m_Entries;
};

class CTestRoom : public CxGameWindow
{
public:
    explicit CTestRoom(CTestJournal& journal) : m_Journal(journal) {}
    ~CTestRoom() override { Note("Deleted"); }

    void RoomPrepare() override { Note("Prepare"); }
    void RoomEnter() override { Note("Enter"); }
    void RoomEnterDone() override { Note("EnterDone"); }
    void RoomLeaveBegin() override { Note("LeaveBegin"); }
    void RoomLeave() override
    {
        Note("Leave");
        CxGameWindow::RoomLeave();
    }
    void RoomLeaveDone() override { Note("LeaveDone"); }
    void RoomUpdate() override
    {
        Note("Update");
        CxGameWindow::RoomUpdate();
        if (m_OnUpdate)
            m_OnUpdate();
    }
    void RoomClose() override
    {
        Note("Close");
        if (m_OnClose)
            m_OnClose();
    }
    void SetFocus() override { Note("Focus"); }

    std::function<void()> m_OnUpdate;
    std::function<void()> m_OnClose;

protected:
    void Pause() override { Note("Pause"); }
    void Resume() override { Note("Resume"); }
    void StopRoomTimers() override
    {
        Note("StopTimers");
        CxGameWindow::StopRoomTimers();
    }
    void EmptyCleaner() override
    {
        Note("EmptyCleaner");
        CxGameWindow::EmptyCleaner();
    }

private:
    void Note(const char* what)
    {
        m_Journal.Add(std::string("room") + std::to_string(GetRoomID()) + ":" + what);
    }

    CTestJournal& m_Journal;
};

inline AppDescription TestDescription(const char* name, uint32_t style = APP_RIGHT_BUTTON_IS_LEFT)
{
    return AppDescription{name, "", 0, 0, 640, 480, 16, style};
}

class CTestApp : public CxGameApp
{
public:
    explicit CTestApp(const char* options = "",
                      const AppDescription& description = TestDescription("Rumbo Test App"))
        : CxGameApp(description)
    {
        // Tests keep no log file in whatever directory they run from.
        static const char quiet[] = "[Engine.Debug]\nLogFile=0\n";
        Parse(quiet, static_cast<uint32_t>(strlen(quiet)));
        Parse(options, static_cast<uint32_t>(strlen(options)));
        StartDebug(*this);
    }

    uint32_t Init() override
    {
        m_Journal.Add("Init");
        return CxGameApp::Init();
    }
    uint32_t Create() override
    {
        m_Journal.Add("Create");
        CxGameApp::Create();
        if (m_nFirstRoom >= 0)
            GotoRoom(m_nFirstRoom);
        return GetError();
    }
    uint32_t PostCreate() override
    {
        m_Journal.Add("PostCreate");
        return CxGameApp::PostCreate();
    }
    uint32_t MainLoop() override
    {
        m_Journal.Add("MainLoop");
        return CxGameApp::MainLoop();
    }
    void PreDestroy() override
    {
        m_Journal.Add("PreDestroy");
        CxGameApp::PreDestroy();
    }
    void Destroy() override
    {
        m_Journal.Add("Destroy");
        CxGameApp::Destroy();
    }
    uint32_t ExitInstance() override
    {
        m_Journal.Add("ExitInstance");
        return CxGameApp::ExitInstance();
    }
    void OnIdle() override
    {
        ++m_nPasses;
        CxGameApp::OnIdle();
        if (m_OnPass)
            m_OnPass();
        if (m_nPasses >= m_nPassLimit)
            Quit();
    }
    CxGameWindow* CreateRoom(long id) override
    {
        m_Journal.Add("CreateRoom" + std::to_string(id));
        return id < m_nRoomsToMake ? new CTestRoom(m_Journal) : nullptr;
    }

    void OnKeyDown(uint32_t key, uint32_t repeat) override
    {
        m_Keys.push_back(key);
        CxGameApp::OnKeyDown(key, repeat);
    }
    void OnKeyUp(uint32_t key, uint32_t) override { m_KeysUp.push_back(key); }
    void OnMouseMove(uint32_t, const CxPoint& p) override { Mouse("move", p); }
    void OnMouseWheel(uint32_t, const CxPoint& p, int32_t notches) override
    {
        Mouse("wheel" + std::to_string(notches), p);
    }
    void OnLButtonDown(uint32_t, const CxPoint& p) override { Mouse("ldown", p); }
    void OnLButtonUp(uint32_t, const CxPoint& p) override { Mouse("lup", p); }
    void OnLButtonDblClk(uint32_t, const CxPoint& p) override { Mouse("ldbl", p); }
    void OnRButtonDown(uint32_t, const CxPoint& p) override { Mouse("rdown", p); }
    void OnRButtonUp(uint32_t, const CxPoint& p) override { Mouse("rup", p); }
    void OnMButtonDown(uint32_t, const CxPoint& p) override { Mouse("mdown", p); }
    void MinimizeAppWindow() override
    {
        m_Journal.Add("Minimize");
        CxGameApp::MinimizeAppWindow();
    }
    void MaximizeAppWindow() override
    {
        m_Journal.Add("Maximize");
        CxGameApp::MaximizeAppWindow();
    }
    void OnActivate() override { m_Journal.Add("OnActivate"); }
    void OnDeactivate() override { m_Journal.Add("OnDeactivate"); }

    CTestRoom* Room(long id) const { return static_cast<CTestRoom*>(GetRoom(id)); }
    void ClearStyleBits(uint32_t bits) { m_nStyle &= ~bits; }
    void SetStateBits(uint32_t bits) { m_nState |= bits; }

    CTestJournal m_Journal;
    std::vector<uint32_t> m_Keys;
    std::vector<uint32_t> m_KeysUp;
    std::vector<std::string> m_Mouse;
    std::function<void()> m_OnPass;
    long m_nRoomsToMake = 3;
    long m_nFirstRoom = -1;
    int m_nPasses = 0;
    int m_nPassLimit = 1000;

private:
    void Mouse(const std::string& what, const CxPoint& p)
    {
        m_Mouse.push_back(what + "@" + std::to_string(p.x) + "," + std::to_string(p.y));
    }
};

// A test application for nested (modal) loops: past the pass limit it asks
// to quit, and a loop that ignores that request is stopped by an exception,
// which DoModal lets through, so no test can hang.
class CModalTestApp : public CTestApp
{
public:
    using CTestApp::CTestApp;
    void OnIdle() override
    {
        CTestApp::OnIdle();
        if (m_nPasses >= m_nPassLimit + 100)
            throw std::runtime_error("runaway modal loop");
    }
};

// Hands the mouse on to the display objects, as the display application does.
class CMouseTestApp : public CModalTestApp
{
public:
    using CModalTestApp::CModalTestApp;
    void OnMouseMove(uint32_t keys, const CxPoint& p) override { CxGameApp::OnMouseMove(keys, p); }
    void OnLButtonDown(uint32_t keys, const CxPoint& p) override { CxGameApp::OnLButtonDown(keys, p); }
    void OnLButtonUp(uint32_t keys, const CxPoint& p) override { CxGameApp::OnLButtonUp(keys, p); }
    void OnMButtonDown(uint32_t keys, const CxPoint& p) override { CxGameApp::OnMButtonDown(keys, p); }
    void OnRButtonDown(uint32_t keys, const CxPoint& p) override { CxGameApp::OnRButtonDown(keys, p); }
};

// Starts an application with its window focused and its first messages taken, as the input tests need it.
inline void StartTestApp(CTestApp& app)
{
    SetMessageBoxAnswer(nullptr);
    ASSERT_EQ(app.Init(), 0u);
    app.Create();
    FlushPlatformMessages();
    CxInjectFocus(true);
    for (int i = 0; i < 8; ++i)
        app.PumpMessage();
}

inline void StopTestApp(CTestApp& app)
{
    app.PreDestroy();
    app.Destroy();
    app.ExitInstance();
    SetErrorHandler(ShowErrorBox);
}
