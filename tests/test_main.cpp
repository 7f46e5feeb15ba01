// Test program entry: every test runs headless, with no display, sound card
// or printer, whatever the environment of the caller.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    if (!getenv("XDG_RUNTIME_DIR"))
    {
        const std::string dir = "/tmp/rumbo-test-runtime-" + std::to_string(getuid());
        mkdir(dir.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    // The log of every application a test makes goes to a scratch state
    // directory, never into the user's own.
    {
        const std::string state = "/tmp/rumbo-test-state-" + std::to_string(getuid());
        mkdir(state.c_str(), 0700);
        setenv("XDG_STATE_HOME", state.c_str(), 1);
    }
    // No test reaches the machine's printers: the tests that print start a
    // print server of their own.
    setenv("CUPS_SERVER", "/nonexistent/rumbo-test-cups.sock", 1);
    unsetenv("RUMBO_PRINT_FILE");
    unsetenv("RUMBO_MESSAGEBOX");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
