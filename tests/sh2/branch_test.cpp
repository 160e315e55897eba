// Branches and delay slots: targets, cycle charges, the order in which the
// branch and its slot read and write registers, PC-relative slots, and
// instructions that may not sit in a slot.
#include <gtest/gtest.h>

#include "sh2_harness.h"

namespace {

constexpr u32 D = 0x40000;
constexpr u32 ILLEGAL_HANDLER = 0x7000;
constexpr u32 A(u32 snippet) { return snippet_address(snippet); }

typedef void (*Setup)(Sh2State& c);
typedef void (*Check)(Sh2State& c, u32 a);  // a: the snippet's address

// Loads the snippet with vector 4 pointing at ILLEGAL_HANDLER.
u32 load(Sh2State& cpu, u32 snippet) {
    EXPECT_TRUE(harness_load(&cpu, "branch_steps", snippet));
    test_bus_put32(4 * 4, ILLEGAL_HANDLER);
    return cpu.pc;
}

void rte_frame(Sh2State& c, u32 sr) {
    c.r[15] = D;
    test_bus_put32(D, 0x6000);
    test_bus_put32(D + 4, sr);
}

void ran_slot(Sh2State& c, u32) { EXPECT_EQ(c.r[1], 1u); }

struct BranchCase {
    const char* what;
    u32 snippet;
    Setup setup;
    u32 cycles;  // charged by the one step, slot included
    u32 next;
    Check check;
};

const BranchCase cases[] = {
    {"BT taken", 0, [](Sh2State& c) { c.sr |= 1; }, 3, A(0), nullptr},
    {"BT not taken", 0, [](Sh2State& c) { c.sr &= ~1u; }, 1, A(0) + 2, nullptr},
    {"BF taken", 1, [](Sh2State& c) { c.sr &= ~1u; }, 3, A(1), nullptr},
    {"BF not taken", 1, [](Sh2State& c) { c.sr |= 1; }, 1, A(1) + 2, nullptr},
    {"BT forward", 2, [](Sh2State& c) { c.sr |= 1; }, 3, A(2) + 6, nullptr},
    {"BRA back the full displacement", 40, nullptr, 3, A(40) + u32(4 - 4096), nullptr},
    // The slot runs inside the branch's step: only its extra cycles count.
    {"BRA / ADD", 3, [](Sh2State& c) { c.r[1] = 41; }, 3, A(3) + 0x40,
     [](Sh2State& c, u32) { EXPECT_EQ(c.r[1], 42u); }},
    {"BRA / MUL.L", 4, [](Sh2State& c) { c.r[1] = 3; }, 4, A(4) + 0x40,
     [](Sh2State& c, u32) { EXPECT_EQ(c.macl, 9u); }},
    {"BRA / TAS.B", 5, [](Sh2State& c) { c.r[2] = D; }, 6, A(5) + 0x40,
     [](Sh2State& c, u32) {
         EXPECT_EQ(test_bus_get8(D), 0x80u);
         EXPECT_EQ(c.sr & 1, 1u);
     }},
    // The branch takes its register and PR before the slot can change them.
    {"JMP @R1 / MOV #0,R1", 6, [](Sh2State& c) { c.r[1] = 0x6000; }, 2, 0x6000,
     [](Sh2State& c, u32) { EXPECT_EQ(c.r[1], 0u); }},
    {"RTS / LDS R2,PR", 7,
     [](Sh2State& c) {
         c.pr = 0x6000;
         c.r[2] = 0x7777;
     },
     3, 0x6000, [](Sh2State& c, u32) { EXPECT_EQ(c.pr, 0x7777u); }},
    {"BRAF R1 / ADD #2,R1", 8, [](Sh2State& c) { c.r[1] = 0x100; }, 3, A(8) + 0x104,
     [](Sh2State& c, u32) { EXPECT_EQ(c.r[1], 0x102u); }},
    {"BRAF backwards", 8, [](Sh2State& c) { c.r[1] = 0xFFFFFF00; }, 3, A(8) + u32(4 - 0x100), nullptr},
    // BSR, BSRF and JSR write PR before the slot, which sees the new value.
    {"JSR / STS PR", 9, [](Sh2State& c) { c.r[1] = 0x6000; }, 3, 0x6000,
     [](Sh2State& c, u32 a) { EXPECT_EQ(c.r[2], a + 4); }},
    {"BSR / STS PR", 10, nullptr, 3, A(10) + 0x40, [](Sh2State& c, u32 a) { EXPECT_EQ(c.r[2], a + 4); }},
    {"BSRF / STS PR", 11, [](Sh2State& c) { c.r[1] = 0x20; }, 3, A(11) + 0x24,
     [](Sh2State& c, u32 a) {
         EXPECT_EQ(c.r[2], a + 4);
         EXPECT_EQ(c.pr, a + 4);
     }},
    // A PC-relative slot computes from the branch's address + 4.
    {"BRA / MOVA on a long boundary", 12, nullptr, 3, A(12) + 0x40,
     [](Sh2State& c, u32 a) { EXPECT_EQ(c.r[0], a + 0x60); }},
    {"BRA / MOVA off a long boundary", 13, [](Sh2State& c) { c.pc += 2; }, 3, A(13) + 0x40,
     [](Sh2State& c, u32 a) { EXPECT_EQ(c.r[0], a + 0x60); }},
    {"BRA / MOV.L @(disp,PC)", 14, nullptr, 3, A(14) + 0x40,
     [](Sh2State& c, u32 a) {
         EXPECT_EQ(c.r[2], 0x13579BDFu);
         EXPECT_EQ(c.last_ea, a + 0x60);
     }},
    // An untaken BF/S or BT/S leaves its slot to the next step, as an
    // ordinary instruction with its own charge.
    {"BF/S not taken", 15,
     [](Sh2State& c) {
         c.sr |= 1;
         c.r[1] = 0;
     },
     1, A(15) + 2,
     [](Sh2State& c, u32 a) {
         EXPECT_EQ(c.r[1], 0u);
         EXPECT_EQ(harness_step(&c), a + 4);
         EXPECT_EQ(c.cycles, 2u);
         EXPECT_EQ(c.r[1], 1u);
     }},
    {"BF/S taken", 15, [](Sh2State& c) { c.sr &= ~1u; }, 3, A(15) + 0x40, ran_slot},
    {"BT/S taken", 16, [](Sh2State& c) { c.sr |= 1; }, 3, A(16) + 0x40, ran_slot},
    {"BT/S not taken before a branch raises nothing", 37, [](Sh2State& c) { c.sr &= ~1u; }, 1, A(37) + 2, nullptr},
    // RTE restores SR before its slot runs.
    {"RTE / STC SR,R2", 17,
     [](Sh2State& c) {
         c.sr = 0x0F0;
         rte_frame(c, 0xFFFFFF0F);
     },
     5, 0x6000,
     [](Sh2State& c, u32) {
         EXPECT_EQ(c.sr, 0x303u);
         EXPECT_EQ(c.r[2], 0x303u);
         EXPECT_EQ(c.irq_recheck, 1);
         EXPECT_EQ(c.r[15], D + 8);
     }},
};

// Each case is one iteration of the run loop, which counts a delayed branch
// and its slot as one step.
TEST(Branch, TargetsChargesAndSlotOrder) {
    static Sh2State cpu;
    for (const BranchCase& k : cases) {
        SCOPED_TRACE(k.what);
        u32 a = load(cpu, k.snippet);
        if (k.setup) k.setup(cpu);
        ASSERT_EQ(sh2_run(&cpu, 1), 0);
        EXPECT_EQ(cpu.pc, k.next);
        EXPECT_EQ(cpu.steps, 1u);
        EXPECT_EQ(cpu.cycles, k.cycles);
        if (k.check) k.check(cpu, a);
    }
}

// A branch, RTS, RTE, TRAPA, SLEEP or illegal opcode in a slot raises the
// illegal-instruction exception (vector 4) with the slot's address pushed,
// after the branch's own side effects.
TEST(Branch, IllegalSlotInstructions) {
    static Sh2State cpu;
    const struct {
        const char* what;
        u32 snippet, cycles, sr;  // cycles: the branch's own charge
        bool writes_pr;           // BSR, BSRF and JSR keep the PR they wrote
    } cases[] = {
        {"BSR / RTS", 18, 3, 0x0F1, true},      {"BRA / BRA", 19, 3, 0x0F1, false},
        {"JMP / TRAPA", 20, 2, 0x0F1, false},   {"RTS / SLEEP", 21, 3, 0x0F1, false},
        {"JMP / illegal", 23, 2, 0x0F1, false}, {"BSRF / RTS", 36, 3, 0x0F1, true},
        {"BT/S / RTS", 41, 3, 0x0F1, false},    {"BF/S / TRAPA", 42, 3, 0x0F0, false},
        {"BRAF / BSR", 43, 3, 0x0F1, false},    {"JSR / illegal", 44, 3, 0x0F1, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        u32 a = load(cpu, k.snippet);
        cpu.r[1] = 0x6000;
        cpu.pr = 0x6100;
        cpu.sr = k.sr;
        u32 sp = cpu.r[15];
        EXPECT_EQ(harness_step(&cpu), ILLEGAL_HANDLER);
        EXPECT_EQ(cpu.cycles, k.cycles + 5);
        EXPECT_EQ(cpu.r[15], sp - 8);
        EXPECT_EQ(test_bus_get32(sp - 4), k.sr);   // SR
        EXPECT_EQ(test_bus_get32(sp - 8), a + 2);  // the slot's address
        EXPECT_EQ(cpu.sr, k.sr);
        EXPECT_EQ(cpu.pr, k.writes_pr ? a + 4 : 0x6100u);
    }
    // After RTE the exception sees the restored SR; the frame replaces the popped one.
    u32 a = load(cpu, 22);
    cpu.sr = 0x0F0;
    rte_frame(cpu, 0x201);
    EXPECT_EQ(harness_step(&cpu), ILLEGAL_HANDLER);
    EXPECT_EQ(cpu.cycles, 10u);
    EXPECT_EQ(cpu.sr, 0x201u);
    EXPECT_EQ(cpu.r[15], D);
    EXPECT_EQ(test_bus_get32(D + 4), 0x201u);
    EXPECT_EQ(test_bus_get32(D), a + 2);
}

// An untaken BT/S or BF/S reads its slot once with the branch, as every
// delayed branch does, and leaves it to the next step, which fetches it
// again as an ordinary instruction.
TEST(Branch, UntakenDelayedBranchFetchesItsSlotOnce) {
    static Sh2State cpu;
    const u32 cases[][2] = {{15, 1}, {16, 0}};  // snippet (BF/S, BT/S), T
    for (auto k : cases) {
        SCOPED_TRACE(k[0]);
        u32 a = load(cpu, k[0]);
        cpu.sr = k[1];
        test_bus_log(true);
        EXPECT_EQ(harness_step(&cpu), a + 2);
        const auto& log = test_bus_accesses();
        ASSERT_EQ(log.size(), 2u);
        EXPECT_TRUE(log[0].kind == 'r' && log[0].size == 2 && log[0].address == a);
        EXPECT_TRUE(log[1].kind == 'r' && log[1].size == 2 && log[1].address == a + 2);
    }
}

}  // namespace
