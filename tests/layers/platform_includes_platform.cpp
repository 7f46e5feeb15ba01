// Compiled with only the base and platform include roots: must compile.
#include "engine/platform/clock.h"
