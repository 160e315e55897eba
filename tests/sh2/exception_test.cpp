// Reset, interrupt acceptance and masking, exception frames (TRAPA,
// illegal instructions, RTE), SLEEP and wake-up, and the rule that pc holds
// the running instruction's own address until its step returns.
#include <gtest/gtest.h>

#include "sh2_harness.h"

namespace {

constexpr u32 D = 0x40000;

// irq_steps.s: snippets 8 and 9 are handlers starting with a NOP.
u32 handler(u32 k) { return snippet_address(8 + k); }

class Cpu : public ::testing::Test {
protected:
    void load(const char* program, u32 snippet) {
        ASSERT_TRUE(harness_load(&cpu, program, snippet));
        a = cpu.pc;
    }
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
    for (int i = 0; i < 16; i++) EXPECT_EQ(cpu.r[i], i == 15 ? 0x00ABCDE0u : 0u) << i;
    EXPECT_EQ(cpu.pc, 0x00001234u);
    EXPECT_EQ(cpu.sr, 0xF0u);
    EXPECT_EQ(cpu.pr | cpu.gbr | cpu.vbr | cpu.mach | cpu.macl | cpu.last_ea | cpu.reserved | cpu.irl_pending, 0u);
    EXPECT_EQ(cpu.cycles | cpu.steps | cpu.onchip_vector, 0u);
    EXPECT_EQ(cpu.onchip_level, -1);
    EXPECT_EQ(cpu.nmi_pending | cpu.sleep_state | cpu.irq_recheck | cpu.idle, 0);
    const auto& log = test_bus_accesses();  // PC, then SP
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[0].address == 0 && log[0].size == 4 && log[1].address == 4 && log[1].size == 4);
}

TEST_F(Cpu, RaisingAndWithdrawingLevels) {
    load("irq_steps", 0);
    cpu.idle = 1;
    sh2_set_irq(&cpu, 5, 1);
    EXPECT_TRUE(cpu.irl_pending == 1u << 5 && cpu.irq_recheck == 1 && cpu.idle == 0);
    // Raising a level already pending ends an idle wait but asks for no re-check.
    cpu.irq_recheck = 0;
    cpu.idle = 1;
    sh2_set_irq(&cpu, 5, 1);
    EXPECT_TRUE(cpu.idle == 0 && cpu.irq_recheck == 0);
    // Withdrawing clears the bit and leaves the re-check flag alone, set or clear.
    sh2_set_irq(&cpu, 5, 0);
    EXPECT_TRUE(cpu.irl_pending == 0 && cpu.irq_recheck == 0);
    sh2_set_irq(&cpu, 7, 1);
    sh2_set_irq(&cpu, 7, 0);
    EXPECT_TRUE(cpu.irl_pending == 0 && cpu.irq_recheck == 1);
    sh2_set_irq(&cpu, 31, 1);
    EXPECT_EQ(cpu.irl_pending, 0x80000000u);
    // On-chip posts: level 0 asks for a re-check, -1 does not.
    cpu.irq_recheck = 0;
    sh2_set_onchip_irq(&cpu, -1, 0x44);
    EXPECT_TRUE(cpu.irq_recheck == 0 && cpu.onchip_level == -1);
    sh2_set_onchip_irq(&cpu, 0, 0xFFFFFFFF);
    EXPECT_TRUE(cpu.irq_recheck == 1 && cpu.onchip_level == 0 && cpu.onchip_vector == 0xFFFFFFFFu);
}

// Acceptance pushes SR then PC, sets IMASK to the level, costs no cycles
// and starts the handler in the same call.
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
    const auto& log = test_bus_accesses();
    ASSERT_GE(log.size(), 2u);
    EXPECT_TRUE(log[0].kind == 'w' && log[0].address == sp - 4 && log[0].value == 0x301u);
    EXPECT_TRUE(log[1].kind == 'w' && log[1].address == sp - 8 && log[1].value == a);
}

