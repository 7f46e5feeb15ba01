// The phases of a mission file: sections "Phase0", "Phase1", ... applied
// one at a time by the phase step ("NextPhase", and the race at its set-up
// and at marked waypoints).
//
// Each key of a phase section is "Add" or "Sub" followed by a town object
// type, its value the map point "x, y":
//   Add35 = 400, 300   places an object of type 35 at (400, 300)
//   Sub12 = 80, 90     takes the type-12 object at (80, 90) away
// Added objects are town objects (they collide and draw like any other)
// and are also kept in the phase-object list, so that the mission's stop
// removes them all: nothing a phase added outlives its mission.
//
// The running kind hears of every object added and of every object about
// to be destroyed (IMissionKind::ObjectAdded / ObjectRemoving), which is
// how the fire mission gives each fire its growth timer and takes it away.
#pragma once

#include "engine/base/geometry.h"

#include <cstdint>
#include <vector>

class CMapObject;
class CMissionFramework;

// Object mode of the objects a phase adds: shown and animated forever.
constexpr int32_t PHASE_OBJECT_MODE = 3;

class CMissionPhase
{
public:
    // The framework owns the phase step; its town holds the objects.
    explicit CMissionPhase(CMissionFramework& framework) : m_Framework(framework) {}
    CMissionPhase(const CMissionPhase&) = delete;
    CMissionPhase& operator=(const CMissionPhase&) = delete;

    // Removes what earlier phases added and sets the counter to -1, so
    // that the next step applies "Phase0". Done at every mission load.
    void Reset();
    // The counter goes up by one and the section of that number of the
    // open mission file is applied when present. Returns the number of
    // lines carried out.
    int32_t Step();
    // Removes and destroys every object the phases added that the town
    // still holds, and empties the list.
    void RemoveAll();
    // Takes an object out of the town for good: the running kind hears of
    // it first, then it leaves the phase list, the mission's lists and the
    // town. False when the town does not hold it (nothing is touched).
    bool Destroy(CMapObject* object);
    // The town freed its objects with its world: the list lets go of them
    // without touching them (a new world's objects may take their places
    // in memory, and must not be taken for them).
    void Forget() { m_Objects.clear(); }

    // Adds one object of type at point as a phase does (null without that
    // master): mode 3, in the phase list, the kind told.
    CMapObject* Add(int32_t type, const CxPoint& point);

    int32_t GetCounter() const { return m_nCounter; }
    void SetCounter(int32_t counter) { m_nCounter = counter; }
    // The objects the phases added that are still in the town (not owned).
    const std::vector<CMapObject*>& GetObjects() const { return m_Objects; }

private:
    bool Apply(const char* key, const char* value);

    CMissionFramework& m_Framework;
    int32_t m_nCounter = -1;
    std::vector<CMapObject*> m_Objects;
};

// Parses a phase key: "Add<type>" (add true) or "Sub<type>" (add false),
// in any letter case. False for any other key or a type that is not a
// plain non-negative number.
bool ParsePhaseKey(const char* key, bool* add, int32_t* type);
// Parses a phase value "x, y". False when it is not two numbers.
bool ParsePhasePoint(const char* value, CxPoint* point);
