// The run loop: cycle targets, sleeping and idle CPUs, interrupts taken at
// the top of an iteration, stops, the diagnostics kept beside the loop and
// their standard-error texts, and a provider that has translated code for
// some addresses.
//
// The diagnostics are process-wide and never reset, so the tests compare
// them before and after; the fallback list, which the other tests fill, is
// checked in a fresh process.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sh2/sh2.h"
#include "test_bus.h"
#include "test_provider.h"

namespace {

constexpr u32 BASE = 0x400000;
constexpr u32 STRAIGHT = BASE + 0x000;  // 600 x "add #1,r1", then a spin
constexpr u32 SPIN = BASE + 0x4B0;
constexpr u32 SLEEPER = BASE + 0x800;  // sleep; add #1,r3; spin
constexpr u32 HANDLER = BASE + 0x880;  // add #1,r4; rte; nop
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
        FILE* f = fopen(RUNTIME_PROGRAM_DIR "/run_loop.bin", "rb");
        ASSERT_NE(f, nullptr) << "run_loop.bin missing";
        size_t n = fread(test_bus_memory() + BASE, 1, 0x1000, f);
        fclose(f);
        ASSERT_GT(n, 0xA80u);
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

    u32 fallback_len() { return sh2_fallback_pcs(nullptr); }
    u32 fallback_at(u32 i) {
        const u32* list = nullptr;
        u32 n = sh2_fallback_pcs(&list);
        return i < n ? list[i] : 0xDEADBEEF;
    }
};

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
    EXPECT_EQ(sh2_run(&cpu, 10), 0);
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

TEST_F(RunLoop, FallbackCountCountsInterpretedInstructions) {
    u64 count = sh2_fallback_count();
    sh2_run(&cpu, 25);
    EXPECT_EQ(sh2_fallback_count(), count + 25);
}

TEST_F(RunLoop, SleepingCpuSkipsItsSlice) {
    start_at(SLEEPER);
    cpu.sr = 0;  // IMASK 0
    EXPECT_EQ(sh2_run(&cpu, 100), 0);
    // SLEEP costs 3 and leaves the CPU on itself; the rest of the slice is
    // skipped without running anything.
    EXPECT_EQ(cpu.sleep_state, 1);
    EXPECT_EQ(cpu.pc, SLEEPER);
    EXPECT_EQ(cpu.steps, 1u);
    EXPECT_EQ(cpu.cycles, 100u);

    u64 count = sh2_fallback_count();
    EXPECT_EQ(sh2_run(&cpu, 5000), 0);
    EXPECT_EQ(cpu.cycles, 5000u);
    EXPECT_EQ(cpu.steps, 1u);
    EXPECT_EQ(sh2_fallback_count(), count);

    // A masked level makes the loop look, but the CPU sleeps on and the
    // level stays pending.
    cpu.sr = 0x50;  // IMASK 5
    sh2_set_irq(&cpu, 5, 1);
    EXPECT_EQ(sh2_run(&cpu, 6000), 0);
    EXPECT_EQ(cpu.cycles, 6000u);
    EXPECT_EQ(cpu.steps, 1u);
    EXPECT_EQ(cpu.sleep_state, 1);
    EXPECT_EQ(cpu.irl_pending, 1u << 5);
    EXPECT_EQ(cpu.irq_recheck, 0);
    EXPECT_EQ(cpu.r[15], STACK);
}

