// Register arithmetic, logic, compares, shifts and multiplies, checked on a
// grid of operands (with the signed and unsigned extremes) against a model
// written with wide host arithmetic, plus division loops checked against
// host division.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sh2_harness.h"
#include "test_bus.h"

namespace {

struct RegSr {
    u32 r;
    u32 sr;
};

u32 tbit(u32 sr) { return sr & 1; }
u32 with_t(u32 sr, bool t) { return (sr & ~1u) | (t ? 1u : 0u); }
s64 sx(u32 v) { return s64(s32(v)); }

// Reference model, one function per instruction, in the order the program
// runs them. n and m are the register values, sr the status register.
typedef RegSr (*Model)(u32 n, u32 m, u32 sr);

RegSr m_add(u32 n, u32 m, u32 sr) { return {u32(u64(n) + m), sr}; }
RegSr m_addc(u32 n, u32 m, u32 sr) {
    u64 s = u64(n) + m + tbit(sr);
    return {u32(s), with_t(sr, s >> 32)};
}
RegSr m_addv(u32 n, u32 m, u32 sr) {
    s64 s = sx(n) + sx(m);
    return {u32(u64(n) + m), with_t(sr, s > INT32_MAX || s < INT32_MIN)};
}
RegSr m_sub(u32 n, u32 m, u32 sr) { return {u32(u64(n) - m), sr}; }
RegSr m_subc(u32 n, u32 m, u32 sr) {
    u64 sub = u64(m) + tbit(sr);
    return {u32(u64(n) - sub), with_t(sr, u64(n) < sub)};
}
RegSr m_subv(u32 n, u32 m, u32 sr) {
    s64 d = sx(n) - sx(m);
    return {u32(u64(n) - m), with_t(sr, d > INT32_MAX || d < INT32_MIN)};
}
RegSr m_neg(u32, u32 m, u32 sr) { return {u32(0 - u64(m)), sr}; }
RegSr m_negc(u32, u32 m, u32 sr) {
    u64 sub = u64(m) + tbit(sr);
    return {u32(0 - sub), with_t(sr, sub != 0)};
}
RegSr m_cmpeq(u32 n, u32 m, u32 sr) { return {n, with_t(sr, n == m)}; }
RegSr m_cmphs(u32 n, u32 m, u32 sr) { return {n, with_t(sr, n >= m)}; }
RegSr m_cmpge(u32 n, u32 m, u32 sr) { return {n, with_t(sr, sx(n) >= sx(m))}; }
RegSr m_cmphi(u32 n, u32 m, u32 sr) { return {n, with_t(sr, n > m)}; }
RegSr m_cmpgt(u32 n, u32 m, u32 sr) { return {n, with_t(sr, sx(n) > sx(m))}; }
RegSr m_cmpstr(u32 n, u32 m, u32 sr) {
    bool any = false;
    for (int i = 0; i < 4; i++) any = any || (((n ^ m) >> (8 * i)) & 0xFF) == 0;
    return {n, with_t(sr, any)};
}
RegSr m_tst(u32 n, u32 m, u32 sr) { return {n, with_t(sr, (n & m) == 0)}; }
RegSr m_and(u32 n, u32 m, u32 sr) { return {n & m, sr}; }
RegSr m_or(u32 n, u32 m, u32 sr) { return {n | m, sr}; }
RegSr m_xor(u32 n, u32 m, u32 sr) { return {n ^ m, sr}; }
RegSr m_xtrct(u32 n, u32 m, u32 sr) { return {((m & 0xFFFF) << 16) | (n >> 16), sr}; }
RegSr m_swapb(u32, u32 m, u32 sr) { return {(m & 0xFFFF0000) | ((m & 0xFF) << 8) | ((m >> 8) & 0xFF), sr}; }
RegSr m_swapw(u32, u32 m, u32 sr) { return {(m >> 16) | ((m & 0xFFFF) << 16), sr}; }
RegSr m_not(u32, u32 m, u32 sr) { return {~m, sr}; }
RegSr m_extsb(u32, u32 m, u32 sr) { return {u32(s32(s8(u8(m)))), sr}; }
RegSr m_extsw(u32, u32 m, u32 sr) { return {u32(s32(s16(u16(m)))), sr}; }
RegSr m_extub(u32, u32 m, u32 sr) { return {m & 0xFF, sr}; }
RegSr m_extuw(u32, u32 m, u32 sr) { return {m & 0xFFFF, sr}; }
RegSr m_div0s(u32 n, u32 m, u32 sr) {
    u32 q = n >> 31, mm = m >> 31;
    return {n, (sr & ~0x301u) | (q << 8) | (mm << 9) | (q ^ mm)};
}
// One non-restoring division step, written out case by case for each
// combination of old Q and M (not with the XOR shortcut).
RegSr m_div1(u32 n, u32 m, u32 sr) {
    bool old_q = sr & 0x100, mbit = sr & 0x200;
    bool q = n >> 31;
    u32 r = (n << 1) | tbit(sr);
    bool newq;
    if (!old_q && !mbit) {
        bool borrow = r < m;
        r -= m;
        newq = q ? !borrow : borrow;
    } else if (!old_q && mbit) {
        u32 before = r;
        r += m;
        bool carry = r < before;
        newq = q ? carry : !carry;
    } else if (old_q && !mbit) {
        u32 before = r;
        r += m;
        bool carry = r < before;
        newq = q ? !carry : carry;
    } else {
        bool borrow = r < m;
        r -= m;
        newq = q ? borrow : !borrow;
    }
    u32 out = (sr & ~0x101u) | (newq ? 0x100u : 0u);
    return {r, with_t(out, newq == mbit)};
}

// Multiplies: RegSr holds MACH and MACL here; MACH was Rm and MACL Rn.
RegSr m_mull(u32 n, u32 m, u32) { return {m, u32(u64(n) * m)}; }
RegSr m_muluw(u32 n, u32 m, u32) { return {m, (n & 0xFFFF) * (m & 0xFFFF)}; }
RegSr m_mulsw(u32 n, u32 m, u32) { return {m, u32(s32(s16(u16(n))) * s32(s16(u16(m))))}; }
RegSr m_dmulul(u32 n, u32 m, u32) {
    u64 p = u64(n) * m;
    return {u32(p >> 32), u32(p)};
}
RegSr m_dmulsl(u32 n, u32 m, u32) {
    u64 p = u64(sx(n) * sx(m));
    return {u32(p >> 32), u32(p)};
}

// Single-register forms: m is ignored.
RegSr m_shll(u32 n, u32, u32 sr) { return {n << 1, with_t(sr, n >> 31)}; }
RegSr m_shlr(u32 n, u32, u32 sr) { return {n >> 1, with_t(sr, n & 1)}; }
RegSr m_shar(u32 n, u32, u32 sr) { return {(n >> 1) | (n & 0x80000000), with_t(sr, n & 1)}; }
RegSr m_rotl(u32 n, u32, u32 sr) { return {(n << 1) | (n >> 31), with_t(sr, n >> 31)}; }
RegSr m_rotr(u32 n, u32, u32 sr) { return {(n >> 1) | (n << 31), with_t(sr, n & 1)}; }
RegSr m_rotcl(u32 n, u32, u32 sr) { return {(n << 1) | tbit(sr), with_t(sr, n >> 31)}; }
RegSr m_rotcr(u32 n, u32, u32 sr) { return {(n >> 1) | (tbit(sr) << 31), with_t(sr, n & 1)}; }
RegSr m_dt(u32 n, u32, u32 sr) { return {n - 1, with_t(sr, n == 1)}; }
RegSr m_cmppz(u32 n, u32, u32 sr) { return {n, with_t(sr, sx(n) >= 0)}; }
RegSr m_cmppl(u32 n, u32, u32 sr) { return {n, with_t(sr, sx(n) > 0)}; }
RegSr m_shll2(u32 n, u32, u32 sr) { return {n << 2, sr}; }
RegSr m_shlr2(u32 n, u32, u32 sr) { return {n >> 2, sr}; }
RegSr m_shll8(u32 n, u32, u32 sr) { return {n << 8, sr}; }
RegSr m_shlr8(u32 n, u32, u32 sr) { return {n >> 8, sr}; }
RegSr m_shll16(u32 n, u32, u32 sr) { return {n << 16, sr}; }
RegSr m_shlr16(u32 n, u32, u32 sr) { return {n >> 16, sr}; }
RegSr m_movt(u32, u32, u32 sr) { return {tbit(sr), sr}; }

enum Form { BIN, MULT, SAME, UN };
struct Op {
    const char* name;
    Form form;
    Model model;
};

// Must list the instructions exactly in the order of alu_vectors.s.
const Op ops[] = {
    {"ADD", BIN, m_add},         {"ADDC", BIN, m_addc},       {"ADDV", BIN, m_addv},
    {"SUB", BIN, m_sub},         {"SUBC", BIN, m_subc},       {"SUBV", BIN, m_subv},
    {"NEG", BIN, m_neg},         {"NEGC", BIN, m_negc},       {"CMP/EQ", BIN, m_cmpeq},
    {"CMP/HS", BIN, m_cmphs},    {"CMP/GE", BIN, m_cmpge},    {"CMP/HI", BIN, m_cmphi},
    {"CMP/GT", BIN, m_cmpgt},    {"CMP/STR", BIN, m_cmpstr},  {"TST", BIN, m_tst},
    {"AND", BIN, m_and},         {"OR", BIN, m_or},           {"XOR", BIN, m_xor},
    {"XTRCT", BIN, m_xtrct},     {"SWAP.B", BIN, m_swapb},    {"SWAP.W", BIN, m_swapw},
    {"NOT", BIN, m_not},         {"EXTS.B", BIN, m_extsb},    {"EXTS.W", BIN, m_extsw},
    {"EXTU.B", BIN, m_extub},    {"EXTU.W", BIN, m_extuw},    {"DIV0S", BIN, m_div0s},
    {"DIV1", BIN, m_div1},       {"MUL.L", MULT, m_mull},     {"MULU.W", MULT, m_muluw},
    {"MULS.W", MULT, m_mulsw},   {"DMULU.L", MULT, m_dmulul}, {"DMULS.L", MULT, m_dmulsl},
    {"ADDC Rn,Rn", SAME, m_addc}, {"SUBC Rn,Rn", SAME, m_subc}, {"ADDV Rn,Rn", SAME, m_addv},
    {"SUBV Rn,Rn", SAME, m_subv}, {"NEGC Rn,Rn", SAME, m_negc}, {"DIV1 Rn,Rn", SAME, m_div1},
    {"XTRCT Rn,Rn", SAME, m_xtrct}, {"SWAP.W Rn,Rn", SAME, m_swapw},
    {"SHLL", UN, m_shll},        {"SHLR", UN, m_shlr},        {"SHAL", UN, m_shll},
    {"SHAR", UN, m_shar},        {"ROTL", UN, m_rotl},        {"ROTR", UN, m_rotr},
    {"ROTCL", UN, m_rotcl},      {"ROTCR", UN, m_rotcr},      {"DT", UN, m_dt},
    {"CMP/PZ", UN, m_cmppz},     {"CMP/PL", UN, m_cmppl},     {"SHLL2", UN, m_shll2},
    {"SHLR2", UN, m_shlr2},      {"SHLL8", UN, m_shll8},      {"SHLR8", UN, m_shlr8},
    {"SHLL16", UN, m_shll16},    {"SHLR16", UN, m_shlr16},    {"MOVT", UN, m_movt},
};
constexpr u32 OP_COUNT = sizeof(ops) / sizeof(ops[0]);

struct Entry {
    u32 n, m, sr;
};

// Operands around every boundary the flags care about: zero, one, the
// sign bits of bytes, words and longs, the signed extremes and all ones.
const u32 values[] = {0x00000000, 0x00000001, 0x00000002, 0x0000007F, 0x00000080, 0x000000FF,
                      0x00007FFF, 0x00008000, 0x0000FFFF, 0x7FFFFFFF, 0x80000000, 0x80000001,
                      0xFFFFFFFE, 0xFFFFFFFF, 0x12345678, 0xDEADBEEF};
// Every combination of Q, M and T, and once with S and a full IMASK.
const u32 srs[] = {0x000, 0x001, 0x100, 0x101, 0x200, 0x201, 0x300, 0x301, 0x0F2, 0x3F3};

std::vector<Entry> make_entries() {
    std::vector<Entry> e;
    for (u32 n : values)
        for (u32 m : values)
            for (u32 sr : srs) e.push_back({n, m, sr});
    // Byte-position matches for CMP/STR, one position at a time.
    const u32 strs[][2] = {{0x11223344, 0x55667744}, {0x11223344, 0x55663388},
                           {0x11223344, 0x55226688}, {0x11223344, 0x11556677},
                           {0x11223344, 0x44332211}, {0x00000000, 0xFFFFFF00}};
    for (auto& p : strs) {
        e.push_back({p[0], p[1], 0x000});
        e.push_back({p[1], p[0], 0x001});
    }
    return e;
}

std::string hex(u32 v) {
    char buf[16];
    snprintf(buf, sizeof buf, "%08X", v);
    return buf;
}

class AluVectors : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        entries = make_entries();
        ok = harness_load(&cpu, "alu_vectors");
        if (!ok) return;
        std::vector<u32> in = {u32(entries.size()), 0, 0, 0};
        for (const Entry& e : entries) {
            in.push_back(e.n);
            in.push_back(e.m);
            in.push_back(e.sr);
            in.push_back(0);
        }
        harness_put_inputs(in);
        ok = harness_run_until_done(&cpu, 200000000);
    }
    // Compares one instruction's results over every entry; reports the
    // first few mismatches with their operands.
    static void check(u32 op_index) {
        ASSERT_TRUE(ok) << "program did not finish";
        const Op& op = ops[op_index];
        int failures = 0;
        for (size_t i = 0; i < entries.size() && failures < 5; i++) {
            const Entry& e = entries[i];
            u32 base = u32(i) * OP_COUNT * 2 + op_index * 2;
            u32 got0 = harness_result(base), got1 = harness_result(base + 1);
            u32 m = op.form == SAME ? e.n : e.m;
            RegSr want = op.model(e.n, m, e.sr);
            if (got0 != want.r || got1 != want.sr) {
                failures++;
                ADD_FAILURE() << op.name << " Rn=" << hex(e.n) << " Rm=" << hex(m) << " SR=" << hex(e.sr)
                              << (op.form == MULT ? ": MACH:MACL " : ": Rn,SR ") << hex(got0) << "," << hex(got1)
                              << " expected " << hex(want.r) << "," << hex(want.sr);
            }
        }
    }
    static void check_all(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            bool found = false;
            for (u32 i = 0; i < OP_COUNT; i++)
                if (std::string(ops[i].name) == name) {
                    check(i);
                    found = true;
                }
            ASSERT_TRUE(found) << name;
        }
    }
    static inline Sh2State cpu;
    static inline std::vector<Entry> entries;
    static inline bool ok = false;
};

