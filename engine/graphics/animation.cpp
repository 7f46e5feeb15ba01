#include "engine/graphics/animation.h"

#include "engine/base/array.h"
#include "engine/core/main_loop.h"
#include "engine/graphics/display_object.h"
#include "engine/graphics/sprite.h"
#include "engine/platform/clock.h"

#include <cmath>
#include <new>

namespace {
constexpr uint32_t TICK_INTERVAL_MS = 1000 / ANIMATION_TICKS_PER_SECOND;

// Kept for the whole run (never destroyed), so that animations owned by
// static objects may still stop themselves while the program ends.
CxLinkedList<CxAnimation*>& Running()
{
    static CxLinkedList<CxAnimation*>* running = new CxLinkedList<CxAnimation*>;
    return *running;
}

CxTimer& TickTimer()
{
    static CxTimer timer;
    return timer;
}

int32_t Round(double value)
{
    return static_cast<int32_t>(std::lround(value));
}
} // namespace

CxAnimation::CxAnimation() = default;

CxAnimation::~CxAnimation()
{
    Stop();
    RemoveAllActions();
}

void CxAnimation::Tick()
{
    CxTimer& timer = TickTimer();
    if (timer.IsRunning() && timer.GetElapsed() < TICK_INTERVAL_MS)
        return;
    // An update may stop (or delete the owner of) any animation: walk a copy
    // and skip those that are no longer running.
    CxArray<CxAnimation*> pass;
    for (auto* node = Running().GetHead(); node; node = node->GetNext())
        pass.Add(node->m_Value);
    for (uint32_t i = 0; i < pass.GetCount(); ++i)
        if (Running().Find(pass[i]))
            pass[i]->Update();
    timer.Start(0);
}

int32_t CxAnimation::CountRunning()
{
    return Running().GetCount();
}

void CxAnimation::Start(int32_t action)
{
    if (!m_pObject)
    {
        SetError(CX_ERR_UNKNOWN, "No DisplayObject available for CxAnimation::SetCurAction()");
        return;
    }
    m_nFlags |= ANIMATION_RUNNING;
    m_nRepeatsLeft = m_nRepeat;
    // Only actions that follow one another carry the time left (or overdue)
    // over: a fresh start owes nothing to an action that ended long ago.
    m_DurationTimer.Reset();
    SetCurAction(action, true);
    if (!Running().Find(this))
    {
        if (Running().IsEmpty())
        {
            AddMainLoopFunction(Tick);
            TickTimer().Start(0);
        }
        Running().AddTail(this);
    }
}

void CxAnimation::Stop()
{
    m_nFlags &= ~ANIMATION_RUNNING;
    if (Running().Remove(this) && Running().IsEmpty())
    {
        RemoveMainLoopFunction(Tick);
        TickTimer().Reset();
    }
}

void CxAnimation::AddActions(const ST_ANIM_ACTION* actions, int32_t count)
{
    InsertActions(m_Actions.GetCount(), actions, count);
}

void CxAnimation::InsertActions(int32_t index, const ST_ANIM_ACTION* actions, int32_t count)
{
    if (!actions || count <= 0)
        return;
    auto* where = index < 0 ? nullptr : m_Actions.GetAt(static_cast<uint32_t>(index));
    for (int32_t i = 0; i < count; ++i)
    {
        ST_ANIM_ACTION* copy = new (std::nothrow) ST_ANIM_ACTION(actions[i]);
        if (!copy)
        {
            SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate an animation action");
            return;
        }
        if (!(where ? m_Actions.InsertBefore(where, copy) : m_Actions.AddTail(copy)))
        {
            delete copy;
            SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate an animation action");
            return;
        }
    }
}

void CxAnimation::RemoveAction(int32_t index)
{
    if (index < 0)
        return;
    if (auto* node = m_Actions.GetAt(static_cast<uint32_t>(index)))
    {
        delete node->m_Value;
        m_Actions.RemoveNode(node);
    }
}

