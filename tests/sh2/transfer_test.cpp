// Data transfer, control-register and immediate forms, one instruction at a
// time: result, sign or zero extension, address arithmetic, the data
// address left in last_ea, and the cycles charged.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "sh2_harness.h"

namespace {

constexpr u32 D = 0x40000;        // data area
constexpr u32 KEEP = 0x5EA5EA00;  // last_ea before the step; kept = untouched

typedef void (*Fn)(Sh2State& c);
constexpr int NONE = -1, T = 16, MEM = 17;  // what `reg` names besides R0-R15
struct StepCase {
    const char* name;
    u32 snippet, cycles;
    u32 last_ea;  // expected after the step (KEEP = untouched)
    Fn setup;     // runs with R1 and GBR already at D
    int reg;      // register, T bit or MEM (the long word at last_ea) expected to hold `want`
    u32 want;
    Fn check;  // anything else
};

u32 A(u32 snippet) { return snippet_address(snippet); }
void put8(u32 address, u32 v) { test_bus_memory()[address] = u8(v); }

const StepCase cases[] = {
    // Loads sign-extend bytes and words.
    {"MOV.B @Rm,Rn", 0, 1, D, [](Sh2State&) { put8(D, 0x80); }, 2, 0xFFFFFF80, nullptr},
    {"MOV.W @Rm,Rn", 1, 1, D, [](Sh2State&) { test_bus_put16(D, 0x8001); }, 2, 0xFFFF8001, nullptr},
    {"MOV.L @Rm,Rn", 2, 1, D, [](Sh2State&) { test_bus_put32(D, 0x80000001); }, 2, 0x80000001, nullptr},
    // Post-increment loads: the register advances, last_ea is not written;
    // when it is also the destination, the loaded value wins.
    {"MOV.B @Rm+,Rn", 3, 1, KEEP, [](Sh2State&) { put8(D, 0xFE); }, 2, 0xFFFFFFFE,
     [](Sh2State& c) { EXPECT_EQ(c.r[1], D + 1); }},
    {"MOV.W @Rm+,Rn", 4, 1, KEEP, [](Sh2State&) { test_bus_put16(D, 0x8000); }, 2, 0xFFFF8000,
     [](Sh2State& c) { EXPECT_EQ(c.r[1], D + 2); }},
    {"MOV.L @Rm+,Rn", 5, 1, KEEP, [](Sh2State&) { test_bus_put32(D, 0xCAFEF00D); }, 2, 0xCAFEF00D,
     [](Sh2State& c) { EXPECT_EQ(c.r[1], D + 4); }},
    {"MOV.L @R3+,R3", 6, 1, KEEP, [](Sh2State& c) { c.r[3] = D; test_bus_put32(D, 0x12345678); }, 3, 0x12345678,
     nullptr},
    {"MOV.B @R1+,R1", 75, 1, KEEP, [](Sh2State&) { put8(D, 0x85); }, 1, 0xFFFFFF85, nullptr},
    {"MOV.W @R1+,R1", 76, 1, KEEP, [](Sh2State&) { test_bus_put16(D, 0x8586); }, 1, 0xFFFF8586, nullptr},
    // Pre-decrement stores write only their width at the new address; the
    // stored value is taken before the register moves.
    {"MOV.B Rm,@-Rn", 7, 1, KEEP, [](Sh2State& c) { c.r[1] = D + 4; c.r[2] = 0x123456AB; }, 1, D + 3,
     [](Sh2State&) { EXPECT_EQ(test_bus_get32(D), 0x000000ABu); }},
    {"MOV.W Rm,@-Rn", 8, 1, KEEP, [](Sh2State& c) { c.r[1] = D + 4; c.r[2] = 0x123456AB; }, 1, D + 2,
     [](Sh2State&) { EXPECT_EQ(test_bus_get32(D), 0x000056ABu); }},
    {"MOV.L Rm,@-Rn", 9, 1, KEEP, [](Sh2State& c) { c.r[1] = D + 4; c.r[2] = 0x123456AB; }, 1, D,
     [](Sh2State&) { EXPECT_EQ(test_bus_get32(D), 0x123456ABu); }},
    {"MOV.L R4,@-R4", 10, 1, KEEP, [](Sh2State& c) { c.r[4] = 0x1000; }, 4, 0x0FFC,
     [](Sh2State&) { EXPECT_EQ(test_bus_get32(0x0FFC), 0x1000u); }},
    // Plain stores write only their width.
    {"MOV.B Rm,@Rn", 11, 1, D, [](Sh2State& c) { c.r[2] = 0x1234ABCD; test_bus_put32(D, 0x11111111); },
     MEM, 0xCD111111, nullptr},
    {"MOV.W Rm,@Rn", 12, 1, D, [](Sh2State& c) { c.r[2] = 0x1234ABCD; test_bus_put32(D, 0x11111111); },
     MEM, 0xABCD1111, nullptr},
    {"MOV.L Rm,@Rn", 13, 1, D, [](Sh2State& c) { c.r[2] = 0x1234ABCD; }, MEM, 0x1234ABCD, nullptr},
    // R0-indexed forms; the sum wraps at 32 bits.
    {"MOV.B Rm,@(R0,Rn)", 14, 1, D, [](Sh2State& c) { c.r[0] = 0xFFFFFFFC; c.r[1] = D + 4; c.r[2] = 0x77; },
     MEM, 0x77000000, nullptr},
    {"MOV.W Rm,@(R0,Rn)", 15, 1, D + 8, [](Sh2State& c) { c.r[0] = 8; c.r[2] = 0x8877; }, MEM, 0x88770000, nullptr},
    {"MOV.L Rm,@(R0,Rn)", 16, 1, D + 8, [](Sh2State& c) { c.r[0] = D; c.r[1] = 8; c.r[2] = 0x99887766; },
     MEM, 0x99887766, nullptr},
    {"MOV.B @(R0,Rm),Rn", 17, 1, D + 4, [](Sh2State& c) { c.r[0] = 4; put8(D + 4, 0x9C); }, 2, 0xFFFFFF9C, nullptr},
    {"MOV.W @(R0,Rm),Rn", 18, 1, D + 4, [](Sh2State& c) { c.r[0] = 4; test_bus_put16(D + 4, 0xC000); }, 2, 0xFFFFC000,
     nullptr},
    {"MOV.L @(R0,Rm),Rn", 19, 1, D + 4, [](Sh2State& c) { c.r[0] = 4; test_bus_put32(D + 4, 0xCAFEBABE); }, 2,
     0xCAFEBABE, nullptr},
    // Register + displacement and GBR forms, scaled by the access size.
    {"MOV.L Rm,@(60,Rn)", 20, 1, D + 60, [](Sh2State& c) { c.r[2] = 0xA1B2C3D4; }, MEM, 0xA1B2C3D4, nullptr},
    {"MOV.L @(60,Rm),Rn", 21, 1, D + 60, [](Sh2State&) { test_bus_put32(D + 60, 0xD4C3B2A1); }, 2, 0xD4C3B2A1, nullptr},
    {"MOV.B R0,@(15,Rn)", 22, 1, D + 15, [](Sh2State& c) { c.r[0] = 0x12345680; }, MEM, 0x00000080, nullptr},
    {"MOV.W R0,@(30,Rn)", 23, 1, D + 30, [](Sh2State& c) { c.r[0] = 0x12345680; }, MEM, 0x00005680, nullptr},
    {"MOV.B @(15,Rm),R0", 24, 1, D + 15, [](Sh2State&) { put8(D + 15, 0x80); }, 0, 0xFFFFFF80, nullptr},
    {"MOV.W @(30,Rm),R0", 25, 1, D + 30, [](Sh2State&) { test_bus_put16(D + 30, 0x8000); }, 0, 0xFFFF8000, nullptr},
    {"MOV.B R0,@(255,GBR)", 26, 1, D + 255, [](Sh2State& c) { c.r[0] = 0x1AB; }, MEM, 0x000000AB, nullptr},
    {"MOV.W R0,@(510,GBR)", 27, 1, D + 510, [](Sh2State& c) { c.r[0] = 0x1ABCD; }, MEM, 0x0000ABCD, nullptr},
    {"MOV.L R0,@(1020,GBR)", 28, 1, D + 1020, [](Sh2State& c) { c.r[0] = 0x1ABCDEF; }, MEM, 0x01ABCDEF, nullptr},
    {"MOV.B @(255,GBR),R0", 29, 1, D + 255, [](Sh2State&) { put8(D + 255, 0xF0); }, 0, 0xFFFFFFF0, nullptr},
    {"MOV.W @(510,GBR),R0", 30, 1, D + 510, [](Sh2State&) { test_bus_put16(D + 510, 0x8080); }, 0, 0xFFFF8080, nullptr},
    {"MOV.L @(1020,GBR),R0", 31, 1, D + 1020, [](Sh2State&) { test_bus_put32(D + 1020, 0x80808080); }, 0, 0x80808080,
     nullptr},
    // PC-relative: the long forms use (address + 4) with the low two bits
    // cleared, the word form does not round.
    {"MOVA on a long boundary", 32, 1, A(32) + 0x40, nullptr, 0, A(32) + 0x40, nullptr},
    {"MOVA off a long boundary", 33, 1, A(33) + 0x40, [](Sh2State& c) { c.pc += 2; }, 0, A(33) + 0x40, nullptr},
    {"MOV.L @(disp,PC) on a long boundary", 34, 1, A(34) + 0x40, nullptr, 2, 0x89ABCDEF, nullptr},
    {"MOV.L @(disp,PC) off a long boundary", 35, 1, A(35) + 0x40, [](Sh2State& c) { c.pc += 2; }, 2, 0x89ABCDEF,
     nullptr},
    {"MOV.W @(disp,PC) sign-extends", 36, 1, A(36) + 0x40, nullptr, 2, 0xFFFF8765, nullptr},
    {"MOV.W @(disp,PC) off a long boundary", 37, 1, A(37) + 0x42, [](Sh2State& c) { c.pc += 2; }, 2, 0x1234, nullptr},
    // TAS.B and the byte operations on @(R0,GBR).
    {"TAS.B on zero", 38, 4, D, [](Sh2State& c) { c.sr &= ~1u; }, T, 1,
     [](Sh2State&) { EXPECT_EQ(test_bus_get8(D), 0x80u); }},
    {"TAS.B on 0x7F", 38, 4, D, [](Sh2State& c) { c.sr |= 1; put8(D, 0x7F); }, T, 0,
     [](Sh2State&) { EXPECT_EQ(test_bus_get8(D), 0xFFu); }},
    {"TST.B no common bits", 39, 3, D + 8, [](Sh2State& c) { c.r[0] = 8; put8(D + 8, 0x7E); }, T, 1,
     [](Sh2State&) { EXPECT_EQ(test_bus_get8(D + 8), 0x7Eu); }},
    {"TST.B common bit", 39, 3, D + 8, [](Sh2State& c) { c.r[0] = 8; c.sr |= 1; put8(D + 8, 0x01); }, T, 0, nullptr},
    {"AND.B", 40, 3, D + 8, [](Sh2State& c) { c.r[0] = 8; put8(D + 8, 0xF5); }, MEM, 0x05000000, nullptr},
    {"XOR.B", 41, 3, D + 8, [](Sh2State& c) { c.r[0] = 8; put8(D + 8, 0xF5); }, MEM, 0x0A000000, nullptr},
    {"OR.B", 42, 3, D + 8, [](Sh2State& c) { c.r[0] = 8; put8(D + 8, 0x05); }, MEM, 0x85000000, nullptr},
    // Immediates: MOV, ADD and CMP/EQ sign-extend; the logical forms don't.
    {"MOV #-128,Rn", 67, 1, KEEP, nullptr, 2, 0xFFFFFF80, nullptr},
    {"MOV #127,Rn", 68, 1, KEEP, nullptr, 2, 0x7F, nullptr},
    {"ADD #-128,Rn wraps below INT_MIN", 69, 1, KEEP, [](Sh2State& c) { c.r[2] = 0x80000000; }, 2, 0x7FFFFF80,
     [](Sh2State& c) { EXPECT_EQ(c.sr, 0xF0u); }},
    {"CMP/EQ #-1,R0 equal", 70, 1, KEEP, [](Sh2State& c) { c.r[0] = 0xFFFFFFFF; }, T, 1, nullptr},
    {"CMP/EQ #-1,R0 not equal to 0xFF", 70, 1, KEEP, [](Sh2State& c) { c.r[0] = 0xFF; c.sr |= 1; }, T, 0, nullptr},
    {"TST #0x80,R0 zero", 71, 1, KEEP, [](Sh2State& c) { c.r[0] = 0xFFFFFF7F; }, T, 1, nullptr},
    {"TST #0x80,R0 set", 71, 1, KEEP, [](Sh2State& c) { c.r[0] = 0x80; c.sr |= 1; }, T, 0, nullptr},
    {"AND #0xF0,R0", 72, 1, KEEP, [](Sh2State& c) { c.r[0] = 0xFFFFFFFF; }, 0, 0xF0, nullptr},
    {"OR #0x80,R0", 73, 1, KEEP, [](Sh2State& c) { c.r[0] = 0; }, 0, 0x80, nullptr},
    {"XOR #0xFF,R0", 74, 1, KEEP, [](Sh2State& c) { c.r[0] = 0xFFFFFFFF; }, 0, 0xFFFFFF00, nullptr},
    // Flag and MAC housekeeping.
    {"CLRMAC", 82, 1, KEEP, [](Sh2State& c) { c.mach = c.macl = 0xFFFFFFFF; }, NONE, 0,
     [](Sh2State& c) { EXPECT_EQ(c.mach | c.macl, 0u); }},
    {"CLRT", 83, 1, KEEP, [](Sh2State& c) { c.sr = 0x3F3; }, NONE, 0, [](Sh2State& c) { EXPECT_EQ(c.sr, 0x3F2u); }},
    {"SETT", 84, 1, KEEP, [](Sh2State& c) { c.sr = 0x3F2; }, NONE, 0, [](Sh2State& c) { EXPECT_EQ(c.sr, 0x3F3u); }},
    {"DIV0U clears M, Q and T only", 86, 1, KEEP, [](Sh2State& c) { c.sr = 0x3F3; }, NONE, 0,
     [](Sh2State& c) { EXPECT_EQ(c.sr, 0x0F2u); }},
    {"MOV Rm,Rn", 88, 1, KEEP, [](Sh2State& c) { c.r[1] = 0x80000000; }, 2, 0x80000000, nullptr},
};

TEST(TransferStep, ResultAddressAndCycles) {
    static Sh2State cpu;
    for (const StepCase& k : cases) {
        SCOPED_TRACE(k.name);
        ASSERT_TRUE(harness_load(&cpu, "transfer_steps", k.snippet));
        cpu.last_ea = KEEP;
        cpu.r[1] = cpu.gbr = D;
        if (k.setup) k.setup(cpu);
        u32 pc = cpu.pc;
        EXPECT_EQ(harness_step(&cpu), pc + 2);
        EXPECT_EQ(cpu.cycles, k.cycles);
        EXPECT_EQ(cpu.last_ea, k.last_ea);
        if (k.reg != NONE) {
            EXPECT_EQ(k.reg == T ? cpu.sr & 1 : k.reg == MEM ? test_bus_get32(k.last_ea & ~3u) : cpu.r[k.reg], k.want);
        }
        if (k.check) k.check(cpu);
    }
}

// Loads and stores of the control and system registers, from memory with
// post-increment, to memory with pre-decrement, and between registers. Only
// 0x3F3 of SR is kept, and loading SR asks for an interrupt re-check.
TEST(ControlRegisters, LoadsAndStores) {
    const struct {
        const char* name;
        u32 Sh2State::*field;
        u32 mask, load_mem, store_mem, load_reg, store_reg;
    } regs[] = {{"SR", &Sh2State::sr, 0x3F3, 48, 49, 55, 61},   {"GBR", &Sh2State::gbr, ~0u, 43, 50, 56, 62},
                {"VBR", &Sh2State::vbr, ~0u, 44, 51, 57, 63},   {"MACH", &Sh2State::mach, ~0u, 45, 52, 58, 64},
                {"MACL", &Sh2State::macl, ~0u, 46, 53, 59, 65}, {"PR", &Sh2State::pr, ~0u, 47, 54, 60, 66}};
    static Sh2State cpu;
    for (const auto& g : regs) {
        SCOPED_TRACE(g.name);
        bool is_sr = g.field == &Sh2State::sr;
        ASSERT_TRUE(harness_load(&cpu, "transfer_steps", g.load_mem));  // LDC.L / LDS.L @R1+
        cpu.r[1] = D;
        test_bus_put32(D, 0x89ABCDEF);
        harness_step(&cpu);
        EXPECT_EQ(cpu.*g.field, 0x89ABCDEF & g.mask);
        EXPECT_TRUE(cpu.r[1] == D + 4 && cpu.last_ea == D && cpu.irq_recheck == is_sr);
        ASSERT_TRUE(harness_load(&cpu, "transfer_steps", g.store_mem));  // STC.L / STS.L @-R1
        cpu.r[1] = D + 4;
        cpu.*g.field = 0xA1B2C3D3 & g.mask;
        harness_step(&cpu);
        EXPECT_EQ(test_bus_get32(D), 0xA1B2C3D3 & g.mask);
        EXPECT_TRUE(cpu.r[1] == D && cpu.last_ea == D);
        ASSERT_TRUE(harness_load(&cpu, "transfer_steps", g.load_reg));  // LDC / LDS R1
        cpu.r[1] = 0x76543210;
        harness_step(&cpu);
        EXPECT_EQ(cpu.*g.field, 0x76543210 & g.mask);
        EXPECT_EQ(cpu.irq_recheck, is_sr);
        ASSERT_TRUE(harness_load(&cpu, "transfer_steps", g.store_reg));  // STC / STS R2
        cpu.*g.field = 0x01234567 & g.mask;
        harness_step(&cpu);
        EXPECT_EQ(cpu.r[2], 0x01234567 & g.mask);
    }
}

}  // namespace

