#include "sh2_harness.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {
constexpr u32 MEM_SIZE = 0x1000000;
std::vector<u8> memory(MEM_SIZE);
bool logging = false;
std::vector<TestBusAccess> accesses;
TestBusHook bus_hook = nullptr;
TestProviderHook provider_hook = nullptr;
u64 provider_calls = 0;

inline u32 at(u32 address) { return address & (MEM_SIZE - 1); }

u32 note(char kind, int size, u32 address, u32 value) {
    if (logging) accesses.push_back({kind, size, address, value});
    if (bus_hook) bus_hook({kind, size, address, value});
    return value;
}
}  // namespace

void test_bus_reset() {
    std::fill(memory.begin(), memory.end(), 0);
    accesses.clear();
    logging = false;
    bus_hook = nullptr;
}
u8* test_bus_memory() { return memory.data(); }
void test_bus_log(bool on) { logging = on; }
void test_bus_set_hook(TestBusHook h) { bus_hook = h; }
const std::vector<TestBusAccess>& test_bus_accesses() { return accesses; }
void test_bus_put32(u32 address, u32 value) {
    test_bus_put16(address, value >> 16);
    test_bus_put16(address + 2, value & 0xFFFF);
}
void test_bus_put16(u32 address, u32 value) {
    memory[at(address)] = u8(value >> 8);
    memory[at(address + 1)] = u8(value);
}
u32 test_bus_get32(u32 address) { return (test_bus_get16(address) << 16) | test_bus_get16(address + 2); }
u32 test_bus_get16(u32 address) { return (u32(memory[at(address)]) << 8) | memory[at(address + 1)]; }
u32 test_bus_get8(u32 address) { return memory[at(address)]; }

size_t test_bus_load_file(const char* path, u32 address) {
    FILE* f = fopen(path, "rb");
    if (!f) return 0;
    size_t total = 0;
    int c;
    while ((c = fgetc(f)) != EOF) memory[at(address + u32(total++))] = u8(c);
    fclose(f);
    return total;
}

// The runtime's six bus functions.
u32 sh2_read32(u32 address) { return note('r', 4, address, test_bus_get32(address)); }
u32 sh2_read16(u32 address) { return note('r', 2, address, test_bus_get16(address)); }
u32 sh2_read8(u32 address) { return note('r', 1, address, test_bus_get8(address)); }
void sh2_write32(u32 address, u32 value) { test_bus_put32(address, note('w', 4, address, value)); }
void sh2_write16(u32 address, u32 value) { test_bus_put16(address, note('w', 2, address, value & 0xFFFF)); }
void sh2_write8(u32 address, u32 value) { memory[at(address)] = u8(note('w', 1, address, value & 0xFF)); }

void test_provider_set(TestProviderHook h) {
    provider_hook = h;
    provider_calls = 0;
}
u64 test_provider_calls() { return provider_calls; }
void xlate_init() {}
u32 xlate_lookup(Sh2State* cpu) {
    provider_calls++;
    return provider_hook ? provider_hook(cpu) : SH2_STOP;
}
u32 xlate_build_id() { return 0x7E57; }
int xlate_available() { return 1; }

bool harness_load(Sh2State* cpu, const char* name, int snippet) {
    test_bus_reset();
    test_provider_set(nullptr);
    std::string path = std::string(TEST_PROGRAM_DIR) + "/" + name + ".bin";
    if (test_bus_load_file(path.c_str(), PROGRAM_BASE) == 0) return false;
    test_bus_put32(0, snippet < 0 ? PROGRAM_BASE : snippet_address(u32(snippet)));
    test_bus_put32(4, STACK_TOP);
    // A damaged record must not survive the reset.
    for (u32 i = 0; i < sizeof(Sh2State); i++) reinterpret_cast<u8*>(cpu)[i] = 0xA5;
    sh2_reset(cpu);
    return true;
}

u32 harness_step(Sh2State* cpu) {
    u32 next = sh2_step(cpu, cpu->pc);
    if (next != SH2_STOP) {
        cpu->pc = next;
        cpu->steps++;
    }
    return next;
}

bool harness_run_until_done(Sh2State* cpu, u64 max_cycles) {
    u64 limit = cpu->cycles + max_cycles;
    while (cpu->cycles < limit) {
        if (sh2_run(cpu, cpu->cycles + 256) != 0) return false;
        if (test_bus_get32(DONE_ADDRESS) == HARNESS_DONE) return true;
    }
    return false;
}

u32 harness_result(u32 index) { return test_bus_get32(RESULT_BASE + 4 * index); }
void harness_put_inputs(const std::vector<u32>& words) {
    for (size_t i = 0; i < words.size(); i++) test_bus_put32(INPUT_BASE + 4 * u32(i), words[i]);
}

u32 xorshift(u32& x) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}
