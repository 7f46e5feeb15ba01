// CxFrameStats: pass times and their percentiles.
#include "engine/frame/frame_stats.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {
uint64_t NowMicros()
{
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// The value at the nearest rank for the fraction (per thousand) of a sorted list.
uint64_t Rank(const std::vector<uint64_t>& sorted, size_t perThousand)
{
    const size_t rank = (sorted.size() * perThousand + 999) / 1000; // 1-based, rounded up
    return sorted[rank == 0 ? 0 : rank - 1];
}
} // namespace

void CxFrameStats::BeginPass()
{
    m_nStart = NowMicros();
    m_bInPass = true;
}

void CxFrameStats::EndPass(uint32_t gameTime)
{
    if (!m_bInPass)
        return;
    m_bInPass = false;
    m_Passes.push_back({gameTime, NowMicros() - m_nStart});
}

CxFrameStats::Summary CxFrameStats::Summarise() const
{
    std::vector<uint64_t> micros;
    micros.reserve(m_Passes.size());
    for (const Pass& pass : m_Passes)
        micros.push_back(pass.micros);
    return Summarise(std::move(micros));
}

CxFrameStats::Summary CxFrameStats::Summarise(std::vector<uint64_t> micros)
{
    Summary summary;
    summary.passes = micros.size();
    if (micros.empty())
        return summary;
    std::sort(micros.begin(), micros.end());
    summary.median = Rank(micros, 500);
    summary.p99 = Rank(micros, 990);
    summary.max = micros.back();
    return summary;
}

bool CxFrameStats::Write(const std::string& fileName, std::string* why) const
{
    FILE* file = fopen(fileName.c_str(), "wb");
    if (!file)
    {
        *why = "frame stats " + fileName + ": cannot be written";
        return false;
    }
    const Summary s = Summarise();
    bool ok =
        fprintf(file,
                "frame-stats 1\npasses %zu\nmedian_us %llu\np99_us %llu\nmax_us %llu\n# game_ms wall_us\n",
                s.passes, static_cast<unsigned long long>(s.median), static_cast<unsigned long long>(s.p99),
                static_cast<unsigned long long>(s.max)) > 0;
    for (size_t i = 0; ok && i < m_Passes.size(); ++i)
        ok = fprintf(file, "%u %llu\n", m_Passes[i].gameTime,
                     static_cast<unsigned long long>(m_Passes[i].micros)) > 0;
    ok = fclose(file) == 0 && ok;
    if (!ok)
        *why = "frame stats " + fileName + ": not written whole";
    return ok;
}
