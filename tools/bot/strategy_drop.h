// The drop strategy's choice of the object to wait under, apart from the
// town so that it can be tested on its own.
#pragma once

#include "engine/base/geometry.h"

#include <cstdint>
#include <vector>

// A falling object: where its shadow is (where it lands, in map pixels) and
// the seconds until it lands.
struct CDropFall
{
    CxPoint land;
    double secondsLeft = 0.0;
};

// The fall to drive under, from truck at speed (pixels a second) with delay
// seconds more for starting and turning: of those it reaches before they
// land the soonest to land; when it reaches none, the one it misses by the
// least. -1 when nothing falls.
int32_t DropChooseFall(const std::vector<CDropFall>& falls, const CxPoint& truck, double speed, double delay);
