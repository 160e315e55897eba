// Reset, interrupt acceptance and masking, exception frames (TRAPA,
// illegal instructions, RTE), SLEEP and wake-up, and the rule that pc holds
// the running instruction's own address until its step returns.
#include <gtest/gtest.h>

#include "sh2_harness.h"
#include "test_bus.h"

namespace {

constexpr u32 D = 0x40000;

u32 handler(u32 k) { return snippet_address(8 + k); }

class Cpu : public ::testing::Test {
protected:
    void load(const char* program, u32 snippet) {
        ASSERT_TRUE(harness_load_snippet(&cpu, program, snippet));
        a = cpu.pc;
    }
    // Vector v (VBR 0) points at handler k.
    void vector(u32 v, u32 k) { test_bus_put32(4 * v, handler(k)); }
    // Runs the loop for at least one cycle: acceptance, then one instruction.
    void run_one() { ASSERT_EQ(sh2_run(&cpu, cpu.cycles + 1), 0); }
    Sh2State cpu;
    u32 a = 0;
};

TEST_F(Cpu, ResetClearsTheRecordAndLoadsPcThenSp) {
    test_bus_reset();
    test_bus_put32(0, 0x00001234);
    test_bus_put32(4, 0x00ABCDE0);
    for (u32 i = 0; i < sizeof cpu; i++) reinterpret_cast<u8*>(&cpu)[i] = 0xA5;
    test_bus_log(true);
    sh2_reset(&cpu);
    for (int i = 0; i < 15; i++) EXPECT_EQ(cpu.r[i], 0u) << i;
    EXPECT_EQ(cpu.r[15], 0x00ABCDE0u);
    EXPECT_EQ(cpu.pc, 0x00001234u);
    EXPECT_EQ(cpu.sr, 0xF0u);
    EXPECT_EQ(cpu.pr | cpu.gbr | cpu.vbr | cpu.mach | cpu.macl | cpu.last_ea | cpu.reserved, 0u);
    EXPECT_EQ(cpu.cycles, 0u);
    EXPECT_EQ(cpu.steps, 0u);
    EXPECT_EQ(cpu.irl_pending, 0u);
    EXPECT_EQ(cpu.onchip_level, -1);
    EXPECT_EQ(cpu.onchip_vector, 0u);
    EXPECT_EQ(cpu.nmi_pending | cpu.sleep_state | cpu.irq_recheck | cpu.idle, 0);
    const auto& log = test_bus_accesses();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].address, 0u);
    EXPECT_EQ(log[0].size, 4);
    EXPECT_EQ(log[1].address, 4u);
    EXPECT_EQ(log[1].size, 4);
}

TEST_F(Cpu, RaisingAndWithdrawingLevels) {
    load("irq_steps", 0);
    cpu.idle = 1;
    sh2_set_irq(&cpu, 5, 1);
    EXPECT_EQ(cpu.irl_pending, 1u << 5);
    EXPECT_EQ(cpu.irq_recheck, 1);
    EXPECT_EQ(cpu.idle, 0);
    // Raising a level already pending clears idle but asks for no re-check.
    cpu.irq_recheck = 0;
    cpu.idle = 1;
    sh2_set_irq(&cpu, 5, 1);
    EXPECT_EQ(cpu.idle, 0);
    EXPECT_EQ(cpu.irq_recheck, 0);
    // Withdrawing clears the bit and leaves the re-check flag alone.
    sh2_set_irq(&cpu, 5, 0);
    EXPECT_EQ(cpu.irl_pending, 0u);
    EXPECT_EQ(cpu.irq_recheck, 0);
    // Level 31 is the top bit.
    sh2_set_irq(&cpu, 31, 1);
    EXPECT_EQ(cpu.irl_pending, 0x80000000u);
    // On-chip posts: level 0 asks for a re-check, -1 does not.
    cpu.irq_recheck = 0;
    sh2_set_onchip_irq(&cpu, -1, 0x44);
    EXPECT_EQ(cpu.irq_recheck, 0);
    EXPECT_EQ(cpu.onchip_level, -1);
    sh2_set_onchip_irq(&cpu, 0, 0xFFFFFFFF);
    EXPECT_EQ(cpu.irq_recheck, 1);
    EXPECT_EQ(cpu.onchip_level, 0);
    EXPECT_EQ(cpu.onchip_vector, 0xFFFFFFFFu);
}

