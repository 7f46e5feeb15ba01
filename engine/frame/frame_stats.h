// The wall time of every pass of a driven run, for the frame-time report of
// `--frame-stats FILE`: how long the program took to handle a pass's input,
// update and paint, measured with the monotonic system clock. It only
// measures; nothing the game does depends on it.
//
// The file holds a summary, then one line per pass:
//
//   frame-stats 1
//   passes N
//   median_us M
//   p99_us P
//   max_us X
//   # game_ms wall_us
//   0 4180
//   10 912
//   ...
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CxFrameStats
{
public:
    struct Summary
    {
        size_t passes = 0;
        uint64_t median = 0; // microseconds
        uint64_t p99 = 0;
        uint64_t max = 0;
    };

    // Around the work of one pass; the game time names the pass in the file.
    void BeginPass();
    void EndPass(uint32_t gameTime);

    // Nearest-rank percentiles of the passes measured so far.
    Summary Summarise() const;
    static Summary Summarise(std::vector<uint64_t> micros);
    // False, with the reason in *why, when the file cannot be written whole.
    bool Write(const std::string& fileName, std::string* why) const;

private:
    struct Pass
    {
        uint32_t gameTime;
        uint64_t micros;
    };
    std::vector<Pass> m_Passes;
    uint64_t m_nStart = 0;
    bool m_bInPass = false;
};
