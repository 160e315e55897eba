// The decode table checked against the GNU assembler for SH: every form
// is assembled (decode/forms.s) and each opcode must decode to the entry
// written beside it; then the table's own rules over all 65,536 opcodes.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sh2/sh2.h"

namespace {

struct Expected {
    int line;
    std::string text;
    int kind, op_type, a, b, c, disp;
};

std::vector<Expected> read_expectations() {
    std::vector<Expected> list;
    std::ifstream in(DECODE_SOURCE_DIR "/forms.s");
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        number++;
        size_t mark = line.find("!=");
        if (mark == std::string::npos || line.find_first_not_of(" \t") == mark) continue;
        Expected e{};
        e.line = number;
        e.text = line.substr(0, mark);
        std::istringstream fields(line.substr(mark + 2));
        if (!(fields >> e.kind >> e.op_type >> e.a >> e.b >> e.c >> e.disp)) {
            ADD_FAILURE() << "bad expectation on line " << number;
            continue;
        }
        list.push_back(e);
    }
    return list;
}

std::vector<u16> read_opcodes() {
    std::vector<u16> ops;
    FILE* f = fopen(RUNTIME_PROGRAM_DIR "/forms.bin", "rb");
    if (!f) return ops;
    int hi, lo;
    while ((hi = fgetc(f)) != EOF && (lo = fgetc(f)) != EOF) ops.push_back(u16((hi << 8) | lo));
    fclose(f);
    return ops;
}

const Sh2DecodeEntry& entry(u32 op) { return sh2_decode_table()[op & 0xFFFF]; }

bool same(const Sh2DecodeEntry& x, const Sh2DecodeEntry& y) {
    return x.kind == y.kind && x.op_type == y.op_type && x.a == y.a && x.b == y.b && x.c == y.c && x.disp == y.disp;
}

}  // namespace

TEST(Decode, EveryAssembledFormDecodesToItsEntry) {
    std::vector<Expected> expected = read_expectations();
    std::vector<u16> ops = read_opcodes();
    ASSERT_FALSE(ops.empty()) << "forms.bin missing";
    ASSERT_EQ(expected.size(), ops.size()) << "every instruction line of forms.s needs its expectation";
    for (size_t i = 0; i < ops.size(); i++) {
        const Expected& x = expected[i];
        const Sh2DecodeEntry& e = entry(ops[i]);
        SCOPED_TRACE("line " + std::to_string(x.line) + ":" + x.text);
        char hex[8];
        snprintf(hex, sizeof hex, "%04X", ops[i]);
        SCOPED_TRACE(std::string("opcode ") + hex);
        EXPECT_EQ(e.kind, x.kind);
        EXPECT_EQ(e.op_type, x.op_type);
        EXPECT_EQ(e.a, x.a);
        EXPECT_EQ(e.b, x.b);
        EXPECT_EQ(e.c, x.c);
        EXPECT_EQ(e.disp, x.disp);
    }
}

TEST(Decode, AssembledFormsCoverEveryOperationType) {
    std::array<bool, 129> seen{};
    for (u16 op : read_opcodes()) seen[entry(op).op_type] = true;
    for (int t = 1; t <= 128; t++) EXPECT_TRUE(seen[t]) << "type " << t << " never assembled";
}

TEST(Decode, IgnoredBitsOfGroupZeroAndFour) {
    // Bits 6-7 are ignored, and bits 8-11 for forms without an N operand.
    EXPECT_EQ(entry(0x0008).op_type, 6);  // CLRT
    EXPECT_EQ(entry(0x0048).op_type, 6);
    EXPECT_EQ(entry(0x0088).op_type, 6);
    EXPECT_EQ(entry(0x00C8).op_type, 6);
    EXPECT_EQ(entry(0x0F09).op_type, 7);  // NOP
    EXPECT_EQ(entry(0x0F09).a, 0);
    EXPECT_EQ(entry(0x0032).kind, SH2_KIND_ILLEGAL);
    EXPECT_EQ(entry(0x05DB).kind, SH2_KIND_SLEEP);  // 0.1B with bits 6-7 and 8-11 set
    EXPECT_EQ(entry(0x0AEB).kind, SH2_KIND_RTE);    // 0.2B likewise

    // SHLL Rn with bits 6-7 set keeps field N as its register.
    for (u32 bits67 = 0; bits67 < 4; bits67++) {
        const Sh2DecodeEntry& e = entry(0x4700 | (bits67 << 6));
        EXPECT_EQ(e.kind, SH2_KIND_PLAIN);
        EXPECT_EQ(e.op_type, 51);
        EXPECT_EQ(e.a, 7);
        EXPECT_EQ(e.b, 0);
    }
    // JSR and JMP likewise.
    EXPECT_EQ(entry(0x43CB).kind, SH2_KIND_JSR);
    EXPECT_EQ(entry(0x43CB).a, 3);
    EXPECT_EQ(entry(0x4EEB).kind, SH2_KIND_JMP);
    EXPECT_EQ(entry(0x4EEB).a, 14);

    // Over the whole of both groups: bits 6-7 never change the form, and
    // only the forms with an M operand read them (as part of M).
    for (u32 op = 0; op < 0x10000; op++) {
        u32 group = op >> 12;
        if (group != 0 && group != 4) continue;
        const Sh2DecodeEntry& e = entry(op);
        const Sh2DecodeEntry& base = entry(op & ~0xC0u);
        ASSERT_EQ(e.kind, base.kind) << std::hex << op;
        ASSERT_EQ(e.op_type, base.op_type) << std::hex << op;
        bool has_m = (group == 0 && ((op & 0xF) >= 0xC || ((op & 0xF) >= 4 && (op & 0xF) <= 7))) ||
                     (group == 4 && (op & 0xF) == 0xF);
        if (has_m) {
            ASSERT_EQ(e.a, (op >> 4) & 0xF) << std::hex << op;
            ASSERT_EQ(e.b, (op >> 8) & 0xF) << std::hex << op;
        } else {
            ASSERT_TRUE(same(e, base)) << std::hex << op;
        }
    }
}

