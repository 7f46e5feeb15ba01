#include "game/world/skid_mark.h"

#include <algorithm>

CSkidMark::CSkidMark(CxSprite& image, CxDisplayObject* parent, const CxPoint& center)
{
    if (CxDrawSurface* surface = image.GetImage())
        SetImage(surface, 1, true);
    SetKey(image.GetKey());
    AttachTo(parent);
    SetDepth(-1);
    SetPosition(center, ANCHOR_CENTER);
    Redraw();
    m_Timer.Start(LIFETIME);
}

void CSkidMarks::Add(CxSprite& image, CxDisplayObject* parent, const CxPoint& center)
{
    m_Marks.push_back(std::make_unique<CSkidMark>(image, parent, center));
}

void CSkidMarks::RemoveExpired()
{
    // Marks are added in time order, so the expired ones are at the front.
    const auto firstLive =
        std::find_if(m_Marks.begin(), m_Marks.end(),
                     [](const std::unique_ptr<CSkidMark>& mark) { return !mark->HasExpired(); });
    m_Marks.erase(m_Marks.begin(), firstLive);
}
