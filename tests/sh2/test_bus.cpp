#include "test_bus.h"

#include <algorithm>
#include <cstdio>

namespace {
std::vector<u8> memory(TEST_MEM_SIZE);
bool logging = false;
std::vector<TestBusAccess> accesses;
TestBusHook hook = nullptr;

inline u32 at(u32 address) { return address & (TEST_MEM_SIZE - 1); }

void note(char kind, int size, u32 address, u32 value) {
    if (logging) accesses.push_back({kind, size, address, value});
    if (hook) hook({kind, size, address, value});
}
}  // namespace

void test_bus_reset() {
    std::fill(memory.begin(), memory.end(), 0);
    accesses.clear();
    logging = false;
    hook = nullptr;
}

u8* test_bus_memory() { return memory.data(); }
void test_bus_log(bool on) { logging = on; }
void test_bus_set_hook(TestBusHook h) { hook = h; }
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

size_t test_bus_load_program(const std::string& name, u32 address) {
    std::string path = std::string(TEST_PROGRAM_DIR) + "/" + name + ".bin";
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return 0;
    size_t total = 0;
    int c;
    while ((c = fgetc(f)) != EOF) memory[at(address + u32(total++))] = u8(c);
    fclose(f);
    return total;
}

// The runtime's six bus functions, over the flat memory.
u32 sh2_read32(u32 address) {
    u32 v = test_bus_get32(address);
    note('r', 4, address, v);
    return v;
}
u32 sh2_read16(u32 address) {
    u32 v = test_bus_get16(address);
    note('r', 2, address, v);
    return v;
}
u32 sh2_read8(u32 address) {
    u32 v = test_bus_get8(address);
    note('r', 1, address, v);
    return v;
}
void sh2_write32(u32 address, u32 value) {
    note('w', 4, address, value);
    test_bus_put32(address, value);
}
void sh2_write16(u32 address, u32 value) {
    note('w', 2, address, value & 0xFFFF);
    test_bus_put16(address, value);
}
void sh2_write8(u32 address, u32 value) {
    note('w', 1, address, value & 0xFF);
    memory[at(address)] = u8(value);
}
