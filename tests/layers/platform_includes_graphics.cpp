// Compiled with only the base and platform include roots: must not compile,
// the graphics layer is above the platform.
#include "engine/graphics/sprite.h"
