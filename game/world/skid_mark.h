// A tread mark the truck leaves on dirt, mud and sand: a copy of the town's
// shared tread image below the trucks, removed when its time is up.
#pragma once

#include "engine/core/timer.h"
#include "engine/graphics/sprite.h"

#include <memory>
#include <vector>

class CSkidMark : public CxSprite
{
public:
    static constexpr uint32_t LIFETIME = 4000; // milliseconds

    // Shows a copy of image (borrowed) centred on center in parent, below the
    // trucks (depth -1), and starts its timer.
    CSkidMark(CxSprite& image, CxDisplayObject* parent, const CxPoint& center);
    bool HasExpired() const { return m_Timer.HasExpired(); }

private:
    CxTimer m_Timer;
};

// The town's marks, oldest first.
class CSkidMarks
{
public:
    void Add(CxSprite& image, CxDisplayObject* parent, const CxPoint& center);
    // Deletes the marks whose time is up.
    void RemoveExpired();
    void Clear() { m_Marks.clear(); }
    size_t GetCount() const { return m_Marks.size(); }

private:
    std::vector<std::unique_ptr<CSkidMark>> m_Marks;
};