TEST_F(RunLoop, InterruptWhileSleepingRunsItsHandlerInTheSameCall) {
    start_at(SLEEPER);
    cpu.sr = 0;
    sh2_run(&cpu, 100);
    ASSERT_EQ(cpu.sleep_state, 1);

    sh2_set_irq(&cpu, 5, 1);
    // Acceptance costs nothing: a one-cycle slice runs the handler's first
    // instruction.
    EXPECT_EQ(sh2_run(&cpu, 101), 0);
    EXPECT_EQ(cpu.r[4], 1u);
    EXPECT_EQ(cpu.pc, HANDLER + 2);
    EXPECT_EQ(cpu.cycles, 101u);
    EXPECT_EQ(cpu.steps, 2u);
    EXPECT_EQ(cpu.sleep_state, 2);
    EXPECT_EQ(cpu.irl_pending, 0u);
    EXPECT_EQ((cpu.sr >> 4) & 15, 5u);
    // SR pushed first, then the SLEEP's address.
    EXPECT_EQ(cpu.r[15], STACK - 8);
    EXPECT_EQ(test_bus_get32(STACK - 4), 0u);
    EXPECT_EQ(test_bus_get32(STACK - 8), SLEEPER);

    // RTE (5 + slot) returns to the SLEEP, which now moves on.
    EXPECT_EQ(sh2_run(&cpu, 200), 0);
    EXPECT_EQ(cpu.sleep_state, 0);
    EXPECT_EQ(cpu.r[3], 1u);
    EXPECT_EQ(cpu.r[4], 1u);
    EXPECT_EQ(cpu.r[15], STACK);
    EXPECT_EQ(cpu.sr, 0u);
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

TEST_F(RunLoop, IdleCpuSkipsItsSliceUntilALevelIsRaised) {
    cpu.idle = 1;
    EXPECT_EQ(sh2_run(&cpu, 1000), 0);
    EXPECT_EQ(cpu.cycles, 1000u);
    EXPECT_EQ(cpu.steps, 0u);
    EXPECT_EQ(cpu.r[1], 0u);
    EXPECT_EQ(test_provider_calls(), 0u);

    // Raising a level that is already pending still ends the idle wait, but
    // does not ask for a recheck.
    cpu.irl_pending = 1u << 1;
    sh2_set_irq(&cpu, 1, 1);
    EXPECT_EQ(cpu.idle, 0);
    EXPECT_EQ(cpu.irq_recheck, 0);
    EXPECT_EQ(sh2_run(&cpu, 1004), 0);
    EXPECT_EQ(cpu.r[1], 4u);
}

TEST_F(RunLoop, BranchToTheStopAddressStopsAtTheBranch) {
    start_at(STOP_JUMP);
    u64 count = sh2_fallback_count();
    EXPECT_EQ(sh2_run(&cpu, 1000), -1);
    EXPECT_EQ(sh2_failed_pc(), STOP_JUMP + 2);
    EXPECT_EQ(cpu.pc, STOP_JUMP + 2);
    EXPECT_EQ(cpu.steps, 1u);  // the MOV only; the failed step is not counted
    EXPECT_EQ(sh2_fallback_count(), count + 2);  // the failing step is counted
    // Running again tries the same instruction again.
    EXPECT_EQ(sh2_run(&cpu, 1000), -1);
    EXPECT_EQ(sh2_failed_pc(), STOP_JUMP + 2);
    EXPECT_EQ(cpu.pc, STOP_JUMP + 2);
}

TEST_F(RunLoop, StopKeepsThePcOfTheFailingBranchEvenAfterAPcRelativeSlot) {
    // The MOVA in the slot sets the record's pc for its own address
    // arithmetic; a stop must still leave pc on the branch.
    start_at(STOP_JUMP_MOVA);
    EXPECT_EQ(sh2_run(&cpu, 1000), -1);
    EXPECT_EQ(sh2_failed_pc(), STOP_JUMP_MOVA + 2);
    EXPECT_EQ(cpu.pc, STOP_JUMP_MOVA + 2);
    EXPECT_EQ(cpu.r[0], STOP_JUMP_MOVA + 0xC);  // the slot did run
}

TEST_F(RunLoop, ExceptionVectorHoldingTheStopAddressStops) {
    start_at(TRAP);
    test_bus_put32(32 * 4, SH2_STOP);
    EXPECT_EQ(sh2_run(&cpu, 1000), -1);
    EXPECT_EQ(sh2_failed_pc(), TRAP);
    EXPECT_EQ(cpu.pc, TRAP);
}

TEST_F(RunLoop, StrictModeReportsMissingCodeWithTheLastSixteenPcs) {
    sh2_run(&cpu, 20);
    ASSERT_EQ(cpu.pc, STRAIGHT + 40);
    sh2_set_strict(1);
    u64 count = sh2_fallback_count();
    testing::internal::CaptureStderr();
    int result = sh2_run(&cpu, 100);
    std::string text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, -1);
    EXPECT_EQ(sh2_failed_pc(), STRAIGHT + 40);
    EXPECT_EQ(cpu.pc, STRAIGHT + 40);
    EXPECT_EQ(cpu.steps, 20u);
    EXPECT_EQ(cpu.cycles, 20u);
    EXPECT_EQ(sh2_fallback_count(), count);

    char expected[256];
    int n = snprintf(expected, sizeof expected,
                     "SH-2: missing translated code at %08X (after 20 instructions)\nlast PCs:", STRAIGHT + 40);
    for (u32 i = 0; i < 16; i++) n += snprintf(expected + n, sizeof expected - n, " %08X", STRAIGHT + 40 - 2 * i);
    snprintf(expected + n, sizeof expected - n, "\n");
    EXPECT_EQ(text, expected);
}

