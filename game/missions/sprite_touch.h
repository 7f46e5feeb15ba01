// Touch tests between plain sprites: a caught drop object and its shadow,
// a water ball, a fishing lure. Two sprites touch when their shown
// rectangles share at least one pixel in map coordinates (edges included);
// a hidden sprite, or one its owner has taken out of play, touches nothing.
#pragma once

#include "engine/graphics/sprite.h"

// Something that can take itself (and the sprites it owns) out of play.
class ITouchable
{
public:
    virtual ~ITouchable() = default;
    virtual bool IsTouchStopped() const = 0;
};

// A plain sprite that belongs to an owner: out of play while its owner is.
class COwnedSprite : public CxSprite, public ITouchable
{
public:
    explicit COwnedSprite(const ITouchable* owner = nullptr) : m_pOwner(owner) {}
    bool IsTouchStopped() const override { return m_pOwner && m_pOwner->IsTouchStopped(); }

private:
    const ITouchable* m_pOwner;
};

// The sprite's frame rectangle in the coordinates of the display tree's
// top (map coordinates offset by the map's scroll, the same for every
// sprite on the map).
CxRect TouchRect(const CxSprite& sprite);
// Whether a and b touch (see above); a sprite never touches itself.
bool SpritesTouch(const CxSprite& a, const CxSprite& b);
