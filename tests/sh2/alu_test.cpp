// Register arithmetic, logic, compares, shifts, multiplies and division,
// run by SH-2 programs over grids of operands and status words and checked
// against a model written with wide host arithmetic or host division.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sh2_harness.h"

namespace {

struct RegSr {
    u32 r, sr;  // for multiplies: MACH and MACL
};

u32 tbit(u32 sr) { return sr & 1; }
u32 with_t(u32 sr, bool t) { return (sr & ~1u) | (t ? 1u : 0u); }
s64 sx(u32 v) { return s64(s32(v)); }
bool overflows(s64 v) { return v > INT32_MAX || v < INT32_MIN; }

typedef RegSr (*Model)(u32 n, u32 m, u32 sr);

// One non-restoring division step, written out for each combination of
// old Q and M rather than with the XOR shortcut the runtime may use.
RegSr m_div1(u32 n, u32 m, u32 sr) {
    bool old_q = sr & 0x100, mbit = sr & 0x200, q = n >> 31, newq;
    u32 r = (n << 1) | tbit(sr), before = r;
    if (old_q == mbit) {
        r -= m;
        bool borrow = before < m;
        newq = !old_q ? (q ? !borrow : borrow) : (q ? borrow : !borrow);
    } else {
        r += m;
        bool carry = r < before;
        newq = !old_q ? (q ? carry : !carry) : (q ? !carry : carry);
    }
    return {r, with_t((sr & ~0x101u) | (newq ? 0x100u : 0u), newq == mbit)};
}
// DIV1 Rn,Rn: the register is shifted first, so the step divides by the
// shifted value.
RegSr m_div1_same(u32 n, u32, u32 sr) { return m_div1(n, (n << 1) | tbit(sr), sr); }
RegSr m_addc(u32 n, u32 m, u32 sr) { return {n + m + tbit(sr), with_t(sr, (u64(n) + m + tbit(sr)) >> 32)}; }
RegSr m_addv(u32 n, u32 m, u32 sr) { return {n + m, with_t(sr, overflows(sx(n) + sx(m)))}; }
RegSr m_subc(u32 n, u32 m, u32 sr) { return {u32(u64(n) - m - tbit(sr)), with_t(sr, u64(n) < u64(m) + tbit(sr))}; }
RegSr m_subv(u32 n, u32 m, u32 sr) { return {n - m, with_t(sr, overflows(sx(n) - sx(m)))}; }
RegSr m_negc(u32, u32 m, u32 sr) { return {u32(0 - u64(m) - tbit(sr)), with_t(sr, u64(m) + tbit(sr) != 0)}; }
RegSr m_xtrct(u32 n, u32 m, u32 sr) { return {((m & 0xFFFF) << 16) | (n >> 16), sr}; }
RegSr m_swapw(u32, u32 m, u32 sr) { return {(m >> 16) | ((m & 0xFFFF) << 16), sr}; }
RegSr m_shll(u32 n, u32, u32 sr) { return {n << 1, with_t(sr, n >> 31)}; }
bool byte_match(u32 x) { return !(x & 0xFF) || !(x & 0xFF00) || !(x & 0xFF0000) || !(x & 0xFF000000); }
u64 smul(u32 n, u32 m) { return u64(sx(n) * sx(m)); }
template <int S>
RegSr shl(u32 n, u32, u32 sr) {
    return {n << S, sr};
}
template <int S>
RegSr shr(u32 n, u32, u32 sr) {
    return {n >> S, sr};
}

enum Form { BIN, MULT, SAME, UN };  // SAME: Rn as both operands; UN: one register, m ignored
struct Op {
    const char* name;
    Form form;
    Model model;
};

// Exactly the order of alu_vectors.s. Multiplies return MACH, MACL; before
// each of them MACH held Rm and MACL Rn.
const Op ops[] = {
    {"ADD", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n + m, sr};
     }},
    {"ADDC", BIN, m_addc},
    {"ADDV", BIN, m_addv},
    {"SUB", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n - m, sr};
     }},
    {"SUBC", BIN, m_subc},
    {"SUBV", BIN, m_subv},
    {"NEG", BIN,
     [](u32, u32 m, u32 sr) -> RegSr {
         return {0 - m, sr};
     }},
    {"NEGC", BIN, m_negc},
    {"CMP/EQ", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n, with_t(sr, n == m)};
     }},
    {"CMP/HS", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n, with_t(sr, n >= m)};
     }},
    {"CMP/GE", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n, with_t(sr, sx(n) >= sx(m))};
     }},
    {"CMP/HI", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n, with_t(sr, n > m)};
     }},
    {"CMP/GT", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n, with_t(sr, sx(n) > sx(m))};
     }},
    {"CMP/STR", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n, with_t(sr, byte_match(n ^ m))};
     }},
    {"TST", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n, with_t(sr, (n & m) == 0)};
     }},
    {"AND", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n & m, sr};
     }},
    {"OR", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n | m, sr};
     }},
    {"XOR", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n ^ m, sr};
     }},
    {"XTRCT", BIN, m_xtrct},
    {"SWAP.B", BIN,
     [](u32, u32 m, u32 sr) -> RegSr {
         return {(m & 0xFFFF0000) | ((m & 0xFF) << 8) | ((m >> 8) & 0xFF), sr};
     }},
    {"SWAP.W", BIN, m_swapw},
    {"NOT", BIN,
     [](u32, u32 m, u32 sr) -> RegSr {
         return {~m, sr};
     }},
    {"EXTS.B", BIN,
     [](u32, u32 m, u32 sr) -> RegSr {
         return {u32(s32(s8(u8(m)))), sr};
     }},
    {"EXTS.W", BIN,
     [](u32, u32 m, u32 sr) -> RegSr {
         return {u32(s32(s16(u16(m)))), sr};
     }},
    {"EXTU.B", BIN,
     [](u32, u32 m, u32 sr) -> RegSr {
         return {m & 0xFF, sr};
     }},
    {"EXTU.W", BIN,
     [](u32, u32 m, u32 sr) -> RegSr {
         return {m & 0xFFFF, sr};
     }},
    {"DIV0S", BIN,
     [](u32 n, u32 m, u32 sr) -> RegSr {
         return {n, (sr & ~0x301u) | ((n >> 31) << 8) | ((m >> 31) << 9) | ((n ^ m) >> 31)};
     }},
    {"DIV1", BIN, m_div1},
    {"MUL.L", MULT,
     [](u32 n, u32 m, u32) -> RegSr {
         return {m, n * m};
     }},
    {"MULU.W", MULT,
     [](u32 n, u32 m, u32) -> RegSr {
         return {m, (n & 0xFFFF) * (m & 0xFFFF)};
     }},
    {"MULS.W", MULT,
     [](u32 n, u32 m, u32) -> RegSr {
         return {m, u32(s32(s16(u16(n))) * s32(s16(u16(m))))};
     }},
    {"DMULU.L", MULT,
     [](u32 n, u32 m, u32) -> RegSr {
         return {u32((u64(n) * m) >> 32), n * m};
     }},
    {"DMULS.L", MULT,
     [](u32 n, u32 m, u32) -> RegSr {
         return {u32(smul(n, m) >> 32), u32(smul(n, m))};
     }},
    {"ADDC Rn,Rn", SAME, m_addc},
    {"SUBC Rn,Rn", SAME, m_subc},
    {"ADDV Rn,Rn", SAME, m_addv},
    {"SUBV Rn,Rn", SAME, m_subv},
    {"NEGC Rn,Rn", SAME, m_negc},
    {"DIV1 Rn,Rn", SAME, m_div1_same},
    {"XTRCT Rn,Rn", SAME, m_xtrct},
    {"SWAP.W Rn,Rn", SAME, m_swapw},
    {"SHLL", UN, m_shll},
    {"SHLR", UN,
     [](u32 n, u32, u32 sr) -> RegSr {
         return {n >> 1, with_t(sr, n & 1)};
     }},
    {"SHAL", UN, m_shll},
    {"SHAR", UN,
     [](u32 n, u32, u32 sr) -> RegSr {
         return {(n >> 1) | (n & 0x80000000), with_t(sr, n & 1)};
     }},
    {"ROTL", UN,
     [](u32 n, u32, u32 sr) -> RegSr {
         return {(n << 1) | (n >> 31), with_t(sr, n >> 31)};
     }},
    {"ROTR", UN,
     [](u32 n, u32, u32 sr) -> RegSr {
         return {(n >> 1) | (n << 31), with_t(sr, n & 1)};
     }},
    {"ROTCL", UN,
     [](u32 n, u32, u32 sr) -> RegSr {
         return {(n << 1) | tbit(sr), with_t(sr, n >> 31)};
     }},
    {"ROTCR", UN,
     [](u32 n, u32, u32 sr) -> RegSr {
         return {(n >> 1) | (tbit(sr) << 31), with_t(sr, n & 1)};
     }},
    {"DT", UN,
     [](u32 n, u32, u32 sr) -> RegSr {
         return {n - 1, with_t(sr, n == 1)};
     }},
    {"CMP/PZ", UN,
     [](u32 n, u32, u32 sr) -> RegSr {
         return {n, with_t(sr, sx(n) >= 0)};
     }},
    {"CMP/PL", UN,
     [](u32 n, u32, u32 sr) -> RegSr {
         return {n, with_t(sr, sx(n) > 0)};
     }},
    {"SHLL2", UN, shl<2>},
    {"SHLR2", UN, shr<2>},
    {"SHLL8", UN, shl<8>},
    {"SHLR8", UN, shr<8>},
    {"SHLL16", UN, shl<16>},
    {"SHLR16", UN, shr<16>},
    {"MOVT", UN,
     [](u32, u32, u32 sr) -> RegSr {
         return {tbit(sr), sr};
     }},
};
constexpr u32 OP_COUNT = sizeof(ops) / sizeof(ops[0]);