TEST_F(AluVectors, AddAndSubtractWithCarryBorrowAndOverflow) {
    check_all({"ADD", "ADDC", "ADDV", "SUB", "SUBC", "SUBV", "NEG", "NEGC"});
}

TEST_F(AluVectors, ComparesSetOnlyT) {
    check_all({"CMP/EQ", "CMP/HS", "CMP/GE", "CMP/HI", "CMP/GT", "CMP/STR", "TST", "CMP/PZ", "CMP/PL", "DT"});
}

TEST_F(AluVectors, LogicSwapsAndExtensions) {
    check_all({"AND", "OR", "XOR", "NOT", "XTRCT", "SWAP.B", "SWAP.W", "EXTS.B", "EXTS.W", "EXTU.B", "EXTU.W",
               "MOVT"});
}

TEST_F(AluVectors, DivisionStepsFollowQMAndT) { check_all({"DIV0S", "DIV1"}); }

TEST_F(AluVectors, MultipliesWriteOnlyTheirMacWords) {
    check_all({"MUL.L", "MULU.W", "MULS.W", "DMULU.L", "DMULS.L"});
}

TEST_F(AluVectors, ShiftsAndRotatesPutTheOutgoingBitInT) {
    check_all({"SHLL", "SHLR", "SHAL", "SHAR", "ROTL", "ROTR", "ROTCL", "ROTCR", "SHLL2", "SHLR2", "SHLL8",
               "SHLR8", "SHLL16", "SHLR16"});
}

