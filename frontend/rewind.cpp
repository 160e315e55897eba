// Rewind: every fourth frame the core snapshot goes compressed into a ring
// bounded by an entry count and a byte budget; while the rewind hotkey is
// held, each pass restores the newest entry, drops it and shows its
// picture, so the game steps back four frames per displayed frame.
#include "frontend/rewind.h"

#include <cstdlib>
#include <cstring>

#include "frontend/frontend.h"
#include "frontend/states.h"
#include "zipio/zip_io.h"

namespace {

constexpr size_t ADAPTER_ERROR_SIZE = 128;

// One buffer reused by every capture (compression) and every step
// (decompression): entries are then allocated at their packed size, so the
// byte budget bounds the memory they really take.
uint8_t* scratch;
size_t scratch_size;

uint8_t* reserve_scratch(size_t size) {
    if (size <= scratch_size) return scratch;
    free(scratch);
    scratch = (uint8_t*)malloc(size);
    scratch_size = scratch ? size : 0;
    return scratch;
}

void drop_entry(int i) {
    RewindRing& r = fe.rewind;
    r.total -= r.sizes[i];
    free(r.entries[i]);
    r.entries[i] = nullptr;
    r.sizes[i] = 0;
    r.count--;
}

void drop_oldest() {
    drop_entry(fe.rewind.head);
    fe.rewind.head = (fe.rewind.head + 1) % fe.rewind.capacity;
}

// Frees every entry, both arrays and the scratch buffer and zeroes the
// counters; `rewinding` is left alone.
void release_ring() {
    RewindRing& r = fe.rewind;
    if (r.entries)
        for (int i = 0; i < r.capacity; i++) free(r.entries[i]);
    free(r.entries);
    free(r.sizes);
    free(scratch);
    scratch = nullptr;
    scratch_size = 0;
    int rewinding = r.rewinding;
    r = RewindRing{};
    r.rewinding = rewinding;
}

// The newest entry decompressed and loaded into the game: 1 when all of it
// worked.
int restore_entry(const uint8_t* entry) {
    uint32_t raw = get_le32(entry), packed = get_le32(entry + 4);
    uint8_t* buffer = reserve_scratch(raw);
    size_t length = raw;
    char err[ADAPTER_ERROR_SIZE];
    return buffer && zipio_uncompress(buffer, &length, entry + REWIND_ENTRY_HEADER, packed) &&
           fe.adapter.load_snapshot && fe.adapter.load_snapshot(buffer, length, err, sizeof err);
}

}  // namespace

void reset_rewind() {
    release_ring();
    if (!fe.settings.rewind) return;
    RewindRing& r = fe.rewind;
    r.entries = (uint8_t**)calloc(REWIND_CAPACITY, sizeof *r.entries);
    r.sizes = (uint64_t*)calloc(REWIND_CAPACITY, sizeof *r.sizes);
    if (!r.entries || !r.sizes) {
        release_ring();  // an unallocated ring simply means no rewind
        return;
    }
    r.capacity = REWIND_CAPACITY;
    r.budget = (uint64_t)fe.settings.rewind_mb << 20;
}

void rewind_capture() {
    RewindRing& r = fe.rewind;
    if (!r.entries || !fe.adapter.save_snapshot) return;
    size_t raw = 0;
    void* snapshot = fe.adapter.save_snapshot(&raw);
    if (!snapshot) return;
    size_t packed = zipio_compress_bound(raw);
    uint8_t* buffer = raw <= UINT32_MAX ? reserve_scratch(packed) : nullptr;
    int compressed = buffer && zipio_compress(buffer, &packed, snapshot, raw, REWIND_LEVEL) && packed <= UINT32_MAX;
    free(snapshot);
    uint8_t* entry = compressed ? (uint8_t*)malloc(packed + REWIND_ENTRY_HEADER) : nullptr;
    if (!entry) return;  // a failed capture is skipped silently
    put_le32(entry, (uint32_t)raw);
    put_le32(entry + 4, (uint32_t)packed);
    memcpy(entry + REWIND_ENTRY_HEADER, buffer, packed);

    if (r.count == r.capacity) drop_oldest();
    int i = (r.head + r.count) % r.capacity;
    r.entries[i] = entry;
    r.sizes[i] = packed + REWIND_ENTRY_HEADER;
    r.total += r.sizes[i];
    r.count++;
    // The newest entry stays even when it alone is over the budget.
    while (r.total > r.budget && r.count > 1) drop_oldest();
}

void rewind_step() {
    RewindRing& r = fe.rewind;
    // The oldest entry is never consumed: with one left the game holds still.
    if (r.entries && r.count >= 2) {
        int i = (r.head + r.count - 1) % r.capacity;
        int restored = restore_entry(r.entries[i]);
        drop_entry(i);  // a damaged entry goes too; the next pass tries an older one
        if (restored) fetch_frame();
    }
    flush_audio();
    fe.frame_accumulator_ms = 0.0;
}

void free_rewind() { release_ring(); }

void rewind_figures(double* seconds, double* megabytes) {
    double frames = fe.rewind.count * (double)REWIND_FRAMES_PER_ENTRY;
    *seconds = fe.adapter.fps > 0 ? frames / fe.adapter.fps : 0.0;
    *megabytes = (double)fe.rewind.total / (double)(1 << 20);
}