// Acceptance pushes SR then PC, sets IMASK to the level, clears the
// accepted level, costs no cycles and starts the handler in the same call.
TEST_F(Cpu, AcceptingAnExternalLevel) {
    load("irq_steps", 0);
    vector(66, 0);
    cpu.sr = 0x301;
    u32 sp = cpu.r[15];
    sh2_set_irq(&cpu, 5, 1);
    test_bus_log(true);
    run_one();
    EXPECT_EQ(cpu.pc, handler(0) + 2);
    EXPECT_EQ(cpu.cycles, 1u);  // the handler's NOP only
    EXPECT_EQ(cpu.sr, 0x351u);
    EXPECT_EQ(cpu.irl_pending, 0u);
    EXPECT_EQ(cpu.irq_recheck, 0);
    EXPECT_EQ(cpu.r[15], sp - 8);
    const auto& log = test_bus_accesses();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0].kind, 'w');
    EXPECT_EQ(log[0].address, sp - 4);
    EXPECT_EQ(log[0].value, 0x301u);
    EXPECT_EQ(log[1].kind, 'w');
    EXPECT_EQ(log[1].address, sp - 8);
    EXPECT_EQ(log[1].value, a);
}

TEST_F(Cpu, VectorIsSixtyFourPlusHalfTheLevel) {
    const u32 levels[][2] = {{1, 64}, {2, 65}, {5, 66}, {9, 68}, {11, 69}, {14, 71}, {15, 71}};
    for (auto lv : levels) {
        SCOPED_TRACE(lv[0]);
        load("irq_steps", 0);
        for (u32 v = 64; v < 72; v++) test_bus_put32(4 * v, 0);
        vector(lv[1], 1);
        cpu.sr = 0;
        sh2_set_irq(&cpu, lv[0], 1);
        run_one();
        EXPECT_EQ(cpu.pc, handler(1) + 2);
        EXPECT_EQ((cpu.sr >> 4) & 15, lv[0]);
    }
}

// Levels above 15 exist on the bus: IMASK saturates at 15.
TEST_F(Cpu, LevelAboveFifteenSetsMaskFifteen) {
    load("irq_steps", 0);
    vector(64 + 20 / 2, 2);
    cpu.sr = 0x0F0;
    sh2_set_irq(&cpu, 20, 1);
    run_one();
    EXPECT_EQ(cpu.pc, handler(2) + 2);
    EXPECT_EQ(cpu.sr & 0xF0, 0xF0u);
    EXPECT_EQ(cpu.irl_pending, 0u);
}

TEST_F(Cpu, MaskingIsStrict) {
    // IMASK 15: not even level 15 gets in, and it stays pending.
    load("irq_steps", 0);
    vector(71, 0);
    sh2_set_irq(&cpu, 15, 1);
    run_one();
    EXPECT_EQ(cpu.pc, a + 2);
    EXPECT_EQ(cpu.irl_pending, 1u << 15);
    // IMASK 5: level 5 waits, level 6 is taken.
    load("irq_steps", 0);
    vector(66, 0);
    vector(67, 1);
    cpu.sr = 0x050;
    sh2_set_irq(&cpu, 5, 1);
    run_one();
    EXPECT_EQ(cpu.pc, a + 2);
    sh2_set_irq(&cpu, 6, 1);
    run_one();
    EXPECT_EQ(cpu.pc, handler(1) + 2);
    EXPECT_EQ(cpu.irl_pending, 1u << 5);
}

