// CMovingMission: the hand trucks of the moving mission. Each hand truck is a
// moving object that drives its own path, a sequence file
// "$GAMEPATH\mission\MovingHandTrucks\path%02d.seq" numbered by one of the
// paths chosen when the mission was loaded; the player catches them. What a
// bump does is the hand truck file's business (its "OnBumped" sequence
// counts the item).
//
// A hand truck repeats its path for as long as it is shown and nobody told
// it "StopDriving". A path file that is missing or lists no events is
// reported once at start, and its truck stays hidden and still: it is never
// started again.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/core/sequence.h"
#include "game/world/moving_object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CTown;

constexpr int32_t MOVING_MAX_TRUCKS = 100;

class CHandTruck : public CMovingObject
{
public:
    CHandTruck() = default;
    ~CHandTruck() override;

    // Loads the drive sequence (its lines asked of this truck first). False
    // when the file is missing, does not load or holds no event.
    bool LoadPath(const char* fileName);
    // Posts the drive sequence (again) on the truck's own channel.
    uint32_t StartPath();
    // Whether the drive sequence has ended while the truck is shown and was
    // not told to stop: then it starts again.
    bool NeedsRestart() const;

    // Remembers that the truck was told to stop, then stops driving.
    void StopDriving() override;
    // "Erase" hides the truck, "SetBumpable" 0/1; the rest as a truck.
    void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) override;

    int32_t GetTag() const { return m_nTag; }
    void SetTag(int32_t tag) { m_nTag = tag; }
    const CxString& GetPathFile() const { return m_strPath; }
    CxEventSequenceFile* GetPath() const { return m_pPath.get(); }
    bool IsStopped() const { return m_bStopped; }
    void StartFrameStopwatch() { m_FrameTimer.Start(0); }

private:
    std::unique_ptr<CxEventSequenceFile> m_pPath;
    CxString m_strPath;
    int32_t m_nTag = 0;
    bool m_bStopped = false;
};

// The town a mission was started on must outlive it, or be stopped first.
class CMovingMission
{
public:
    CMovingMission() = default;
    // Stops.
    ~CMovingMission();
    CMovingMission(const CMovingMission&) = delete;
    CMovingMission& operator=(const CMovingMission&) = delete;

    // Loads the master hand truck from itemName (a truck file, path roots
    // allowed) and starts one hand truck for each of the first `required`
    // chosen paths (never more trucks than paths), tagged 0, 1, ... on the
    // town's map; they join the town's collision list without their solid
    // flag. Error 13: "Could not load master object." (then no trucks),
    // "Could not load object %d.", "Could not load path %s.". Returns the
    // number of hand trucks made.
    int32_t Start(CTown& town, const char* itemName, int32_t required,
                  const CxLinkedList<int32_t>& chosenPaths);
    // The moving mission's part of a town update: every shown hand truck
    // steers, moves and paces; ended paths of shown trucks start again.
    void Update();
    // Takes the hand trucks off the town's lists, destroys them and the
    // master, empties the town's chosen paths, the text and the fields.
    // Harmless when nothing runs.
    void Stop();
    // The town pauses and resumes its hand trucks with itself: their path
    // sequences, timers and voices wait. Trucks started while paused start
    // paused.
    void SetPaused(bool paused);

    const std::vector<std::unique_ptr<CHandTruck>>& GetHandTrucks() const { return m_HandTrucks; }
    CHandTruck* GetMaster() const { return m_pMaster.get(); }

    CxString m_strText;
    int32_t m_nField1 = 0;
    int32_t m_nField2 = 0;

private:
    bool StartHandTruck(int32_t index, int32_t path);
    // Off the town's collision list, hidden and destroyed, with the master.
    void DestroyTrucks();

    std::vector<std::unique_ptr<CHandTruck>> m_HandTrucks;
    std::unique_ptr<CHandTruck> m_pMaster;
    CTown* m_pTown = nullptr;
    bool m_bPaused = false;
};
