// Data transfer, control-register and immediate forms, one instruction at a
// time: result, sign or zero extension, address arithmetic, the data
// address left in last_ea, and the cycles charged.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "sh2_harness.h"
#include "test_bus.h"

namespace {

constexpr u32 D = 0x40000;          // data area
constexpr u32 KEEP = 0x5EA5EA00;    // last_ea before the step; kept = untouched

typedef void (*Fn)(Sh2State& c);

struct StepCase {
    const char* name;
    u32 snippet;
    u32 cycles;
    u32 last_ea;  // expected last_ea after the step (KEEP = untouched)
    Fn setup;
    Fn check;
};

u32 A(u32 snippet) { return snippet_address(snippet); }

const StepCase cases[] = {
    // Loads sign-extend bytes and words.
    {"MOV.B @Rm,Rn negative", 0, 1, D, [](Sh2State& c) { c.r[1] = D; test_bus_memory()[D] = 0x80; },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0xFFFFFF80u); }},
    {"MOV.B @Rm,Rn positive", 0, 1, D, [](Sh2State& c) { c.r[1] = D; test_bus_memory()[D] = 0x7F; },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x7Fu); }},
    {"MOV.W @Rm,Rn", 1, 1, D, [](Sh2State& c) { c.r[1] = D; test_bus_put16(D, 0x8001); },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0xFFFF8001u); }},
    {"MOV.L @Rm,Rn", 2, 1, D, [](Sh2State& c) { c.r[1] = D; test_bus_put32(D, 0x80000001); },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x80000001u); }},
    // Post-increment loads: the register advances, last_ea is not written.
    {"MOV.B @Rm+,Rn", 3, 1, KEEP, [](Sh2State& c) { c.r[1] = D; test_bus_memory()[D] = 0xFE; },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0xFFFFFFFEu); EXPECT_EQ(c.r[1], D + 1); }},
    {"MOV.W @Rm+,Rn", 4, 1, KEEP, [](Sh2State& c) { c.r[1] = D; test_bus_put16(D, 0x8000); },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0xFFFF8000u); EXPECT_EQ(c.r[1], D + 2); }},
    {"MOV.L @Rm+,Rn", 5, 1, KEEP, [](Sh2State& c) { c.r[1] = D; test_bus_put32(D, 0xCAFEF00D); },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0xCAFEF00Du); EXPECT_EQ(c.r[1], D + 4); }},
    {"MOV.L @R3+,R3 keeps the loaded word", 6, 1, KEEP, [](Sh2State& c) { c.r[3] = D; test_bus_put32(D, 0x12345678); },
     [](Sh2State& c) { EXPECT_EQ(c.r[3], 0x12345678u); }},
    {"MOV.B @R1+,R1", 75, 1, KEEP, [](Sh2State& c) { c.r[1] = D; test_bus_memory()[D] = 0x85; },
     [](Sh2State& c) { EXPECT_EQ(c.r[1], 0xFFFFFF85u); }},
    {"MOV.W @R1+,R1", 76, 1, KEEP, [](Sh2State& c) { c.r[1] = D; test_bus_put16(D, 0x8586); },
     [](Sh2State& c) { EXPECT_EQ(c.r[1], 0xFFFF8586u); }},
    // Pre-decrement stores: value first, then the register, then the write.
    {"MOV.B Rm,@-Rn", 7, 1, KEEP, [](Sh2State& c) { c.r[1] = D + 4; c.r[2] = 0x123456AB; test_bus_put32(D, 0); },
     [](Sh2State& c) { EXPECT_EQ(c.r[1], D + 3); EXPECT_EQ(test_bus_get32(D), 0x000000ABu); }},
    {"MOV.W Rm,@-Rn", 8, 1, KEEP, [](Sh2State& c) { c.r[1] = D + 4; c.r[2] = 0x123456AB; test_bus_put32(D, 0); },
     [](Sh2State& c) { EXPECT_EQ(c.r[1], D + 2); EXPECT_EQ(test_bus_get32(D), 0x000056ABu); }},
    {"MOV.L Rm,@-Rn", 9, 1, KEEP, [](Sh2State& c) { c.r[1] = D + 4; c.r[2] = 0x123456AB; },
     [](Sh2State& c) { EXPECT_EQ(c.r[1], D); EXPECT_EQ(test_bus_get32(D), 0x123456ABu); }},
    {"MOV.L R4,@-R4 stores the old value", 10, 1, KEEP, [](Sh2State& c) { c.r[4] = 0x1000; },
     [](Sh2State& c) { EXPECT_EQ(c.r[4], 0x0FFCu); EXPECT_EQ(test_bus_get32(0x0FFC), 0x1000u); }},
    // Plain stores write only their width.
    {"MOV.B Rm,@Rn", 11, 1, D, [](Sh2State& c) { c.r[1] = D; c.r[2] = 0x1234ABCD; test_bus_put32(D, 0x11111111); },
     [](Sh2State&) { EXPECT_EQ(test_bus_get32(D), 0xCD111111u); }},
    {"MOV.W Rm,@Rn", 12, 1, D, [](Sh2State& c) { c.r[1] = D; c.r[2] = 0x1234ABCD; test_bus_put32(D, 0x11111111); },
     [](Sh2State&) { EXPECT_EQ(test_bus_get32(D), 0xABCD1111u); }},
    {"MOV.L Rm,@Rn", 13, 1, D, [](Sh2State& c) { c.r[1] = D; c.r[2] = 0x1234ABCD; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get32(D), 0x1234ABCDu); }},
    // R0-indexed forms; the sum wraps at 32 bits.
    {"MOV.B Rm,@(R0,Rn)", 14, 1, D, [](Sh2State& c) { c.r[0] = 0xFFFFFFFC; c.r[1] = D + 4; c.r[2] = 0x77; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get8(D), 0x77u); }},
    {"MOV.W Rm,@(R0,Rn)", 15, 1, D + 8, [](Sh2State& c) { c.r[0] = 8; c.r[1] = D; c.r[2] = 0x8877; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get16(D + 8), 0x8877u); }},
    {"MOV.L Rm,@(R0,Rn)", 16, 1, D + 8, [](Sh2State& c) { c.r[0] = D; c.r[1] = 8; c.r[2] = 0x99887766; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get32(D + 8), 0x99887766u); }},
    {"MOV.B @(R0,Rm),Rn", 17, 1, D + 4, [](Sh2State& c) { c.r[0] = 4; c.r[1] = D; test_bus_memory()[D + 4] = 0x9C; },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0xFFFFFF9Cu); }},
    {"MOV.W @(R0,Rm),Rn", 18, 1, D + 4, [](Sh2State& c) { c.r[0] = 4; c.r[1] = D; test_bus_put16(D + 4, 0xC000); },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0xFFFFC000u); }},
    {"MOV.L @(R0,Rm),Rn", 19, 1, D + 4, [](Sh2State& c) { c.r[0] = 4; c.r[1] = D; test_bus_put32(D + 4, 0xCAFEBABE); },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0xCAFEBABEu); }},
    // Register + displacement forms, scaled by the access size.
    {"MOV.L Rm,@(60,Rn)", 20, 1, D + 60, [](Sh2State& c) { c.r[1] = D; c.r[2] = 0xA1B2C3D4; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get32(D + 60), 0xA1B2C3D4u); }},
    {"MOV.L @(60,Rm),Rn", 21, 1, D + 60, [](Sh2State& c) { c.r[1] = D; test_bus_put32(D + 60, 0xD4C3B2A1); },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0xD4C3B2A1u); }},
    {"MOV.B R0,@(15,Rn)", 22, 1, D + 15, [](Sh2State& c) { c.r[0] = 0x12345680; c.r[1] = D; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get8(D + 15), 0x80u); }},
    {"MOV.W R0,@(30,Rn)", 23, 1, D + 30, [](Sh2State& c) { c.r[0] = 0x12345680; c.r[1] = D; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get16(D + 30), 0x5680u); }},
    {"MOV.B @(15,Rm),R0", 24, 1, D + 15, [](Sh2State& c) { c.r[1] = D; test_bus_memory()[D + 15] = 0x80; },
     [](Sh2State& c) { EXPECT_EQ(c.r[0], 0xFFFFFF80u); }},
    {"MOV.W @(30,Rm),R0", 25, 1, D + 30, [](Sh2State& c) { c.r[1] = D; test_bus_put16(D + 30, 0x8000); },
     [](Sh2State& c) { EXPECT_EQ(c.r[0], 0xFFFF8000u); }},
    // GBR-relative forms with the largest displacement of each width.
    {"MOV.B R0,@(255,GBR)", 26, 1, D + 255, [](Sh2State& c) { c.gbr = D; c.r[0] = 0x1AB; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get8(D + 255), 0xABu); }},
    {"MOV.W R0,@(510,GBR)", 27, 1, D + 510, [](Sh2State& c) { c.gbr = D; c.r[0] = 0x1ABCD; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get16(D + 510), 0xABCDu); }},
    {"MOV.L R0,@(1020,GBR)", 28, 1, D + 1020, [](Sh2State& c) { c.gbr = D; c.r[0] = 0x1ABCDEF; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get32(D + 1020), 0x1ABCDEFu); }},
    {"MOV.B @(255,GBR),R0", 29, 1, D + 255, [](Sh2State& c) { c.gbr = D; test_bus_memory()[D + 255] = 0xF0; },
     [](Sh2State& c) { EXPECT_EQ(c.r[0], 0xFFFFFFF0u); }},
    {"MOV.W @(510,GBR),R0", 30, 1, D + 510, [](Sh2State& c) { c.gbr = D; test_bus_put16(D + 510, 0x8080); },
     [](Sh2State& c) { EXPECT_EQ(c.r[0], 0xFFFF8080u); }},
    {"MOV.L @(1020,GBR),R0", 31, 1, D + 1020, [](Sh2State& c) { c.gbr = D; test_bus_put32(D + 1020, 0x80808080); },
     [](Sh2State& c) { EXPECT_EQ(c.r[0], 0x80808080u); }},
    // PC-relative forms: long forms use (address + 4) with the low two bits
    // cleared, the word form does not round.
    {"MOVA on a long boundary", 32, 1, A(32) + 0x40, nullptr,
     [](Sh2State& c) { EXPECT_EQ(c.r[0], A(32) + 0x40); }},
    {"MOVA off a long boundary", 33, 1, A(33) + 0x40, [](Sh2State& c) { c.pc += 2; },
     [](Sh2State& c) { EXPECT_EQ(c.r[0], A(33) + 0x40); }},
    {"MOV.L @(disp,PC) on a long boundary", 34, 1, A(34) + 0x40, nullptr,
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x89ABCDEFu); }},
    {"MOV.L @(disp,PC) off a long boundary", 35, 1, A(35) + 0x40, [](Sh2State& c) { c.pc += 2; },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x89ABCDEFu); }},
    {"MOV.W @(disp,PC) sign-extends", 36, 1, A(36) + 0x40, nullptr,
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0xFFFF8765u); }},
    {"MOV.W @(disp,PC) off a long boundary", 37, 1, A(37) + 0x42, [](Sh2State& c) { c.pc += 2; },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x1234u); }},
    // TAS.B and the byte operations on @(R0,GBR).
    {"TAS.B on zero", 38, 4, D, [](Sh2State& c) { c.r[1] = D; c.sr &= ~1u; },
     [](Sh2State& c) { EXPECT_EQ(c.sr & 1, 1u); EXPECT_EQ(test_bus_get8(D), 0x80u); }},
    {"TAS.B on 0x7F", 38, 4, D, [](Sh2State& c) { c.r[1] = D; c.sr |= 1; test_bus_memory()[D] = 0x7F; },
     [](Sh2State& c) { EXPECT_EQ(c.sr & 1, 0u); EXPECT_EQ(test_bus_get8(D), 0xFFu); }},
    {"TST.B no common bits", 39, 3, D + 8, [](Sh2State& c) { c.gbr = D; c.r[0] = 8; test_bus_memory()[D + 8] = 0x7E; },
     [](Sh2State& c) { EXPECT_EQ(c.sr & 1, 1u); EXPECT_EQ(test_bus_get8(D + 8), 0x7Eu); }},
    {"TST.B common bit", 39, 3, D + 8,
     [](Sh2State& c) { c.gbr = D; c.r[0] = 8; c.sr |= 1; test_bus_memory()[D + 8] = 0x01; },
     [](Sh2State& c) { EXPECT_EQ(c.sr & 1, 0u); }},
    {"AND.B", 40, 3, D + 8, [](Sh2State& c) { c.gbr = D; c.r[0] = 8; test_bus_memory()[D + 8] = 0xF5; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get8(D + 8), 0x05u); }},
    {"XOR.B", 41, 3, D + 8, [](Sh2State& c) { c.gbr = D; c.r[0] = 8; test_bus_memory()[D + 8] = 0xF5; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get8(D + 8), 0x0Au); }},
    {"OR.B", 42, 3, D + 8, [](Sh2State& c) { c.gbr = D; c.r[0] = 8; test_bus_memory()[D + 8] = 0x05; },
     [](Sh2State&) { EXPECT_EQ(test_bus_get8(D + 8), 0x85u); }},
    // Loads of control and system registers from memory.
    {"LDC.L @Rm+,GBR", 43, 3, D, [](Sh2State& c) { c.r[1] = D; test_bus_put32(D, 0x11223344); },
     [](Sh2State& c) { EXPECT_EQ(c.gbr, 0x11223344u); EXPECT_EQ(c.r[1], D + 4); }},
    {"LDC.L @Rm+,VBR", 44, 3, D, [](Sh2State& c) { c.r[1] = D; test_bus_put32(D, 0x11223344); },
     [](Sh2State& c) { EXPECT_EQ(c.vbr, 0x11223344u); EXPECT_EQ(c.r[1], D + 4); }},
    {"LDS.L @Rm+,MACH", 45, 1, D, [](Sh2State& c) { c.r[1] = D; test_bus_put32(D, 0x11223344); },
     [](Sh2State& c) { EXPECT_EQ(c.mach, 0x11223344u); EXPECT_EQ(c.r[1], D + 4); }},
    {"LDS.L @Rm+,MACL", 46, 1, D, [](Sh2State& c) { c.r[1] = D; test_bus_put32(D, 0x11223344); },
     [](Sh2State& c) { EXPECT_EQ(c.macl, 0x11223344u); EXPECT_EQ(c.r[1], D + 4); }},
    {"LDS.L @Rm+,PR", 47, 1, D, [](Sh2State& c) { c.r[1] = D; test_bus_put32(D, 0x11223344); },
     [](Sh2State& c) { EXPECT_EQ(c.pr, 0x11223344u); EXPECT_EQ(c.r[1], D + 4); }},
    {"LDC.L @Rm+,SR keeps 0x3F3", 48, 3, D, [](Sh2State& c) { c.r[1] = D; test_bus_put32(D, 0xFFFFFFFF); },
     [](Sh2State& c) {
         EXPECT_EQ(c.sr, 0x3F3u);
         EXPECT_EQ(c.r[1], D + 4);
         EXPECT_EQ(c.irq_recheck, 1);
     }},
    // Stores of control and system registers, pre-decrementing.
    {"STC.L SR,@-Rn", 49, 2, D, [](Sh2State& c) { c.r[1] = D + 4; c.sr = 0x3F3; },
     [](Sh2State& c) { EXPECT_EQ(test_bus_get32(D), 0x3F3u); EXPECT_EQ(c.r[1], D); }},
    {"STC.L GBR,@-Rn", 50, 2, D, [](Sh2State& c) { c.r[1] = D + 4; c.gbr = 0xA0A0A0A0; },
     [](Sh2State& c) { EXPECT_EQ(test_bus_get32(D), 0xA0A0A0A0u); EXPECT_EQ(c.r[1], D); }},
    {"STC.L VBR,@-Rn", 51, 2, D, [](Sh2State& c) { c.r[1] = D + 4; c.vbr = 0xB0B0B0B0; },
     [](Sh2State& c) { EXPECT_EQ(test_bus_get32(D), 0xB0B0B0B0u); EXPECT_EQ(c.r[1], D); }},
    {"STS.L MACH,@-Rn", 52, 1, D, [](Sh2State& c) { c.r[1] = D + 4; c.mach = 0xC0C0C0C0; },
     [](Sh2State& c) { EXPECT_EQ(test_bus_get32(D), 0xC0C0C0C0u); EXPECT_EQ(c.r[1], D); }},
    {"STS.L MACL,@-Rn", 53, 1, D, [](Sh2State& c) { c.r[1] = D + 4; c.macl = 0xD0D0D0D0; },
     [](Sh2State& c) { EXPECT_EQ(test_bus_get32(D), 0xD0D0D0D0u); EXPECT_EQ(c.r[1], D); }},
    {"STS.L PR,@-Rn", 54, 1, D, [](Sh2State& c) { c.r[1] = D + 4; c.pr = 0xE0E0E0E0; },
     [](Sh2State& c) { EXPECT_EQ(test_bus_get32(D), 0xE0E0E0E0u); EXPECT_EQ(c.r[1], D); }},
    // Register forms of the control and system registers.
    {"LDC Rm,SR keeps 0x3F3", 55, 1, KEEP, [](Sh2State& c) { c.r[1] = 0xFFFFFFFF; },
     [](Sh2State& c) { EXPECT_EQ(c.sr, 0x3F3u); EXPECT_EQ(c.irq_recheck, 1); }},
    {"LDC Rm,GBR", 56, 1, KEEP, [](Sh2State& c) { c.r[1] = 0x89ABCDEF; },
     [](Sh2State& c) { EXPECT_EQ(c.gbr, 0x89ABCDEFu); }},
    {"LDC Rm,VBR", 57, 1, KEEP, [](Sh2State& c) { c.r[1] = 0x89ABCDEF; },
     [](Sh2State& c) { EXPECT_EQ(c.vbr, 0x89ABCDEFu); }},
    {"LDS Rm,MACH", 58, 1, KEEP, [](Sh2State& c) { c.r[1] = 0x89ABCDEF; },
     [](Sh2State& c) { EXPECT_EQ(c.mach, 0x89ABCDEFu); }},
    {"LDS Rm,MACL", 59, 1, KEEP, [](Sh2State& c) { c.r[1] = 0x89ABCDEF; },
     [](Sh2State& c) { EXPECT_EQ(c.macl, 0x89ABCDEFu); }},
    {"LDS Rm,PR", 60, 1, KEEP, [](Sh2State& c) { c.r[1] = 0x89ABCDEF; },
     [](Sh2State& c) { EXPECT_EQ(c.pr, 0x89ABCDEFu); }},
    {"STC SR,Rn", 61, 1, KEEP, [](Sh2State& c) { c.sr = 0x313; },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x313u); }},
    {"STC GBR,Rn", 62, 1, KEEP, [](Sh2State& c) { c.gbr = 0x1111; }, [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x1111u); }},
    {"STC VBR,Rn", 63, 1, KEEP, [](Sh2State& c) { c.vbr = 0x2222; }, [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x2222u); }},
    {"STS MACH,Rn", 64, 1, KEEP, [](Sh2State& c) { c.mach = 0x3333; }, [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x3333u); }},
    {"STS MACL,Rn", 65, 1, KEEP, [](Sh2State& c) { c.macl = 0x4444; }, [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x4444u); }},
    {"STS PR,Rn", 66, 1, KEEP, [](Sh2State& c) { c.pr = 0x5555; }, [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x5555u); }},
    // Immediates: MOV, ADD and CMP/EQ sign-extend; the logical forms don't.
    {"MOV #-128,Rn", 67, 1, KEEP, nullptr, [](Sh2State& c) { EXPECT_EQ(c.r[2], 0xFFFFFF80u); }},
    {"MOV #127,Rn", 68, 1, KEEP, nullptr, [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x7Fu); }},
    {"ADD #-128,Rn wraps below INT_MIN", 69, 1, KEEP, [](Sh2State& c) { c.r[2] = 0x80000000; },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x7FFFFF80u); EXPECT_EQ(c.sr, 0xF0u); }},
    {"CMP/EQ #-1,R0 equal", 70, 1, KEEP, [](Sh2State& c) { c.r[0] = 0xFFFFFFFF; },
     [](Sh2State& c) { EXPECT_EQ(c.sr & 1, 1u); }},
    {"CMP/EQ #-1,R0 not equal to 0xFF", 70, 1, KEEP, [](Sh2State& c) { c.r[0] = 0xFF; c.sr |= 1; },
     [](Sh2State& c) { EXPECT_EQ(c.sr & 1, 0u); }},
    {"TST #0x80,R0 zero", 71, 1, KEEP, [](Sh2State& c) { c.r[0] = 0xFFFFFF7F; },
     [](Sh2State& c) { EXPECT_EQ(c.sr & 1, 1u); }},
    {"TST #0x80,R0 set", 71, 1, KEEP, [](Sh2State& c) { c.r[0] = 0x80; c.sr |= 1; },
     [](Sh2State& c) { EXPECT_EQ(c.sr & 1, 0u); }},
    {"AND #0xF0,R0", 72, 1, KEEP, [](Sh2State& c) { c.r[0] = 0xFFFFFFFF; },
     [](Sh2State& c) { EXPECT_EQ(c.r[0], 0xF0u); }},
    {"OR #0x80,R0", 73, 1, KEEP, [](Sh2State& c) { c.r[0] = 0; }, [](Sh2State& c) { EXPECT_EQ(c.r[0], 0x80u); }},
    {"XOR #0xFF,R0", 74, 1, KEEP, [](Sh2State& c) { c.r[0] = 0xFFFFFFFF; },
     [](Sh2State& c) { EXPECT_EQ(c.r[0], 0xFFFFFF00u); }},
    // Multiplies: the 32-bit ones cost a cycle more.
    {"MUL.L", 77, 2, KEEP, [](Sh2State& c) { c.r[1] = 0x10001; c.r[2] = 0x10001; c.mach = 0x77; },
     [](Sh2State& c) { EXPECT_EQ(c.macl, 0x20001u); EXPECT_EQ(c.mach, 0x77u); }},
    {"DMULS.L", 78, 2, KEEP, [](Sh2State& c) { c.r[1] = 0xFFFFFFFF; c.r[2] = 0x7FFFFFFF; },
     [](Sh2State& c) { EXPECT_EQ(c.mach, 0xFFFFFFFFu); EXPECT_EQ(c.macl, 0x80000001u); }},
    {"DMULU.L", 79, 2, KEEP, [](Sh2State& c) { c.r[1] = 0xFFFFFFFF; c.r[2] = 0xFFFFFFFF; },
     [](Sh2State& c) { EXPECT_EQ(c.mach, 0xFFFFFFFEu); EXPECT_EQ(c.macl, 1u); }},
    {"MULS.W", 80, 1, KEEP, [](Sh2State& c) { c.r[1] = 0xFFFF; c.r[2] = 2; c.mach = 0x77; },
     [](Sh2State& c) { EXPECT_EQ(c.macl, 0xFFFFFFFEu); EXPECT_EQ(c.mach, 0x77u); }},
    {"MULU.W", 81, 1, KEEP, [](Sh2State& c) { c.r[1] = 0x1FFFF; c.r[2] = 2; },
     [](Sh2State& c) { EXPECT_EQ(c.macl, 0x1FFFEu); }},
    // Flag and MAC housekeeping.
    {"CLRMAC", 82, 1, KEEP, [](Sh2State& c) { c.mach = c.macl = 0xFFFFFFFF; },
     [](Sh2State& c) { EXPECT_EQ(c.mach, 0u); EXPECT_EQ(c.macl, 0u); }},
    {"CLRT", 83, 1, KEEP, [](Sh2State& c) { c.sr = 0x3F3; }, [](Sh2State& c) { EXPECT_EQ(c.sr, 0x3F2u); }},
    {"SETT", 84, 1, KEEP, [](Sh2State& c) { c.sr = 0x3F2; }, [](Sh2State& c) { EXPECT_EQ(c.sr, 0x3F3u); }},
    {"NOP", 85, 1, KEEP, nullptr, [](Sh2State& c) { EXPECT_EQ(c.sr, 0xF0u); }},
    {"DIV0U clears M, Q and T only", 86, 1, KEEP, [](Sh2State& c) { c.sr = 0x3F3; },
     [](Sh2State& c) { EXPECT_EQ(c.sr, 0x0F2u); }},
    {"MOVT", 87, 1, KEEP, [](Sh2State& c) { c.sr = 0xF1; c.r[2] = 0xFFFF; },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 1u); }},
    {"MOV Rm,Rn", 88, 1, KEEP, [](Sh2State& c) { c.r[1] = 0x80000000; },
     [](Sh2State& c) { EXPECT_EQ(c.r[2], 0x80000000u); }},
};

class TransferStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(TransferStep, ResultAddressAndCycles) {
    const StepCase& k = GetParam();
    static Sh2State cpu;
    ASSERT_TRUE(harness_load_snippet(&cpu, "transfer_steps", k.snippet));
    cpu.last_ea = KEEP;
    if (k.setup) k.setup(cpu);
    u32 pc = cpu.pc;
    u64 c0 = cpu.cycles;
    u32 next = harness_step(&cpu);
    EXPECT_EQ(next, pc + 2);
    EXPECT_EQ(cpu.cycles - c0, k.cycles);
    EXPECT_EQ(cpu.last_ea, k.last_ea);
    k.check(cpu);
}

std::string case_name(const ::testing::TestParamInfo<StepCase>& info) {
    std::string s;
    for (const char* p = info.param.name; *p; p++) s += isalnum(u8(*p)) ? *p : '_';
    return s + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Forms, TransferStep, ::testing::ValuesIn(cases), case_name);

// Each byte operation on @(R0,GBR) forms its address once, reads it and
// writes it back; TST.B only reads. TAS.B reads then writes.
TEST(TransferOrder, ReadModifyWriteIsOneReadThenOneWrite) {
    static Sh2State cpu;
    const u32 snippets[] = {39, 40, 41, 42, 38};
    for (u32 s : snippets) {
        SCOPED_TRACE(s);
        ASSERT_TRUE(harness_load_snippet(&cpu, "transfer_steps", s));
        cpu.gbr = D;
        cpu.r[0] = 0x10;
        cpu.r[1] = D + 0x10;
        test_bus_memory()[D + 0x10] = 0x5A;
        test_bus_log(true);
        harness_step(&cpu);
        const auto& log = test_bus_accesses();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log[0].kind, 'r');  // the fetch
        EXPECT_EQ(log[0].address, snippet_address(s));
        EXPECT_EQ(log[1].kind, 'r');
        EXPECT_EQ(log[1].size, 1);
        EXPECT_EQ(log[1].address, D + 0x10);
        if (s == 39) {
            EXPECT_EQ(log.size(), 2u);
        } else {
            ASSERT_EQ(log.size(), 3u);
            EXPECT_EQ(log[2].kind, 'w');
            EXPECT_EQ(log[2].size, 1);
            EXPECT_EQ(log[2].address, D + 0x10);
        }
    }
}