TEST(Decode, IllegalOpcodesAreExactlyTheUnmatchedOnes) {
    u32 illegal = 0;
    for (u32 op = 0; op < 0x10000; op++) {
        const Sh2DecodeEntry& e = entry(op);
        if (e.kind != SH2_KIND_ILLEGAL) continue;
        illegal++;
        ASSERT_EQ(e.op_type, 0) << std::hex << op;
        ASSERT_EQ(e.a | e.b | e.c, 0) << std::hex << op;
        ASSERT_EQ(e.disp, 0) << std::hex << op;
    }
    EXPECT_EQ(illegal, 9024u);
    for (u32 op = 0xF000; op < 0x10000; op++) ASSERT_EQ(entry(op).kind, SH2_KIND_ILLEGAL) << std::hex << op;

    // Representatives of every illegal hole outside group F.
    const u32 holes[] = {0x0000, 0x0001, 0x0010, 0x0011, 0x0013, 0x0020, 0x0021, 0x0030, 0x0031, 0x0032, 0x0033,
                         0x0038, 0x0039, 0x003A, 0x003B, 0x2003, 0x3001, 0x3009, 0x400C, 0x400D, 0x4014, 0x401C,
                         0x401D, 0x402C, 0x402D, 0x4030, 0x403E, 0x8200, 0x8300, 0x8600, 0x8700, 0x8A00, 0x8C00,
                         0x8E00, 0xFFFF};
    for (u32 op : holes) EXPECT_EQ(entry(op).kind, SH2_KIND_ILLEGAL) << std::hex << op;
}

TEST(Decode, OperationTypesAreNumberedByLowestOpcode) {
    std::array<u32, 129> lowest;
    lowest.fill(0x10000);
    for (u32 op = 0; op < 0x10000; op++) {
        const Sh2DecodeEntry& e = entry(op);
        if (e.kind <= SH2_KIND_SRLOAD) {
            ASSERT_GE(e.op_type, 1) << std::hex << op;
            ASSERT_LE(e.op_type, 128) << std::hex << op;
        } else {
            ASSERT_EQ(e.op_type, 0) << std::hex << op;
        }
        ASSERT_LE(e.kind, SH2_KIND_ILLEGAL) << std::hex << op;
        if (e.op_type != 0 && op < lowest[e.op_type]) lowest[e.op_type] = op;
    }
    for (int t = 1; t <= 128; t++) ASSERT_LT(lowest[t], 0x10000u) << "type " << t << " unused";
    for (int t = 2; t <= 128; t++) EXPECT_LT(lowest[t - 1], lowest[t]) << "type " << t;
    // Only the two SR loads are kind 2, only the three PC-relative forms kind 1.
    for (u32 op = 0; op < 0x10000; op++) {
        const Sh2DecodeEntry& e = entry(op);
        if (e.kind == SH2_KIND_SRLOAD) {
            ASSERT_TRUE(e.op_type == 58 || e.op_type == 62) << std::hex << op;
        }
        if (e.kind == SH2_KIND_PCREL) {
            ASSERT_TRUE(e.op_type == 111 || e.op_type == 118 || e.op_type == 127) << std::hex << op;
        }
    }
}

TEST(Decode, BranchDisplacementsAreSignExtended) {
    EXPECT_EQ(entry(0x89FE).disp, -2);     // BT
    EXPECT_EQ(entry(0x8B80).disp, -128);   // BF
    EXPECT_EQ(entry(0x8D7F).disp, 127);    // BT/S
    EXPECT_EQ(entry(0xA800).disp, -2048);  // BRA
    EXPECT_EQ(entry(0xA7FF).disp, 2047);
    EXPECT_EQ(entry(0xBFFF).disp, -1);  // BSR
    // Only the displacement branches carry one.
    for (u32 op = 0; op < 0x10000; op++) {
        const Sh2DecodeEntry& e = entry(op);
        if (e.kind < SH2_KIND_BT || e.kind > SH2_KIND_BSR) {
            ASSERT_EQ(e.disp, 0) << std::hex << op;
        }
    }
}
