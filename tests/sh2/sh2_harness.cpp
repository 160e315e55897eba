#include "sh2_harness.h"

#include "test_bus.h"
#include "test_provider.h"

bool harness_load(Sh2State* cpu, const char* name) {
    test_bus_reset();
    test_provider_set(nullptr);
    if (test_bus_load_program(name, PROGRAM_BASE) == 0) return false;
    test_bus_put32(0, PROGRAM_BASE);
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

std::vector<u32> harness_results(u32 count) {
    std::vector<u32> out;
    for (u32 i = 0; i < count; i++) out.push_back(harness_result(i));
    return out;
}

void harness_put_inputs(const std::vector<u32>& words) {
    for (size_t i = 0; i < words.size(); i++) test_bus_put32(INPUT_BASE + 4 * u32(i), words[i]);
}

bool harness_load_snippet(Sh2State* cpu, const char* name, u32 index) {
    if (!harness_load(cpu, name)) return false;
    cpu->pc = snippet_address(index);
    return true;
}
