// The run loop: cycle targets, sleeping and idle CPUs, interrupts, stops,
// the diagnostics (process-wide, so compared before and after) and their
// standard-error texts, and a provider with code for some addresses.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sh2_harness.h"

namespace {

constexpr u32 BASE = 0x400000;
constexpr u32 STRAIGHT = BASE + 0x000;        // 600 x "add #1,r1", then a spin
constexpr u32 SLEEPER = BASE + 0x800;         // sleep; add #1,r3; spin
constexpr u32 HANDLER = BASE + 0x880;         // add #1,r4; rte; nop
constexpr u32 STOP_JUMP = BASE + 0x900;       // mov #-1,r1; jmp @r1; nop
constexpr u32 STOP_JUMP_MOVA = BASE + 0x980;  // the same with mova in the slot
constexpr u32 TWO_CYCLES = BASE + 0xA00;      // mul.l r1,r2; spin back
constexpr u32 TRAP = BASE + 0xA80;            // trapa #32
constexpr u32 STACK = 0x7F000;

class RunLoop : public ::testing::Test {
protected:
    Sh2State cpu;
    void SetUp() override {
        test_bus_reset();
        test_provider_set(nullptr);
        ASSERT_GT(test_bus_load_file(RUNTIME_PROGRAM_DIR "/run_loop.bin", BASE), 0xA80u);
        test_bus_put32(4, STACK);
        test_bus_put32(4 * 66, HANDLER);  // external level 5
        start_at(STRAIGHT);
    }

