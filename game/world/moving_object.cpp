#include "game/world/moving_object.h"

CMovingObject::~CMovingObject()
{
    StopDriving();
    if (m_nOwnChannel)
        DestroyChannel(m_nOwnChannel);
}

uint32_t CMovingObject::DriveWith(CxEvent* sequence, uint32_t channel)
{
    if (!sequence)
        return CX_ERR_INVALID_ARGUMENT;
    StopDriving();
    if (!channel)
    {
        if (!m_nOwnChannel && CreateChannel(&m_nOwnChannel) != CX_ERR_NONE)
        {
            m_nOwnChannel = 0;
            return CX_ERR_OUT_OF_MEMORY;
        }
        channel = m_nOwnChannel;
    }
    const uint32_t result = sequence->Post(channel);
    if (result != CX_ERR_NONE)
        return result;
    SetDrivingChannel(channel);
    Listen(channel);
    // A paused truck holds its new sequence too.
    if (IsPaused())
        PauseChannel(channel);
    return CX_ERR_NONE;
}

void CMovingObject::StopDriving()
{
    const uint32_t channel = GetDrivingChannel();
    if (!channel)
        return;
    SetDrivingChannel(0);
    StopListening(channel);
    if (IsPaused())
        ResumeChannel(channel);
    FlushChannel(channel);
}

int32_t CMovingObject::OnEvent(uint32_t channel, CxEvent*)
{
    if (channel == GetDrivingChannel() && IsChannelEmpty(channel))
    {
        StopListening(channel);
        SetDrivingChannel(0);
    }
    return 0;
}
