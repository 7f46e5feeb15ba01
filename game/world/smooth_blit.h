// The smoothed-edge copy: a keyed copy of a 16-bit sprite whose edge pixels
// are blended with what lies under them, so that a shadow or a truck does
// not show a hard staircase against the town.
//
// For each source pixel of the drawn rectangle the eight source neighbours
// are looked at (a neighbour outside the source counts as transparent).
// With fewer than 3 or more than 7 transparent neighbours the pixel is
// copied unless it is transparent itself. Otherwise every colour channel
// becomes the sum over the nine positions, weighted 1 2 1 / 2 5 2 / 1 2 1,
// of the source pixel where it is drawn, else the destination pixel at that
// position where there is one, else nothing; divided by 17.
#pragma once

#include "engine/graphics/draw_surface.h"

class CxSprite;

// The routine itself, as a CX_FX_CALLBACK drawing function. Both surfaces
// must be 16-bit (5-6-5 when the destination is, else 5-5-5); anything else
// draws nothing. Destination pixels are read as they were before the copy,
// so the result does not depend on the order in which pixels are written.
uint32_t SmoothEdgeBlit(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& destRect,
                        const CxRect& sourceRect, uint32_t key, const ST_BLIT_FX* effect);

// Makes the sprite draw through SmoothEdgeBlit.
void EnableSmoothEdges(CxSprite* sprite);