void CxAnimation::RemoveAllActions()
{
    while (!m_Actions.IsEmpty())
        delete m_Actions.RemoveHead();
}

ST_ANIM_ACTION* CxAnimation::GetAction(int32_t index)
{
    const int32_t count = m_Actions.GetCount();
    if (count == 0)
        return nullptr;
    if (index == -1)
        index = m_nCurAction % count;
    if (index < 0 || index >= count)
        return nullptr;
    return m_Actions.GetAt(static_cast<uint32_t>(index))->m_Value;
}

int32_t CxAnimation::GetActionCount() const
{
    return m_Actions.GetCount();
}

int32_t CxAnimation::GetCurAction() const
{
    return m_nCurAction;
}

uint32_t CxAnimation::SetCurAction(int32_t index, bool restart)
{
    if (!m_pObject)
    {
        SetError(CX_ERR_UNKNOWN, "No DisplayObject available for CxAnimation::SetCurAction()");
        return GetError();
    }
    const int32_t count = m_Actions.GetCount();
    if (count == 0)
        return GetError();
    m_nCurAction = index;
    ST_ANIM_ACTION* action =
        m_Actions.GetAt(static_cast<uint32_t>(((index % count) + count) % count))->m_Value;
    if (restart)
        m_nRunsLeft = (action->nFlags & ANIM_RUNS) ? action->nRuns : 1;

    const int32_t anchor = (action->nFlags & ANIM_ANCHOR) ? action->nAnchor : ANCHOR_TOP_LEFT;
    CxPoint point;
    m_pObject->GetAnchorPoint(point, anchor);
    if (!(m_nFlags & ANIMATION_IGNORE_POSITIONS) && (action->nFlags & ANIM_POSITION))
    {
        if (m_nFlags & ANIMATION_RELATIVE)
            point = point + CxPoint(action->nX, action->nY);
        else
            point = CxPoint(action->nX, action->nY);
    }
    if (action->nFlags & ANIM_DEPTH)
        m_pObject->SetDepth(action->nDepth);
    m_pObject->MoveTo(point, anchor);

    if (action->nFlags & ANIM_DURATION)
    {
        int64_t duration = action->nDuration;
        if (m_DurationTimer.HasEnd())
            duration += static_cast<int32_t>(m_DurationTimer.GetEndTick() - GetTickCount());
        m_DurationTimer.Start(duration < 1 ? 1 : static_cast<uint32_t>(duration));
    }
    else
        m_DurationTimer.Reset();
    m_nFrameInterval = 0;
    if ((action->nFlags & ANIM_FRAME_RATE) && action->fFrameRate > 0.0f)
    {
        // A rate above 1000 frames a second still steps once a millisecond.
        const double interval = 1000.0 / action->fFrameRate;
        m_nFrameInterval = interval < 1.0 ? 1 : static_cast<uint32_t>(interval);
        m_FrameTimer.Start(m_nFrameInterval);
    }
    else
        m_FrameTimer.Reset();
    m_MoveTimer.Start(0);

    if (!(action->nFlags & ANIM_SPEED))
        action->fSpeed = 1.0f;
    if ((action->nFlags & ANIM_FIRST_FRAME) && m_pSprite)
        m_pSprite->SetFrame(action->nFirstFrame);
    m_fX = point.x;
    m_fY = point.y;
    return GetError();
}

void CxAnimation::SetRepeat(int32_t count)
{
    m_nRepeat = count;
    m_nRepeatsLeft = count;
}

void CxAnimation::SetDisplayObject(CxDisplayObject* object)
{
    m_pObject = object;
    m_pSprite = dynamic_cast<CxSprite*>(object);
}

void CxAnimation::SetListener(CxAnimationListener* listener)
{
    m_pListener = listener;
}

void CxAnimation::Pause()
{
    m_MoveTimer.AddPause();
    m_FrameTimer.AddPause();
    m_DurationTimer.AddPause();
}

