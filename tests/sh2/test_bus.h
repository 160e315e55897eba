// Flat big-endian memory for SH-2 tests: 16 MiB at address 0, mirrored
// over the whole address space by masking. Every access is counted so
// tests can check the order and number of bus calls.
#pragma once

#include <string>
#include <vector>

#include "sh2/sh2.h"

constexpr u32 TEST_MEM_SIZE = 0x1000000;

struct TestBusAccess {
    char kind;  // 'r' or 'w'
    int size;   // 1, 2 or 4
    u32 address;
    u32 value;
};

// Clears memory and the access log.
void test_bus_reset();
u8* test_bus_memory();
// Starts or stops recording data accesses (instruction fetches included).
void test_bus_log(bool on);
const std::vector<TestBusAccess>& test_bus_accesses();
// Calls the hook on every bus access (fetches included), whether or not
// the log is on; null removes it. test_bus_reset removes it too.
typedef void (*TestBusHook)(const TestBusAccess& access);
void test_bus_set_hook(TestBusHook hook);

void test_bus_put32(u32 address, u32 value);
void test_bus_put16(u32 address, u32 value);
u32 test_bus_get32(u32 address);
u32 test_bus_get16(u32 address);
u32 test_bus_get8(u32 address);

// Loads "<TEST_PROGRAM_DIR>/<name>.bin" at the address; returns its size
// in bytes, or 0 when the file is missing.
size_t test_bus_load_program(const std::string& name, u32 address);
