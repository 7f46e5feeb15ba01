#include "game/world/town_seams.h"

#include "game/world/moving_object.h"

void ITownEnemy::Update(CEnemy& enemy)
{
    enemy.Steer();
    enemy.Move();
    enemy.Pace();
}
