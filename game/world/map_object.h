// An object on the town map (oil, junk, scenery, collectibles, blockers):
// a super sprite with a number, a tag and an invisible flag. The town loads
// one master per object file and places copies that share its states.
//
// Beyond its super sprite lines, a map object answers "Talk", "PlayWave" and
// "PlaySound" (one of the files named, at random, played at the volume of
// its distance from the middle of the screen; the event is done at once) and
// "SelfDestruct" (the town takes it off the current mission after its
// update, never under the line that asked).
#pragma once

#include "game/world/super_sprite.h"

#include <cstdint>
#include <memory>

class CxWave;

class CMapObject : public CSuperSprite
{
public:
    explicit CMapObject(int32_t id = 0) : m_nId(id) {}
    // The sequences go first: their talk events still refer to the object.
    ~CMapObject() override { DeleteSequences(); }

    // A copy of master (which must outlive it) at a map position in parent:
    // same number, flags, states and sequences, shown unless the master is invisible.
    static CMapObject* CopyOf(CMapObject& master, CxDisplayObject* parent, const CxPoint& position);

    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override;
    void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) override;

    int32_t GetId() const { return m_nId; }
    void SetId(int32_t id) { m_nId = id; }
    // An invisible object is never drawn; it still collides (a blocker).
    bool IsInvisible() const { return m_bInvisible; }
    void SetInvisible(bool invisible) { m_bInvisible = invisible; }
    int32_t GetTag() const { return m_nTag; }
    void SetTag(int32_t tag) { m_nTag = tag; }
    // Whether a voice of the object is still playing (its owner waits for
    // it before deleting an object taken off the map).
    bool IsSpeaking() const;

private:
    friend class CObjectTalkEvent;
    int32_t m_nId;
    CxWave* m_pVoice = nullptr; // the wave of the latest talk event, owned by it
    int32_t m_nTag = 0;
    bool m_bInvisible = false;
};

// A map object's voice: owns the wave, sets its volume from the object's
// distance to the middle of the view when it starts, and is done at once.
class CObjectTalkEvent : public CxEvent
{
public:
    CObjectTalkEvent(CMapObject* object, std::unique_ptr<CxWave> wave);
    ~CObjectTalkEvent() override;

    void Start() override;
    void Stop() override;
    bool IsFinished() override { return m_bStarted; }
    void Pause() override {}
    void Resume() override {}
    bool IsBlocked() override { return false; }
    CxWave* GetWave() const { return m_pWave.get(); }
    int32_t GetVolume() const { return m_nVolume; }

private:
    CMapObject* m_pObject;
    std::unique_ptr<CxWave> m_pWave;
    int32_t m_nVolume = 127;
};
