// MAC.W and MAC.L: accumulation, the S-bit saturation rules (including
// the MAC.L rule that puts 0x00008000 in MACH on negative saturation),
// the order of the two reads, post-increments and cycle cost.
#include <gtest/gtest.h>

#include <vector>

#include "sh2_harness.h"
#include "test_bus.h"

namespace {

struct MacIn {
    u32 mach, macl, sr;
    u16 xw, yw;
    u32 xl, yl;
};
struct MacOut {
    u32 mach, macl;
};

MacOut model_macw(const MacIn& in) {
    s32 p = s32(s16(in.xw)) * s32(s16(in.yw));
    if (!(in.sr & 2)) {
        u64 acc = ((u64(in.mach) << 32) | in.macl) + u64(s64(p));
        return {u32(acc >> 32), u32(acc)};
    }
    s64 s = s64(s32(in.macl)) + p;
    if (s > INT32_MAX) return {in.mach, 0x7FFFFFFF};
    if (s < INT32_MIN) return {in.mach, 0x80000000};
    return {in.mach, u32(s)};
}

MacOut model_macl(const MacIn& in) {
    u64 p = u64(s64(s32(in.xl)) * s64(s32(in.yl)));
    if (!(in.sr & 2)) {
        u64 acc = ((u64(in.mach) << 32) | in.macl) + p;
        return {u32(acc >> 32), u32(acc)};
    }
    u64 low = u64(in.macl) + u32(p);
    s64 h = s64(in.mach & 0xFFFF) + s64(s32(u32(p >> 32))) + s64(low >> 32);
    if (h < -0x8000) return {0x00008000, 0};
    if (h > 0x7FFF) return {0x00007FFF, 0xFFFFFFFF};
    return {u32(h), u32(low)};
}

std::vector<MacIn> make_inputs() {
    const u32 accs[][2] = {{0, 0},
                           {0, 0x7FFFFFF0},
                           {0, 0x80000010},
                           {0xFFFFFFFF, 0xFFFFFFFF},
                           {0x00007FFF, 0xFFFFFFF0},
                           {0xFFFF8000, 0x00000010},
                           {0x12345678, 0x9ABCDEF0},
                           {0x00008000, 0x00000000},
                           {0x7FFFFFFF, 0xFFFFFFFF},
                           {0x80000000, 0x00000000}};
    const u16 words[] = {0, 1, 0xFFFF, 0x7FFF, 0x8000, 0x0010, 0x1234, 0xFF00};
    const u32 longs[] = {0, 1, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 0x00010000, 0x12345678, 0xFFFF0000};
    std::vector<MacIn> v;
    for (auto& a : accs)
        for (u32 sr : {0x000u, 0x002u})
            for (int i = 0; i < 8; i++)
                for (int j = 0; j < 8; j++) v.push_back({a[0], a[1], sr, words[i], words[j], longs[i], longs[j]});
    return v;
}

TEST(MacVectors, AccumulateAndSaturateLikeTheModel) {
    static Sh2State cpu;
    std::vector<MacIn> ins = make_inputs();
    ASSERT_TRUE(harness_load(&cpu, "mac_vectors"));
    std::vector<u32> words = {u32(ins.size()), 0, 0, 0, 0, 0, 0, 0};
    for (const MacIn& in : ins) {
        words.insert(words.end(), {in.mach, in.macl, in.sr, u32(in.xw) << 16, u32(in.yw) << 16, in.xl, in.yl, 0});
    }
    harness_put_inputs(words);
    ASSERT_TRUE(harness_run_until_done(&cpu, 100000000));
    int failures = 0;
    for (size_t i = 0; i < ins.size() && failures < 8; i++) {
        const MacIn& in = ins[i];
        u32 b = u32(i) * 8;
        MacOut w = model_macw(in), l = model_macl(in);
        if (harness_result(b) != w.mach || harness_result(b + 1) != w.macl) {
            failures++;
            ADD_FAILURE() << std::hex << "MAC.W mac=" << in.mach << ":" << in.macl << " sr=" << in.sr << " x=" << in.xw
                          << " y=" << in.yw << " got " << harness_result(b) << ":" << harness_result(b + 1)
                          << " expected " << w.mach << ":" << w.macl;
        }
        if (harness_result(b + 4) != l.mach || harness_result(b + 5) != l.macl) {
            failures++;
            ADD_FAILURE() << std::hex << "MAC.L mac=" << in.mach << ":" << in.macl << " sr=" << in.sr << " x=" << in.xl
                          << " y=" << in.yl << " got " << harness_result(b + 4) << ":" << harness_result(b + 5)
                          << " expected " << l.mach << ":" << l.macl;
        }
        EXPECT_EQ(harness_result(b + 2), 2u);
        EXPECT_EQ(harness_result(b + 3), 2u);
        EXPECT_EQ(harness_result(b + 6), 4u);
        EXPECT_EQ(harness_result(b + 7), 4u);
    }
}

class MacStep : public ::testing::Test {
protected:
    void load(u32 snippet) {
        ASSERT_TRUE(harness_load_snippet(&cpu, "mac_steps", snippet));
        cpu.last_ea = 0x5EA5EA00;
    }
    Sh2State cpu;
};

TEST_F(MacStep, MacWReadsRnThenRmAndCostsThreeCycles) {
    load(0);
    cpu.r[1] = 0x2000;  // Rn: x
    cpu.r[2] = 0x3000;  // Rm: y
    test_bus_put16(0x2000, 0xFFFE);  // -2
    test_bus_put16(0x3000, 0x0003);
    cpu.mach = 0;
    cpu.macl = 10;
    u64 c0 = cpu.cycles;
    test_bus_log(true);
    harness_step(&cpu);
    const auto& log = test_bus_accesses();
    ASSERT_EQ(log.size(), 3u);  // fetch, x, y
    EXPECT_EQ(log[1].address, 0x2000u);
    EXPECT_EQ(log[1].size, 2);
    EXPECT_EQ(log[2].address, 0x3000u);
    EXPECT_EQ(log[2].size, 2);
    EXPECT_EQ(cpu.macl, 4u);
    EXPECT_EQ(cpu.mach, 0u);
    EXPECT_EQ(cpu.r[1], 0x2002u);
    EXPECT_EQ(cpu.r[2], 0x3002u);
    EXPECT_EQ(cpu.cycles - c0, 3u);
    EXPECT_EQ(cpu.last_ea, 0x5EA5EA00u);
}

TEST_F(MacStep, MacLReadsRnThenRmAndCostsThreeCycles) {
    load(1);
    cpu.r[1] = 0x2000;
    cpu.r[2] = 0x3000;
    test_bus_put32(0x2000, 0xFFFFFFFF);  // -1
    test_bus_put32(0x3000, 0x00000005);
    cpu.mach = 0;
    cpu.macl = 2;
    u64 c0 = cpu.cycles;
    test_bus_log(true);
    harness_step(&cpu);
    const auto& log = test_bus_accesses();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].address, 0x2000u);
    EXPECT_EQ(log[1].size, 4);
    EXPECT_EQ(log[2].address, 0x3000u);
    EXPECT_EQ(log[2].size, 4);
    EXPECT_EQ(cpu.mach, 0xFFFFFFFFu);  // 2 - 5 = -3 across the 64 bits
    EXPECT_EQ(cpu.macl, 0xFFFFFFFDu);
    EXPECT_EQ(cpu.r[1], 0x2004u);
    EXPECT_EQ(cpu.r[2], 0x3004u);
    EXPECT_EQ(cpu.cycles - c0, 3u);
    EXPECT_EQ(cpu.last_ea, 0x5EA5EA00u);
}

