// Real-time clock registers.
#include "board/rtc.h"

#include <ctime>

u8 rtc_read(const BoardState* b, u32 reg) {
    reg &= 15;
    if (reg >= 13) return b->rtc_regs[reg] & 0x0F;

    // Whole seconds of emulated time; the sum wraps instead of overflowing
    // for any base a snapshot may carry.
    u64 elapsed = static_cast<u64>(static_cast<double>(b->cpu.cycles) / RTC_CPU_HZ);
    s64 now = static_cast<s64>(static_cast<u64>(b->rtc_base) + elapsed);
    time_t t = static_cast<time_t>(now);
    struct tm tm;
    if (gmtime_r(&t, &tm) == nullptr) return 0;  // beyond what the calendar can express

    // tm_year counts from 1900, a multiple of 100.
    int year = (tm.tm_year % 100 + 100) % 100;
    int value = 0;
    switch (reg) {
    case 0: value = tm.tm_sec % 10; break;
    case 1: value = tm.tm_sec / 10; break;
    case 2: value = tm.tm_min % 10; break;
    case 3: value = tm.tm_min / 10; break;
    case 4: value = tm.tm_hour % 10; break;
    case 5: value = tm.tm_hour / 10; break;
    case 6: value = tm.tm_mday % 10; break;
    case 7: value = tm.tm_mday / 10; break;
    case 8: value = (tm.tm_mon + 1) % 10; break;
    case 9: value = (tm.tm_mon + 1) / 10; break;
    case 10: value = year % 10; break;
    case 11: value = year / 10; break;
    default: value = tm.tm_wday; break;
    }
    return static_cast<u8>(value);
}

void rtc_write(BoardState* b, u32 reg, u8 value) { b->rtc_regs[reg & 15] = value; }
