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
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "board/board.h"
#include "board/fingerprint.h"
#include "board/frame.h"
#include "board/onchip.h"
#include "sh2/xlate.h"
#include "zipio/zip_io.h"

namespace {

constexpr u32 SNAPSHOT_VERSION = 1;
constexpr size_t SNAPSHOT_HEADER_SIZE = 20;

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

const char SNAPSHOT_MAGIC[8] = {'T', 'L', 'V', 'X', 'C', 'O', 'R', 'E'};
constexpr u64 STREAM_FIRST_CAPACITY = 0x40000;

const char MSG_TRUNCATED[] = "state file is truncated";
const char MSG_MAGIC[] = "not a Talvex save state";
const char MSG_CRC[] = "state is damaged (checksum mismatch)";
const char MSG_VERSION[] = "state format version %u is not supported (expected %u)";
const char MSG_FINGERPRINT[] = "state was made with a different ROM set";
const char MSG_MEMORY[] = "out of memory";
const char MSG_LAYOUT[] = "state has an unexpected layout or is truncated";

void set_error(char* err, size_t errlen, const char* message) {
    if (err && errlen) snprintf(err, errlen, "%s", message);
}

u32 load_le32(const u8* p) { return (u32)p[0] | (u32)p[1] << 8 | (u32)p[2] << 16 | (u32)p[3] << 24; }

void store_le32(u8* p, u32 v) {
    p[0] = (u8)v;
    p[1] = (u8)(v >> 8);
    p[2] = (u8)(v >> 16);
    p[3] = (u8)(v >> 24);
}

// Makes room for n more bytes in write mode. 0 (with the error set) when
// memory runs out; the old buffer is then kept as it was.
int stream_reserve(SnapshotStream* s, u64 n) {
    u64 need = s->length + n;
    if (need <= s->capacity) return 1;
    u64 cap = s->capacity ? s->capacity : STREAM_FIRST_CAPACITY;
    while (cap < need) cap *= 2;
    u8* grown = (u8*)realloc(s->data, (size_t)cap);
    if (!grown) {
        s->error = SNAPSHOT_SHORT;
        return 0;
    }
    s->data = grown;
    s->capacity = cap;
    return 1;
}

// Moves n bytes between the field and the stream: appends them in write
// mode; in read mode copies them out, or zero-fills the field when the
// input is short or an error is already set.
void stream_raw(SnapshotStream* s, void* p, size_t n) {
    if (s->mode == SNAPSHOT_WRITE) {
        if (s->error || !stream_reserve(s, n)) return;
        if (n) memcpy(s->data + s->length, p, n);
        s->length += n;
        return;
    }
    if (s->error || n > s->length || s->pos > s->length - n) {
        if (!s->error) s->error = SNAPSHOT_SHORT;
        if (n) memset(p, 0, n);
        return;
    }
    if (n) memcpy(p, s->data + s->pos, n);
    s->pos += n;
}

void stream_u8(SnapshotStream* s, u8* v) { stream_raw(s, v, 1); }

void stream_u16(SnapshotStream* s, u16* v) {
    u8 bytes[2] = {(u8)*v, (u8)(*v >> 8)};
    stream_raw(s, bytes, 2);
    if (s->mode == SNAPSHOT_READ) *v = (u16)(bytes[0] | bytes[1] << 8);
}

void stream_u32(SnapshotStream* s, u32* v) {
    u8 bytes[4];
    store_le32(bytes, *v);
    stream_raw(s, bytes, 4);
    if (s->mode == SNAPSHOT_READ) *v = load_le32(bytes);
}

void stream_u64(SnapshotStream* s, u64* v) {
    u32 lo = (u32)*v;
    u32 hi = (u32)(*v >> 32);
    stream_u32(s, &lo);
    stream_u32(s, &hi);
    if (s->mode == SNAPSHOT_READ) *v = (u64)hi << 32 | lo;
}

void stream_bytes(SnapshotStream* s, void* p, size_t n) { stream_raw(s, p, n); }

void stream_chunk_begin(SnapshotStream* s, const char* tag) {
    if (s->mode == SNAPSHOT_WRITE) {
        u8 t[4];
        memcpy(t, tag, 4);
        stream_raw(s, t, 4);
        s->chunk_mark = s->length;
        u32 placeholder = 0;
        stream_u32(s, &placeholder);
        return;
    }
    if (s->error) {
        s->error = SNAPSHOT_LAYOUT;
        return;
    }
    u8 t[4];
    stream_raw(s, t, 4);
    u32 size = 0;
    stream_u32(s, &size);
    if (s->error) {
        s->error = SNAPSHOT_LAYOUT;
        return;
    }
    if (memcmp(t, tag, 4) != 0) s->error = SNAPSHOT_LAYOUT;
    s->chunk_size = size;
    s->chunk_mark = s->pos;
}

void stream_chunk_end(SnapshotStream* s) {
    if (s->error) return;
    if (s->mode == SNAPSHOT_WRITE) {
        store_le32(s->data + s->chunk_mark, (u32)(s->length - s->chunk_mark - 4));
        return;
    }
    if (s->pos - s->chunk_mark != s->chunk_size) s->error = SNAPSHOT_LAYOUT;
}

void stream_s32(SnapshotStream* s, s32* v) {
    u32 u = (u32)*v;
    stream_u32(s, &u);
    *v = (s32)u;
}

void stream_s16(SnapshotStream* s, s16* v) {
    u16 u = (u16)*v;
    stream_u16(s, &u);
    *v = (s16)u;
}

void stream_s64(SnapshotStream* s, s64* v) {
    u64 u = (u64)*v;
    stream_u64(s, &u);
    *v = (s64)u;
}

// Arrays of u32 and u16: one block move where the host's byte order is the
// format's, element by element elsewhere.
void stream_u32_array(SnapshotStream* s, u32* v, size_t n) {
    if constexpr (std::endian::native == std::endian::little) {
        stream_raw(s, v, n * sizeof(u32));
    } else {
        for (size_t i = 0; i < n; i++) stream_u32(s, &v[i]);
    }
}

void stream_u16_array(SnapshotStream* s, u16* v, size_t n) {
    if constexpr (std::endian::native == std::endian::little) {
        stream_raw(s, v, n * sizeof(u16));
    } else {
        for (size_t i = 0; i < n; i++) stream_u16(s, &v[i]);
    }
}

void walk_cpu(SnapshotStream* s, Sh2State* c) {
    for (u32& r : c->r) stream_u32(s, &r);
    stream_u32(s, &c->pc);
    stream_u32(s, &c->pr);
    stream_u32(s, &c->sr);
    stream_u32(s, &c->gbr);
    stream_u32(s, &c->vbr);
    stream_u32(s, &c->mach);
    stream_u32(s, &c->macl);
    stream_u32(s, &c->last_ea);
    stream_u32(s, &c->reserved);
    stream_u64(s, &c->cycles);
    stream_u64(s, &c->steps);
    stream_u32(s, &c->irl_pending);
    stream_s32(s, &c->onchip_level);
    stream_u32(s, &c->onchip_vector);
    stream_u8(s, &c->nmi_pending);
    stream_u8(s, &c->sleep_state);
    stream_u8(s, &c->irq_recheck);
    stream_u8(s, &c->idle);
}

void walk_onchip(SnapshotStream* s, BoardState* b) {
    stream_bytes(s, b->onchip_regs, sizeof b->onchip_regs);
    stream_u32(s, &b->divu_dvsr);
    stream_u32(s, &b->divu_quotient);
    stream_u32(s, &b->divu_remainder);
    stream_u8(s, &b->divu_ovf);
    stream_u8(s, &b->divu_ovfie);
    stream_u8(s, &b->frt_tier);
    stream_u8(s, &b->frt_ftcsr);
    stream_u8(s, &b->frt_tcr);
    stream_u8(s, &b->frt_tocr);
    stream_u16(s, &b->frt_frc);
    stream_u16(s, &b->frt_ocra);
    stream_u16(s, &b->frt_ocrb);
    stream_u64(s, &b->frt_last);
    stream_u64(s, &b->frt_next);
}

void walk_palette_control(SnapshotStream* s, PaletteControl* p) {
    u8* fields[] = {
        &p->sprite_brightness_on, &p->tile_brightness_on, &p->sprite_bank_dirty, &p->tile_bank_dirty,
        &p->palette_regs_written, &p->sprite_factor_r,    &p->sprite_factor_g,   &p->sprite_factor_b,
        &p->blend_factor_b,       &p->blend_factor_g,     &p->blend_factor_r,    &p->tile_factor_r,
        &p->tile_factor_g,        &p->tile_factor_b,      &p->tile_reg6_high,    &p->tile_reg5_high,
        &p->tile_reg7_high,       &p->tile_layers_on,     &p->sprite_layer_on,
    };
    for (u8* f : fields) stream_u8(s, f);
}

void walk_video(SnapshotStream* s, BoardState* b) {
    stream_bytes(s, b->sprite_ram, sizeof b->sprite_ram);
    stream_bytes(s, b->sprite_regs, sizeof b->sprite_regs);
    stream_bytes(s, b->tilemap_regs, sizeof b->tilemap_regs);
    stream_bytes(s, b->tilemap_ram_a, sizeof b->tilemap_ram_a);
    stream_bytes(s, b->tilemap_ram_b, sizeof b->tilemap_ram_b);
    stream_bytes(s, b->line_ram, sizeof b->line_ram);
    stream_bytes(s, b->palette_regs, sizeof b->palette_regs);
    stream_bytes(s, b->palette_ram, sizeof b->palette_ram);
    stream_bytes(s, b->char_ram, sizeof b->char_ram);
    stream_u32_array(s, b->palette_cache, std::size(b->palette_cache));
    walk_palette_control(s, &b->palette_control);
    stream_u16_array(s, b->sprite_bitmap, std::size(b->sprite_bitmap));
    stream_u32_array(s, b->frame_buffer, std::size(b->frame_buffer));
}

// Words 0-27, then the flags word 31, then the overlap words 28-30: the
// format keeps the flags ahead of the overlaps.
void walk_hit(SnapshotStream* s, HitDevice* h) {
    for (int i = 0; i < HIT_OVERLAP; i++) stream_u16(s, &h->words[i]);
    stream_u16(s, &h->words[HIT_FLAGS]);
    for (int i = HIT_OVERLAP; i < HIT_FLAGS; i++) stream_u16(s, &h->words[i]);
    u8 reserved = 0;
    stream_u8(s, &reserved);
}

void walk_voice(SnapshotStream* s, Ymz280bVoice* v) {
    stream_u8(s, &v->playing);
    stream_u8(s, &v->ended);
    stream_u8(s, &v->key);
    stream_u8(s, &v->loop);
    stream_u8(s, &v->mode);
    stream_u16(s, &v->fn);
    stream_u8(s, &v->level);
    stream_u8(s, &v->pan);
    stream_u32(s, &v->start);
    stream_u32(s, &v->end);
    stream_u32(s, &v->loop_start);
    stream_u32(s, &v->loop_end);
    stream_u32(s, &v->addr);
    stream_s32(s, &v->adpcm_signal);
    stream_s32(s, &v->adpcm_step);
    stream_s32(s, &v->loop_signal);
    stream_s32(s, &v->loop_step);
    stream_u32(s, &v->loop_count);
    stream_s32(s, &v->gain_left);
    stream_s32(s, &v->gain_right);
    stream_s32(s, &v->increment);
    stream_s32(s, &v->position);
    stream_s16(s, &v->prev);
    stream_s16(s, &v->cur);
    stream_u8(s, &v->end_flag);
}

void walk_ymz(SnapshotStream* s, Ymz280bState* y) {
    stream_u8(s, &y->selected);
    stream_u8(s, &y->status);
    stream_u8(s, &y->reserved);
    stream_u8(s, &y->irq_mask);
    stream_u8(s, &y->irq_enable);
    stream_u8(s, &y->key_enable);
    stream_u8(s, &y->mem_enable);
    stream_u8(s, &y->read_latch);
    stream_u32(s, &y->ext_addr_hi);
    stream_u32(s, &y->ext_addr_mid);
    stream_u32(s, &y->ext_addr);
    for (Ymz280bVoice& v : y->voices) walk_voice(s, &v);
}

void walk_misc(SnapshotStream* s, BoardState* b) {
    stream_bytes(s, b->rtc_regs, sizeof b->rtc_regs);
    stream_u8(s, &b->dip);
    stream_u32(s, &b->rng);
    stream_s64(s, &b->rtc_base);
    stream_u64(s, &b->lines_run);
    stream_u16(s, &b->line);
    stream_u64(s, &b->frames_run);
    stream_u64(s, &b->next_irl15);
    stream_u64(s, &b->next_irl11);
    stream_u64(s, &b->next_irl9);
    stream_u32(s, &b->audio_fraction);
}

// Limits of values that the board's own code keeps within range but that a
// damaged or hand-made file could hold. The devices index tables, divide
// and multiply with these, so anything outside is refused before the board
// ever sees it.
constexpr u32 YMZ_NIBBLE_ADDRESS_LIMIT = 0x2000000;  // 25-bit nibble addresses
constexpr s32 YMZ_STEP_MAX = 0x6000;
constexpr s32 YMZ_POSITION_MAX = 1023;
// Unix seconds of 9999-12-31 23:59:59: the clock's base stays well within
// what the calendar breakdown handles.
constexpr s64 RTC_BASE_MAX = 253402300799LL;
// Far beyond any run (over 10,000 years of scanlines), but small enough
// that the frame runner's cycle targets stay exact in double precision.
constexpr u64 LINES_RUN_MAX = 1ULL << 40;

// The frame runner walks from the CPU's cycle count towards the line's
// target and the periodic interrupt times in single steps, so counters that
// disagree by more than a line or a period would make it run for ages; a
// count or a due time too far ahead freezes the game instead: no line runs
// an instruction, or the interrupt never comes. Between frames the count
// sits at its line's target, past it by at most one instruction (behind it
// by up to a line after a stop), and each periodic level and timer event is
// due within one of its periods.
constexpr u64 LINE_CYCLES = 1834;  // CYCLES_PER_LINE, rounded up
constexpr u64 LINE_SLACK_CYCLES = 2 * LINE_CYCLES;

// More than `period` away from `cycles`, on either side.
bool off_by_more_than(u64 due, u64 cycles, u64 period) {
    return due < cycles ? cycles - due > period : due - cycles > period;
}

bool timing_consistent(const BoardState* b) {
    const u64 cycles = b->cpu.cycles;
    if (off_by_more_than(b->next_irl15, cycles, IRL15_CYCLES) ||
        off_by_more_than(b->next_irl11, cycles, IRL11_CYCLES) || off_by_more_than(b->next_irl9, cycles, IRL9_CYCLES))
        return false;
    // A timer event behind the count is served at once (the frame runner
    // brings a damaged one forward); ahead it lies within one counter period.
    if (b->frt_next != FRT_NO_EVENT && b->frt_next > cycles && b->frt_next - cycles > frt_period_cycles(b))
        return false;
    const u64 line_target = (u64)((double)b->lines_run * CYCLES_PER_LINE + 0.5);
    if (line_target > cycles) return line_target - cycles <= LINE_SLACK_CYCLES;
    return cycles - line_target <= LINE_CYCLES;
}

bool voice_in_range(const Ymz280bVoice& v) {
    if (v.mode > 3 || v.fn > 0x1FF || v.pan > 15) return false;
    if (v.start >= YMZ_NIBBLE_ADDRESS_LIMIT || v.end >= YMZ_NIBBLE_ADDRESS_LIMIT ||
        v.loop_start >= YMZ_NIBBLE_ADDRESS_LIMIT || v.loop_end >= YMZ_NIBBLE_ADDRESS_LIMIT)
        return false;
    if (v.gain_left < 0 || v.gain_left > 255 || v.gain_right < 0 || v.gain_right > 255) return false;
    if (v.increment < 1 || v.increment > 512) return false;
    if (v.position < 0 || v.position > YMZ_POSITION_MAX) return false;
    if (v.adpcm_signal < -32768 || v.adpcm_signal > 32767) return false;
    if (v.loop_signal < -32768 || v.loop_signal > 32767) return false;
    if (v.adpcm_step < 0 || v.adpcm_step > YMZ_STEP_MAX) return false;
    if (v.loop_step < 0 || v.loop_step > YMZ_STEP_MAX) return false;
    return true;
}

bool board_in_range(const BoardState* b) {
    const Sh2State& c = b->cpu;
    if (c.sleep_state > 2) return false;
    if (c.onchip_level < -1) return false;
    if (b->line >= LINES_PER_FRAME) return false;
    if (b->lines_run > LINES_RUN_MAX) return false;
    if (b->audio_fraction > 0xFFFF) return false;
    if (b->rtc_base < 0 || b->rtc_base > RTC_BASE_MAX) return false;
    if (!timing_consistent(b)) return false;
    for (const Ymz280bVoice& v : b->ymz.voices)
        if (!voice_in_range(v)) return false;
    return true;
}

void snapshot_walk(SnapshotStream* s, BoardState* b) {
    stream_chunk_begin(s, "SH2 ");
    walk_cpu(s, &b->cpu);
    stream_chunk_end(s);

    stream_chunk_begin(s, "ONCH");
    walk_onchip(s, b);
    stream_chunk_end(s);

    stream_chunk_begin(s, "RAM ");
    stream_bytes(s, b->work_ram, sizeof b->work_ram);
    stream_bytes(s, b->cache_ram, sizeof b->cache_ram);
    stream_chunk_end(s);

    stream_chunk_begin(s, "NVRM");
    stream_bytes(s, b->nvram, sizeof b->nvram);
    stream_chunk_end(s);

    stream_chunk_begin(s, "VID ");
    walk_video(s, b);
    stream_chunk_end(s);

    stream_chunk_begin(s, "HIT ");
    walk_hit(s, &b->hit);
    stream_chunk_end(s);

    stream_chunk_begin(s, "YMZ ");
    walk_ymz(s, &b->ymz);
    stream_chunk_end(s);

    stream_chunk_begin(s, "MISC");
    walk_misc(s, b);
    stream_chunk_end(s);
}

// A malloc'd copy of the live board with the snapshot applied, or null with
// one sentence in err. The live board is never changed.
BoardState* snapshot_parse(BoardState* live, const void* data, size_t size, char* err, size_t errlen) {
    const u8* bytes = (const u8*)data;
    if (!bytes || size < SNAPSHOT_HEADER_SIZE + 4) {
        set_error(err, errlen, MSG_TRUNCATED);
        return nullptr;
    }
    if (memcmp(bytes, SNAPSHOT_MAGIC, 8) != 0) {
        set_error(err, errlen, MSG_MAGIC);
        return nullptr;
    }
    if (load_le32(bytes + size - 4) != zipio_crc32(0, bytes, size - 4)) {
        set_error(err, errlen, MSG_CRC);
        return nullptr;
    }
    u32 version = load_le32(bytes + 8);
    if (version != SNAPSHOT_VERSION) {
        char message[96];
        snprintf(message, sizeof message, MSG_VERSION, version, SNAPSHOT_VERSION);
        set_error(err, errlen, message);
        return nullptr;
    }
    if (load_le32(bytes + 12) != board_rom_fingerprint(live)) {
        set_error(err, errlen, MSG_FINGERPRINT);
        return nullptr;
    }
    BoardState* copy = (BoardState*)malloc(sizeof(BoardState));
    if (!copy) {
        set_error(err, errlen, MSG_MEMORY);
        return nullptr;
    }
    memcpy(copy, live, sizeof(BoardState));

    SnapshotStream s{};
    s.mode = SNAPSHOT_READ;
    s.data = (u8*)bytes;  // read mode never writes through it
    s.length = size - 4;
    s.pos = SNAPSHOT_HEADER_SIZE;
    snapshot_walk(&s, copy);
    if (s.error || s.pos != size - 4 || !board_in_range(copy)) {
        free(copy);
        set_error(err, errlen, MSG_LAYOUT);
        return nullptr;
    }
    return copy;
}

}  // namespace

