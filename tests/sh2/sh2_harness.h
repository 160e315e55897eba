// Test bus (16 MiB of flat big-endian memory, mirrored; every access can be
// logged or passed to a hook), translated-code provider and program harness.
// Programs load at PROGRAM_BASE ("! base: 0x1000"), read inputs from
// INPUT_BASE, write results from RESULT_BASE and finish by writing
// HARNESS_DONE to DONE_ADDRESS.
#pragma once

#include <cstddef>
#include <vector>

#include "sh2/interpreter.h"
#include "sh2/xlate.h"

constexpr u32 PROGRAM_BASE = 0x1000, STACK_TOP = 0x7FF00, DONE_ADDRESS = 0xFFFF0, HARNESS_DONE = 0x600DF00D;
constexpr u32 RESULT_BASE = 0x100000, INPUT_BASE = 0x800000;
// Snippet i of a program starts at PROGRAM_BASE + i * 0x80 (placed with ".org").
constexpr u32 snippet_address(u32 index) { return PROGRAM_BASE + index * 0x80; }

struct TestBusAccess {
    char kind;  // 'r' or 'w'
    int size;   // 1, 2 or 4
    u32 address, value;
};
typedef void (*TestBusHook)(const TestBusAccess& access);

void test_bus_reset();  // clears memory and the log, removes the hook
u8* test_bus_memory();
void test_bus_log(bool on);
const std::vector<TestBusAccess>& test_bus_accesses();
void test_bus_set_hook(TestBusHook hook);  // null removes it
void test_bus_put32(u32 address, u32 value);
void test_bus_put16(u32 address, u32 value);
u32 test_bus_get32(u32 address);
u32 test_bus_get16(u32 address);
u32 test_bus_get8(u32 address);
// Loads a file at the address; returns its size, 0 when it is missing.
size_t test_bus_load_file(const char* path, u32 address);

// The provider runs the hook (null: no code anywhere) and counts its calls.
typedef u32 (*TestProviderHook)(Sh2State* cpu);
void test_provider_set(TestProviderHook hook);
u64 test_provider_calls();

// Clears memory, loads <TEST_PROGRAM_DIR>/<name>.bin at PROGRAM_BASE and
// resets onto it; given a snippet index, leaves pc at that snippet.
bool harness_load(Sh2State* cpu, const char* name, int snippet = -1);
// One step the way the run loop does it: the step, then pc and steps.
u32 harness_step(Sh2State* cpu);
// Runs until the finish marker appears; false if the CPU stopped or time ran out.
bool harness_run_until_done(Sh2State* cpu, u64 max_cycles = 50000000);
u32 harness_result(u32 index);
void harness_put_inputs(const std::vector<u32>& words);
// A fixed pseudo-random sequence for test inputs.
u32 xorshift(u32& state);
