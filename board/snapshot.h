// Core snapshot "TLVXCORE": the whole run state of the board (CPU, on-chip
// peripherals, RAMs, backup RAM, video memories, HIT, YMZ280B, timing) as
// one self-checking byte string, without the ROM images. A snapshot carries
// the ROM-set fingerprint and loads only into a board with the same set.
//
// Layout (little-endian numbers, memory images as the record holds them):
// a 20-byte header (magic, version 1, fingerprint, translated-code id), then
// eight chunks "SH2 ", "ONCH", "RAM ", "NVRM", "VID ", "HIT ", "YMZ ",
// "MISC" (4-byte tag, u32 payload size, payload), then the CRC-32 of every
// byte before it. One routine, snapshot_walk, visits every field in that
// order in both directions, so the writer and the reader cannot drift.
#pragma once

#include <cstddef>

#include "board/board.h"

constexpr u32 SNAPSHOT_VERSION = 1;
constexpr size_t SNAPSHOT_HEADER_SIZE = 20;
constexpr size_t SNAPSHOT_SIZE = 2129607;  // always, with this layout

enum : s32 {
    SNAPSHOT_READ = 0,
    SNAPSHOT_WRITE = 1,
};

enum : s32 {
    SNAPSHOT_OK = 0,
    SNAPSHOT_SHORT = 1,   // short input, or out of memory while writing
    SNAPSHOT_LAYOUT = 2,  // tag or chunk-size mismatch
};

// The two-way serializer. Write mode appends to a growing buffer that the
// stream owns until it is handed out; read mode reads the caller's bytes.
struct SnapshotStream {
    s32 mode;  // SNAPSHOT_WRITE or SNAPSHOT_READ
    u8* data;
    u64 length;      // write: bytes written; read: end of the readable region
    u64 capacity;    // write: allocated size of data; read: 0
    u64 pos;         // read position
    s32 error;       // sticky SNAPSHOT_OK / SNAPSHOT_SHORT / SNAPSHOT_LAYOUT
    u64 chunk_mark;  // write: offset of the size placeholder; read: offset after the size field
    u32 chunk_size;  // read: the size the open chunk declared
};

// A malloc'd snapshot of the board (the caller frees it) with its size in
// *out_size, or null when memory runs out.
void* snapshot_save(BoardState* board, size_t* out_size);

// A malloc'd copy of the live board with the snapshot applied, or null with
// one sentence in err. The live board is never changed. The caller frees
// the copy.
BoardState* snapshot_parse(BoardState* live, const void* data, size_t size, char* err, size_t errlen);

// 1 when snapshot_parse would succeed, else 0 with its sentence.
int snapshot_check(BoardState* live, const void* data, size_t size, char* err, size_t errlen);

// Replaces the live board's state with the snapshot and makes it current:
// 1 on success; 0 with a sentence, leaving the live board untouched.
int snapshot_load(BoardState* live, const void* data, size_t size, char* err, size_t errlen);

// Visits every saved field of the board in layout order.
void snapshot_walk(SnapshotStream* s, BoardState* b);

// Stream primitives: each appends the field (write) or fills it (read).
void stream_u8(SnapshotStream* s, u8* v);
void stream_u16(SnapshotStream* s, u16* v);
void stream_u32(SnapshotStream* s, u32* v);
void stream_u64(SnapshotStream* s, u64* v);
void stream_bytes(SnapshotStream* s, void* p, size_t n);
void stream_chunk_begin(SnapshotStream* s, const char* tag);
void stream_chunk_end(SnapshotStream* s);
