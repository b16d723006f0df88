#include "int_parse.h"

#include <gtest/gtest.h>

namespace {

struct int_case {
    const char* text;
    int_read result;
    int32_t value;
};

TEST(ReadDecimalInt, FollowsPercentDAndRefusesOverflow) {
    const int_case cases[] = {
        {"40", int_read::ok, 40},
        {"60s", int_read::ok, 60},
        {"40x", int_read::ok, 40},
        {" \t\n+7", int_read::ok, 7},
        {"-0", int_read::ok, 0},
        {"-12", int_read::ok, -12},
        {"00000000000000000000012", int_read::ok, 12},
        {"2147483647", int_read::ok, 2147483647},
        {"-2147483648", int_read::ok, -2147483647 - 1},
        {"2147483648", int_read::overflow, 0},
        {"-2147483649", int_read::overflow, 0},
        {"99999999999999999999999999", int_read::overflow, 0},
        {"", int_read::no_number, 0},
        {"abc", int_read::no_number, 0},
        {"x-80", int_read::no_number, 0},
        {"+", int_read::no_number, 0},
        {"- 5", int_read::no_number, 0},
        {"\xE9" "5", int_read::no_number, 0},
    };
    for (const auto& c : cases) {
        int32_t value = 0;
        EXPECT_EQ(read_decimal_int(c.text, &value), c.result) << c.text;
        if (c.result == int_read::ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

}  // namespace
