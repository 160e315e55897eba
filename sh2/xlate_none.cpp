// The translated-code provider of this build: it has no code for any
// address, so the run loop interprets every instruction.
#include "sh2/xlate.h"

void xlate_init() {}

u32 xlate_lookup(Sh2State*) { return SH2_STOP; }

u32 xlate_build_id() { return 0; }

int xlate_available() { return 1; }