    void TearDown() override {
        test_provider_set(nullptr);
        sh2_set_strict(0);
    }
    void start_at(u32 pc) {
        test_bus_put32(0, pc);
        sh2_reset(&cpu);
    }
};

u32 fallback_len() { return sh2_fallback_pcs(nullptr); }
u32 fallback_at(u32 i) {
    const u32* list = nullptr;
    return i < sh2_fallback_pcs(&list) ? list[i] : 0xDEADBEEF;
}

TEST_F(RunLoop, IdleCpuSkipsItsSlice) {
    cpu.idle = 1;
    EXPECT_EQ(sh2_run(&cpu, 1000), 0);
    EXPECT_TRUE(cpu.cycles == 1000 && cpu.steps == 0 && cpu.r[1] == 0);
    EXPECT_EQ(test_provider_calls(), 0u);
}

TEST_F(RunLoop, TargetNotAboveCyclesChangesNothing) {
    cpu.cycles = 500;
    cpu.irq_recheck = 1;
    cpu.sr = 0;
    sh2_set_irq(&cpu, 5, 1);
    Sh2State before = cpu;
    u64 count = sh2_fallback_count();
    EXPECT_EQ(sh2_run(&cpu, 500), 0);
    EXPECT_EQ(sh2_run(&cpu, 100), 0);
    EXPECT_EQ(memcmp(&before, &cpu, sizeof cpu), 0);
    EXPECT_EQ(sh2_fallback_count(), count);
    EXPECT_EQ(test_provider_calls(), 0u);
}

TEST_F(RunLoop, RunsUntilTargetAndKeepsTheOvershoot) {
    u64 count = sh2_fallback_count();
    EXPECT_EQ(sh2_run(&cpu, 10), 0);
    EXPECT_EQ(sh2_fallback_count(), count + 10);
    EXPECT_EQ(cpu.cycles, 10u);
    EXPECT_EQ(cpu.steps, 10u);
    EXPECT_EQ(cpu.r[1], 10u);
    EXPECT_EQ(cpu.pc, STRAIGHT + 20);
    // MUL.L costs two cycles: a target one cycle away ends one cycle late,
    // and the surplus stays in the count.
    start_at(TWO_CYCLES);
    cpu.cycles = 1000;
    EXPECT_EQ(sh2_run(&cpu, 1001), 0);
    EXPECT_EQ(cpu.cycles, 1002u);
    EXPECT_EQ(cpu.steps, 1u);
    EXPECT_EQ(cpu.pc, TWO_CYCLES + 2);
}

TEST_F(RunLoop, SleepingCpuSkipsItsSliceUntilAnInterruptWakesIt) {
    start_at(SLEEPER);
    cpu.sr = 0x50;  // IMASK 5
    // SLEEP costs 3 and stays on itself; the rest of each slice is skipped,
    // even when a masked level makes the loop look.
    EXPECT_EQ(sh2_run(&cpu, 100), 0);
    EXPECT_EQ(cpu.sleep_state, 1);
    EXPECT_EQ(cpu.pc, SLEEPER);
    u64 count = sh2_fallback_count();
    sh2_set_irq(&cpu, 5, 1);
    EXPECT_EQ(sh2_run(&cpu, 5000), 0);
    EXPECT_EQ(cpu.cycles, 5000u);
    EXPECT_EQ(cpu.steps, 1u);
    EXPECT_EQ(cpu.sleep_state, 1);
    EXPECT_EQ(cpu.irl_pending, 1u << 5);
    EXPECT_EQ(sh2_fallback_count(), count);
    // Unmasked, it is accepted at no cost: a one-cycle slice runs the
    // handler's first instruction; RTE then returns to the SLEEP, which moves on.
    cpu.sr = 0;
    cpu.irq_recheck = 1;
    EXPECT_EQ(sh2_run(&cpu, 5001), 0);
    EXPECT_EQ(cpu.r[4], 1u);
    EXPECT_EQ(cpu.pc, HANDLER + 2);
    EXPECT_EQ(cpu.cycles, 5001u);
    EXPECT_EQ(cpu.sleep_state, 2);
    EXPECT_EQ(test_bus_get32(STACK - 8), SLEEPER);
    EXPECT_EQ(sh2_run(&cpu, 5100), 0);
    EXPECT_EQ(cpu.sleep_state, 0);
    EXPECT_EQ(cpu.r[3], 1u);
    EXPECT_EQ(cpu.r[4], 1u);
    EXPECT_EQ(cpu.r[15], STACK);
}

TEST_F(RunLoop, InterruptsAreTakenOnlyWhenTheRecheckFlagIsSet) {
    cpu.sr = 0;
    cpu.irl_pending = 1u << 5;  // pending, but nobody asked for a recheck
    sh2_run(&cpu, 3);
    EXPECT_EQ(cpu.pc, STRAIGHT + 6);
    EXPECT_EQ(cpu.r[4], 0u);
    cpu.irq_recheck = 1;
    sh2_run(&cpu, 4);
    EXPECT_EQ(cpu.irq_recheck, 0);
    EXPECT_EQ(cpu.r[4], 1u);
    EXPECT_EQ(cpu.pc, HANDLER + 2);
    EXPECT_EQ(test_bus_get32(STACK - 8), STRAIGHT + 6);
}

TEST_F(RunLoop, BranchToTheStopAddressStopsAtTheBranch) {
    start_at(STOP_JUMP);
    u64 count = sh2_fallback_count();
    EXPECT_EQ(sh2_run(&cpu, 1000), -1);
    EXPECT_EQ(cpu.steps, 1u);                    // the MOV only; the failed step is not counted
    EXPECT_EQ(sh2_fallback_count(), count + 2);  // but it was interpreted
    EXPECT_EQ(cpu.pc, STOP_JUMP + 2);
    // Running again tries the same instruction again.
    EXPECT_EQ(sh2_run(&cpu, 1000), -1);
    EXPECT_EQ(sh2_failed_pc(), STOP_JUMP + 2);
    EXPECT_EQ(cpu.pc, STOP_JUMP + 2);
    // A MOVA in the slot uses pc for its own arithmetic; the stop still
    // leaves pc on the branch.
    start_at(STOP_JUMP_MOVA);
    EXPECT_EQ(sh2_run(&cpu, 1000), -1);
    EXPECT_EQ(sh2_failed_pc(), STOP_JUMP_MOVA + 2);
    EXPECT_EQ(cpu.pc, STOP_JUMP_MOVA + 2);
    EXPECT_EQ(cpu.r[0], STOP_JUMP_MOVA + 0xC);  // the slot did run
    // An exception vector holding the stop address stops on the instruction.
    start_at(TRAP);
    test_bus_put32(32 * 4, SH2_STOP);
    EXPECT_EQ(sh2_run(&cpu, 1000), -1);
    EXPECT_EQ(sh2_failed_pc(), TRAP);
    EXPECT_EQ(cpu.pc, TRAP);
}

// "Translated code" for two addresses of the straight run: ten ADDs at
// STRAIGHT and two at STRAIGHT + 24, each with its own cycles and mark in R5.
u32 two_blocks(Sh2State* c) {
    if (c->pc == STRAIGHT) {
        c->r[1] += 10;
        c->r[5] += 1;
        c->cycles += 7;
        return STRAIGHT + 20;
    }
    if (c->pc == STRAIGHT + 24) {
        c->r[1] += 2;
        c->r[5] += 0x100;
        c->cycles += 2;
        return STRAIGHT + 28;
    }
    return SH2_STOP;
}

// Strict mode stops where translated code is missing (translated code still
// runs) and prints the address, the step count and the last sixteen PCs.
TEST_F(RunLoop, StrictModeReportsMissingCode) {
    sh2_run(&cpu, 20);
    sh2_set_strict(1);
    u64 count = sh2_fallback_count();
    testing::internal::CaptureStderr();
    EXPECT_EQ(sh2_run(&cpu, 100), -1);
    std::string text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(sh2_failed_pc(), STRAIGHT + 40);
    EXPECT_EQ(cpu.pc, STRAIGHT + 40);
    EXPECT_EQ(cpu.steps, 20u);
    EXPECT_EQ(cpu.cycles, 20u);
    EXPECT_EQ(sh2_fallback_count(), count);
    std::string expected = "SH-2: missing translated code at 00400028 (after 20 instructions)\nlast PCs:";
    for (u32 i = 0; i < 16; i++) {
        char pc[16];
        snprintf(pc, sizeof pc, " %08X", STRAIGHT + 40 - 2 * i);
        expected += pc;
    }
    EXPECT_EQ(text, expected + "\n");
    start_at(STRAIGHT);
    test_provider_set(two_blocks);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sh2_run(&cpu, 100), -1);
    text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(cpu.steps, 1u);
    EXPECT_EQ(cpu.cycles, 7u);
    EXPECT_EQ(sh2_failed_pc(), STRAIGHT + 20);
    EXPECT_EQ(text.rfind("SH-2: missing translated code at 00400014 (after 1 instructions)\n"
                         "last PCs: 00400014 00400000",
                         0),
              0u)
        << text;
}

