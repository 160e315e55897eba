// The run loop: takes interrupts, asks the translated-code provider for
// native code, interprets otherwise, until a cycle target is reached. Also
// the run-time diagnostics kept beside it for the whole process.
#include <cstdio>

#include "sh2/step.h"
#include "sh2/xlate.h"

namespace {

constexpr u32 FALLBACK_PC_MAX = 256;
constexpr u32 HISTORY_SIZE = 64;

u32 failed_pc = 0;
s32 strict = 0;
u64 fallback_count = 0;
u32 fallback_pcs[FALLBACK_PC_MAX];
u32 fallback_pc_count = 0;
u32 pc_history[HISTORY_SIZE];
u32 pc_history_counter = 0;

void note_fallback_pc(u32 pc) {
    for (u32 i = 0; i < fallback_pc_count; i++)
        if (fallback_pcs[i] == pc) return;
    if (fallback_pc_count < FALLBACK_PC_MAX) fallback_pcs[fallback_pc_count++] = pc;
}

void report_missing_code(const Sh2State* cpu) {
    fprintf(stderr, "SH-2: missing translated code at %08X (after %llu instructions)\nlast PCs:", cpu->pc,
            (unsigned long long)cpu->steps);
    for (u32 i = 1; i <= 16; i++) fprintf(stderr, " %08X", pc_history[(pc_history_counter - i) & (HISTORY_SIZE - 1)]);
    fprintf(stderr, "\n");
}

}  // namespace

// Flattened: the step, the semantic operations and the bus functions' direct
// paths (the board's, joined at link time) all inline into this loop.
__attribute__((flatten)) int sh2_run(Sh2State* cpu, u64 target) {
    if (cpu->cycles >= target) return 0;
    bool interpreting = false;
    while (cpu->cycles < target) {
        if (cpu->irq_recheck) {
            cpu->irq_recheck = 0;
            if (!sh2_accept_interrupt(cpu) && cpu->sleep_state == 1) {
                cpu->cycles = target;
                return 0;
            }
        } else if (cpu->sleep_state == 1) {
            cpu->cycles = target;
            return 0;
        }
        if (cpu->idle) {
            cpu->cycles = target;
            return 0;
        }

        const u32 pc = cpu->pc;
        pc_history[pc_history_counter++ & (HISTORY_SIZE - 1)] = pc;

        u32 next = xlate_lookup(cpu);
        if (next != SH2_STOP) {
            cpu->pc = next;
            cpu->steps++;
            interpreting = false;
            continue;
        }
        if (strict) {
            failed_pc = pc;
            report_missing_code(cpu);
            return -1;
        }
        // The list search is paid only when the interpreter takes over,
        // not per instruction.
        if (!interpreting) note_fallback_pc(pc);

        next = sh2_ops::step(cpu, pc);
        fallback_count++;
        if (next == SH2_STOP) {
            failed_pc = pc;
            cpu->pc = pc;  // a PC-relative slot may have moved it
            return -1;
        }
        cpu->pc = next;
        cpu->steps++;
        interpreting = true;
    }
    return 0;
}

u32 sh2_failed_pc() { return failed_pc; }

u32 sh2_unmodelled_instruction(Sh2State*, u32 pc) {
    fprintf(stderr, "SH-2: reached an instruction the translator does not model at %08X\n", pc);
    return SH2_STOP;
}

void sh2_set_strict(int on) { strict = on; }

u64 sh2_fallback_count() { return fallback_count; }

u32 sh2_fallback_pcs(const u32** out) {
    if (out) *out = fallback_pcs;
    return fallback_pc_count;
}
