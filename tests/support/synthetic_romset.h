// Synthetic ROM sets for tests and benchmarks. The game's ROMs are never
// available, so tests build archives that pass the ROM set check: every
// member under its exact name and size, with four bytes of each member
// chosen so that its CRC-32 equals the expected one. SH-2 programs (flat
// binaries assembled from test sources) are placed at SH-2 addresses in the
// BIOS (0x00000000-0x0007FFFF) or the program ROM (0x04000000-0x041FFFFF,
// whose even bytes live in "tx-usa.u10" and odd bytes in "tx-usa.u8").
//
// Each member's last four bytes are used for its CRC (SH-2 addresses
// 0x0007FFFC-0x0007FFFF in the BIOS and 0x041FFFF8-0x041FFFFF in the program
// ROM); keep programs away from them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "sh2/sh2.h"

// Member indexes: 0-7 the game's ROM files in table order, 8 the US BIOS.
constexpr int SYNTH_MEMBER_COUNT = 9;
constexpr int SYNTH_BIOS = 8;

struct SyntheticRomset {
    std::vector<u8> data[SYNTH_MEMBER_COUNT];  // member contents
    bool crc_fixed[SYNTH_MEMBER_COUNT];        // contents match the table CRC
};

// Fills every member with a deterministic pattern that differs per member
// and per offset, sets the reset vectors to PC 0x00000400 and SP 0x06100000
// and fixes the CRCs lazily (on write).
void synth_init(SyntheticRomset* set);

// Writes the BIOS's reset vectors: initial PC at address 0, SP at 4.
void synth_set_reset_vectors(SyntheticRomset* set, u32 pc, u32 sp);
// Copies `len` bytes to SH-2 address `address` (BIOS or program ROM, with
// the program ROM's byte interleave). 0 when the range leaves both areas.
int synth_place(SyntheticRomset* set, u32 address, const void* bytes, size_t len);
// The same with a flat binary file. 0 when it cannot be read or placed.
int synth_place_file(SyntheticRomset* set, u32 address, const char* path);
// Reads a big-endian 32-bit word at an SH-2 address of the set's images.
u32 synth_peek32(const SyntheticRomset* set, u32 address);
// Makes the CRC-32 of every changed member equal its table value.
void synth_fix_crcs(SyntheticRomset* set);

// Sets data[offset..offset+3] so that the CRC-32 of the whole buffer,
// continued from `start_crc` (the CRC of whatever precedes it), is
// `target`. 0 when the buffer has fewer than four bytes from `offset`.
int synth_force_crc(u8* data, size_t len, size_t offset, u32 target, u32 start_crc = 0);

// Where the BIOS file goes.
enum SynthBiosPlace : int {
    SYNTH_BIOS_OWN_ARCHIVE,  // only in the BIOS archive (default)
    SYNTH_BIOS_IN_GAME,      // only in the game archive
    SYNTH_BIOS_BOTH,         // in both
    SYNTH_BIOS_NOWHERE,      // in neither
};

struct SynthExtraMember {
    std::string name;  // stored name, folders allowed
    std::vector<u8> data;
    bool in_bios_archive;  // false: the game archive
};

// How to write a set; a zeroed record (the default) writes a good set.
struct SynthWriteOptions {
    unsigned omit_mask;        // bit i: leave ROM file i out
    unsigned wrong_size_mask;  // bit i: file i one byte short
    unsigned wrong_crc_mask;   // bit i: file i's first byte changed
    const char* folder;        // stored names get this prefix ("set/"), null none
    bool upper_case;           // store names in upper case
    bool japanese;             // add "tx-jpn.u10" (the Japanese program file)
    SynthBiosPlace bios_place;
    bool bios_wrong;          // the BIOS archive's BIOS file is damaged
    bool bios_in_game_wrong;  // the game archive's BIOS file is damaged
    bool deflate;             // compress members (default: stored)
    std::vector<SynthExtraMember> extra;
};

// Writes the game archive and, unless bios_zip is null, the BIOS archive
// (written even when it gets no BIOS file). Fixes the CRCs first. 1 on
// success, 0 when a file cannot be written.
int synth_write(SyntheticRomset* set, const SynthWriteOptions* options, const char* game_zip, const char* bios_zip);

// Writes a ZIP archive of named members (stored, or deflated). 1 on success.
struct SynthZipEntry {
    std::string name;
    const u8* data;
    size_t size;
};
int synth_write_zip(const char* path, const SynthZipEntry* entries, int count, bool deflate);

// Whole files, for tests that damage archives on purpose. 1 on success.
int synth_read_file(const char* path, std::vector<u8>* out);
int synth_write_file(const char* path, const void* data, size_t len);
// In a ZIP file image: the offset of the central directory entry of the
// member stored under `name` (CRC-32 at +16, compressed size at +20,
// uncompressed size at +24), and the offset of that member's data. -1 when
// there is no such member.
long synth_zip_central_entry(const std::vector<u8>& zip, const char* name);
long synth_zip_data_offset(const std::vector<u8>& zip, const char* name);

// A fresh folder under the temporary directory, removed with its files at
// process exit. Returns its path without a trailing '/'.
std::string synth_temp_dir();

struct SynthSetPaths {
    std::string game_zip;  // ".../talvex.zip"
    std::string bios_zip;  // ".../voxa.zip"
};
// A good set with the flat binary `program_path` placed at `address` and
// the reset vectors pointing at it (PC = address, SP = `stack`), built once
// per process for each distinct (path, address, stack) and reused; the
// files are removed at exit. A null path builds the set without a program.
// Aborts the test binary with a message when the program cannot be read.
const SynthSetPaths& synth_standard_set(const char* program_path, u32 address, u32 stack);
// A good set made by `build` from a synth_init'ed set, built once per
// process for each distinct `key` and reused. `build` may place programs
// and data; returning 0 from it aborts the test binary.
const SynthSetPaths& synth_cached_set(const std::string& key, int (*build)(SyntheticRomset* set));