void CxAnimation::Resume()
{
    m_MoveTimer.RemovePause();
    m_FrameTimer.RemovePause();
    m_DurationTimer.RemovePause();
}

void CxAnimation::Update()
{
    if (!IsRunning() || IsPaused() || !m_pObject)
        return;
    ST_ANIM_ACTION* action = GetAction(-1);
    if (!action)
        return;
    if (m_DurationTimer.HasExpired())
    {
        NextAction();
        return;
    }
    const bool moves = (action->nFlags & ANIM_MOVE) && !(m_nFlags & ANIMATION_IGNORE_POSITIONS);
    const int32_t anchor = (action->nFlags & ANIM_ANCHOR) ? action->nAnchor : ANCHOR_TOP_LEFT;
    if (moves)
    {
        CxPoint current;
        m_pObject->GetAnchorPoint(current, anchor);
        if (current == CxPoint(action->nTargetX, action->nTargetY))
        {
            NextAction();
            return;
        }
        const double dx = action->nTargetX - m_fX;
        const double dy = action->nTargetY - m_fY;
        const double distance = std::sqrt(dx * dx + dy * dy);
        const double step = action->fSpeed * 0.001 * m_MoveTimer.GetElapsed();
        if (distance < step || distance == 0.0)
        {
            m_fX = action->nTargetX;
            m_fY = action->nTargetY;
        }
        else
        {
            m_fX += dx / distance * step;
            m_fY += dy / distance * step;
        }
        const CxPoint rounded(Round(m_fX), Round(m_fY));
        if (!(rounded == current))
        {
            m_pObject->MoveTo(rounded, anchor);
            if ((action->nFlags & ANIM_NOTIFY_MOVE) && m_pListener)
                m_pListener->OnAnimationMove(this);
        }
        m_MoveTimer.Start(0);
    }
    if ((action->nFlags & ANIM_FRAME_RATE) && m_nFrameInterval > 0 && m_FrameTimer.HasExpired())
        StepFrames(*action);
}

void CxAnimation::StepFrames(const ST_ANIM_ACTION& action)
{
    const uint32_t interval = m_nFrameInterval;
    const uint32_t overdue = GetTickCount() - m_FrameTimer.GetEndTick();
    const int32_t n = static_cast<int32_t>(overdue / interval + 1);
    m_FrameTimer.Start(interval - overdue % interval);
    if (!m_pSprite)
        return;
    const int32_t current = m_pSprite->GetFrame();
    if (action.nFlags & ANIM_FRAME_FROM_START)
        m_pSprite->SetFrame(action.nFirstFrame + n);
    else if ((action.nFlags & ANIM_POSITION) && action.nFirstFrame > action.nLastFrame)
        m_pSprite->SetFrame(current - n < action.nLastFrame ? action.nLastFrame : current - n);
    else if ((action.nFlags & ANIM_LAST_FRAME) && current + n > action.nLastFrame)
        m_pSprite->SetFrame(action.nLastFrame);
    else
        m_pSprite->SetFrame(current + n);
}

void CxAnimation::NextAction()
{
    if (m_pListener)
        m_pListener->OnAnimationActionDone(this);
    if (m_pObject && IsRunning() && !IsPaused())
    {
        if (--m_nRunsLeft > 0)
        {
            SetCurAction(m_nCurAction, false);
            return;
        }
        const ST_ANIM_ACTION* action = GetAction(-1);
        if (action && !(action->nFlags & ANIM_STOP_AFTER))
        {
            if (m_nCurAction + 1 < GetActionCount())
            {
                SetCurAction(m_nCurAction + 1, true);
                return;
            }
            // Below 1 the list repeats for as long as the animation runs.
            if (m_nRepeat < 1 || --m_nRepeatsLeft > 0)
            {
                SetCurAction(0, true);
                return;
            }
        }
    }
    Stop();
}
