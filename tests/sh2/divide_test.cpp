// Whole division loops built from DIV0U/DIV0S, DIV1 and ROTCL, checked
// against the host's division: one wrong Q, M or T rule anywhere in the
// chain of steps shows up as a wrong quotient.
#include <gtest/gtest.h>

#include <vector>

#include "sh2_harness.h"

namespace {

struct Pair {
    u32 dividend, divisor;
};

std::vector<Pair> make_pairs() {
    const u32 v[] = {0,          1,          2,          3,          7,          10,         0x7F,
                     0xFF,       0x100,      0x7FFF,     0x8000,     0xFFFF,     0x10000,    0x12345,
                     0x7FFFFFFF, 0x80000000, 0x80000001, 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFF9, 0x12345678,
                     0xDEADBEEF, 0x40000000, 0xC0000000};
    std::vector<Pair> p;
    for (u32 a : v)
        for (u32 b : v)
            if (b != 0) p.push_back({a, b});
    // A fixed pseudo-random spread as well.
    u32 x = 0x2545F491;
    for (int i = 0; i < 400; i++) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        u32 a = x;
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        u32 b = (i & 1) ? x >> (i % 31) : x;
        if (b != 0) p.push_back({a, b});
    }
    return p;
}

s64 sx(u32 v) { return s64(s32(v)); }

TEST(DivisionLoops, QuotientsMatchHostDivision) {
    static Sh2State cpu;
    std::vector<Pair> pairs = make_pairs();
    ASSERT_TRUE(harness_load(&cpu, "div_loops"));
    std::vector<u32> in = {u32(pairs.size()), 0, 0, 0};
    for (const Pair& p : pairs) {
        in.push_back(p.dividend);
        in.push_back(p.divisor);
    }
    harness_put_inputs(in);
    ASSERT_TRUE(harness_run_until_done(&cpu, 400000000));

    int failures = 0, checked16 = 0, checkeds = 0;
    for (size_t i = 0; i < pairs.size() && failures < 8; i++) {
        const Pair& p = pairs[i];
        u32 q16 = harness_result(u32(3 * i)), qu = harness_result(u32(3 * i + 1)), qs = harness_result(u32(3 * i + 2));
        // The 32/16 loop is only defined while the quotient fits 16 bits.
        if (p.divisor <= 0xFFFF && u64(p.dividend) < (u64(p.divisor) << 16)) {
            checked16++;
            if (q16 != p.dividend / p.divisor) {
                failures++;
                ADD_FAILURE() << std::hex << "32/16 " << p.dividend << "/" << p.divisor << " = " << q16;
            }
        }
        if (qu != p.dividend / p.divisor) {
            failures++;
            ADD_FAILURE() << std::hex << "unsigned " << p.dividend << "/" << p.divisor << " = " << qu;
        }
        // INT_MIN / -1 has no 32-bit quotient.
        if (!(p.dividend == 0x80000000 && p.divisor == 0xFFFFFFFF)) {
            checkeds++;
            u32 want = u32(sx(p.dividend) / sx(p.divisor));
            if (qs != want) {
                failures++;
                ADD_FAILURE() << std::hex << "signed " << p.dividend << "/" << p.divisor << " = " << qs
                              << " expected " << want;
            }
        }
    }
    EXPECT_GT(checked16, 100);
    EXPECT_GT(checkeds, 500);
}

}  // namespace
