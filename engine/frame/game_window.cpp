#include "engine/frame/game_window.h"

void CxGameWindow::RoomPrepare() {}

void CxGameWindow::RoomEnter() {}

void CxGameWindow::RoomEnterDone() {}

void CxGameWindow::RoomLeaveBegin() {}

void CxGameWindow::RoomLeave()
{
    // The timers go first: stopping them hands them to the cleaner.
    StopRoomTimers();
    EmptyCleaner();
}

void CxGameWindow::RoomLeaveDone() {}

void CxGameWindow::RoomUpdate()
{
    EmptyCleaner();
}

void CxGameWindow::RoomClose() {}

void CxGameWindow::Pause() {}

void CxGameWindow::Resume() {}

void CxGameWindow::StopRoomTimers()
{
    m_Timers.KillAllTimers();
}

void CxGameWindow::EmptyCleaner()
{
    m_Timers.EmptyCleaner();
}

void CxGameWindow::OnTimer(CxTimer*) {}
