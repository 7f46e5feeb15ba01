#include "engine/platform/instance_lock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
std::string UniqueName(const char* stem)
{
    return std::string(stem) + " " + std::to_string(getpid());
}

TEST(InstanceLock, SecondHolderOfTheSameNameIsRefusedUntilTheFirstLetsGo)
{
    const std::string name = UniqueName("Rumbo Lock");
    CxInstanceLock second;
    {
        CxInstanceLock first;
        EXPECT_TRUE(first.Acquire(name.c_str()));
        EXPECT_FALSE(second.Acquire(name.c_str()));
        EXPECT_FALSE(second.IsHeld());
        CxInstanceLock other;
        EXPECT_TRUE(other.Acquire(UniqueName("Rumbo Other").c_str())) << "different names do not meet";
        first.Release();
        EXPECT_TRUE(second.Acquire(name.c_str())) << "free again once released";
        second.Release();
        EXPECT_TRUE(first.Acquire(name.c_str()));
    }
    EXPECT_TRUE(second.Acquire(name.c_str())) << "destruction releases";
}

TEST(InstanceLock, FileLivesInTheRuntimeDirectoryWithASafeName)
{
    const char* saved = getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/1/", 1);
    EXPECT_STREQ(CxInstanceLock::PathOf("Rumbo Town Demo").c_str(), "/run/user/1/Rumbo Town Demo.lock");
    EXPECT_STREQ(CxInstanceLock::PathOf("a/../b\n").c_str(), "/run/user/1/a_.._b_.lock");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_STREQ(CxInstanceLock::PathOf("x").c_str(), "/tmp/x.lock");
    if (saved)
        setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}

TEST(InstanceLock, UnusableRuntimeDirectoryFallsBackToTmp)
{
    const char* saved = getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    const std::string name = UniqueName("Rumbo Fallback");
    setenv("XDG_RUNTIME_DIR", "/nonexistent/rumbo", 1);
    CxInstanceLock first;
    CxInstanceLock second;
    EXPECT_TRUE(first.Acquire(name.c_str()));
    EXPECT_STREQ(first.GetPath().c_str(), ("/tmp/" + name + ".lock").c_str());
    EXPECT_FALSE(second.Acquire(name.c_str())) << "copies still meet in the fallback";
    first.Release();
    unlink(("/tmp/" + name + ".lock").c_str());
    if (saved)
        setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
}
} // namespace