u32 op_index(const char* name) {
    for (u32 i = 0; i < OP_COUNT; i++)
        if (std::string(ops[i].name) == name) return i;
    ADD_FAILURE() << "no operation " << name;
    return 0;
}

struct Entry {
    u32 n, m, sr;
};

// Operands at every boundary the flags care about, with every combination
// of Q, M and T, once with S and a full IMASK as well.
const u32 values[] = {0x00000000, 0x00000001, 0x00000002, 0x0000007F, 0x00000080, 0x000000FF, 0x00007FFF, 0x00008000,
                      0x0000FFFF, 0x7FFFFFFF, 0x80000000, 0x80000001, 0xFFFFFFFE, 0xFFFFFFFF, 0x12345678, 0xDEADBEEF};
const u32 srs[] = {0x000, 0x001, 0x100, 0x101, 0x200, 0x201, 0x300, 0x301, 0x0F2, 0x3F3};

std::vector<Entry> make_entries() {
    std::vector<Entry> e;
    for (u32 n : values)
        for (u32 m : values)
            for (u32 sr : srs) e.push_back({n, m, sr});
    // CMP/STR with a match at each byte position in turn.
    const u32 strs[][2] = {{0x11223344, 0x55667744}, {0x11223344, 0x55663388}, {0x11223344, 0x55226688},
                           {0x11223344, 0x11556677}, {0x11223344, 0x44332211}, {0x00000000, 0xFFFFFF00}};
    for (auto& p : strs) {
        e.push_back({p[0], p[1], 0x000});
        e.push_back({p[1], p[0], 0x001});
    }
    return e;
}