// Pre-decrement stores: one write of the access's width at the new address.
TEST(TransferOrder, PreDecrementWritesOnceAtTheNewAddress) {
    static Sh2State cpu;
    const struct {
        u32 snippet;
        int size;
    } forms[] = {{7, 1}, {8, 2}, {9, 4}, {49, 4}, {52, 4}};
    for (auto f : forms) {
        SCOPED_TRACE(f.snippet);
        ASSERT_TRUE(harness_load_snippet(&cpu, "transfer_steps", f.snippet));
        cpu.r[1] = D + 8;
        test_bus_log(true);
        harness_step(&cpu);
        const auto& log = test_bus_accesses();
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[1].kind, 'w');
        EXPECT_EQ(log[1].size, f.size);
        EXPECT_EQ(log[1].address, D + 8 - u32(f.size));
    }
}

}  // namespace

// Every operation type on its own: the cycles it adds beyond the step's
// one, and whether it notes its data address in last_ea. Only the
// memory-addressing forms note it; the post-increment loads, the
// pre-decrement MOVs and the two MACs leave it alone.
TEST(OperationTable, ExtraCyclesAndLastEaOfEveryType) {
    std::array<u32, 129> extra{};
    for (u32 t : {5u, 41u, 48u, 54u, 67u, 79u}) extra[t] = 1;
    for (u32 t : {12u, 58u, 63u, 70u, 83u, 123u, 124u, 125u, 126u}) extra[t] = 2;
    extra[74] = 3;
    std::array<bool, 129> notes{};
    for (u32 t : {2u,  3u,  4u,  9u,   10u,  11u,  21u,  22u,  23u,  24u,  53u,  54u,  57u,  58u,
                  66u, 67u, 69u, 70u,  74u,  78u,  79u,  82u,  83u,  88u,  89u,  90u,  91u,  106u,
                  107u, 108u, 109u, 111u, 112u, 113u, 114u, 115u, 116u, 117u, 118u, 123u, 124u, 125u,
                  126u, 127u})
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
