// Opens a movie file of arbitrary bytes through CxMovie and plays it: in
// time under a manual clock, one frame per step, backwards and with jumps,
// into an 8-bit and a 16-bit surface. Inputs are capped in size, and the
// movie in pixels and in steps, so that each one stays quick.
#include "engine/core/error.h"
#include "engine/media/movie.h"
#include "engine/media/movie_driver.h"
#include "engine/platform/clock.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {
// The movie file of this process, removed when the fuzzer exits.
struct CMovieFile
{
    CMovieFile() : m_Path("/tmp/movie_play_fuzz_" + std::to_string(getpid()) + ".smk") {}
    ~CMovieFile() { remove(m_Path.c_str()); }
    std::string m_Path;
};

const std::string& MoviePath()
{
    static const CMovieFile file;
    return file.m_Path;
}

void Play(CxMovie& movie, CxManualClock& clock, int32_t steps)
{
    movie.Play(true, false);
    for (int32_t i = 0; i < steps && movie.IsPlaying(); ++i)
    {
        clock.Advance(40);
        movie.Update();
    }
    movie.Stop();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    if (size > 0x100000)
        return 0;
    static CxManualClock clock(1000);
    SetClock(&clock);
    RegisterMovieDrivers();
    FILE* file = fopen(MoviePath().c_str(), "wb");
    if (!file)
        return 0;
    const bool written = size == 0 || fwrite(data, 1, size, file) == size;
    fclose(file);
    if (!written)
        return 0;
    for (const bool sixteen : {false, true})
    {
        CxMovie movie;
        movie.Set16Bit(sixteen);
        movie.SetDecodeFirstFrame(sixteen);
        if (movie.Open(MoviePath().c_str()) != CX_ERR_NONE)
        {
            movie.Play(); // returns the error, plays nothing
            break;
        }
        if (static_cast<int64_t>(movie.GetWidth()) * movie.GetHeight() > 640 * 480)
            break;
        Play(movie, clock, 24);
        movie.SetInTime(false);
        movie.SetLoop(true);
        Play(movie, clock, 8);
        movie.SetBackwards(true);
        movie.Goto(movie.GetFrameCount() > 8 ? 7 : movie.GetFrameCount() - 1);
        Play(movie, clock, 10);
        movie.Close();
    }
    SetClock(nullptr);
    return 0;
}
