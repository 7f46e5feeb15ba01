// Helpers of the profile tests: records with a distinct value in every
// field, a check of the saved file's layout, and a way to run a check
// without root's power to read and write anything.
#pragma once

#include "engine/core/options.h"
#include "game/world/user_profile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// Every field of record u gets its own value (vehicle within 0..3).
inline void FillProfile(UserProfile& p, int u)
{
    memset(&p, 0, sizeof(p));
    snprintf(p.name, sizeof(p.name), "Pl%d", u);
    for (int b = 0; b < USER_BUILDING_COUNT; ++b)
        p.buildingMission[b] = u * 100 + b + 1;
    p.licensePlate = 40 + u;
    p.vehicle = u % USER_VEHICLE_COUNT;
    p.completed = 0x3FFu - static_cast<uint32_t>(u);
    p.played = 0x10u + static_cast<uint32_t>(u);
    p.itemsCompleted = 0xFFFFu - static_cast<uint32_t>(u);
    for (int a = 0; a < USER_ACTIVITY_COUNT; ++a)
    {
        p.level[a] = u + a + 1;
        p.title[a] = (u + a) % 3;
    }
    p.bumperCarBldgDone = 1;
    p.fireBldgDone = u;
}

inline void WriteProfileFile(const std::string& path, const UserProfile (&profiles)[USER_PROFILE_COUNT])
{
    CUserProfileFile file(path.c_str());
    ASSERT_EQ(file.Save(profiles, nullptr), CX_ERR_NONE) << path;
}

// Six sections "User0".."User5" of 34 keys each, in the file's key order;
// names empty and every number 0.
inline void ExpectBlankProfileFile(const std::string& path)
{
    CxOptions options(path.c_str());
    ASSERT_EQ(options.GetSections().GetCount(), USER_PROFILE_COUNT);
    int u = 0;
    for (auto* node = options.GetSections().GetHead(); node; node = node->GetNext(), ++u)
    {
        CxOptionSection* section = node->m_Value;
        EXPECT_EQ(section->GetName(), CxString(("[User" + std::to_string(u) + "]").c_str()));
        ASSERT_EQ(section->GetVariables().GetCount(), USER_PROFILE_KEYS);
        int k = 0;
        for (CxOptionVariable* v = section->FirstVariable(); v; v = section->NextVariable(), ++k)
        {
            const std::string name =
                k == 0 ? "UserName" : "Building" + std::to_string(k - 1) + "CurMissionID";
            if (k <= USER_BUILDING_COUNT)
            {
                EXPECT_EQ(v->GetName(), CxString(name.c_str()));
            }
            EXPECT_EQ(v->GetValue(), CxString(k == 0 ? "" : "0")) << v->GetName().c_str();
        }
        EXPECT_NE(section->FindVariable("FireBldgCompleteFlag"), nullptr);
    }
    options.Discard();
}

constexpr int RUN_UNPRIVILEGED_SKIPPED = 77;

// Runs check and returns its result. As root (who may read and write any
// file) the check runs in a child process as user "nobody" instead, so that
// file permissions apply; RUN_UNPRIVILEGED_SKIPPED when that is impossible.
inline int RunUnprivileged(const std::function<int()>& check)
{
    if (geteuid() != 0)
        return check();
    const pid_t child = fork();
    if (child < 0)
        return RUN_UNPRIVILEGED_SKIPPED;
    if (child == 0)
    {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(RUN_UNPRIVILEGED_SKIPPED);
        _exit(check());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
