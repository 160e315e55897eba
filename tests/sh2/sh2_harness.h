// Shared set-up for the SH-2 instruction tests: load an assembled program,
// reset the CPU onto it, and run it until it reports that it has finished.
//
// Memory layout used by every test program:
//   0x00000000  vector table (VBR 0): reset PC and SP, then the vectors
//   0x00001000  program (each source says "! base: 0x1000")
//   0x0007FF00  initial stack pointer
//   0x000FFFF0  finish marker: the program writes HARNESS_DONE here
//   0x00100000  results, written in order by the program
//   0x00800000  inputs, written by the test before the run
#pragma once

#include <vector>

#include "sh2/sh2.h"

constexpr u32 PROGRAM_BASE = 0x1000;
constexpr u32 STACK_TOP = 0x7FF00;
constexpr u32 DONE_ADDRESS = 0xFFFF0;
constexpr u32 HARNESS_DONE = 0x600DF00D;
constexpr u32 RESULT_BASE = 0x100000;
constexpr u32 INPUT_BASE = 0x800000;

// Clears memory, loads <name>.bin at PROGRAM_BASE, points the reset
// vectors at it and resets the CPU (which zeroes the record first).
// Returns false when the program image is missing.
bool harness_load(Sh2State* cpu, const char* name);

// Runs one step the way the run loop does: the step, then pc and steps.
u32 harness_step(Sh2State* cpu);

// Runs in short slices until the finish marker appears or max_cycles pass.
// Returns true when the program finished and the CPU never stopped.
bool harness_run_until_done(Sh2State* cpu, u64 max_cycles = 50000000);

// Word i of the results area.
u32 harness_result(u32 index);
// The first count words of the results area.
std::vector<u32> harness_results(u32 count);

// Writes a list of words into the inputs area, starting at INPUT_BASE.
void harness_put_inputs(const std::vector<u32>& words);

// Programs made of snippets: snippet i starts at PROGRAM_BASE + i * 0x80
// (the sources place them with ".org"). Loads the program, resets, and
// leaves pc at the snippet; registers can then be set before stepping.
constexpr u32 SNIPPET_SPACING = 0x80;
bool harness_load_snippet(Sh2State* cpu, const char* name, u32 index);
constexpr u32 snippet_address(u32 index) { return PROGRAM_BASE + index * SNIPPET_SPACING; }
