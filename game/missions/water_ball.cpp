// Water balls and their arc.
#include "game/missions/water_ball.h"

#include "engine/core/error.h"
#include "game/world/game_image.h"

#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>

std::vector<CxPoint> WaterBallPath(const CxPoint& start, const CxPoint& end)
{
    const int64_t dx = static_cast<int64_t>(end.x) - start.x;
    const int64_t dy = static_cast<int64_t>(end.y) - start.y;
    const int64_t count = (std::llabs(dy) + std::llabs(dx) / 2) / 8;
    std::vector<CxPoint> path;
    path.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i)
    {
        const double arch = WATER_ARCH_HEIGHT * std::sin(static_cast<double>(i) * std::numbers::pi / count);
        path.emplace_back(static_cast<int32_t>(start.x + i * dx / count),
                          static_cast<int32_t>(start.y + i * dy / count - static_cast<int64_t>(arch)));
    }
    return path;
}

CWaterStream::~CWaterStream()
{
    DestroyMaster();
}

uint32_t CWaterStream::CreateMaster(const char* fileName, int32_t frames, int32_t depth)
{
    DestroyMaster();
    auto master = std::unique_ptr<CWaterBall>(new (std::nothrow) CWaterBall);
    if (!master)
        return CX_ERR_UNKNOWN;
    const uint32_t error = LoadGameSprite(*master, fileName, frames);
    if (error != CX_ERR_NONE)
        return error;
    master->SetDepth(depth);
    m_pMaster = std::move(master);
    return CX_ERR_NONE;
}

void CWaterStream::DestroyMaster()
{
    // The balls borrow the master's image: they go first.
    Clear();
    m_pMaster.reset();
}

void CWaterStream::Clear()
{
    m_Balls.clear();
    m_Path.clear();
    m_nReleased = m_nVolleySize = 0;
    m_Clock.Reset();
}

std::vector<CWaterBall*> CWaterStream::GetBalls() const
{
    std::vector<CWaterBall*> balls;
    for (const Flight& flight : m_Balls)
        balls.push_back(flight.ball.get());
    return balls;
}

void CWaterStream::Launch(CxDisplayObject* parent, std::vector<CxPoint> path)
{
    Clear();
    if (!m_pMaster || path.empty())
        return;
    m_Path = std::move(path);
    m_pParent = parent;
    m_nVolleySize = WATER_BALLS_PER_VOLLEY;
    m_Clock.Start(0);
}

std::unique_ptr<CWaterBall> CWaterStream::MakeBall()
{
    auto ball = std::unique_ptr<CWaterBall>(new (std::nothrow) CWaterBall);
    if (!ball || ball->SetImage(m_pMaster->GetImage(), m_pMaster->GetFrameCount(), true) != CX_ERR_NONE)
        return nullptr;
    ball->SetKey(m_pMaster->GetKey());
    ST_BLIT_FX effect;
    m_pMaster->GetEffect(effect);
    ball->SetEffect(&effect);
    ball->AttachTo(m_pParent);
    ball->SetDepth(m_pMaster->GetDepth());
    ball->MoveTo(m_Path.front());
    ball->Redraw();
    return ball;
}

bool CWaterStream::Advance(const HitTest& hit, const EndHandler& ended)
{
    if (!m_pMaster || m_Path.empty())
        return IsFlying();
    const uint32_t now = m_Clock.GetElapsed();
    while (m_nReleased < m_nVolleySize && now >= m_nReleased * WATER_BALL_RELEASE_MS)
    {
        const uint32_t launch = static_cast<uint32_t>(m_nReleased++) * WATER_BALL_RELEASE_MS;
        if (auto ball = MakeBall())
            m_Balls.push_back(Flight{std::move(ball), 0, launch});
    }
    for (size_t i = 0; i < m_Balls.size();)
    {
        Flight& flight = m_Balls[i];
        const size_t target = (now - flight.launch) / WATER_BALL_STEP_MS;
        bool gone = false;
        // The ball is tested at every point it passes, the first at its release.
        for (; flight.next <= target && !gone; ++flight.next)
        {
            if (flight.next >= m_Path.size())
            {
                ended(*flight.ball);
                gone = true;
                break;
            }
            flight.ball->MoveTo(m_Path[flight.next]);
            flight.ball->NextFrame();
            gone = hit(*flight.ball);
        }
        if (gone)
            m_Balls.erase(m_Balls.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    return IsFlying();
}