// Which request is accepted: vector 64 + level / 2, strictly above IMASK
// (which saturates at 15), the higher level first, on-chip winning a tie,
// NMI regardless of the mask. The CPU sleeps, and only an acceptance wakes it.
TEST_F(Cpu, AcceptanceOrderAndMasking) {
    const struct {
        const char* what;
        u32 sr, levels;
        int onchip_level;
        u32 onchip_vector, nmi, vector;  // vector 0: nothing accepted
        u32 want_sr, want_pending;
        int want_onchip;
    } cases[] = {
        {"level 1", 0, 1u << 1, -1, 0, 0, 64, 0x10, 0, -1},
        {"level 2", 0, 1u << 2, -1, 0, 0, 65, 0x20, 0, -1},
        {"level 5", 0, 1u << 5, -1, 0, 0, 66, 0x50, 0, -1},
        {"level 9", 0, 1u << 9, -1, 0, 0, 68, 0x90, 0, -1},
        {"level 14", 0, 1u << 14, -1, 0, 0, 71, 0xE0, 0, -1},
        {"level 15", 0, 1u << 15, -1, 0, 0, 71, 0xF0, 0, -1},
        {"level 20 above IMASK 15", 0xF0, 1u << 20, -1, 0, 0, 74, 0xF0, 0, -1},
        {"level 15 under IMASK 15", 0xF0, 1u << 15, -1, 0, 0, 0, 0xF0, 1u << 15, -1},
        {"level 5 under IMASK 5", 0x50, 1u << 5, -1, 0, 0, 0, 0x50, 1u << 5, -1},
        {"levels 5 and 6 under IMASK 5", 0x51, (1u << 5) | (1u << 6), -1, 0, 0, 67, 0x61, 1u << 5, -1},
        {"levels 9 and 11", 0x80, (1u << 9) | (1u << 11), -1, 0, 0, 69, 0xB0, 1u << 9, -1},
        {"on-chip wins a tie", 0, 1u << 9, 9, 0x50, 0, 0x50, 0x90, 1u << 9, -1},
        {"higher external beats on-chip", 0, 1u << 11, 9, 0x50, 0, 69, 0xB0, 0, 9},
        {"on-chip level 0 never", 0, 0, 0, 0x42, 0, 0, 0, 0, 0},
        {"on-chip alone", 0, 0, 3, 0x42, 0, 0x42, 0x30, 0, -1},
        {"NMI ignores the mask", 0xF1, 0, -1, 0, 1, 11, 0xF1, 0, -1},
        {"NMI raises IMASK to 15", 0x31, 0, -1, 0, 1, 11, 0xF1, 0, -1},
        // The NMI is taken at this check, ahead of an acceptable level, which waits for a re-check.
        {"NMI before a level", 0x00, 1u << 5, 3, 0x42, 1, 11, 0xF0, 1u << 5, 3},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        load("irq_steps", 0);
        if (k.vector) vector(k.vector, 1);
        cpu.sr = k.sr;
        for (u32 l = 0; l < 32; l++)
            if ((k.levels >> l) & 1) sh2_set_irq(&cpu, l, 1);
        if (k.onchip_level >= 0) sh2_set_onchip_irq(&cpu, k.onchip_level, k.onchip_vector);
        cpu.nmi_pending = k.nmi;
        cpu.irq_recheck = 1;
        cpu.sleep_state = 1;
        u32 sp = cpu.r[15];
        run_one();
        EXPECT_EQ(cpu.pc, k.vector ? handler(1) + 2 : a);
        EXPECT_EQ(cpu.sleep_state, k.vector ? 2 : 1);
        EXPECT_EQ(cpu.sr, k.want_sr);
        EXPECT_EQ(cpu.irl_pending, k.want_pending);
        EXPECT_EQ(cpu.onchip_level, k.want_onchip);
        EXPECT_EQ(cpu.nmi_pending, 0);
        EXPECT_EQ(cpu.irq_recheck, 0);
        EXPECT_EQ(cpu.r[15], k.vector ? sp - 8 : sp);
        EXPECT_EQ(test_bus_get32(sp - 4), k.vector ? k.sr : 0u);
    }
}

// The board's idle detection ends slices early, but a request posted while
// the CPU idles is still accepted at the next check: the handler is entered
// and its frame pushed before the slice ends.
TEST_F(Cpu, OnChipRequestPostedWhileIdlingIsAccepted) {
    load("irq_steps", 0);
    vector(0x42, 1);
    cpu.sr = 0;
    cpu.idle = 1;
    sh2_set_onchip_irq(&cpu, 3, 0x42);
    const u32 sp = cpu.r[15];
    ASSERT_EQ(sh2_run(&cpu, 100), 0);
    EXPECT_EQ(cpu.pc, handler(1));
    EXPECT_EQ(cpu.sr, 0x30u);
    EXPECT_EQ(cpu.onchip_level, -1);
    EXPECT_EQ(test_bus_get32(sp - 8), a);
    EXPECT_EQ(cpu.cycles, 100u);  // the slice still ends at its target
    EXPECT_EQ(cpu.idle, 1);
}

