// ITruckView: what a truck needs of the map it drives on. The town
// implements it; tests give a fake.
#pragma once

#include "engine/base/geometry.h"

class ITruckView
{
public:
    virtual ~ITruckView() = default;
    // The map point shown at the top-left of the room.
    virtual CxPoint GetViewOrigin() const = 0;
    // The room's width and height in pixels.
    virtual CxSize GetViewSize() const = 0;
    // Shows the map from this origin on.
    virtual void ScrollViewTo(const CxPoint& origin) = 0;
};
