// Reset, interrupt requests and acceptance, and the instructions that
// change SR or the flow of control through memory (LDC to SR, RTE, TRAPA,
// illegal instructions, SLEEP).
#include <cstring>

#include "sh2/interpreter.h"

namespace {

void push(Sh2State* cpu, u32 value) {
    cpu->r[15] -= 4;
    sh2_write32(cpu->r[15], value);
}

u32 pop(Sh2State* cpu) {
    u32 value = sh2_read32(cpu->r[15]);
    cpu->r[15] += 4;
    return value;
}

// Exception entry: SR is pushed before the return address.
void enter_exception(Sh2State* cpu, u32 return_address) {
    push(cpu, cpu->sr);
    push(cpu, return_address);
}

// An accepted interrupt wakes a sleeping CPU; its handler's RTE comes back
// to the SLEEP, which then moves on.
void wake(Sh2State* cpu) {
    if (cpu->sleep_state == 1) cpu->sleep_state = 2;
}

}  // namespace

void sh2_reset(Sh2State* cpu) {
    memset(cpu, 0, sizeof *cpu);
    cpu->onchip_level = -1;
    cpu->sr = 0xF0;
    cpu->pc = sh2_read32(0);
    cpu->r[15] = sh2_read32(4);
}

void sh2_set_irq(Sh2State* cpu, u32 level, int on) {
    u32 bit = 1u << (level & 31);
    if (on) {
        cpu->idle = 0;
        if (cpu->irl_pending & bit) return;
        cpu->irl_pending |= bit;
        cpu->irq_recheck = 1;
    } else {
        cpu->irl_pending &= ~bit;
    }
}

void sh2_set_onchip_irq(Sh2State* cpu, s32 level, u32 vector) {
    cpu->onchip_level = level;
    cpu->onchip_vector = vector;
    if (level >= 0) cpu->irq_recheck = 1;
}

int sh2_accept_interrupt(Sh2State* cpu) {
    if (cpu->nmi_pending == 1) {
        cpu->nmi_pending = 0;
        enter_exception(cpu, cpu->pc);
        cpu->sr |= SH2_SR_IMASK;
        cpu->pc = sh2_read32(cpu->vbr + 0x2C);
        wake(cpu);
        return 1;
    }

    // On equal levels the on-chip request wins over the external one.
    s32 level = cpu->onchip_level;
    if (cpu->irl_pending != 0) {
        s32 external = 31 - __builtin_clz(cpu->irl_pending);
        if (cpu->onchip_level < external) level = external;
    }
    s32 imask = s32((cpu->sr & SH2_SR_IMASK) >> 4);
    if (level < 0 || level <= imask) return 0;

    u32 vector;
    if (level == cpu->onchip_level) {
        vector = cpu->onchip_vector;
        cpu->onchip_level = -1;
    } else {
        cpu->irl_pending &= ~(1u << level);
        vector = 64 + u32(level) / 2;
    }
    enter_exception(cpu, cpu->pc);
    u32 new_mask = level < 16 ? u32(level) : 15u;
    cpu->sr = (cpu->sr & ~SH2_SR_IMASK) | (new_mask << 4);
    cpu->pc = sh2_read32(cpu->vbr + 4 * vector);
    wake(cpu);
    return 1;
}

void sh2_ldc_sr(Sh2State* cpu, u8 reg) {
    cpu->sr = cpu->r[reg & 15] & SH2_SR_MASK;
    cpu->irq_recheck = 1;
}

void sh2_ldc_l_sr(Sh2State* cpu, u8 reg) {
    u32 address = cpu->r[reg & 15];
    cpu->last_ea = address;
    cpu->sr = sh2_read32(address) & SH2_SR_MASK;
    cpu->r[reg & 15] = address + 4;
    cpu->cycles += 2;
    cpu->irq_recheck = 1;
}

u32 sh2_rte(Sh2State* cpu) {
    u32 pc = pop(cpu);
    cpu->sr = pop(cpu) & SH2_SR_MASK;
    cpu->cycles += 3;
    cpu->irq_recheck = 1;
    return pc;
}

u32 sh2_trapa(Sh2State* cpu, u8 imm, u32 return_address) {
    cpu->last_ea = cpu->vbr + u32(imm) * 4;
    enter_exception(cpu, return_address);
    cpu->cycles += 7;
    return sh2_read32(cpu->last_ea);
}

u32 sh2_illegal_instruction(Sh2State* cpu, u32 address) {
    enter_exception(cpu, address);
    cpu->cycles += 5;
    return sh2_read32(cpu->vbr + 16);
}

u32 sh2_sleep(Sh2State* cpu, u32 address) {
    cpu->cycles += 2;
    switch (cpu->sleep_state) {
    case 1: return address;
    case 2: cpu->sleep_state = 0; return address + 2;
    default:  // 0, or a value no running CPU can hold (a damaged snapshot)
        cpu->sleep_state = 1;
        return address;
    }
}
