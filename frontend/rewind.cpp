// Rewind: every fourth frame the core snapshot goes compressed into a ring
// bounded by an entry count and a byte budget; while the rewind hotkey is
// held, each pass restores the newest entry, drops it and shows its
// picture, so the game steps back four frames per displayed frame.
//
// Compressing a whole snapshot takes longer than a frame can spare, so the
// frame step spreads it: the capture frame takes the snapshot and the four
// frames from it on each compress a quarter; the entry joins the ring when
// the last quarter is done. Anything that looks at the ring first settles
// a capture still under way, so the ring always holds what capturing every
// fourth frame at once would have put there.
#include "frontend/rewind.h"

#include <algorithm>
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

// The capture under way: the capture frame's snapshot and how much of it
// has gone through the compressor.
struct PendingCapture {
    void* snapshot;  // from the adapter; null when none is under way
    size_t raw;
    size_t fed;
    int frames;       // frames that have compressed a share
    uint64_t ticks;   // counter ticks the compression has taken so far
};
PendingCapture pending;
ZipDeflater* deflater;
// What the last whole capture's compression took: each frame's share of
// the next one. Parts of a snapshot compress at very different speeds, so
// shares go by time rather than by bytes.
uint64_t last_capture_ticks;

constexpr size_t CAPTURE_CHUNK = 32 << 10;

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

void drop_pending() {
    free(pending.snapshot);
    pending = PendingCapture{};
}

// Frees every entry, both arrays, the scratch buffer and a capture under
// way, and zeroes the counters; `rewinding` is left alone.
void release_ring() {
    drop_pending();
    RewindRing& r = fe.rewind;
    if (r.entries)
        for (int i = 0; i < r.capacity; i++) free(r.entries[i]);
    free(r.entries);
    free(r.sizes);
    free(scratch);
    scratch = nullptr;
    scratch_size = 0;
    zipio_deflater_free(deflater);
    deflater = nullptr;
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

// Takes the snapshot of this frame and readies the compressor. A failure
// skips the capture silently.
void begin_capture() {
    if (!fe.adapter.save_snapshot) return;
    if (!deflater) deflater = zipio_deflater_new();
    size_t raw = 0;
    void* snapshot = fe.adapter.save_snapshot(&raw);
    if (!snapshot) return;
    size_t bound = zipio_compress_bound(raw);
    uint8_t* buffer = raw <= UINT32_MAX ? reserve_scratch(bound) : nullptr;
    if (!deflater || !buffer || !zipio_deflater_begin(deflater, REWIND_LEVEL, buffer, bound)) {
        free(snapshot);
        return;
    }
    pending = PendingCapture{snapshot, raw, 0, 0, 0};
}

// Puts a finished entry into the ring: the oldest goes first when the ring
// is full, then older ones while the budget is exceeded, but never the
// newest.
void add_entry(uint8_t* entry, uint64_t size) {
    RewindRing& r = fe.rewind;
    if (r.count == r.capacity) drop_oldest();
    int i = (r.head + r.count) % r.capacity;
    r.entries[i] = entry;
    r.sizes[i] = size;
    r.total += size;
    r.count++;
    while (r.total > r.budget && r.count > 1) drop_oldest();
}

// Compresses more of the capture under way: this frame's share of the
// time (everything that is left on the capture's last frame, or with
// `all`); the end of the snapshot makes the entry.
void feed_capture(bool all) {
    if (!pending.snapshot) return;
    pending.frames++;
    all = all || pending.frames >= REWIND_FRAMES_PER_ENTRY;
    uint64_t share = last_capture_ticks / REWIND_FRAMES_PER_ENTRY;
    // Before any capture has been timed, shares go by bytes.
    size_t until = all || last_capture_ticks ? pending.raw
                                              : pending.raw / REWIND_FRAMES_PER_ENTRY * (size_t)pending.frames;
    uint64_t start = SDL_GetPerformanceCounter();
    int ok = 1;
    while (ok && pending.fed < until) {
        size_t len = all ? pending.raw - pending.fed : std::min(CAPTURE_CHUNK, until - pending.fed);
        int last = pending.fed + len == pending.raw;
        ok = zipio_deflater_feed(deflater, (const uint8_t*)pending.snapshot + pending.fed, len, last);
        pending.fed += len;
        if (!all && last_capture_ticks && SDL_GetPerformanceCounter() - start >= share) break;
    }
    pending.ticks += SDL_GetPerformanceCounter() - start;
    if (!ok) {
        drop_pending();
        return;
    }
    if (pending.fed < pending.raw) return;
    last_capture_ticks = pending.ticks;
    size_t packed = zipio_deflater_length(deflater);
    uint8_t* entry = packed <= UINT32_MAX ? (uint8_t*)malloc(packed + REWIND_ENTRY_HEADER) : nullptr;
    if (entry) {
        put_le32(entry, (uint32_t)pending.raw);
        put_le32(entry + 4, (uint32_t)packed);
        memcpy(entry + REWIND_ENTRY_HEADER, scratch, packed);
        add_entry(entry, packed + REWIND_ENTRY_HEADER);
    }
    drop_pending();
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

void rewind_settle() { feed_capture(true); }

void rewind_after_frame() {
    if (!fe.rewind.entries) return;
    if (fe.frame_counter % REWIND_FRAMES_PER_ENTRY == 0) {
        rewind_settle();
        begin_capture();
    }
    feed_capture(false);
}

void rewind_capture() {
    if (!fe.rewind.entries) return;
    rewind_settle();
    begin_capture();
    rewind_settle();
}

void rewind_step() {
    rewind_settle();
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
    rewind_settle();
    double frames = fe.rewind.count * (double)REWIND_FRAMES_PER_ENTRY;
    *seconds = fe.adapter.fps > 0 ? frames / fe.adapter.fps : 0.0;
    *megabytes = (double)fe.rewind.total / (double)(1 << 20);
}