// Levels 9 and 11 with IMASK 8: 11 first; 9 waits until the handler's RTE
// asks for a re-check.
TEST_F(Cpu, HighestLevelFirstThenTheNextAfterRte) {
    load("irq_steps", 0);
    vector(68, 0);
    vector(69, 1);
    cpu.sr = 0x080;
    sh2_set_irq(&cpu, 9, 1);
    sh2_set_irq(&cpu, 11, 1);
    run_one();
    EXPECT_EQ(cpu.pc, handler(1) + 2);
    EXPECT_EQ(cpu.sr & 0xF0, 0xB0u);
    EXPECT_EQ(cpu.irl_pending, 1u << 9);
    run_one();  // ADD
    run_one();  // RTE back to the main loop, IMASK 8 again
    EXPECT_EQ(cpu.pc, a);
    EXPECT_EQ(cpu.sr & 0xF0, 0x80u);
    run_one();
    EXPECT_EQ(cpu.pc, handler(0) + 2);
    EXPECT_EQ(cpu.irl_pending, 0u);
}

TEST_F(Cpu, OnChipRequestWinsATie) {
    load("irq_steps", 0);
    vector(68, 0);
    vector(0x50, 1);
    cpu.sr = 0;
    sh2_set_irq(&cpu, 9, 1);
    sh2_set_onchip_irq(&cpu, 9, 0x50);
    run_one();
    EXPECT_EQ(cpu.pc, handler(1) + 2);
    EXPECT_EQ(cpu.onchip_level, -1);
    EXPECT_EQ(cpu.irl_pending, 1u << 9);
    EXPECT_EQ(cpu.sr & 0xF0, 0x90u);
}

TEST_F(Cpu, HigherExternalLevelBeatsOnChip) {
    load("irq_steps", 0);
    vector(69, 0);
    vector(0x50, 1);
    cpu.sr = 0;
    sh2_set_onchip_irq(&cpu, 9, 0x50);
    sh2_set_irq(&cpu, 11, 1);
    run_one();
    EXPECT_EQ(cpu.pc, handler(0) + 2);
    EXPECT_EQ(cpu.onchip_level, 9);
    EXPECT_EQ(cpu.irl_pending, 0u);
}

TEST_F(Cpu, OnChipRequestAloneAndLevelZero) {
    load("irq_steps", 0);
    vector(0x42, 3);
    sh2_set_onchip_irq(&cpu, 0, 0x42);  // level 0: never above IMASK
    cpu.sr = 0;
    run_one();
    EXPECT_EQ(cpu.pc, a + 2);
    EXPECT_EQ(cpu.irq_recheck, 0);
    sh2_set_onchip_irq(&cpu, 3, 0x42);
    run_one();
    EXPECT_EQ(cpu.pc, handler(3) + 2);
    EXPECT_EQ(cpu.sr & 0xF0, 0x30u);
}

TEST_F(Cpu, NmiIgnoresTheMask) {
    load("irq_steps", 0);
    vector(11, 4);
    cpu.sr = 0x0F1;
    cpu.nmi_pending = 1;
    cpu.irq_recheck = 1;
    u32 sp = cpu.r[15];
    run_one();
    EXPECT_EQ(cpu.pc, handler(4) + 2);
    EXPECT_EQ(cpu.nmi_pending, 0);
    EXPECT_EQ(cpu.sr, 0x0F1u);
    EXPECT_EQ(test_bus_get32(sp - 4), 0x0F1u);
    EXPECT_EQ(test_bus_get32(sp - 8), a);
}

// LDC to SR re-opens the gate: a level that was masked is taken right after.
TEST_F(Cpu, LdcToSrTriggersARecheck) {
    load("irq_steps", 1);
    vector(66, 0);
    sh2_set_irq(&cpu, 5, 1);
    run_one();  // checked while IMASK 15; then LDC R1,SR
    EXPECT_EQ(cpu.pc, a + 2);
    EXPECT_EQ(cpu.sr, 0u);
    run_one();
    EXPECT_EQ(cpu.pc, handler(0) + 2);
    EXPECT_EQ(test_bus_get32(cpu.r[15] + 4), 0u);     // the SR that LDC loaded
    EXPECT_EQ(test_bus_get32(cpu.r[15]), a + 2);
}

