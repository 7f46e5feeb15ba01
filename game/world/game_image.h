// The game's images: every picture of the game marks its transparent parts
// with magenta (255, 0, 255). Images are loaded through these helpers, which
// set that colour as the key of the loaded surface, so nothing of the game
// draws opaque by accident; this includes the surface a movie sprite decodes
// its frames into.
#pragma once

#include <cstdint>

class CxDrawSurface;
class CxSprite;

// Makes magenta, at the surface's depth, its transparent colour.
void SetGameColorKey(CxDrawSurface* surface);
// Surface::Load, then the key. Returns the load's error code.
uint32_t LoadGameImage(CxDrawSurface& surface, const char* fileName, int32_t option = 0);
// A new surface loaded from the file with the key, or null (the failure is
// reported by the surface).
CxDrawSurface* LoadGameImage(const char* fileName);
// Sprite::Load (pictures and movies), then the key on the sprite's image.
uint32_t LoadGameSprite(CxSprite& sprite, const char* fileName, int32_t frameCount = 1);