// Every operation type on its own: the cycles it adds beyond the step's one,
// and whether it notes its data address in last_ea (the post-increment
// loads, pre-decrement MOVs and the MACs don't).
TEST(OperationTable, ExtraCyclesAndLastEaOfEveryType) {
    std::array<u32, 129> extra{};
    for (u32 t : {5u, 41u, 48u, 54u, 67u, 79u}) extra[t] = 1;
    for (u32 t : {12u, 58u, 63u, 70u, 83u, 123u, 124u, 125u, 126u}) extra[t] = 2;
    extra[74] = 3;
    std::array<bool, 129> notes{};
    for (u32 t : {2u,   3u,   4u,   9u,   10u,  11u,  21u,  22u,  23u,  24u,  53u,  54u,  57u,  58u,  66u,
                  67u,  69u,  70u,  74u,  78u,  79u,  82u,  83u,  88u,  89u,  90u,  91u,  106u, 107u, 108u,
                  109u, 111u, 112u, 113u, 114u, 115u, 116u, 117u, 118u, 123u, 124u, 125u, 126u, 127u})
        notes[t] = true;

    std::array<u32, 129> opcode{};
    for (u32 op = 0xFFFF; op > 0; op--) opcode[sh2_decode_table()[op].op_type] = op;
    for (u32 t = 1; t <= 128; t++) {
        SCOPED_TRACE("type " + std::to_string(t));
        ASSERT_NE(opcode[t], 0u);
        test_bus_reset();
        Sh2State cpu{};
        for (u32& r : cpu.r) r = D;
        cpu.r[0] = 0;
        cpu.gbr = cpu.vbr = D;
        cpu.sr = 0xF0;
        cpu.pc = PROGRAM_BASE;
        cpu.last_ea = KEEP;
        EXPECT_EQ(sh2_execute(&cpu, &sh2_decode_table()[opcode[t]], PROGRAM_BASE + 2), 1);
        EXPECT_EQ(cpu.cycles, extra[t]);
        EXPECT_EQ(cpu.last_ea != KEEP, notes[t]);
    }
}
