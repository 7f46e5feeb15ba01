// CMovieEvent: a movie played as a step of a sequence ("PlayMovie"). The
// event is finished once the movie no longer plays; the movie is hidden at
// that moment. The event owns its movie and deletes it with itself.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/core/event.h"

class CxMovie;

class CMovieEvent : public CxEvent
{
public:
    // blocking: Start plays the movie in the dialog box's modal loop and
    // returns when it is over; otherwise the movie service plays it.
    CMovieEvent(CxMovie* movie, bool blocking, bool ownsMovie = true);
    ~CMovieEvent() override;

    void Start() override;
    void Stop() override;
    bool IsFinished() override;
    void Pause() override;
    void Resume() override;
    bool IsBlocked() override;

    CxMovie* GetMovie() const { return m_pMovie; }
    bool IsBlockingPlay() const { return m_bBlocking; }

private:
    CxMovie* m_pMovie;
    bool m_bOwnsMovie;
    bool m_bBlocking;
};

// The event of a "PlayMovie" line: file, x, y, play option, extra option
// (at least five arguments; the caller checks the count). The file name goes
// through BuildGamePath. With x and y both other than -1 the movie's top-left
// corner goes there, else it is centred on the screen; it lies in front of
// everything. The play option's lowest bit makes the play blocking; an extra
// option other than 0 has the first frame decoded when the movie opens, so
// that it is there the moment the movie shows. A movie that loops would never
// let the sequence go on, so looping is switched off. Null only when memory
// runs out; a movie that cannot be opened makes an event that finishes at its
// first test.
CxEvent* CreateMovieEvent(const CxLinkedList<CxString>& arguments);
