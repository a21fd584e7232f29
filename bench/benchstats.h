#pragma once

// Small helpers shared by the benchmark programs.

#include <algorithm>
#include <cstddef>
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

} // namespace bench
