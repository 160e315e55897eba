// The instruction step and the single-instruction executor, as callable
// functions (the run loop uses the same code inlined).
#include "sh2/step.h"

u32 sh2_step(Sh2State* cpu, u32 pc) { return sh2_ops::step(cpu, pc); }

int sh2_execute(Sh2State* cpu, const Sh2DecodeEntry* e, u32 next_pc) { return sh2_ops::execute(cpu, *e, next_pc); }
