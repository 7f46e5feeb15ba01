// CxPauseResume: a pause counter. Pause() is called when the count goes
// from 0 to 1 and Resume() when it returns from 1 to 0, so nested pausers
// need not know about each other.
#pragma once

#include <cstdint>

class CxPauseResume
{
public:
    virtual ~CxPauseResume() = default;

    void AddPause()
    {
        if (m_nPauseCount++ == 0)
            Pause();
    }

    void RemovePause()
    {
        if (m_nPauseCount == 0)
            return;
        if (--m_nPauseCount == 0)
            Resume();
    }

    bool IsPaused() const { return m_nPauseCount > 0; }
    int32_t GetPauseCount() const { return m_nPauseCount; }

protected:
    virtual void Pause() = 0;
    virtual void Resume() = 0;

private:
    int32_t m_nPauseCount = 0;
};
