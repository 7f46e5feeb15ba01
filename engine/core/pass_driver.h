// A pass driver takes the place of the devices and the wall clock for the
// message pump of a window application: every pass of the pump (the main
// loop's and those of nested loops: modal dialogs, blocking movies, message
// boxes) calls BeginPass before it looks for messages and EndPass after its
// idle work and paint. Replayed runs install one; an application without a
// driver reads its input and the system clock as usual.
#pragma once

class CxPassDriver
{
public:
    virtual ~CxPassDriver() = default;
    // Moves the clock on and hands in the input that has come due.
    virtual void BeginPass() = 0;
    // After the pass's paint: screenshots, the end of the run.
    virtual void EndPass() {}
    // Whether the pump still waits for the frame cap in real time; a driver
    // that steps its own clock runs as fast as it can.
    virtual bool PacesInRealTime() const { return false; }
};