// The vectors run once; each entry gives Rn, Rm and SR, and the program
// stores Rn and SR (MACH and MACL for multiplies) after each instruction.
TEST(AluVectors, EveryInstructionMatchesTheModel) {
    const std::vector<Entry> entries = make_entries();
    static Sh2State cpu;
    ASSERT_TRUE(harness_load(&cpu, "alu_vectors"));
    std::vector<u32> in = {u32(entries.size()), 0, 0, 0};
    for (const Entry& e : entries) in.insert(in.end(), {e.n, e.m, e.sr, 0});
    harness_put_inputs(in);
    ASSERT_TRUE(harness_run_until_done(&cpu, 200000000));
    auto result = [](u32 entry, u32 op, int word) { return harness_result((entry * OP_COUNT + op) * 2 + word); };
    // With Rn = Rm the source is read before the destination is written, except
    // by DIV1, which shifts Rn first.
    for (u32 k = 0; k < OP_COUNT; k++) {
        const Op& op = ops[k];
        int failures = 0;
        for (u32 i = 0; i < entries.size() && failures < 5; i++) {
            const Entry& e = entries[i];
            u32 m = op.form == SAME ? e.n : e.m;
            RegSr want = op.model(e.n, m, e.sr);
            if (result(i, k, 0) == want.r && result(i, k, 1) == want.sr) continue;
            failures++;
            ADD_FAILURE() << std::hex << op.name << " Rn=" << e.n << " Rm=" << m << " SR=" << e.sr
                          << (op.form == MULT ? ": MACH:MACL " : ": Rn,SR ") << result(i, k, 0) << ","
                          << result(i, k, 1) << " expected " << want.r << "," << want.sr;
        }
    }
    // Fixed points that do not depend on the model.
    const struct {
        u32 n, m, sr;
        const char* op;
        int word;
        u32 mask, want;
    } known[] = {
        {0, 0, 1, "NEGC", 0, ~0u, 0xFFFFFFFF},  // 0 - 0 - T: all ones, T stays 1
        {0, 0, 1, "NEGC", 1, 1, 1},
        {0, 0, 1, "SUBC", 0, ~0u, 0xFFFFFFFF},
        {0, 0, 1, "SUBC", 1, 1, 1},
        {0xFFFFFFFF, 1, 0, "ADDC", 1, 1, 1},
        {0x7FFFFFFF, 1, 0, "ADDV", 1, 1, 1},
        {0x80000000, 1, 0, "SUBV", 1, 1, 1},
        {0x80000000, 0x80000000, 0, "DMULS.L", 0, ~0u, 0x40000000},
        {0xFFFF, 0xFFFF, 0, "MULS.W", 1, ~0u, 1},
        {2, 0, 1, "ROTCR", 0, ~0u, 0x80000001},
        {0x11223344, 0x55226688, 0, "CMP/STR", 1, 1, 1},
        {0x12345678, 0xDEADBEEF, 0, "XTRCT", 0, ~0u, 0xBEEF1234},
        {0x80000001, 0x80000001, 0, "DIV1 Rn,Rn", 0, ~0u, 0},        // divides 2 by 2: R1 = 0,
        {0x80000001, 0x80000001, 0, "DIV1 Rn,Rn", 1, 0x301, 0x100},  // Q = 1, T = 0
    };
    for (const auto& k : known) {
        u32 e = 0;
        while (e < entries.size() && !(entries[e].n == k.n && entries[e].m == k.m && entries[e].sr == k.sr)) e++;
        ASSERT_LT(e, entries.size()) << k.op;
        EXPECT_EQ(result(e, op_index(k.op), k.word) & k.mask, k.want) << k.op << std::hex << " " << k.n << "," << k.m;
    }
}

