// Generates the SH-2 decode table: one entry for each of the 65,536
// opcodes, written out as a constant array that is compiled into the
// runtime. Usage: sh2_decode_gen <output.cpp>
//
// Groups 0 and 4 are matched on bits 0-5 only (bits 6-7 never take part,
// bits 8-11 only as the N field); groups 2, 3 and 6 on bits 0-3; groups 8
// and C on bits 8-15; the remaining groups are one form each. Anything
// unmatched, and the whole of group F, is an illegal instruction.
#include <cstdio>

#include "sh2/interpreter.h"

namespace {

struct Fields {
    u8 n, m, d, i;
    u16 l;
};

Sh2DecodeEntry plain(Sh2Op type, u8 a = 0, u8 b = 0, u8 c = 0) { return {SH2_KIND_PLAIN, type, a, b, c, 0}; }
Sh2DecodeEntry with_kind(u8 kind, Sh2Op type, u8 a = 0, u8 b = 0) { return {kind, type, a, b, 0, 0}; }
Sh2DecodeEntry flow(u8 kind, u8 a = 0) { return {kind, SH2_OP_NONE, a, 0, 0, 0}; }
Sh2DecodeEntry branch(u8 kind, s16 disp) { return {kind, SH2_OP_NONE, 0, 0, 0, disp}; }
Sh2DecodeEntry illegal() { return {SH2_KIND_ILLEGAL, SH2_OP_NONE, 0, 0, 0, 0}; }

s16 sext8(u32 v) { return s16(s8(u8(v))); }
s16 sext12(u32 v) { return s16((v & 0x800) ? int(v) - 0x1000 : int(v)); }

Sh2DecodeEntry group0(const Fields& f, u32 low6) {
    switch (low6 & 0xF) {  // the forms with M in the third digit
    case 0x4: return plain(SH2_OP_MOVB_STORE_R0N, f.m, f.n);
    case 0x5: return plain(SH2_OP_MOVW_STORE_R0N, f.m, f.n);
    case 0x6: return plain(SH2_OP_MOVL_STORE_R0N, f.m, f.n);
    case 0x7: return plain(SH2_OP_MUL_L, f.m, f.n);
    case 0xC: return plain(SH2_OP_MOVB_LOAD_R0M, f.m, f.n);
    case 0xD: return plain(SH2_OP_MOVW_LOAD_R0M, f.m, f.n);
    case 0xE: return plain(SH2_OP_MOVL_LOAD_R0M, f.m, f.n);
    case 0xF: return plain(SH2_OP_MAC_L, f.m, f.n);
    default: break;
    }
    switch (low6) {
    case 0x02: return plain(SH2_OP_STC_SR, f.n);
    case 0x03: return flow(SH2_KIND_BSRF, f.n);
    case 0x08: return plain(SH2_OP_CLRT);
    case 0x09: return plain(SH2_OP_NOP);
    case 0x0A: return plain(SH2_OP_STS_MACH, f.n);
    case 0x0B: return flow(SH2_KIND_RTS);
    case 0x12: return plain(SH2_OP_STC_GBR, f.n);
    case 0x18: return plain(SH2_OP_SETT);
    case 0x19: return plain(SH2_OP_DIV0U);
    case 0x1A: return plain(SH2_OP_STS_MACL, f.n);
    case 0x1B: return flow(SH2_KIND_SLEEP);
    case 0x22: return plain(SH2_OP_STC_VBR, f.n);
    case 0x23: return flow(SH2_KIND_BRAF, f.n);
    case 0x28: return plain(SH2_OP_CLRMAC);
    case 0x29: return plain(SH2_OP_MOVT, f.n);
    case 0x2A: return plain(SH2_OP_STS_PR, f.n);
    case 0x2B: return flow(SH2_KIND_RTE);
    default: return illegal();
    }
}

Sh2DecodeEntry group2(const Fields& f, u32 low4) {
    // clang-format off
    static const Sh2Op types[16] = {
        SH2_OP_MOVB_STORE, SH2_OP_MOVW_STORE, SH2_OP_MOVL_STORE, SH2_OP_NONE,
        SH2_OP_MOVB_STORE_DEC, SH2_OP_MOVW_STORE_DEC, SH2_OP_MOVL_STORE_DEC, SH2_OP_DIV0S,
        SH2_OP_TST, SH2_OP_AND, SH2_OP_XOR, SH2_OP_OR,
        SH2_OP_CMP_STR, SH2_OP_XTRCT, SH2_OP_MULU_W, SH2_OP_MULS_W,
    };
    // clang-format on
    if (types[low4] == SH2_OP_NONE) return illegal();
    return plain(types[low4], f.m, f.n);
}

Sh2DecodeEntry group3(const Fields& f, u32 low4) {
    static const Sh2Op types[16] = {SH2_OP_CMP_EQ, SH2_OP_NONE,    SH2_OP_CMP_HS, SH2_OP_CMP_GE,
                                    SH2_OP_DIV1,   SH2_OP_DMULU_L, SH2_OP_CMP_HI, SH2_OP_CMP_GT,
                                    SH2_OP_SUB,    SH2_OP_NONE,    SH2_OP_SUBC,   SH2_OP_SUBV,
                                    SH2_OP_ADD,    SH2_OP_DMULS_L, SH2_OP_ADDC,   SH2_OP_ADDV};
    if (types[low4] == SH2_OP_NONE) return illegal();
    return plain(types[low4], f.m, f.n);
}

Sh2DecodeEntry group4(const Fields& f, u32 low6) {
    if ((low6 & 0xF) == 0xF) return plain(SH2_OP_MAC_W, f.m, f.n);  // MAC.W
    switch (low6) {
    case 0x07: return with_kind(SH2_KIND_SRLOAD, SH2_OP_LDC_L_SR, f.n);
    case 0x0E: return with_kind(SH2_KIND_SRLOAD, SH2_OP_LDC_SR, f.n);
    case 0x0B: return flow(SH2_KIND_JSR, f.n);
    case 0x2B: return flow(SH2_KIND_JMP, f.n);
    default: break;
    }
    // The remaining single-register forms, by bits 0-5; none = illegal.
    // clang-format off
    static const Sh2Op types[64] = {
        // 0x00-0x0F
        SH2_OP_SHLL, SH2_OP_SHLR, SH2_OP_STS_L_MACH, SH2_OP_STC_L_SR, SH2_OP_ROTL, SH2_OP_ROTR, SH2_OP_LDS_L_MACH, SH2_OP_NONE,
        SH2_OP_SHLL2, SH2_OP_SHLR2, SH2_OP_LDS_MACH, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE,
        // 0x10-0x1F
        SH2_OP_DT, SH2_OP_CMP_PZ, SH2_OP_STS_L_MACL, SH2_OP_STC_L_GBR, SH2_OP_NONE, SH2_OP_CMP_PL, SH2_OP_LDS_L_MACL, SH2_OP_LDC_L_GBR,
        SH2_OP_SHLL8, SH2_OP_SHLR8, SH2_OP_LDS_MACL, SH2_OP_TAS_B, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_LDC_GBR, SH2_OP_NONE,
        // 0x20-0x2F
        SH2_OP_SHAL, SH2_OP_SHAR, SH2_OP_STS_L_PR, SH2_OP_STC_L_VBR, SH2_OP_ROTCL, SH2_OP_ROTCR, SH2_OP_LDS_L_PR, SH2_OP_LDC_L_VBR,
        SH2_OP_SHLL16, SH2_OP_SHLR16, SH2_OP_LDS_PR, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_LDC_VBR, SH2_OP_NONE,
        // 0x30-0x3F
        SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE,
        SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE, SH2_OP_NONE,
    };
    // clang-format on
    if (types[low6] == SH2_OP_NONE) return illegal();
    return plain(types[low6], f.n);
}

Sh2DecodeEntry group6(const Fields& f, u32 low4) {
    static const Sh2Op types[16] = {
        SH2_OP_MOVB_LOAD,     SH2_OP_MOVW_LOAD,     SH2_OP_MOVL_LOAD,     SH2_OP_MOV,
        SH2_OP_MOVB_LOAD_INC, SH2_OP_MOVW_LOAD_INC, SH2_OP_MOVL_LOAD_INC, SH2_OP_NOT,
        SH2_OP_SWAP_B,        SH2_OP_SWAP_W,        SH2_OP_NEGC,          SH2_OP_NEG,
        SH2_OP_EXTU_B,        SH2_OP_EXTU_W,        SH2_OP_EXTS_B,        SH2_OP_EXTS_W,
    };
    return plain(types[low4], f.m, f.n);
}

Sh2DecodeEntry group8(const Fields& f, u32 sub) {
    switch (sub) {
    case 0x0: return plain(SH2_OP_MOVB_STORE_DISP_R0, f.d, f.m);
    case 0x1: return plain(SH2_OP_MOVW_STORE_DISP_R0, f.d, f.m);
    case 0x4: return plain(SH2_OP_MOVB_LOAD_DISP_R0, f.m, f.d);
    case 0x5: return plain(SH2_OP_MOVW_LOAD_DISP_R0, f.m, f.d);
    case 0x8: return plain(SH2_OP_CMP_EQ_IMM, f.i);
    case 0x9: return branch(SH2_KIND_BT, sext8(f.i));
    case 0xB: return branch(SH2_KIND_BF, sext8(f.i));
    case 0xD: return branch(SH2_KIND_BTS, sext8(f.i));
    case 0xF: return branch(SH2_KIND_BFS, sext8(f.i));
    default: return illegal();
    }
}

Sh2DecodeEntry groupC(const Fields& f, u32 sub) {
    if (sub == 0x3) return flow(SH2_KIND_TRAPA, f.i);
    if (sub == 0x7) return with_kind(SH2_KIND_PCREL, SH2_OP_MOVA, f.i);
    static const Sh2Op types[16] = {SH2_OP_MOVB_STORE_GBR, SH2_OP_MOVW_STORE_GBR, SH2_OP_MOVL_STORE_GBR, SH2_OP_NONE,
                                    SH2_OP_MOVB_LOAD_GBR,  SH2_OP_MOVW_LOAD_GBR,  SH2_OP_MOVL_LOAD_GBR,  SH2_OP_NONE,
                                    SH2_OP_TST_IMM,        SH2_OP_AND_IMM,        SH2_OP_XOR_IMM,        SH2_OP_OR_IMM,
                                    SH2_OP_TST_B,          SH2_OP_AND_B,          SH2_OP_XOR_B,          SH2_OP_OR_B};
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
    case 0x1: return plain(SH2_OP_MOVL_STORE_DISP, f.m, f.d, f.n);
    case 0x2: return group2(f, op & 0xF);
    case 0x3: return group3(f, op & 0xF);
    case 0x4: return group4(f, op & 0x3F);
    case 0x5: return plain(SH2_OP_MOVL_LOAD_DISP, f.m, f.d, f.n);
    case 0x6: return group6(f, op & 0xF);
    case 0x7: return plain(SH2_OP_ADD_IMM, f.i, f.n);
    case 0x8: return group8(f, (op >> 8) & 0xF);
    case 0x9: return with_kind(SH2_KIND_PCREL, SH2_OP_MOVW_LOAD_PC, f.i, f.n);
    case 0xA: return branch(SH2_KIND_BRA, sext12(f.l));
    case 0xB: return branch(SH2_KIND_BSR, sext12(f.l));
    case 0xC: return groupC(f, (op >> 8) & 0xF);
    case 0xD: return with_kind(SH2_KIND_PCREL, SH2_OP_MOVL_LOAD_PC, f.i, f.n);
    case 0xE: return plain(SH2_OP_MOV_IMM, f.i, f.n);
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
            "#include \"sh2/interpreter.h\"\n\n"
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
