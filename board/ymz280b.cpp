// YMZ280B sound chip: register ports, status and the eight-voice renderer.
//
// The voice fields travel in the core snapshot and may hold any bytes when a
// snapshot is loaded, so the renderer treats them as untrusted at use:
// increment, position and gains are brought into their legal ranges, all
// products are taken in 64 bits, and an unknown mode decodes silence.

#include "board/ymz280b.h"

#include <cstring>

namespace {

constexpr int kScratchSize = 10000;
// Outputs rendered per decode pass. With the largest increment (512) a pass
// needs at most kChunk + 1 source samples, which just fills the scratch
// buffer; only longer calls are split, so an end fade runs on to the end of
// any call the scratch buffer can serve in one pass.
constexpr int kChunk = kScratchSize - 1;

// One voice's decoded source samples; shared by the voices in turn.
s16 scratch[kScratchSize];

constexpr s32 kAdpcmDiff[16] = {1, 3, 5, 7, 9, 11, 13, 15, -1, -3, -5, -7, -9, -11, -13, -15};
constexpr s32 kAdpcmScale[8] = {230, 230, 230, 230, 307, 409, 512, 614};

constexpr s32 kStepMin = 127;
constexpr s32 kStepMax = 0x6000;

inline s32 clamp_s32(s64 v, s32 lo, s32 hi) { return v < lo ? lo : (v > hi ? hi : static_cast<s32>(v)); }

// The sample memory is addressed in nibbles; the 4 MiB ROM repeats above.
inline u8 sample_byte(const u8* rom, u32 nibble_addr) { return rom[(nibble_addr >> 1) & 0x3FFFFF]; }

void update_gains(Ymz280bVoice* v) {
    s32 level = v->level;
    s32 pan = v->pan & 0x0F;
    if (pan == 8) {
        v->gain_left = level;
        v->gain_right = level;
    } else if (pan < 8) {
        // Pan 0 silences the right side just like pan 1.
        v->gain_left = level;
        v->gain_right = pan == 0 ? 0 : level * (pan - 1) / 7;
    } else {
        v->gain_left = level * (15 - pan) / 7;
        v->gain_right = level;
    }
}

void update_increment(Ymz280bVoice* v) {
    // ADPCM counts only the low 8 bits of the frequency number.
    v->increment = v->mode == 1 ? (v->fn & 0xFF) + 1 : (v->fn & 0x1FF) + 1;
}

void start_voice(Ymz280bVoice* v) {
    v->playing = 1;
    v->addr = v->start;
    v->adpcm_signal = 0;
    v->adpcm_step = kStepMin;
    v->loop_signal = 0;
    v->loop_step = kStepMin;
    v->loop_count = 0;
    v->end_flag = 0;
}

void write_key_register(BoardState* b, Ymz280bVoice* v, u8 data) {
    v->fn = static_cast<u16>((v->fn & 0xFF) | ((data & 1) << 8));
    v->loop = (data >> 4) & 1;
    u8 key = 0;
    u8 mode_bits = (data >> 5) & 3;
    if (mode_bits != 0) {
        v->mode = mode_bits;
        key = (data >> 7) & 1;
    }
    // A write with mode 0 leaves the mode alone and counts as key off.
    if (key && !v->key) {
        if (b->ymz.key_enable) start_voice(v);
    } else if (!key && v->key) {
        v->playing = 0;
        v->end_flag = 0;
    }
    v->key = key;
    update_increment(v);
}

// Replaces one byte of a 24-bit byte address held as a nibble address.
inline void set_address_byte(u32* field, int shift, u8 data) {
    *field = (*field & ~(0xFFu << shift)) | (static_cast<u32>(data) << shift);
}

void write_voice_register(BoardState* b, u8 reg, u8 data) {
    Ymz280bVoice* v = &b->ymz.voices[(reg >> 2) & 7];
    int op = reg & 0x63;
    switch (op) {
    case 0x00:
        v->fn = static_cast<u16>((v->fn & 0x100) | data);
        update_increment(v);
        return;
    case 0x01: write_key_register(b, v, data); return;
    case 0x02:
        v->level = data;
        update_gains(v);
        return;
    case 0x03:
        v->pan = data & 0x0F;
        update_gains(v);
        return;
    default: break;
    }
    // 0x20-0x23, 0x40-0x43, 0x60-0x63: high, middle and low byte of the
    // start, loop start, loop end and end addresses.
    u32* fields[4] = {&v->start, &v->loop_start, &v->loop_end, &v->end};
    int shift = op >= 0x60 ? 1 : op >= 0x40 ? 9 : 17;
    set_address_byte(fields[op & 3], shift, data);
}

void write_register(BoardState* b, u8 data) {
    Ymz280bState* y = &b->ymz;
    u8 reg = y->selected;
    if (reg < 0x80) {
        write_voice_register(b, reg, data);
        return;
    }
    switch (reg) {
    case 0x84: y->ext_addr_hi = static_cast<u32>(data) << 16; break;
    case 0x85: y->ext_addr_mid = static_cast<u32>(data) << 8; break;
    case 0x86:
        y->ext_addr = y->ext_addr_hi | y->ext_addr_mid | data;
        if (y->mem_enable && b->sample_rom) y->read_latch = b->sample_rom[y->ext_addr & 0x3FFFFF];
        break;
    case 0x87:
        // The sample memory is ROM: a data write only steps the address.
        if (y->mem_enable) y->ext_addr = (y->ext_addr + 1) & 0xFFFFFF;
        break;
    case 0xFE: y->irq_mask = data; break;
    case 0xFF: {
        y->mem_enable = (data >> 6) & 1;
        y->irq_enable = (data >> 4) & 1;
        u8 key_enable = (data >> 7) & 1;
        if (!key_enable && y->key_enable) {
            for (Ymz280bVoice& v : y->voices) {
                v.playing = 0;
                v.end_flag = 0;
            }
        } else if (key_enable && !y->key_enable) {
            // Held looping voices resume where they were, ADPCM state intact.
            for (Ymz280bVoice& v : y->voices) {
                if (v.key && v.loop) v.playing = 1;
            }
        }
        y->key_enable = key_enable;
        break;
    }
    default: break;
    }
}

// The decoders write up to `need` samples into out and return how many they
// produced; fewer than `need` means the end address was reached.

int decode_adpcm(Ymz280bVoice* v, const u8* rom, s16* out, int need) {
    u32 addr = v->addr;
    s32 signal = v->adpcm_signal;
    s32 step = v->adpcm_step;
    const bool loop = v->loop != 0;
    const bool key = v->key != 0;
    int k = 0;
    while (k < need) {
        u8 byte = sample_byte(rom, addr);
        int nibble = (addr & 1) ? (byte & 0x0F) : (byte >> 4);
        // Division truncates toward zero; the signal clamps to 16 bits.
        signal = clamp_s32(signal + static_cast<s64>(kAdpcmDiff[nibble]) * step / 8, -32768, 32767);
        step = clamp_s32((static_cast<s64>(step) * kAdpcmScale[nibble & 7]) >> 8, kStepMin, kStepMax);
        out[k++] = static_cast<s16>(signal);
        addr += 1;
        if (loop) {
            // The decoder state is saved once the address has stepped onto the
            // loop start, that is after the sample before it.
            if (addr == v->loop_start && v->loop_count == 0) {
                v->loop_signal = signal;
                v->loop_step = step;
            }
            if (addr >= v->loop_end && key) {
                signal = v->loop_signal;
                step = v->loop_step;
                v->loop_count += 1;
                addr = v->loop_start;
            }
        }
        if (addr >= v->end) {
            v->ended = 1;
            break;
        }
    }
    v->addr = addr;
    v->adpcm_signal = signal;
    v->adpcm_step = step;
    return k;
}

// 8-bit PCM takes one byte per sample, 16-bit PCM two; addresses count
// nibbles. A 16-bit sample is a little-endian pair, low byte first.
template <bool Wide>
int decode_pcm(Ymz280bVoice* v, const u8* rom, s16* out, int need) {
    u32 addr = v->addr;
    const bool loop = v->loop != 0 && v->key != 0;
    int k = 0;
    while (k < need) {
        if (Wide) {
            u16 lo = sample_byte(rom, addr);
            u16 hi = sample_byte(rom, addr + 2);
            out[k++] = static_cast<s16>(static_cast<u16>((hi << 8) | lo));
            addr += 4;
        } else {
            out[k++] = static_cast<s16>(static_cast<s8>(sample_byte(rom, addr)) * 256);
            addr += 2;
        }
        if (loop && addr >= v->loop_end) addr = v->loop_start;
        if (addr >= v->end) {
            v->ended = 1;
            break;
        }
    }
    v->addr = addr;
    return k;
}

// Fills scratch[0..need) for one voice; a voice that reaches its end fades
// its last sample out over the rest of the entries and stops.
void decode_voice(BoardState* b, Ymz280bVoice* v, int need) {
    int k = 0;
    if (v->playing && b->sample_rom) {
        v->ended = 0;
        switch (v->mode) {
        case 1: k = decode_adpcm(v, b->sample_rom, scratch, need); break;
        case 2: k = decode_pcm<false>(v, b->sample_rom, scratch, need); break;
        case 3: k = decode_pcm<true>(v, b->sample_rom, scratch, need); break;
        default: break;  // no mode yet, or a mode the chip does not have
        }
    }
    if (v->ended && k > 0) {
        s32 x = scratch[k - 1];
        for (int i = k; i < need; ++i) {
            x = x >= 0 ? (15 * x) >> 4 : -((15 * -x) >> 4);
            scratch[i] = static_cast<s16>(x);
        }
        v->ended = 0;
        v->playing = 0;
        v->end_flag = 1;
        return;
    }
    v->ended = 0;
    if (k < need) std::memset(scratch + k, 0, static_cast<size_t>(need - k) * sizeof(s16));
}

inline s32 interpolate(s32 position, s32 prev, s32 cur) { return ((512 - position) * prev + position * cur) >> 9; }

void render_voice(BoardState* b, Ymz280bVoice* v, s32* left, s32* right, int count) {
    if (!v->playing && v->prev == 0 && v->cur == 0) {
        v->position = 512;
        return;
    }
    const s32 inc = v->increment < 1 ? 1 : (v->increment > 512 ? 512 : v->increment);
    const s32 gl = clamp_s32(v->gain_left, 0, 255);
    const s32 gr = clamp_s32(v->gain_right, 0, 255);
    s32 pos = v->position < 0 ? 0 : (v->position > 512 ? 512 : v->position);
    s32 prev = v->prev;
    s32 cur = v->cur;

    // Finish the stretch between the two samples already held.
    int j = 0;
    while (j < count && pos < 512) {
        s32 s = interpolate(pos, prev, cur);
        left[j] += s * gl;
        right[j] += s * gr;
        pos += inc;
        ++j;
    }
    if (pos < 512) {
        v->position = pos;
        return;
    }

    // Exactly the source samples the rest of the call consumes.
    const int remaining = count - j;
    const int need = static_cast<int>((static_cast<s64>(inc) * remaining + pos) >> 9);
    pos -= 512;
    decode_voice(b, v, need);

    int idx = 0;
    prev = cur;
    cur = scratch[idx++];
    for (; j < count; ++j) {
        while (pos > 511) {
            pos -= 512;
            prev = cur;
            cur = scratch[idx++];
        }
        s32 s = interpolate(pos, prev, cur);
        left[j] += s * gl;
        right[j] += s * gr;
        pos += inc;
    }
    if (pos >= 512) {
        pos -= 512;
        prev = cur;
        cur = scratch[idx++];
    }
    v->position = pos;
    v->prev = static_cast<s16>(prev);
    v->cur = static_cast<s16>(cur);
}

}  // namespace

