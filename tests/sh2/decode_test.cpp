// The decode table checked against the GNU assembler for SH: every form is
// assembled (decode/forms.s) and each opcode must decode to the entry
// written beside it; then the table's own rules over all 65,536 opcodes.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "sh2_harness.h"

namespace {

const Sh2DecodeEntry& entry(u32 op) { return sh2_decode_table()[op & 0xFFFF]; }

TEST(Decode, EveryAssembledFormDecodesToItsEntry) {
    test_bus_reset();
    const u32 count = u32(test_bus_load_file(RUNTIME_PROGRAM_DIR "/forms.bin", 0)) / 2;
    ASSERT_GT(count, 0u) << "forms.bin missing";
    std::ifstream in(DECODE_SOURCE_DIR "/forms.s");
    std::string line;
    u32 i = 0;
    std::array<bool, 129> seen{};
    for (int number = 1; std::getline(in, line); number++) {
        // Each instruction line carries "!= kind op_type a b c disp".
        size_t mark = line.find("!=");
        if (mark == std::string::npos || line.find_first_not_of(" \t") == mark) continue;
        ASSERT_LT(i, count) << "more expectations than assembled instructions";
        int want[6];
        std::istringstream fields(line.substr(mark + 2));
        ASSERT_TRUE(fields >> want[0] >> want[1] >> want[2] >> want[3] >> want[4] >> want[5]) << "line " << number;
        const u32 op = test_bus_get16(2 * i++);
        const Sh2DecodeEntry& e = entry(op);
        const int got[6] = {e.kind, e.op_type, e.a, e.b, e.c, e.disp};
        char hex[8];
        snprintf(hex, sizeof hex, "%04X", op);
        for (int f = 0; f < 6; f++)
            EXPECT_EQ(got[f], want[f]) << "field " << f << " of " << hex << " on line " << number << ":"
                                       << line.substr(0, mark);
        seen[e.op_type] = true;
    }
    EXPECT_EQ(i, count) << "every assembled instruction needs its expectation";
    for (int t = 1; t <= 128; t++) EXPECT_TRUE(seen[t]) << "type " << t << " never assembled";
}

TEST(Decode, IgnoredBitsOfGroupZeroAndFour) {
    // Bits 8-11 are ignored by forms without an N operand.
    EXPECT_EQ(entry(0x0F09).op_type, 7);  // NOP
    EXPECT_EQ(entry(0x0F09).a, 0);
    EXPECT_EQ(entry(0x05DB).kind, SH2_KIND_SLEEP);  // bits 6-7 and 8-11 set
    EXPECT_EQ(entry(0x0AEB).kind, SH2_KIND_RTE);
    EXPECT_EQ(entry(0x0032).kind, SH2_KIND_ILLEGAL);
    // Bits 6-7 never change the form; only forms with an M operand read them (as part of M).
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
            ASSERT_TRUE(e.a == base.a && e.b == base.b && e.c == base.c && e.disp == base.disp) << std::hex << op;
        }
    }
}

// Over the whole table: illegal entries are empty and exactly as many as
// the unmatched opcodes; types are numbered by their lowest opcode; only the
// SR loads are kind 2, only the three PC-relative forms kind 1, and only
// the displacement branches carry a displacement.
TEST(Decode, WholeTableRules) {
    u32 illegal = 0;
    std::array<u32, 129> lowest;
    lowest.fill(0x10000);
    for (u32 op = 0; op < 0x10000; op++) {
        const Sh2DecodeEntry& e = entry(op);
        ASSERT_LE(e.kind, SH2_KIND_ILLEGAL) << std::hex << op;
        if (e.kind == SH2_KIND_ILLEGAL) {
            illegal++;
            ASSERT_EQ(e.a | e.b | e.c, 0) << std::hex << op;
        }
        ASSERT_TRUE(op < 0xF000 || e.kind == SH2_KIND_ILLEGAL) << std::hex << op;
        if (e.kind <= SH2_KIND_SRLOAD) {
            ASSERT_GE(e.op_type, 1) << std::hex << op;
            ASSERT_LE(e.op_type, 128) << std::hex << op;
            if (op < lowest[e.op_type]) lowest[e.op_type] = op;
        } else {
            ASSERT_EQ(e.op_type, 0) << std::hex << op;
        }
        ASSERT_TRUE(e.kind != SH2_KIND_SRLOAD || e.op_type == 58 || e.op_type == 62) << std::hex << op;
        ASSERT_TRUE(e.kind != SH2_KIND_PCREL || e.op_type == 111 || e.op_type == 118 || e.op_type == 127)
            << std::hex << op;
        ASSERT_TRUE((e.kind >= SH2_KIND_BT && e.kind <= SH2_KIND_BSR) || e.disp == 0) << std::hex << op;
    }
    EXPECT_EQ(illegal, 9024u);
    for (int t = 1; t <= 128; t++) ASSERT_LT(lowest[t], 0x10000u) << "type " << t << " unused";
    for (int t = 2; t <= 128; t++) EXPECT_LT(lowest[t - 1], lowest[t]) << "type " << t;
}

}  // namespace