TEST(RunDiagnostics, UnmodelledInstructionMessage) {
    Sh2State cpu{};
    testing::internal::CaptureStderr();
    u32 result = sh2_unmodelled_instruction(&cpu, 0x0600ABCE);
    std::string text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, SH2_STOP);
    EXPECT_EQ(text, "SH-2: reached an instruction the translator does not model at 0600ABCE\n");
}

TEST_F(RunLoop, ProviderCodeRunsWhereItExistsAndTheInterpreterElsewhere) {
    test_provider_set(two_blocks);
    u64 count = sh2_fallback_count();
    // block (7 cycles), 2 interpreted ADDs, block (2), 1 interpreted ADD.
    EXPECT_EQ(sh2_run(&cpu, 12), 0);
    EXPECT_EQ(cpu.cycles, 12u);
    EXPECT_EQ(cpu.pc, STRAIGHT + 30);
    EXPECT_EQ(cpu.r[1], 15u);
    EXPECT_EQ(cpu.r[5], 0x101u);
    EXPECT_EQ(cpu.steps, 5u);  // a block counts as one step
    EXPECT_EQ(sh2_fallback_count(), count + 3);
    EXPECT_EQ(test_provider_calls(), 5u);  // asked before every iteration
    // An interrupt is taken before translated code: the block's address is
    // pushed and the handler runs instead.
    start_at(STRAIGHT);
    cpu.sr = 0;
    sh2_set_irq(&cpu, 5, 1);
    sh2_run(&cpu, 1);
    EXPECT_EQ(cpu.r[4], 1u);
    EXPECT_EQ(cpu.r[5], 0u);
    EXPECT_EQ(test_bus_get32(STACK - 8), STRAIGHT);
}

