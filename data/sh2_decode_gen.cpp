// Generates the SH-2 decode table: one entry for each of the 65,536
// opcodes, written out as a constant array that is compiled into the
// runtime. Usage: sh2_decode_gen <output.cpp>
//
// Groups 0 and 4 are matched on bits 0-5 only (bits 6-7 never take part,
// bits 8-11 only as the N field); groups 2, 3 and 6 on bits 0-3; groups 8
// and C on bits 8-15; the remaining groups are one form each. Anything
// unmatched, and the whole of group F, is an illegal instruction.
#include <cstdio>

#include "sh2/sh2.h"

namespace {

struct Fields {
    u8 n, m, d, i;
    u16 l;
};

Sh2DecodeEntry plain(u8 type, u8 a = 0, u8 b = 0, u8 c = 0) { return {SH2_KIND_PLAIN, type, a, b, c, 0}; }
Sh2DecodeEntry with_kind(u8 kind, u8 type, u8 a = 0, u8 b = 0) { return {kind, type, a, b, 0, 0}; }
Sh2DecodeEntry flow(u8 kind, u8 a = 0) { return {kind, 0, a, 0, 0, 0}; }
Sh2DecodeEntry branch(u8 kind, s16 disp) { return {kind, 0, 0, 0, 0, disp}; }
Sh2DecodeEntry illegal() { return {SH2_KIND_ILLEGAL, 0, 0, 0, 0, 0}; }

s16 sext8(u32 v) { return s16(s8(u8(v))); }
s16 sext12(u32 v) { return s16((v & 0x800) ? int(v) - 0x1000 : int(v)); }

Sh2DecodeEntry group0(const Fields& f, u32 low6) {
    switch (low6 & 0xF) {  // the forms with M in the third digit
    case 0x4: return plain(2, f.m, f.n);
    case 0x5: return plain(3, f.m, f.n);
    case 0x6: return plain(4, f.m, f.n);
    case 0x7: return plain(5, f.m, f.n);
    case 0xC: return plain(9, f.m, f.n);
    case 0xD: return plain(10, f.m, f.n);
    case 0xE: return plain(11, f.m, f.n);
    case 0xF: return plain(12, f.m, f.n);
    default: break;
    }
    switch (low6) {
    case 0x02: return plain(1, f.n);
    case 0x03: return flow(SH2_KIND_BSRF, f.n);
    case 0x08: return plain(6);
    case 0x09: return plain(7);
    case 0x0A: return plain(8, f.n);
    case 0x0B: return flow(SH2_KIND_RTS);
    case 0x12: return plain(13, f.n);
    case 0x18: return plain(14);
    case 0x19: return plain(15);
    case 0x1A: return plain(16, f.n);
    case 0x1B: return flow(SH2_KIND_SLEEP);
    case 0x22: return plain(17, f.n);
    case 0x23: return flow(SH2_KIND_BRAF, f.n);
    case 0x28: return plain(18);
    case 0x29: return plain(19, f.n);
    case 0x2A: return plain(20, f.n);
    case 0x2B: return flow(SH2_KIND_RTE);
    default: return illegal();
    }
}

Sh2DecodeEntry group2(const Fields& f, u32 low4) {
    static const u8 types[16] = {22, 23, 24, 0, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36};
    if (types[low4] == 0) return illegal();
    return plain(types[low4], f.m, f.n);
}

Sh2DecodeEntry group3(const Fields& f, u32 low4) {
    static const u8 types[16] = {37, 0, 38, 39, 40, 41, 42, 43, 44, 0, 45, 46, 47, 48, 49, 50};
    if (types[low4] == 0) return illegal();
    return plain(types[low4], f.m, f.n);
}

Sh2DecodeEntry group4(const Fields& f, u32 low6) {
    if ((low6 & 0xF) == 0xF) return plain(63, f.m, f.n);  // MAC.W
    switch (low6) {
    case 0x07: return with_kind(SH2_KIND_SRLOAD, 58, f.n);
    case 0x0E: return with_kind(SH2_KIND_SRLOAD, 62, f.n);
    case 0x0B: return flow(SH2_KIND_JSR, f.n);
    case 0x2B: return flow(SH2_KIND_JMP, f.n);
    default: break;
    }
    // The remaining single-register forms, by bits 0-5; 0 = illegal.
    static const u8 types[64] = {
        51, 52, 53, 54, 55, 56, 57, 0,  59, 60, 61, 0,  0, 0, 0,  0,  // 0x00-0x0F
        64, 65, 66, 67, 0,  68, 69, 70, 71, 72, 73, 74, 0, 0, 75, 0,  // 0x10-0x1F
        76, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 0,  0, 0, 87, 0,  // 0x20-0x2F
        0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, 0, 0,  0,  // 0x30-0x3F
    };
    if (types[low6] == 0) return illegal();
    return plain(types[low6], f.n);
}

Sh2DecodeEntry group8(const Fields& f, u32 sub) {
    switch (sub) {
    case 0x0: return plain(106, f.d, f.m);
    case 0x1: return plain(107, f.d, f.m);
    case 0x4: return plain(108, f.m, f.d);
    case 0x5: return plain(109, f.m, f.d);
    case 0x8: return plain(110, f.i);
    case 0x9: return branch(SH2_KIND_BT, sext8(f.i));
    case 0xB: return branch(SH2_KIND_BF, sext8(f.i));
    case 0xD: return branch(SH2_KIND_BTS, sext8(f.i));
    case 0xF: return branch(SH2_KIND_BFS, sext8(f.i));
    default: return illegal();
    }
}

Sh2DecodeEntry groupC(const Fields& f, u32 sub) {
    if (sub == 0x3) return flow(SH2_KIND_TRAPA, f.i);
    if (sub == 0x7) return with_kind(SH2_KIND_PCREL, 118, f.i);
    static const u8 types[16] = {112, 113, 114, 0, 115, 116, 117, 0, 119, 120, 121, 122, 123, 124, 125, 126};
    return plain(types[sub], f.i);
}

Sh2DecodeEntry decode(u32 op) {
    Fields f;
    f.n = u8((op >> 8) & 0xF);
    f.m = u8((op >> 4) & 0xF);
    f.d = u8(op & 0xF);
    f.i = u8(op & 0xFF);
    f.l = u16(op & 0xFFF);
    switch (op >> 12) {
    case 0x0: return group0(f, op & 0x3F);
    case 0x1: return plain(21, f.m, f.d, f.n);
    case 0x2: return group2(f, op & 0xF);
    case 0x3: return group3(f, op & 0xF);
    case 0x4: return group4(f, op & 0x3F);
    case 0x5: return plain(88, f.m, f.d, f.n);
    case 0x6: return plain(u8(89 + (op & 0xF)), f.m, f.n);
    case 0x7: return plain(105, f.i, f.n);
    case 0x8: return group8(f, (op >> 8) & 0xF);
    case 0x9: return with_kind(SH2_KIND_PCREL, 111, f.i, f.n);
    case 0xA: return branch(SH2_KIND_BRA, sext12(f.l));
    case 0xB: return branch(SH2_KIND_BSR, sext12(f.l));
    case 0xC: return groupC(f, (op >> 8) & 0xF);
    case 0xD: return with_kind(SH2_KIND_PCREL, 127, f.i, f.n);
    case 0xE: return plain(128, f.i, f.n);
    default: return illegal();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s <output.cpp>\n", argv[0]);
        return 1;
    }
    FILE* out = fopen(argv[1], "w");
    if (!out) {
        fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    fprintf(out,
            "// Generated by sh2_decode_gen: the SH-2 decode table, entry i for opcode i.\n"
            "#include \"sh2/sh2.h\"\n\n"
            "extern const Sh2DecodeEntry sh2_decode_entries[65536];\n"
            "const Sh2DecodeEntry sh2_decode_entries[65536] = {\n");
    for (u32 op = 0; op < 0x10000; op++) {
        Sh2DecodeEntry e = decode(op);
        fprintf(out, "{%u,%u,%u,%u,%u,%d},%s", e.kind, e.op_type, e.a, e.b, e.c, e.disp, (op & 7) == 7 ? "\n" : "");
    }
    fprintf(out, "};\n");
    if (fclose(out) != 0) {
        fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