void ymz_reset(Ymz280bState* y) {
    std::memset(y, 0, sizeof(*y));
    for (Ymz280bVoice& v : y->voices) {
        v.position = 512;
        v.increment = 1;
        update_gains(&v);
    }
}

void ymz_write(BoardState* b, int port, u8 data) {
    if ((port & 1) == 0) {
        b->ymz.selected = data;
        return;
    }
    write_register(b, data);
}

u8 ymz_read(BoardState* b, int port) {
    Ymz280bState* y = &b->ymz;
    if (port & 1) {
        u8 result = y->status;
        for (int i = 0; i < 8; ++i) {
            Ymz280bVoice& v = y->voices[i];
            if (v.end_flag) {
                result |= static_cast<u8>(1u << i);
                v.end_flag = 0;
                v.playing = 0;
            }
        }
        y->status = 0;
        return result;
    }
    if (!y->mem_enable) return 0xFF;
    u8 result = y->read_latch;
    y->read_latch = b->sample_rom ? b->sample_rom[y->ext_addr & 0x3FFFFF] : 0;
    y->ext_addr = (y->ext_addr + 1) & 0xFFFFFF;
    return result;
}

void ymz_render(BoardState* b, s32* left, s32* right, int count) {
    if (count <= 0) return;
    std::memset(left, 0, static_cast<size_t>(count) * sizeof(s32));
    std::memset(right, 0, static_cast<size_t>(count) * sizeof(s32));
    // The frame runner asks for at most a scanline's worth; requests longer
    // than one scratch buffer serves are split into passes.
    for (int done = 0; done < count; done += kChunk) {
        int n = count - done < kChunk ? count - done : kChunk;
        for (Ymz280bVoice& v : b->ymz.voices) render_voice(b, &v, left + done, right + done, n);
    }
}