// Whole division loops built from DIV0U/DIV0S, DIV1 and ROTCL, checked
// against the host's division: one wrong Q, M or T rule anywhere in the
// chain of steps shows up as a wrong quotient.
TEST(DivisionLoops, QuotientsMatchHostDivision) {
    const u32 v[] = {0,          1,          2,          3,          7,          10,         0x7F,       0xFF,
                     0x100,      0x7FFF,     0x8000,     0xFFFF,     0x10000,    0x12345,    0x7FFFFFFF, 0x80000000,
                     0x80000001, 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFF9, 0x12345678, 0xDEADBEEF, 0x40000000, 0xC0000000};
    std::vector<std::pair<u32, u32>> pairs;
    for (u32 a : v)
        for (u32 b : v)
            if (b != 0) pairs.push_back({a, b});
    u32 x = 0x2545F491;
    for (int i = 0; i < 400; i++) {
        u32 a = xorshift(x), b = (i & 1) ? xorshift(x) >> (i % 31) : xorshift(x);
        if (b != 0) pairs.push_back({a, b});
    }
    static Sh2State cpu;
    ASSERT_TRUE(harness_load(&cpu, "div_loops"));
    std::vector<u32> in = {u32(pairs.size()), 0, 0, 0};
    for (auto [a, b] : pairs) in.insert(in.end(), {a, b});
    harness_put_inputs(in);
    ASSERT_TRUE(harness_run_until_done(&cpu, 400000000));

    int failures = 0, checked16 = 0, checkeds = 0;
    for (u32 i = 0; i < pairs.size() && failures < 8; i++) {
        auto [a, b] = pairs[i];
        u32 q16 = harness_result(3 * i), qu = harness_result(3 * i + 1), qs = harness_result(3 * i + 2);
        // The 32/16 loop is only defined while the quotient fits 16 bits.
        if (b <= 0xFFFF && u64(a) < (u64(b) << 16)) {
            checked16++;
            if (q16 != a / b && ++failures) ADD_FAILURE() << std::hex << "32/16 " << a << "/" << b << " = " << q16;
        }
        if (qu != a / b && ++failures) ADD_FAILURE() << std::hex << "unsigned " << a << "/" << b << " = " << qu;
        if (a == 0x80000000 && b == 0xFFFFFFFF) continue;  // no 32-bit quotient
        checkeds++;
        u32 want = u32(s64(s32(a)) / s64(s32(b)));
        if (qs != want && ++failures) ADD_FAILURE() << std::hex << "signed " << a << "/" << b << " = " << qs;
    }
    EXPECT_GT(checked16, 100);
    EXPECT_GT(checkeds, 500);
}

}  // namespace