// With Rn = Rm the source is read before the destination is written.
TEST_F(AluVectors, SameRegisterAsBothOperands) {
    check_all({"ADDC Rn,Rn", "SUBC Rn,Rn", "ADDV Rn,Rn", "SUBV Rn,Rn", "NEGC Rn,Rn", "DIV1 Rn,Rn", "XTRCT Rn,Rn",
               "SWAP.W Rn,Rn"});
}

// Fixed points that do not depend on the model above.
TEST_F(AluVectors, KnownResults) {
    ASSERT_TRUE(ok);
    auto find = [](u32 n, u32 m, u32 sr) {
        for (size_t i = 0; i < entries.size(); i++)
            if (entries[i].n == n && entries[i].m == m && entries[i].sr == sr) return u32(i);
        return u32(0xFFFFFFFF);
    };
    auto result = [](u32 entry, const char* name, int word) {
        for (u32 i = 0; i < OP_COUNT; i++)
            if (std::string(ops[i].name) == name) return harness_result(entry * OP_COUNT * 2 + i * 2 + word);
        return u32(0xBAD0BAD0);
    };
    // NEGC of 0 with T = 1: all ones, and T stays 1.
    u32 e = find(0, 0, 0x001);
    EXPECT_EQ(result(e, "NEGC", 0), 0xFFFFFFFFu);
    EXPECT_EQ(result(e, "NEGC", 1) & 1, 1u);
    // DMULS.L of INT_MIN by itself.
    e = find(0x80000000, 0x80000000, 0);
    EXPECT_EQ(result(e, "DMULS.L", 0), 0x40000000u);
    EXPECT_EQ(result(e, "DMULS.L", 1), 0u);
    // ADDV INT_MAX + 1 overflows; ADDC all ones + 1 carries to zero.
    e = find(0x7FFFFFFF, 0x00000001, 0);
    EXPECT_EQ(result(e, "ADDV", 0), 0x80000000u);
    EXPECT_EQ(result(e, "ADDV", 1) & 1, 1u);
    e = find(0xFFFFFFFF, 0x00000001, 0);
    EXPECT_EQ(result(e, "ADDC", 0), 0u);
    EXPECT_EQ(result(e, "ADDC", 1) & 1, 1u);
    // SUBV INT_MIN - 1 overflows; SUBC 0 - 0 - T borrows.
    e = find(0x80000000, 0x00000001, 0);
    EXPECT_EQ(result(e, "SUBV", 0), 0x7FFFFFFFu);
    EXPECT_EQ(result(e, "SUBV", 1) & 1, 1u);
    e = find(0, 0, 0x001);
    EXPECT_EQ(result(e, "SUBC", 0), 0xFFFFFFFFu);
    EXPECT_EQ(result(e, "SUBC", 1) & 1, 1u);
    // MULS.W of -32768 squared; MULU.W of 0xFFFF squared.
    e = find(0x00008000, 0x00008000, 0);
    EXPECT_EQ(result(e, "MULS.W", 1), 0x40000000u);
    e = find(0x0000FFFF, 0x0000FFFF, 0);
    EXPECT_EQ(result(e, "MULU.W", 1), 0xFFFE0001u);
    EXPECT_EQ(result(e, "MULS.W", 1), 1u);
    // ROTCR moves T into bit 31 and bit 0 into T.
    e = find(0x00000002, 0, 0x001);
    EXPECT_EQ(result(e, "ROTCR", 0), 0x80000001u);
    EXPECT_EQ(result(e, "ROTCR", 1) & 1, 0u);
    // SHAR keeps the sign; CMP/STR finds a single matching byte.
    e = find(0x80000000, 0, 0);
    EXPECT_EQ(result(e, "SHAR", 0), 0xC0000000u);
    e = find(0x11223344, 0x55226688, 0);
    EXPECT_EQ(result(e, "CMP/STR", 1) & 1, 1u);
    e = find(0x11223344, 0x44332211, 0);
    EXPECT_EQ(result(e, "CMP/STR", 1) & 1, 0u);
    // XTRCT takes the middle 32 bits of Rm:Rn.
    e = find(0x12345678, 0xDEADBEEF, 0);
    EXPECT_EQ(result(e, "XTRCT", 0), 0xBEEF1234u);
}

}  // namespace
