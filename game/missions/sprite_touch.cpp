#include "game/missions/sprite_touch.h"

namespace {
bool InPlay(const CxSprite& sprite)
{
    if (!sprite.IsShown() || sprite.GetWidth() <= 0 || sprite.GetHeight() <= 0)
        return false;
    const auto* touchable = dynamic_cast<const ITouchable*>(&sprite);
    return !(touchable && touchable->IsTouchStopped());
}
} // namespace

CxRect TouchRect(const CxSprite& sprite)
{
    return sprite.RectToScreen(CxRect(0, 0, sprite.GetWidth() - 1, sprite.GetHeight() - 1));
}

bool SpritesTouch(const CxSprite& a, const CxSprite& b)
{
    if (&a == &b || !InPlay(a) || !InPlay(b))
        return false;
    const CxRect ra = TouchRect(a), rb = TouchRect(b);
    return ra.left <= rb.right && rb.left <= ra.right && ra.top <= rb.bottom && rb.top <= ra.bottom;
}
