// A translated-code provider for tests. By default it has no code; a test
// may install a hook that runs "translated code" for chosen addresses.
#pragma once

#include "sh2/xlate.h"

// Returns the next address, or SH2_STOP when it has no code for cpu->pc.
typedef u32 (*TestProviderHook)(Sh2State* cpu);

void test_provider_set(TestProviderHook hook);
// Calls of xlate_lookup since the last test_provider_set.
u64 test_provider_calls();