// With one register for both operands it advances twice and the two reads
// are consecutive.
TEST_F(MacStep, SameRegisterAdvancesTwice) {
    load(2);
    cpu.r[1] = 0x2000;
    test_bus_put16(0x2000, 0x0007);
    test_bus_put16(0x2002, 0x0006);
    cpu.mach = cpu.macl = 0;
    harness_step(&cpu);
    EXPECT_EQ(cpu.macl, 42u);
    EXPECT_EQ(cpu.r[1], 0x2004u);

    load(3);
    cpu.r[1] = 0x2000;
    test_bus_put32(0x2000, 0x00010000);
    test_bus_put32(0x2004, 0x00010000);
    cpu.mach = cpu.macl = 0;
    harness_step(&cpu);
    EXPECT_EQ(cpu.mach, 1u);
    EXPECT_EQ(cpu.macl, 0u);
    EXPECT_EQ(cpu.r[1], 0x2008u);
}

// The saturation points stated for the hardware, independent of the model.
TEST_F(MacStep, SaturationFixedPoints) {
    // MAC.W, S = 1: 0x7FFFFFF0 + 0x100 sticks at 0x7FFFFFFF; MACH untouched.
    load(0);
    cpu.sr = 0x0F2;
    cpu.r[1] = 0x2000;
    cpu.r[2] = 0x3000;
    test_bus_put16(0x2000, 0x0010);
    test_bus_put16(0x3000, 0x0010);
    cpu.mach = 0x1234;
    cpu.macl = 0x7FFFFFF0;
    harness_step(&cpu);
    EXPECT_EQ(cpu.macl, 0x7FFFFFFFu);
    EXPECT_EQ(cpu.mach, 0x1234u);

    // MAC.L, S = 1, MACH all ones: only its low 16 bits count, so even
    // 1 x 1 saturates upwards.
    load(1);
    cpu.sr = 0x0F2;
    cpu.r[1] = 0x2000;
    cpu.r[2] = 0x3000;
    test_bus_put32(0x2000, 1);
    test_bus_put32(0x3000, 1);
    cpu.mach = 0xFFFFFFFF;
    cpu.macl = 0;
    harness_step(&cpu);
    EXPECT_EQ(cpu.mach, 0x00007FFFu);
    EXPECT_EQ(cpu.macl, 0xFFFFFFFFu);

    // MAC.L, S = 1, a sum far below -0x8000 in the high word: MACH takes
    // 0x00008000 (not sign-extended) and MACL 0.
    load(1);
    cpu.sr = 0x0F2;
    cpu.r[1] = 0x2000;
    cpu.r[2] = 0x3000;
    test_bus_put32(0x2000, 0x80000000);
    test_bus_put32(0x3000, 0x7FFFFFFF);
    cpu.mach = 0;
    cpu.macl = 0;
    harness_step(&cpu);
    EXPECT_EQ(cpu.mach, 0x00008000u);
    EXPECT_EQ(cpu.macl, 0u);

    // MAC.L, S = 1, within range: a negative high part is stored as it is.
    load(1);
    cpu.sr = 0x0F2;
    cpu.r[1] = 0x2000;
    cpu.r[2] = 0x3000;
    test_bus_put32(0x2000, 0xFFFFFFFF);
    test_bus_put32(0x3000, 0x00000001);
    cpu.mach = 0;
    cpu.macl = 0;
    harness_step(&cpu);
    EXPECT_EQ(cpu.mach, 0xFFFFFFFFu);
    EXPECT_EQ(cpu.macl, 0xFFFFFFFFu);
}

}  // namespace
