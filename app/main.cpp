// The game. Until the application frame exists it only shows its banner.
#include "engine/core/log.h"

int main()
{
    Output("\n");
    Output("Rumbo Town (engine build %s)\n", __DATE__);
    return 0;
}
