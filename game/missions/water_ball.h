// Water thrown in an arc: the water ball sprite, the arc's path and the
// stream of balls that flies along it.
//
// A shot's path runs from a start point S to an end point E (both the
// top-left of a ball): N = (|Ey - Sy| + |Ex - Sx| / 2) / 8 points, point i
// on the straight line from S toward E lifted by an arch 100 px high in the
// middle. A stream releases one ball every WATER_BALL_RELEASE_MS along the
// path (WATER_BALLS_PER_VOLLEY balls a shot); each ball moves on one path point every WATER_BALL_STEP_MS, its
// frames cycling, and is gone at its hit or at the path's end. All balls in
// flight are copies of one master ball and share its image.
#pragma once

#include "engine/core/timer.h"
#include "engine/graphics/sprite.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

constexpr int32_t WATER_ARCH_HEIGHT = 100;
constexpr uint32_t WATER_BALL_RELEASE_MS = 40;
constexpr uint32_t WATER_BALL_STEP_MS = 20;
constexpr size_t WATER_BALLS_PER_VOLLEY = 4;

// One drop of water.
class CWaterBall : public CxSprite
{
};

// The arc from start to end (see above); empty when N is 0.
std::vector<CxPoint> WaterBallPath(const CxPoint& start, const CxPoint& end);

class CWaterStream
{
public:
    CWaterStream() = default;
    ~CWaterStream();
    CWaterStream(const CWaterStream&) = delete;
    CWaterStream& operator=(const CWaterStream&) = delete;

    // Creates the master ball (a former one goes first) from the image file
    // (a resolved path) cut into frames, at depth; an error code (the
    // master stays null on failure).
    uint32_t CreateMaster(const char* fileName, int32_t frames, int32_t depth);
    // Destroys the balls in flight and the master.
    void DestroyMaster();
    CWaterBall* GetMaster() const { return m_pMaster.get(); }

    // A new volley along path in parent (the balls in flight of the last
    // one go first). Nothing flies without a master or with an empty path.
    void Launch(CxDisplayObject* parent, std::vector<CxPoint> path);
    // Destroys the balls in flight and forgets the path.
    void Clear();

    // Hit test of a ball at its new point: true when the ball hit something
    // (it is then destroyed).
    using HitTest = std::function<bool(CWaterBall& ball)>;
    // A ball that reached the path's end without a hit, before it goes.
    using EndHandler = std::function<void(CWaterBall& ball)>;
    // Releases and moves the balls by the time since the launch, testing
    // each ball at every path point it passes. Returns true while balls fly
    // or wait to be released.
    bool Advance(const HitTest& hit, const EndHandler& ended);

    bool IsFlying() const { return m_nReleased < m_nVolleySize || !m_Balls.empty(); }
    size_t GetBallCount() const { return m_Balls.size(); }
    const std::vector<CxPoint>& GetPath() const { return m_Path; }
    // The balls in flight, in release order.
    std::vector<CWaterBall*> GetBalls() const;

private:
    struct Flight
    {
        std::unique_ptr<CWaterBall> ball;
        size_t next;     // index of the next path point it moves to
        uint32_t launch; // ms after the volley's start it was released
    };
    std::unique_ptr<CWaterBall> MakeBall();

    std::unique_ptr<CWaterBall> m_pMaster;
    std::vector<Flight> m_Balls;
    std::vector<CxPoint> m_Path;
    CxDisplayObject* m_pParent = nullptr;
    CxTimer m_Clock;
    size_t m_nReleased = 0; // balls released of this volley
    size_t m_nVolleySize = 0;
};
