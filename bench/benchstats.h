#pragma once

// Small helpers shared by the benchmark programs.

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <numeric>
#include <vector>

namespace bench {

struct Stats {
    double mean = 0, p50 = 0, p99 = 0, max = 0;
};

inline Stats stats(std::vector<double> v)
{
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    const auto at = [&](double q) { return v[std::min(v.size() - 1, std::size_t(q * double(v.size())))]; };
    return {std::accumulate(v.begin(), v.end(), 0.0) / double(v.size()), at(0.50), at(0.99), v.back()};
}

inline double median(std::vector<double> v)
{
    return stats(std::move(v)).p50;
}

// Prints what one step costs in µs as a share of the time it has to fit in (budgetUs, described as
// budget), and flags a mean over the target share.
inline void printShare(const char *what, const Stats &s, double budgetUs, const char *budget, double targetPercent,
                       int decimals)
{
    const auto share = [&](double us) { return 100.0 * us / budgetUs; };
    std::printf("%s: mean %.1f µs = %.*f %% of %s (target < %g %%)%s\n", what, s.mean, decimals, share(s.mean), budget,
                targetPercent, share(s.mean) < targetPercent ? "" : "  OVER TARGET");
    std::printf("    p50 %.1f µs = %.*f %%, p99 %.1f µs = %.*f %%, max %.1f µs\n", s.p50, decimals, share(s.p50), s.p99,
                decimals, share(s.p99), s.max);
}

} // namespace bench
