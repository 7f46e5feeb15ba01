// A stand-in for the mission framework: it records the town commands the
// town hands it.
#pragma once

#include "game/world/town_seams.h"

#include <string>
#include <vector>

class CRecordingMission : public ITownMission
{
public:
    bool Command(const CxString& command, const CxLinkedList<CxString>&) override
    {
        commands.push_back(command.c_str());
        return true;
    }
    std::vector<std::string> commands;
};