void* snapshot_save(BoardState* board, size_t* out_size) {
    if (out_size) *out_size = 0;
    SnapshotStream s{};
    s.mode = SNAPSHOT_WRITE;
    // The size of a snapshot is known, so the buffer is allocated once;
    // the stream would still grow it if the layout ever asked for more.
    s.data = (u8*)malloc(SNAPSHOT_SIZE);
    if (s.data)
        s.capacity = SNAPSHOT_SIZE;
    else
        s.error = SNAPSHOT_SHORT;

    u8 header[SNAPSHOT_HEADER_SIZE];
    memcpy(header, SNAPSHOT_MAGIC, 8);
    store_le32(header + 8, SNAPSHOT_VERSION);
    store_le32(header + 12, board_rom_fingerprint(board));
    store_le32(header + 16, xlate_build_id());
    stream_bytes(&s, header, sizeof header);

    snapshot_walk(&s, board);

    if (!s.error) {
        u32 crc = zipio_crc32(0, s.data, (size_t)s.length);
        stream_u32(&s, &crc);
    }
    if (s.error) {
        free(s.data);
        return nullptr;
    }
    if (out_size) *out_size = (size_t)s.length;
    return s.data;
}

int snapshot_check(BoardState* live, const void* data, size_t size, char* err, size_t errlen) {
    BoardState* copy = snapshot_parse(live, data, size, err, errlen);
    if (!copy) return 0;
    free(copy);
    return 1;
}

int snapshot_load(BoardState* live, const void* data, size_t size, char* err, size_t errlen) {
    BoardState* copy = snapshot_parse(live, data, size, err, errlen);
    if (!copy) return 0;
    memcpy(live, copy, sizeof(BoardState));
    free(copy);
    // The character RAM's mirror in the layer B tile image follows the
    // restored character RAM.
    if (live->tile_rom_b) memcpy(live->tile_rom_b, live->char_ram, sizeof live->char_ram);
    live->input_bits = 0;
    board_set_current(live);
    return 1;
}
