// Talking figures: CTalkingSuperSprite, a super sprite with a mouth (a
// CLipSynch) per state, and CCharacter, the buildings and other figures of
// the town, which read their mouths from the sprite file and answer "Talk"
// and "RandomTalk" lines.
//
// Character keys, in each [State%03d] section after the state's own:
//   Lips         the mouth: an image cut into LipFrames frames (default 4),
//                a movie (its own frames), or a sprite file (.ini) whose
//                [State000] gives FileName and NumFrames
//   LipPosition  "x, y" of the mouth relative to the character
//   LipMask      1 (default): the mouth is hit-tested by its pixels
#pragma once

#include "engine/base/array.h"
#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "game/world/lip_synch.h"
#include "game/world/super_sprite.h"

#include <cstdint>

constexpr int32_t LIP_DEFAULT_FRAMES = 4;

class CxOptions;

// Loads a mouth image named by a "Lips" value into lips (see above); frames
// is the cut of a still image. Returns an error code.
uint32_t LoadMouthImage(CxSprite* lips, const char* value, int32_t frames);

class CTalkingSuperSprite : public CSuperSprite
{
public:
    CTalkingSuperSprite() = default;
    ~CTalkingSuperSprite() override;

    // Shows the state (once when it has one record, else forever) and says
    // the sound files in order through the state's mouth, each at the volume
    // of the figure's distance from the middle of the screen. Error 16 when
    // the state has no mouth. Returns an error code.
    virtual uint32_t Talk(int32_t state, const CxLinkedList<CxString>& sounds);
    // Gives a state its mouth (taken over; the old one is deleted). Error 16
    // "bad lips for state %d" for a state the figure does not have (the
    // mouth is deleted).
    virtual uint32_t SetLipSprite(int32_t state, CLipSynch* lips);
    // Makes the mouth of a state from a "Lips" value at a place relative to
    // the figure; mask asks for hit testing by pixels.
    virtual uint32_t LoadLipSprite(int32_t state, const char* file, const CxPoint& position, bool mask,
                                   int32_t frames = LIP_DEFAULT_FRAMES);

    void UnloadStates() override;
    CLipSynch* GetLipSprite(int32_t state) const;
    // Stops every mouth.
    void StopTalking();
    // The volume of the figure's voice (0-127) by its distance from the view.
    int32_t GetVoiceVolume() const;

protected:
    void Pause() override;
    void Resume() override;
    void DeleteLips();
    static void OnTalkEnd(CLipSynch* lips, void* context);

    CxArray<CLipSynch*> m_Lips;
};

class CCharacter : public CTalkingSuperSprite
{
public:
    uint32_t LoadStateKeys(CxOptions& file, const char* section, int32_t index) override;
    // "Talk" state file1 [file2 ...] and "RandomTalk" state file1 ...; other
    // lines as a super sprite.
    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override;

    // Set by the missions and the town commands: which scene a building
    // plays when the truck is pulled in (enter stage) or comes back from a
    // mission (end stage), and the missions' own values for the figure.
    int32_t m_nEnterStage = 0;
    int32_t m_nEndStage = 0;
    int32_t m_nMissionValue = 0;
    int32_t m_nCharacterValue = 0;
};
