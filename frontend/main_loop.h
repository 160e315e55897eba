// The main loop's pacing decisions as plain functions of plain values.
#pragma once

#include <cstdint>

// The accumulator after a pass's elapsed time, capped at four frame periods
// so that after a stall the game slows down instead of catching up.
double accumulate_frame_time(double accumulator_ms, double elapsed_ms, double period_ms);
// Display-sync pacing runs one frame per present: only when it is chosen,
// the presents wait for the display, and the display runs at 59 to 61 Hz.
int display_sync_applies(int pacing, int vsync_effective, int refresh_hz);
// Whether presents wait for the display, from the vsync setting and the
// renderer's flags: only an accelerated renderer that presents in step
// with the display paces the loop; the software fallback never waits.
int presents_wait_for_display(int vsync, uint32_t renderer_flags);
// How long a pass sleeps: -1 not at all, else milliseconds.
int pass_sleep_ms(int running, int menu_open, int vsync_effective, double period_ms, double accumulator_ms);
// "--frames": a limit of 0 means none, and a negative limit is never reached.
int frame_limit_reached(uint64_t frame_counter, int frame_limit);
