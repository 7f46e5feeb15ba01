// CCollisionSprite: a sprite that takes part in the town's collisions.
//
// It carries a collision rectangle in its own pixels (by default the whole
// sprite), a z offset for its depth, flags (solid, enemy immune, bumpable)
// and two event sequences: one run when something collides with it and one
// run when it is bumped. The sequences run on an event channel the sprite
// owns (made on first use, paused with the sprite and destroyed with it).
//
// It is also an event creator: lines of its own sequences may address it as
// "this", and, once it is registered under an event type name, other
// sequences may address it by that name. The base creator makes no events;
// the super sprite adds them.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/core/event_creator.h"
#include "engine/core/sequence.h"
#include "engine/graphics/sprite.h"

#include <cstdint>

constexpr uint32_t COLLISION_SOLID = 0x01;
constexpr uint32_t COLLISION_ENEMY_IMMUNE = 0x04;
constexpr uint32_t COLLISION_BUMPABLE = 0x08;
constexpr uint32_t COLLISION_DEFAULT_FLAGS = COLLISION_SOLID | COLLISION_BUMPABLE;
// Added to every depth, so that depths of sprites low on the map stay positive.
constexpr int32_t COLLISION_DEPTH_BASE = 10000;

class CCollisionSprite : public CxSprite, public CxEventCreator
{
public:
    CCollisionSprite() = default;
    // Unregisters the event type name (when the registry still names this
    // sprite), destroys the sequence channel and the sequences.
    ~CCollisionSprite() override;

    // Something collided with this sprite: the collide sequence starts when
    // it is not running, and a bumpable sprite is bumped.
    virtual void HandleCollision(CCollisionSprite* other);
    // The bumped sequence is loaded afresh from its name and started, unless
    // it is running.
    virtual void HandleBumped(CCollisionSprite* other);

    // Answers lines addressed to "this" or to the event type name; the base makes no event.
    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override;
    bool IsOwnCategory(const CxString& category) const;

    // Registers the sprite's creator under name (empty: no name). An earlier
    // name is given up first.
    void SetEventTypeName(const char* name);
    const CxString& GetEventTypeName() const { return m_strTypeName; }

    // Store the name and load the sequence (through the path roots, with the
    // game's interpolator, lines asked of this sprite first). An empty name
    // removes the sequence. Returns the error of loading.
    uint32_t SetBumpedSequence(const char* fileName);
    uint32_t SetCollideSequence(const char* fileName);
    CxEventSequenceFile* GetBumpedSequence() const { return m_pBumped; }
    const CxString& GetBumpedSequenceName() const { return m_strBumped; }
    const CxString& GetCollideSequenceName() const { return m_strCollide; }
    // A bump sequence given for once (a mission target, a hiding place)
    // starts on the first bump only; DisableBumped stops any further start.
    void SetBumpedOnce(bool once)
    {
        m_bBumpedOnce = once;
        m_bBumpedSpent = false;
    }
    void DisableBumped() { m_bBumpedOnce = m_bBumpedSpent = true; }
    bool IsBumpedSpent() const { return m_bBumpedSpent; }
    // Whether the bump sequence waits or runs in the sprite's channel.
    bool IsBumpedRunning() const { return IsSequenceRunning(m_pBumped); }
    CxEventSequenceFile* GetCollideSequence() const { return m_pCollide; }
    // The channel of the sequences, 0 before the first one ran.
    uint32_t GetSequenceChannel() const { return m_nChannel; }

    // In the sprite's own pixels; by default (0, 0, width - 1, height - 1).
    void SetCollisionRect(const CxRect& rect);
    CxRect GetCollisionRect() const;
    // The collision rectangle in map (parent) coordinates.
    CxRect GetMapCollisionRect() const;
    bool CollidesWith(const CCollisionSprite& other) const;
    // The town's contact test of each update: Touch while the truck
    // overlaps the sprite, EndContact while it does not. The collide
    // sequence runs once per contact, when it begins (a truck standing on
    // an oil slick skids once instead of for as long as it stands there);
    // the bumped sequence runs whenever its own run allows.
    void Touch(CCollisionSprite* other);
    void EndContact() { m_bInContact = false; }
    bool IsInContact() const { return m_bInContact; }
    // z offset - (the map y of the bottom edge) + 10000, and setting it.
    int32_t ComputeDepth() const;
    void UpdateDepth() { SetDepth(ComputeDepth()); }

    void SetZOffset(int32_t offset) { m_nZOffset = offset; }
    int32_t GetZOffset() const { return m_nZOffset; }
    uint32_t GetCollisionFlags() const { return m_nCollisionFlags; }
    void SetCollisionFlag(uint32_t flag, bool on)
    {
        m_nCollisionFlags = on ? (m_nCollisionFlags | flag) : (m_nCollisionFlags & ~flag);
    }
    bool IsSolid() const { return (m_nCollisionFlags & COLLISION_SOLID) != 0; }
    bool IsEnemyImmune() const { return (m_nCollisionFlags & COLLISION_ENEMY_IMMUNE) != 0; }
    bool IsBumpable() const { return (m_nCollisionFlags & COLLISION_BUMPABLE) != 0; }

protected:
    // Loads fileName into *sequence (made when needed); an empty name deletes it.
    uint32_t LoadOwnSequence(CxEventSequenceFile** sequence, CxString& name, const char* fileName);
    // Posts the sequence to the sprite's channel unless it is running.
    bool StartOwnSequence(CxEventSequenceFile* sequence);
    static bool IsSequenceRunning(CxEventSequenceFile* sequence);
    void PauseSequences(bool pause);
    void DeleteSequences();

    CxRect m_rcCollision;
    bool m_bCollisionRectSet = false;
    int32_t m_nZOffset = 0;
    CxString m_strBumped;
    CxString m_strCollide;
    CxEventSequenceFile* m_pBumped = nullptr;
    CxEventSequenceFile* m_pCollide = nullptr;
    uint32_t m_nCollisionFlags = COLLISION_DEFAULT_FLAGS;
    uint32_t m_nChannel = 0;
    CxString m_strTypeName;
    bool m_bBumpedOnce = false;
    bool m_bBumpedSpent = false;
    bool m_bInContact = false;
};
