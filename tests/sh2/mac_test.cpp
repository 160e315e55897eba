// MAC.W and MAC.L: accumulation and the S-bit saturation rules (including
// the MAC.L rule that puts 0x00008000 in MACH on negative saturation), the
// order of the two reads, post-increments and cycle cost.
#include <gtest/gtest.h>

#include <vector>

#include "sh2_harness.h"

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
    return {in.mach, s > INT32_MAX ? 0x7FFFFFFFu : s < INT32_MIN ? 0x80000000u : u32(s)};
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

TEST(MacVectors, AccumulateAndSaturateLikeTheModel) {
    const u32 accs[][2] = {{0, 0},
                           {0, 0x7FFFFFF0},
                           {0, 0x80000010},
                           {~0u, ~0u},
                           {0x7FFF, 0xFFFFFFF0},
                           {0xFFFF8000, 0x10},
                           {0x12345678, 0x9ABCDEF0},
                           {0x8000, 0},
                           {0x7FFFFFFF, ~0u},
                           {0x80000000, 0}};
    const u16 words[] = {0, 1, 0xFFFF, 0x7FFF, 0x8000, 0x0010, 0x1234, 0xFF00};
    const u32 longs[] = {0, 1, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 0x00010000, 0x12345678, 0xFFFF0000};
    std::vector<MacIn> ins;
    for (auto& a : accs)
        for (u32 sr : {0x000u, 0x002u})
            for (int i = 0; i < 8; i++)
                for (int j = 0; j < 8; j++) ins.push_back({a[0], a[1], sr, words[i], words[j], longs[i], longs[j]});
    static Sh2State cpu;
    ASSERT_TRUE(harness_load(&cpu, "mac_vectors"));
    std::vector<u32> w = {u32(ins.size()), 0, 0, 0, 0, 0, 0, 0};
    for (const MacIn& in : ins)
        w.insert(w.end(), {in.mach, in.macl, in.sr, u32(in.xw) << 16, u32(in.yw) << 16, in.xl, in.yl, 0});
    harness_put_inputs(w);
    ASSERT_TRUE(harness_run_until_done(&cpu, 100000000));
    int failures = 0;
    for (u32 i = 0; i < ins.size() && failures < 8; i++) {
        const MacIn& in = ins[i];
        // Per vector: MAC.W's MACH, MACL, both pointer advances, then MAC.L's.
        MacOut want[2] = {model_macw(in), model_macl(in)};
        for (u32 k = 0; k < 2; k++) {
            u32 b = i * 8 + 4 * k, step = 2 + 2 * k;
            if (harness_result(b) == want[k].mach && harness_result(b + 1) == want[k].macl &&
                harness_result(b + 2) == step && harness_result(b + 3) == step)
                continue;
            failures++;
            ADD_FAILURE() << std::hex << (k ? "MAC.L" : "MAC.W") << " mac=" << in.mach << ":" << in.macl
                          << " sr=" << in.sr << " x=" << (k ? in.xl : in.xw) << " y=" << (k ? in.yl : in.yw) << " got "
                          << harness_result(b) << ":" << harness_result(b + 1) << " expected " << want[k].mach << ":"
                          << want[k].macl << " advances " << harness_result(b + 2) << "," << harness_result(b + 3);
        }
    }
}

// Snippets: 0 MAC.W @R2+,@R1+; 1 MAC.L @R2+,@R1+; 2 and 3 the same with R1 twice.
void load_mac(Sh2State& cpu, u32 snippet, u32 sr, u32 mach, u32 macl) {
    ASSERT_TRUE(harness_load(&cpu, "mac_steps", snippet));
    cpu.last_ea = 0x5EA5EA00;
    cpu.sr = sr;
    cpu.mach = mach;
    cpu.macl = macl;
    cpu.r[1] = 0x2000;
    cpu.r[2] = 0x3000;
}

// Rn's operand is read before Rm's, each instruction costs three cycles and
// leaves last_ea alone; then the saturation points stated for the hardware,
// independent of the model.
TEST(MacStep, ReadOrderCostAndSaturationPoints) {
    const struct {
        const char* what;
        u32 snippet, sr, mach, macl, x, y, want_mach, want_macl;
    } cases[] = {
        {"MAC.W, -2 x 3 + 10", 0, 0xF0, 0, 10, 0xFFFE, 3, 0, 4},
        {"MAC.L, 2 - 5 across all 64 bits", 1, 0xF0, 0, 2, 0xFFFFFFFF, 5, 0xFFFFFFFF, 0xFFFFFFFD},
        {"MAC.W sticks at the top, MACH untouched", 0, 0xF2, 0x1234, 0x7FFFFFF0, 0x10, 0x10, 0x1234, 0x7FFFFFFF},
        {"MAC.L counts only MACH's low 16 bits", 1, 0xF2, 0xFFFFFFFF, 0, 1, 1, 0x00007FFF, 0xFFFFFFFF},
        {"MAC.L negative saturation is not sign-extended", 1, 0xF2, 0, 0, 0x80000000, 0x7FFFFFFF, 0x8000, 0},
        {"MAC.L keeps a negative high part in range", 1, 0xF2, 0, 0, 0xFFFFFFFF, 1, 0xFFFFFFFF, 0xFFFFFFFF},
    };
    static Sh2State cpu;
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        load_mac(cpu, k.snippet, k.sr, k.mach, k.macl);
        u32 size = k.snippet ? 4 : 2;
        (size == 4 ? test_bus_put32 : test_bus_put16)(0x2000, k.x);
        (size == 4 ? test_bus_put32 : test_bus_put16)(0x3000, k.y);
        test_bus_log(true);
        harness_step(&cpu);
        const auto& log = test_bus_accesses();
        ASSERT_EQ(log.size(), 3u);  // fetch, Rn's operand, Rm's operand
        EXPECT_TRUE(log[1].address == 0x2000 && u32(log[1].size) == size);
        EXPECT_TRUE(log[2].address == 0x3000 && u32(log[2].size) == size);
        EXPECT_EQ(cpu.cycles, 3u);
        EXPECT_EQ(cpu.last_ea, 0x5EA5EA00u);
        EXPECT_EQ(cpu.mach, k.want_mach);
        EXPECT_EQ(cpu.macl, k.want_macl);
    }
}

// With one register for both operands it advances twice over consecutive data.
TEST(MacStep, SameRegisterAdvancesTwice) {
    static Sh2State cpu;
    load_mac(cpu, 2, 0xF0, 0, 0);
    test_bus_put32(0x2000, 0x00070006);
    harness_step(&cpu);
    EXPECT_EQ(cpu.macl, 42u);
    EXPECT_EQ(cpu.r[1], 0x2004u);
    load_mac(cpu, 3, 0xF0, 0, 0);
    test_bus_put32(0x2000, 0x00010000);
    test_bus_put32(0x2004, 0x00010000);
    harness_step(&cpu);
    EXPECT_EQ(cpu.mach, 1u);
    EXPECT_EQ(cpu.macl, 0u);
    EXPECT_EQ(cpu.r[1], 0x2008u);
}

}  // namespace
