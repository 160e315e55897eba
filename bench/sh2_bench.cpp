// Interpreter speed: runs a CPU-bound SH-2 program (ALU, memory and branch
// code) against a flat-memory bus and prints millions of SH-2 instructions
// per second and emulated cycles per second.
//
// Usage: sh2_bench [emulated seconds, default 10]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sh2/sh2.h"

namespace {

constexpr u32 MEM_SIZE = 0x1000000;  // 16 MiB, mirrored over the address space
constexpr u64 CPU_HZ = 28636000;
constexpr u64 SLICE = 1834;  // about one scanline, as the frame runner slices

// Four spare bytes past the end keep a 32-bit access at the last address
// inside the buffer.
u8 memory[MEM_SIZE + 4];

inline u32 at(u32 address) { return address & (MEM_SIZE - 1); }

bool load(const char* path) {
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    size_t n = fread(memory, 1, MEM_SIZE, f);
    fclose(f);
    return n > 8;
}

}  // namespace

u32 sh2_read32(u32 address) {
    u32 v;
    memcpy(&v, memory + at(address), 4);
    return __builtin_bswap32(v);
}
u32 sh2_read16(u32 address) {
    u32 a = at(address);
    return (u32(memory[a]) << 8) | memory[a + 1];
}
u32 sh2_read8(u32 address) { return memory[at(address)]; }
void sh2_write32(u32 address, u32 value) {
    u32 v = __builtin_bswap32(value);
    memcpy(memory + at(address), &v, 4);
}
void sh2_write16(u32 address, u32 value) {
    u32 a = at(address);
    memory[a] = u8(value >> 8);
    memory[a + 1] = u8(value);
}
void sh2_write8(u32 address, u32 value) { memory[at(address)] = u8(value); }

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 10.0;
    if (seconds <= 0) seconds = 10.0;
    const char* path = BENCH_PROGRAM_DIR "/sh2_mix.bin";
    if (!load(path)) {
        fprintf(stderr, "cannot load %s\n", path);
        return 1;
    }

    Sh2State cpu;
    sh2_reset(&cpu);
    const u64 total = u64(seconds * double(CPU_HZ));

    auto start = std::chrono::steady_clock::now();
    while (cpu.cycles < total) {
        if (sh2_run(&cpu, cpu.cycles + SLICE) != 0) {
            fprintf(stderr, "the program stopped at %08X\n", sh2_failed_pc());
            return 1;
        }
    }
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    printf("sh2_mix: %llu instructions, %llu cycles in %.3f s\n", (unsigned long long)cpu.steps,
           (unsigned long long)cpu.cycles, elapsed);
    printf("%.1f million SH-2 instructions per second\n", double(cpu.steps) / elapsed / 1e6);
    printf("%.1f million emulated cycles per second (%.1f x real time)\n", double(cpu.cycles) / elapsed / 1e6,
           double(cpu.cycles) / elapsed / double(CPU_HZ));
    printf("checksum %08X\n", cpu.r[9]);
    return 0;
}