TEST_F(Cpu, TrapaAndIllegalInstructionFrames) {
    // Snippets: TRAPA #0x20, TRAPA #255, then the opcodes 0xFFFF and 0x0000.
    const u32 cases[][3] = {{24, 0x20, 8}, {25, 0xFF, 8}, {26, 4, 6}, {27, 4, 6}};  // snippet, vector, cycles
    for (auto k : cases) {
        SCOPED_TRACE(k[0]);
        load("branch_steps", k[0]);
        cpu.vbr = 0x3000;
        cpu.sr = 0x213;
        test_bus_put32(0x3000 + 4 * k[1], 0x6000);
        test_bus_put32(0x3000 + 24, 0x6600);  // vector 6 must not be taken
        u32 sp = cpu.r[15];
        test_bus_log(true);
        EXPECT_EQ(harness_step(&cpu), 0x6000u);
        EXPECT_EQ(cpu.cycles, k[2]);
        EXPECT_TRUE(cpu.r[15] == sp - 8 && cpu.sr == 0x213u);
        // SR, then the return address (TRAPA's next, an illegal instruction's own), then the vector.
        const auto& log = test_bus_accesses();
        ASSERT_EQ(log.size(), 4u);
        EXPECT_TRUE(log[1].kind == 'w' && log[1].address == sp - 4 && log[1].value == 0x213u);
        EXPECT_TRUE(log[2].kind == 'w' && log[2].address == sp - 8 && log[2].value == (k[1] == 4 ? a : a + 2));
        EXPECT_TRUE(log[3].kind == 'r' && log[3].address == 0x3000 + 4 * k[1]);
        if (k[1] != 4) {
            EXPECT_EQ(cpu.last_ea, 0x3000 + 4 * k[1]);
        }
    }
}

TEST_F(Cpu, SleepStates) {
    load("branch_steps", 30);
    const int states[][3] = {{0, 1, 0}, {1, 1, 0}, {2, 0, 2}, {7, 1, 0}};  // before, after, pc advance
    for (auto k : states) {  // 7: out of range (a damaged snapshot), behaves as running
        cpu.pc = a;
        cpu.sleep_state = k[0];
        u64 c0 = cpu.cycles;
        EXPECT_EQ(harness_step(&cpu), a + k[2]) << k[0];
        EXPECT_EQ(cpu.sleep_state, k[1]) << k[0];
        EXPECT_EQ(cpu.cycles - c0, 3u) << k[0];
    }
}

// The record's pc is the address of the instruction whose bus accesses are
// being made (a delayed branch's while its slot runs, TRAPA's while it
// pushes); it moves only when the step is over.
Sh2State* watched = nullptr;
u32 watched_pc = 0, watch_hits = 0, watch_wrong = 0;
void watch(const TestBusAccess& acc) {
    if (acc.address != D && acc.kind != 'w') return;  // the data read, or TRAPA's pushes
    watch_hits++;
    if (watched->pc != watched_pc) watch_wrong++;
    // A level raised while a slot runs must wait for the end of the step.
    if (acc.kind == 'r') sh2_set_irq(watched, 5, 1);
}

TEST_F(Cpu, PcIsTheRunningInstructionsAddress) {
    // MOV.L @R1,R2; JSR @R3 / MOV.L @R1,R2; TRAPA #0x20
    const u32 cases[][3] = {{29, 1, snippet_address(29) + 2}, {28, 1, 0x6000}, {24, 2, 0x6000}};  // snippet, hits, pc
    for (auto k : cases) {
        SCOPED_TRACE(k[0]);
        load("branch_steps", k[0]);
        cpu.sr = 0;
        cpu.r[1] = D;
        cpu.r[3] = 0x6000;
        test_bus_put32(4 * 0x20, 0x6000);
        test_bus_put32(4 * 66, snippet_address(29));
        u32 sp = cpu.r[15];
        watched = &cpu;
        watched_pc = a;
        watch_hits = watch_wrong = 0;
        test_bus_set_hook(watch);
        ASSERT_EQ(sh2_run(&cpu, 1), 0);
        test_bus_set_hook(nullptr);
        EXPECT_EQ(watch_hits, k[1]);
        EXPECT_EQ(watch_wrong, 0u);
        EXPECT_EQ(cpu.pc, k[2]);
        if (k[0] == 24) continue;
        // The level raised during the step is taken only now, returning to
        // the branch target rather than into the slot.
        EXPECT_EQ(cpu.irl_pending, 1u << 5);
        EXPECT_EQ(cpu.r[15], sp);
        ASSERT_EQ(sh2_run(&cpu, cpu.cycles + 1), 0);
        EXPECT_EQ(cpu.irl_pending, 0u);
        EXPECT_EQ(test_bus_get32(sp - 8), k[2]);
    }
}

}  // namespace
