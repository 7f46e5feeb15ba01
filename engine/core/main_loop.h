// Main-loop functions: plain functions that the application calls once on
// every idle pass, in the order they were added (the event pump, the timer
// manager's dispatcher, the animation tick, the sound and movie services).
// A function is never in the list twice.
#pragma once

typedef void (*CxMainLoopFunction)();

void AddMainLoopFunction(CxMainLoopFunction function);
void RemoveMainLoopFunction(CxMainLoopFunction function);
bool HasMainLoopFunction(CxMainLoopFunction function);
// Calls every function of a copy of the list, so a function may add or
// remove functions (itself included) while the pass runs.
void RunMainLoopFunctions();