TEST_F(Cpu, TrapaFrame) {
    const u32 imms[][2] = {{24, 0x20}, {25, 0xFF}};
    for (auto t : imms) {
        SCOPED_TRACE(t[1]);
        load("branch_steps", t[0]);
        cpu.vbr = 0x3000;
        cpu.sr = 0x213;
        test_bus_put32(0x3000 + 4 * t[1], 0x6000);
        u32 sp = cpu.r[15];
        test_bus_log(true);
        u64 c0 = cpu.cycles;
        EXPECT_EQ(harness_step(&cpu), 0x6000u);
        EXPECT_EQ(cpu.cycles - c0, 8u);
        EXPECT_EQ(cpu.last_ea, 0x3000 + 4 * t[1]);
        EXPECT_EQ(cpu.r[15], sp - 8);
        EXPECT_EQ(cpu.sr, 0x213u);
        const auto& log = test_bus_accesses();
        ASSERT_EQ(log.size(), 4u);  // fetch, SR, return address, vector
        EXPECT_EQ(log[1].kind, 'w');
        EXPECT_EQ(log[1].address, sp - 4);
        EXPECT_EQ(log[1].value, 0x213u);
        EXPECT_EQ(log[2].kind, 'w');
        EXPECT_EQ(log[2].address, sp - 8);
        EXPECT_EQ(log[2].value, a + 2);
        EXPECT_EQ(log[3].kind, 'r');
        EXPECT_EQ(log[3].address, 0x3000 + 4 * t[1]);
    }
}

TEST_F(Cpu, IllegalInstructionFrame) {
    for (u32 snippet : {26u, 27u}) {  // 0xFFFF and 0x0000
        SCOPED_TRACE(snippet);
        load("branch_steps", snippet);
        cpu.vbr = 0x3000;
        cpu.sr = 0x0F3;
        test_bus_put32(0x3000 + 16, 0x6000);
        test_bus_put32(0x3000 + 24, 0x6600);  // vector 6 must not be taken
        u32 sp = cpu.r[15];
        u64 c0 = cpu.cycles;
        EXPECT_EQ(harness_step(&cpu), 0x6000u);
        EXPECT_EQ(cpu.cycles - c0, 6u);
        EXPECT_EQ(test_bus_get32(sp - 4), 0x0F3u);
        EXPECT_EQ(test_bus_get32(sp - 8), a);
    }
}

// TRAPA, then an illegal instruction, each handled and returned from with
// RTE: the program continues where it should, with its stack and SR back.
TEST_F(Cpu, ExceptionsReturnThroughRte) {
    load("irq_steps", 3);
    vector(0x21, 0);
    test_bus_put32(16, snippet_address(16));
    cpu.sr = 0x301;
    ASSERT_EQ(sh2_run(&cpu, 200), 0);
    EXPECT_EQ(cpu.r[9], 1u);   // TRAPA handler ran once
    EXPECT_EQ(cpu.r[10], 1u);  // illegal handler ran once
    EXPECT_EQ(cpu.r[8], 2u);   // both returns landed past their instruction
    EXPECT_EQ(cpu.r[15], STACK_TOP);
    EXPECT_EQ(cpu.sr, 0x301u);
}

TEST_F(Cpu, SleepStates) {
    load("branch_steps", 30);
    u64 c0 = cpu.cycles;
    EXPECT_EQ(harness_step(&cpu), a);  // 0 -> 1, stays on the SLEEP
    EXPECT_EQ(cpu.cycles - c0, 3u);
    EXPECT_EQ(cpu.sleep_state, 1);
    EXPECT_EQ(harness_step(&cpu), a);  // 1 stays 1
    EXPECT_EQ(cpu.sleep_state, 1);
    cpu.sleep_state = 2;  // woken: moves past
    EXPECT_EQ(harness_step(&cpu), a + 2);
    EXPECT_EQ(cpu.sleep_state, 0);
    // A state out of range (a damaged snapshot) behaves as running.
    cpu.pc = a;
    cpu.sleep_state = 7;
    EXPECT_EQ(harness_step(&cpu), a);
    EXPECT_EQ(cpu.sleep_state, 1);
}

