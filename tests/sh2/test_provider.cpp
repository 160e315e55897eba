#include "test_provider.h"

namespace {
TestProviderHook hook = nullptr;
u64 calls = 0;
}  // namespace

void test_provider_set(TestProviderHook h) {
    hook = h;
    calls = 0;
}
u64 test_provider_calls() { return calls; }

void xlate_init() {}
u32 xlate_lookup(Sh2State* cpu) {
    calls++;
    return hook ? hook(cpu) : SH2_STOP;
}
u32 xlate_build_id() { return 0x7E57; }
int xlate_available() { return 1; }
