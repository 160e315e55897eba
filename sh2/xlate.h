// Interface to native code translated ahead of time from the SH-2 program.
// A provider either runs translated code from the record's pc (adding its
// own cycles) and returns the next address, or returns SH2_STOP when it has
// no code there.
#pragma once

#include "sh2/sh2.h"

void xlate_init();
u32 xlate_lookup(Sh2State* cpu);
u32 xlate_build_id();
int xlate_available();
