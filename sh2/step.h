// One interpreter step: fetch, decode through the table, and run one
// instruction, or a delayed branch together with its delay-slot
// instruction. Private to the runtime; inlined into the run loop.
#pragma once

#include "sh2/ops.h"

namespace sh2_ops {

SH2_INLINE bool t_set(const Sh2State* c) { return (c->sr & SH2_SR_T) != 0; }

// Runs the delay slot of a taken branch. The branch target and any PR
// written by the branch are settled before the slot runs; a slot holding
// an instruction that may not sit there raises the illegal-instruction
// exception with the slot's own address pushed.
SH2_INLINE u32 run_slot(Sh2State* c, u32 pc, u32 slot_opcode, u32 target) {
    if (execute(c, sh2_decode_entries[slot_opcode], pc + 4)) return target;
    return sh2_illegal_instruction(c, pc + 2);
}

// Returns the address of the next instruction, or SH2_STOP when execution
// cannot go on.
SH2_INLINE u32 step(Sh2State* c, u32 pc) {
    const Sh2DecodeEntry& e = sh2_decode_entries[sh2_read16(pc) & 0xFFFF];
    if (e.kind <= SH2_KIND_SRLOAD) {
        c->cycles += 1;
        execute(c, e, pc + 2);
        return pc + 2;
    }
    const u32 branch_target = pc + 4 + 2 * u32(s32(e.disp));
    switch (e.kind) {
    case SH2_KIND_BT:
    case SH2_KIND_BF:
        c->cycles += 1;
        if (t_set(c) == (e.kind == SH2_KIND_BT)) {
            c->cycles += 2;
            return branch_target;
        }
        return pc + 2;
    case SH2_KIND_TRAPA: c->cycles += 1; return sh2_trapa(c, e.a, pc + 2);
    case SH2_KIND_SLEEP: c->cycles += 1; return sh2_sleep(c, pc);
    case SH2_KIND_ILLEGAL: c->cycles += 1; return sh2_illegal_instruction(c, pc);
    default: break;
    }

    // Delayed branches.
    const u32 slot = sh2_read16(pc + 2) & 0xFFFF;
    u32 target;
    switch (e.kind) {
    case SH2_KIND_BTS:
    case SH2_KIND_BFS:
        c->cycles += 1;
        // Not taken: the slot runs as an ordinary instruction next step.
        if (t_set(c) != (e.kind == SH2_KIND_BTS)) return pc + 2;
        c->cycles += 2;
        target = branch_target;
        break;
    case SH2_KIND_BRA:
        target = branch_target;
        c->cycles += 3;
        break;
    case SH2_KIND_BSR:
        c->pr = pc + 4;
        target = branch_target;
        c->cycles += 3;
        break;
    case SH2_KIND_BRAF:
        target = c->r[e.a] + pc + 4;
        c->cycles += 3;
        break;
    case SH2_KIND_BSRF:
        target = c->r[e.a] + pc + 4;
        c->pr = pc + 4;
        c->cycles += 3;
        break;
    case SH2_KIND_JMP:
        target = c->r[e.a];
        c->cycles += 2;
        break;
    case SH2_KIND_JSR:
        target = c->r[e.a];
        c->pr = pc + 4;
        c->cycles += 3;
        break;
    case SH2_KIND_RTS:
        target = c->pr;
        c->cycles += 3;
        break;
    case SH2_KIND_RTE:
        c->cycles += 1;
        target = sh2_rte(c);
        c->cycles += 1;
        break;
    default: return sh2_unmodelled_instruction(c, pc);
    }
    return run_slot(c, pc, slot, target);
}

}  // namespace sh2_ops
