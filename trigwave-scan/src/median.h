// Medians for the parts that decide, robust to one odd value among a few.
#pragma once

#include <algorithm>
#include <vector>

// The middle value (the upper of the two middles for an even count); 0 when empty.
template <class T>
T upper_median(std::vector<T> v) {
    if (v.empty()) return 0;
    const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// The median, the two middles averaged for an even count (alternating spacings then give
// their mean, not one of them); 0 when empty.
inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t h = v.size() / 2;
    return v.size() % 2 ? v[h] : 0.5 * (v[h - 1] + v[h]);
}