TEST_F(Cpu, NmiWakesASleepingCpu) {
    load("irq_steps", 2);
    vector(11, 0);
    ASSERT_EQ(sh2_run(&cpu, 20), 0);
    cpu.nmi_pending = 1;
    cpu.irq_recheck = 1;
    ASSERT_EQ(sh2_run(&cpu, 21), 0);
    EXPECT_EQ(cpu.sleep_state, 2);
    EXPECT_EQ(cpu.pc, handler(0) + 2);
}

// The record's pc is the address of the instruction whose bus accesses are
// being made; it moves only when the step is over.
Sh2State* watched = nullptr;
std::vector<std::pair<u32, u32>> seen;  // (access address, pc at that time)
void watch(const TestBusAccess& acc) { seen.push_back({acc.address, watched->pc}); }

TEST_F(Cpu, PcIsTheRunningInstructionsAddress) {
    load("branch_steps", 29);  // MOV.L @R1,R2
    cpu.r[1] = D;
    watched = &cpu;
    seen.clear();
    test_bus_set_hook(watch);
    ASSERT_EQ(sh2_run(&cpu, 1), 0);
    test_bus_set_hook(nullptr);
    bool found = false;
    for (auto& s : seen)
        if (s.first == D) {
            found = true;
            EXPECT_EQ(s.second, a);
        }
    EXPECT_TRUE(found);
    EXPECT_EQ(cpu.pc, a + 2);
}

TEST_F(Cpu, PcStaysOnTheBranchWhileItsSlotRuns) {
    load("branch_steps", 28);  // JSR @R3 / MOV.L @R1,R2
    cpu.r[1] = D;
    cpu.r[3] = 0x6000;
    watched = &cpu;
    seen.clear();
    test_bus_set_hook(watch);
    ASSERT_EQ(sh2_run(&cpu, 1), 0);
    test_bus_set_hook(nullptr);
    bool found = false;
    for (auto& s : seen)
        if (s.first == D) {
            found = true;
            EXPECT_EQ(s.second, a);
        }
    EXPECT_TRUE(found);
    EXPECT_EQ(cpu.pc, 0x6000u);
}

TEST_F(Cpu, PcIsTheTrapasAddressWhileItPushes) {
    load("branch_steps", 24);
    test_bus_put32(4 * 0x20, 0x6000);
    watched = &cpu;
    seen.clear();
    u32 sp = cpu.r[15];
    test_bus_set_hook(watch);
    ASSERT_EQ(sh2_run(&cpu, 1), 0);
    test_bus_set_hook(nullptr);
    int pushes = 0;
    for (auto& s : seen)
        if (s.first == sp - 4 || s.first == sp - 8) {
            pushes++;
            EXPECT_EQ(s.second, a);
        }
    EXPECT_EQ(pushes, 2);
    EXPECT_EQ(cpu.pc, 0x6000u);
}

// A level raised while a delay slot runs waits for the step to finish: the
// pushed return address is the branch target, never the slot.
void raise_on_data_read(const TestBusAccess& acc) {
    if (acc.kind == 'r' && acc.address == D) sh2_set_irq(watched, 5, 1);
}

TEST_F(Cpu, NoInterruptBetweenABranchAndItsSlot) {
    load("branch_steps", 28);  // JSR @R3 / MOV.L @R1,R2
    cpu.sr = 0;
    cpu.r[1] = D;
    cpu.r[3] = snippet_address(29);
    test_bus_put32(4 * 66, snippet_address(29));
    u32 sp = cpu.r[15];
    watched = &cpu;
    test_bus_set_hook(raise_on_data_read);
    ASSERT_EQ(sh2_run(&cpu, 1), 0);
    test_bus_set_hook(nullptr);
    EXPECT_EQ(cpu.pc, snippet_address(29));
    EXPECT_EQ(cpu.r[15], sp);
    EXPECT_EQ(cpu.irl_pending, 1u << 5);
    ASSERT_EQ(sh2_run(&cpu, cpu.cycles + 1), 0);
    EXPECT_EQ(cpu.irl_pending, 0u);
    EXPECT_EQ(cpu.r[15], sp - 8);
    EXPECT_EQ(test_bus_get32(sp - 8), snippet_address(29));
}

}  // namespace