TEST_F(RunLoop, StrictModeStillRunsTranslatedCode) {
    test_provider_set([](Sh2State* c) -> u32 {
        if (c->pc != STRAIGHT) return SH2_STOP;
        c->cycles += 4;
        return STRAIGHT + 8;
    });
    sh2_set_strict(1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sh2_run(&cpu, 100), -1);
    std::string text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(cpu.steps, 1u);
    EXPECT_EQ(cpu.cycles, 4u);
    EXPECT_EQ(sh2_failed_pc(), STRAIGHT + 8);
    EXPECT_EQ(text.rfind("SH-2: missing translated code at 00400008 (after 1 instructions)\nlast PCs: 00400008 00400000", 0),
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

// A provider with "translated code" for two addresses of the straight run:
// the block at STRAIGHT stands for the first ten ADDs, the one at
// STRAIGHT + 24 for two more, each adding its own cycles and marking R5.
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
}

TEST_F(RunLoop, InterruptIsTakenBeforeTranslatedCode) {
    test_provider_set(two_blocks);
    cpu.sr = 0;
    sh2_set_irq(&cpu, 5, 1);
    sh2_run(&cpu, 1);
    // The handler ran instead of the block at STRAIGHT, whose address was
    // pushed as the return address.
    EXPECT_EQ(cpu.r[4], 1u);
    EXPECT_EQ(cpu.r[5], 0u);
    EXPECT_EQ(test_bus_get32(STACK - 8), STRAIGHT);
}

// The fallback list is shared by the whole process, never cleared, and
// capped at 256 entries, so the other tests fill it. Its rules are checked
// in a fresh process (the death-test child re-executes the binary), where
// the list starts empty.
TEST_F(RunLoop, FallbackListRecordsEachCallsFirstInterpretedAddress) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto scenario = [this]() {
        int failures = 0;
        auto check = [&failures](bool ok, const char* what) {
            if (!ok && failures++ < 5) fprintf(stderr, "failed: %s\n", what);
        };
        check(fallback_len() == 0, "the list starts empty");

        // The interpreter takes over twice, at the instruction after each
        // translated block.
        test_provider_set(two_blocks);
        sh2_run(&cpu, 12);
        check(fallback_len() == 2, "two take-overs, two entries");
        check(fallback_at(0) == STRAIGHT + 20 && fallback_at(1) == STRAIGHT + 28, "the addresses after the blocks");
        test_provider_set(nullptr);

        // Forty interpreted instructions in one call: one new address.
        const u32 fresh = STRAIGHT + 0x200;
        start_at(fresh);
        sh2_run(&cpu, 40);
        check(fallback_len() == 3 && fallback_at(2) == fresh, "only the call's first address");
        // An address already listed is not listed again.
        start_at(fresh);
        sh2_run(&cpu, 1);
        check(fallback_len() == 3, "no duplicate");

        // One instruction per call: every call starts at a new address,
        // until the list holds 256 entries; later ones are dropped.
        start_at(fresh + 2);
        for (int i = 0; i < 300; i++) {
            u32 n = fallback_len();
            u32 pc = cpu.pc;
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
        FILE* f = fopen(COMPARE_PROGRAM, "rb");
        ASSERT_NE(f, nullptr);
        size_t n = fread(test_bus_memory() + LOAD, 1, IN - LOAD, f);
        fclose(f);
        ASSERT_GT(n, 0u);
        ASSERT_LT(n, size_t(IN - LOAD));
        test_bus_put32(0, LOAD);
        test_bus_put32(4, STACK);

        unsigned int in[32];
        for (u32 i = 0; i < 32; i++) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            in[i] = seed;
        }
        if (round == 0) {  // extremes of both signednesses
            in[0] = 0x80000000u;
            in[1] = 0x7FFFFFFFu;
            in[2] = 0;
            in[3] = 0xFFFFFFFFu;
            in[16] = 0x80000000u;
            in[17] = 0xFFFFFFF6u;
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
        for (u32 i = 0; i < 64; i++) EXPECT_EQ(test_bus_get32(OUT + 4 * i), want[i]) << "round " << round << " word " << i;
    }
#endif
}

}  // namespace