// The fallback list is process-wide, never cleared and capped at 256
// entries, so the other tests fill it: it is checked in a fresh process
// (the death-test child re-executes the binary), where it starts empty.
TEST_F(RunLoop, FallbackListRecordsEachCallsFirstInterpretedAddress) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto scenario = [this]() {
        int failures = 0;
        auto check = [&failures](bool ok, const char* what) {
            if (!ok && failures++ < 5) fprintf(stderr, "failed: %s\n", what);
        };
        check(fallback_len() == 0, "the list starts empty");
        // The interpreter takes over after each translated block.
        test_provider_set(two_blocks);
        sh2_run(&cpu, 12);
        check(fallback_len() == 2 && fallback_at(0) == STRAIGHT + 20 && fallback_at(1) == STRAIGHT + 28,
              "the addresses after the blocks");
        test_provider_set(nullptr);
        // Forty interpreted instructions in one call add one address; a listed one is not added again.
        const u32 fresh = STRAIGHT + 0x200;
        start_at(fresh);
        sh2_run(&cpu, 40);
        check(fallback_len() == 3 && fallback_at(2) == fresh, "only the call's first address");
        start_at(fresh);
        sh2_run(&cpu, 1);
        check(fallback_len() == 3, "no duplicate");
        // One instruction per call, each at a new address, past 256 calls.
        start_at(fresh + 2);
        for (int i = 0; i < 300; i++) {
            u32 n = fallback_len(), pc = cpu.pc;
            sh2_run(&cpu, cpu.cycles + 1);
            if (n < 256)
                check(fallback_len() == n + 1 && fallback_at(n) == pc, "each call adds its first address");
            else
                check(fallback_len() == 256, "the list stops at 256 entries");
        }
        check(fallback_at(255) == fresh + 2 * 253, "the last entry kept");
        std::exit(failures == 0 ? 0 : 1);
    };
    EXPECT_EXIT(scenario(), ::testing::ExitedWithCode(0), "");
}

// The same C routines compiled for the host, to compare with the SH-2 run.
namespace host {
#include "run/c/compare.c"
}  // namespace host

TEST(CompiledProgram, InterpreterComputesWhatTheHostComputes) {
#ifndef COMPARE_PROGRAM
    GTEST_SKIP() << "no SH cross compiler on this machine";
#else
    constexpr u32 LOAD = 0x500000, IN = 0x600000, OUT = 0x600100, DONE = 0x600400;
    u32 seed = 0x2545F491;
    for (int round = 0; round < 4; round++) {
        test_bus_reset();
        size_t n = test_bus_load_file(COMPARE_PROGRAM, LOAD);
        ASSERT_TRUE(n > 0 && n < IN - LOAD) << n;
        test_bus_put32(0, LOAD);
        test_bus_put32(4, STACK);
        unsigned int in[32];
        for (u32 i = 0; i < 32; i++) in[i] = xorshift(seed);
        if (round == 0) {  // extremes of both signednesses
            const unsigned int extremes[][2] = {{0, 0x80000000u}, {1, 0x7FFFFFFFu},  {2, 0},
                                                {3, 0xFFFFFFFFu}, {16, 0x80000000u}, {17, 0xFFFFFFF6u}};
            for (auto [i, v] : extremes) in[i] = v;
        }
        for (u32 i = 0; i < 32; i++) test_bus_put32(IN + 4 * i, in[i]);
        Sh2State cpu;
        sh2_reset(&cpu);
        while (test_bus_get32(DONE) != 0x600DF00Du && cpu.cycles < 20000000) {
            ASSERT_EQ(sh2_run(&cpu, cpu.cycles + 10000), 0) << std::hex << sh2_failed_pc();
        }
        ASSERT_EQ(test_bus_get32(DONE), 0x600DF00Du) << "the program did not finish";
        EXPECT_EQ(cpu.r[15], STACK);
        unsigned int want[64];
        host::cmp_run(in, 32, want);
        for (u32 i = 0; i < 64; i++) EXPECT_EQ(test_bus_get32(OUT + 4 * i), want[i]) << "round " << round << ", " << i;
    }
#endif
}

}  // namespace
