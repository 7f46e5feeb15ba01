// The kinds of input event that recordings and replays hold.
#pragma once

enum class CxInputKind
{
    Move,
    Down,
    Up,
    Key,
    KeyUp,
    Text,
    Wheel
};
