// Branches and delay slots: targets, cycle charges, the order in which the
// branch and its slot read and write registers, PC-relative slots, and
// instructions that may not sit in a slot.
#include <gtest/gtest.h>

#include "sh2_harness.h"
#include "test_bus.h"

namespace {

constexpr u32 D = 0x40000;
constexpr u32 ILLEGAL_HANDLER = 0x7000;

class Branch : public ::testing::Test {
protected:
    // Loads the snippet; vector 4 points at ILLEGAL_HANDLER.
    void load(u32 snippet) {
        ASSERT_TRUE(harness_load_snippet(&cpu, "branch_steps", snippet));
        a = cpu.pc;
        test_bus_put32(4 * 4, ILLEGAL_HANDLER);
    }
    // One step; returns the cycles it charged.
    u64 step() {
        u64 c0 = cpu.cycles;
        next = harness_step(&cpu);
        return cpu.cycles - c0;
    }
    Sh2State cpu;
    u32 a = 0;
    u32 next = 0;
};

TEST_F(Branch, ConditionalBranchesWithoutSlot) {
    // BT to itself (displacement -2): taken costs 3, not taken 1.
    load(0);
    cpu.sr |= 1;
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(next, a);
    load(0);
    cpu.sr &= ~1u;
    EXPECT_EQ(step(), 1u);
    EXPECT_EQ(next, a + 2);
    // BF is the mirror image.
    load(1);
    cpu.sr &= ~1u;
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(next, a);
    load(1);
    cpu.sr |= 1;
    EXPECT_EQ(step(), 1u);
    EXPECT_EQ(next, a + 2);
    // A forward displacement.
    load(2);
    cpu.sr |= 1;
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(next, a + 6);
}

TEST_F(Branch, BraReachesBackTheFullDisplacement) {
    load(40);
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(next, a + 4 - 4096);
}

// The slot runs inside the branch's step: its base cycle is not charged
// again, only its extra cycles.
TEST_F(Branch, SlotCostsOnlyItsExtraCycles) {
    load(3);
    cpu.r[1] = 41;
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(next, a + 0x40);
    EXPECT_EQ(cpu.r[1], 42u);

    load(4);  // MUL.L in the slot: +1
    cpu.r[1] = 3;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(cpu.macl, 9u);

    load(5);  // TAS.B in the slot: +3
    cpu.r[2] = D;
    EXPECT_EQ(step(), 6u);
    EXPECT_EQ(test_bus_get8(D), 0x80u);
    EXPECT_EQ(cpu.sr & 1, 1u);
}

TEST_F(Branch, EachDelayedBranchCharge) {
    load(31);  // JMP: 2, not 3
    cpu.r[1] = 0x6000;
    EXPECT_EQ(step(), 2u);
    EXPECT_EQ(next, 0x6000u);
    load(32);  // JSR
    cpu.r[1] = 0x6000;
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(next, 0x6000u);
    EXPECT_EQ(cpu.pr, a + 4);
    load(33);  // RTS
    cpu.pr = 0x6000;
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(next, 0x6000u);
    load(35);  // RTE
    cpu.r[15] = D;
    test_bus_put32(D, 0x6000);
    test_bus_put32(D + 4, 0x000);
    EXPECT_EQ(step(), 5u);
    EXPECT_EQ(next, 0x6000u);
    EXPECT_EQ(cpu.r[15], D + 8);
}

// The branch takes its register and PR before the slot can change them.
TEST_F(Branch, OperandsAreReadBeforeTheSlotRuns) {
    load(6);  // JMP @R1 / MOV #0,R1
    cpu.r[1] = 0x6000;
    step();
    EXPECT_EQ(next, 0x6000u);
    EXPECT_EQ(cpu.r[1], 0u);

    load(7);  // RTS / LDS R2,PR
    cpu.pr = 0x6000;
    cpu.r[2] = 0x7777;
    step();
    EXPECT_EQ(next, 0x6000u);
    EXPECT_EQ(cpu.pr, 0x7777u);

    load(8);  // BRAF R1 / ADD #2,R1
    cpu.r[1] = 0x100;
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(next, a + 4 + 0x100);
    EXPECT_EQ(cpu.r[1], 0x102u);

    load(8);  // BRAF with a negative offset wraps
    cpu.r[1] = 0xFFFFFF00;
    step();
    EXPECT_EQ(next, a + 4 - 0x100);
}

// BSR, BSRF and JSR write PR before the slot, which sees the new value.
TEST_F(Branch, ReturnAddressIsVisibleToTheSlot) {
    load(9);  // JSR @R1 / STS PR,R2
    cpu.r[1] = 0x6000;
    step();
    EXPECT_EQ(cpu.r[2], a + 4);
    EXPECT_EQ(next, 0x6000u);

    load(10);  // BSR / STS PR,R2
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(cpu.r[2], a + 4);
    EXPECT_EQ(next, a + 0x40);

    load(11);  // BSRF R1 / STS PR,R2
    cpu.r[1] = 0x20;
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(cpu.r[2], a + 4);
    EXPECT_EQ(cpu.pr, a + 4);
    EXPECT_EQ(next, a + 4 + 0x20);
}

// A PC-relative slot computes from the branch's address + 4.
TEST_F(Branch, PcRelativeInstructionInASlot) {
    load(12);  // BRA at a long boundary, MOVA in its slot
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(cpu.r[0], ((a + 6) & ~3u) + 4 * (test_bus_get16(a + 2) & 0xFF));
    EXPECT_EQ(cpu.r[0], a + 0x60);
    EXPECT_EQ(next, a + 0x40);

    load(13);  // BRA off a long boundary
    cpu.pc = a + 2;
    step();
    EXPECT_EQ(cpu.r[0], a + 0x60);
    EXPECT_EQ(next, a + 0x40);

    load(14);  // MOV.L @(disp,PC) in the slot
    step();
    EXPECT_EQ(cpu.r[2], 0x13579BDFu);
    EXPECT_EQ(cpu.last_ea, a + 0x60);
}

// A conditional delayed branch that is not taken leaves its slot to the
// next step, as an ordinary instruction with its own charge.
TEST_F(Branch, UntakenConditionalDelayedBranchRunsTheSlotSeparately) {
    load(15);  // BF/S with T = 1: not taken
    cpu.sr |= 1;
    cpu.r[1] = 0;
    EXPECT_EQ(step(), 1u);
    EXPECT_EQ(next, a + 2);
    EXPECT_EQ(cpu.r[1], 0u);
    EXPECT_EQ(step(), 1u);
    EXPECT_EQ(next, a + 4);
    EXPECT_EQ(cpu.r[1], 1u);

    load(15);  // BF/S with T = 0: taken, slot inside
    cpu.sr &= ~1u;
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(next, a + 0x40);
    EXPECT_EQ(cpu.r[1], 1u);

    load(16);  // BT/S with T = 1: taken
    cpu.sr |= 1;
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(next, a + 0x40);
    EXPECT_EQ(cpu.r[1], 1u);

    load(34);  // BT/S taken with MUL.L in the slot
    cpu.sr |= 1;
    EXPECT_EQ(step(), 4u);

    load(37);  // BT/S not taken with a branch after it: no exception
    cpu.sr &= ~1u;
    EXPECT_EQ(step(), 1u);
    EXPECT_EQ(next, a + 2);
}

// RTE restores SR before its slot runs.
TEST_F(Branch, RteSlotRunsWithTheRestoredSr) {
    load(17);
    cpu.sr = 0x0F0;
    cpu.r[15] = D;
    test_bus_put32(D, 0x6000);
    test_bus_put32(D + 4, 0xFFFFFF0F);
    EXPECT_EQ(step(), 5u);
    EXPECT_EQ(next, 0x6000u);
    EXPECT_EQ(cpu.sr, 0x303u);
    EXPECT_EQ(cpu.r[2], 0x303u);
    EXPECT_EQ(cpu.irq_recheck, 1);
}

struct SlotIllegal {
    u32 snippet;
    u32 branch_cycles;
};

// A branch, RTS, RTE, TRAPA, SLEEP or illegal opcode in a slot raises the
// illegal-instruction exception (vector 4) with the slot's address pushed,
// after the branch's own side effects.
TEST_F(Branch, IllegalSlotInstructions) {
    const SlotIllegal cases[] = {{18, 3}, {19, 3}, {20, 2}, {21, 3}, {23, 2}, {36, 3}};
    for (auto k : cases) {
        SCOPED_TRACE(k.snippet);
        load(k.snippet);
        cpu.r[1] = 0x6000;
        cpu.pr = 0x6100;
        cpu.sr = 0x0F1;
        u32 sp = cpu.r[15];
        EXPECT_EQ(step(), k.branch_cycles + 5);
        EXPECT_EQ(next, ILLEGAL_HANDLER);
        EXPECT_EQ(cpu.r[15], sp - 8);
        EXPECT_EQ(test_bus_get32(sp - 4), 0x0F1u);   // SR
        EXPECT_EQ(test_bus_get32(sp - 8), a + 2);    // the slot's address
        EXPECT_EQ(cpu.sr, 0x0F1u);                   // unchanged by the exception
    }
    // BSR and BSRF keep the PR they wrote.
    load(18);
    step();
    EXPECT_EQ(cpu.pr, a + 4);
    load(36);
    step();
    EXPECT_EQ(cpu.pr, a + 4);
}

TEST_F(Branch, IllegalSlotAfterRteKeepsTheRestoredSr) {
    load(22);
    cpu.sr = 0x0F0;
    cpu.r[15] = D;
    test_bus_put32(D, 0x6000);
    test_bus_put32(D + 4, 0x201);
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(next, ILLEGAL_HANDLER);
    EXPECT_EQ(cpu.sr, 0x201u);
    // Popped two words, pushed two: back at D, holding SR then the slot.
    EXPECT_EQ(cpu.r[15], D);
    EXPECT_EQ(test_bus_get32(D + 4), 0x201u);
    EXPECT_EQ(test_bus_get32(D), a + 2);
}

// The run loop counts a delayed branch and its slot as one step.
TEST_F(Branch, BranchAndSlotAreOneStepOfTheRunLoop) {
    load(3);
    cpu.steps = 0;
    u64 c0 = cpu.cycles;
    ASSERT_EQ(sh2_run(&cpu, c0 + 1), 0);
    EXPECT_EQ(cpu.steps, 1u);
    EXPECT_EQ(cpu.pc, a + 0x40);
    EXPECT_EQ(cpu.cycles, c0 + 3);
}

}  // namespace
