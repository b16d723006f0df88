// Learns a wheel's pattern of teeth from a recording's tooth edges, for wheels that
// are none of trigwave's types: the spacings of one period, the first opening it.
#pragma once

#include <vector>

// Equal slots with teeth missing anywhere (36-2, 36-2-1, 36-2-2-2 ...): the period in
// slots, the first spacing the widest gap; empty when the spacings are not of that kind.
// A gap is a spacing over 1.6 times the teeth's around it, its slots rounded from the
// mean of its kind over the recording, so a tooth log's jitter does not change them.
std::vector<double> learn_slots(const std::vector<double>& times);

// Teeth at uneven angles (four teeth at 70 and 110 degrees, a pattern carried in the
// teeth's widths): each spacing as its share of the period around it, which holds through
// a cranking engine's changes of speed; the first spacing the widest. Empty when no period
// of up to max_teeth spacings repeats.
std::vector<double> learn_uneven(const std::vector<double>& times, std::size_t max_teeth = 64);
