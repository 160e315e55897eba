#include "tests/frontend/support/fake_adapter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

FakeGame fake_game;

namespace {

const AdapterInput FAKE_INPUTS[] = {
    {"p1_up", "P1 Up", 1, 0x1, 82, 26, 11, 0},
    {"p1_down", "P1 Down", 1, 0x2, 81, 22, 12, 0},
    {"p1_b1", "P1 Shot", 1, 0x10, 29, 13, 0, 0},
    {"p2_b1", "P2 Shot", 2, 0x1000, 89, -1, 0, 0},
    {"coin1", "Coin 1", 1, 0x10000, 34, -1, 4, 5},
    {"service", "Service", 0, 0x40000, 39, -1, -1, 0},
};

const AdapterDipSwitch FAKE_DIPS[] = {
    {"flip_screen", "Flip Screen", 0, 0x02, 0x02, 2, {{"Off", 0x02}, {"On", 0x00}}},
    {"lives", "Lives", 0, 0x30, 0x20, 3, {{"1", 0x00}, {"2", 0x10}, {"3", 0x20}}},
};

const char FAKE_MAGIC[8] = {'F', 'A', 'K', 'E', 'R', 'O', 'M', '!'};
const char SNAP_MAGIC[8] = {'F', 'A', 'K', 'E', 'S', 'N', 'A', 'P'};

void set_err(char* err, size_t errlen, const char* text) {
    if (err && errlen) snprintf(err, errlen, "%s", text);
}

int read_rom(const char* archive, uint32_t* fingerprint, char* err, size_t errlen) {
    FILE* f = archive ? fopen(archive, "rb") : nullptr;
    if (!f) {
        set_err(err, errlen, "cannot open the fake ROM");
        return 0;
    }
    unsigned char head[12];
    size_t n = fread(head, 1, sizeof head, f);
    fclose(f);
    if (n != sizeof head || memcmp(head, FAKE_MAGIC, 8) != 0) {
        set_err(err, errlen, "not a fake ROM");
        return 0;
    }
    *fingerprint = (uint32_t)head[8] | (uint32_t)head[9] << 8 | (uint32_t)head[10] << 16 |
                   (uint32_t)head[11] << 24;
    if (*fingerprint <= 1) *fingerprint = 1;
    return 1;
}

int fake_validate(const char* archive, char* err, size_t errlen) {
    uint32_t fp;
    return read_rom(archive, &fp, err, errlen);
}

int fake_load(const char* archive, char* err, size_t errlen) {
    fake_game.loaded = 0;
    uint32_t fp;
    if (!read_rom(archive, &fp, err, errlen)) return 0;
    fake_game.loaded = 1;
    fake_game.fingerprint = fp;
    fake_game.frames_run = 0;
    memset(fake_game.nvram, 0xFF, sizeof fake_game.nvram);
    return 1;
}

void fake_unload() { fake_game.loaded = 0; }

void fake_reset() {
    fake_game.frames_run = 0;
    fake_game.resets++;
}

void fake_set_dips(const uint16_t* words) { memcpy(fake_game.dsw, words, sizeof fake_game.dsw); }

void fake_set_inputs(uint32_t word) { fake_game.inputs = word; }

int fake_run_frame(int16_t* audio, int* frames, char* err, size_t errlen) {
    fake_game.frames_run++;
    fake_game.input_log.push_back(fake_game.inputs);
    if (fake_game.stop_at_frame && fake_game.frames_run == (uint64_t)fake_game.stop_at_frame) {
        *frames = 0;
        set_err(err, errlen, "The fake program stopped.");
        return 1;
    }
    // The game writes its NVRAM on frame 10.
    if (fake_game.frames_run == 10) fake_game.nvram[0] = 0x42;
    int n = fake_game.audio_frames;
    for (int i = 0; i < n; i++) {
        uint64_t t = (fake_game.frames_run - 1) * (uint64_t)n + (uint64_t)i;
        int16_t v = (t % FAKE_TONE_PERIOD) < FAKE_TONE_PERIOD / 2 ? FAKE_TONE_LEVEL : -FAKE_TONE_LEVEL;
        audio[2 * i] = v;
        audio[2 * i + 1] = v;
    }
    *frames = n;
    return 0;
}

void fake_get_frame(uint32_t* out) {
    for (int y = 0; y < FAKE_HEIGHT; y++)
        for (int x = 0; x < FAKE_WIDTH; x++) out[y * FAKE_WIDTH + x] = fake_pixel(fake_game.frames_run, x, y);
}

// Snapshot: magic, frames run, inputs, the NVRAM.
constexpr size_t SNAP_SIZE = 8 + 8 + 4 + FAKE_NVRAM_SIZE;

void* fake_save_snapshot(size_t* size) {
    uint8_t* p = (uint8_t*)malloc(SNAP_SIZE);
    if (!p) return nullptr;
    memcpy(p, SNAP_MAGIC, 8);
    memcpy(p + 8, &fake_game.frames_run, 8);
    memcpy(p + 16, &fake_game.inputs, 4);
    memcpy(p + 20, fake_game.nvram, FAKE_NVRAM_SIZE);
    *size = SNAP_SIZE;
    return p;
}

int fake_check_snapshot(const void* data, size_t size, char* err, size_t errlen) {
    if (fake_game.refuse_snapshots) {
        set_err(err, errlen, "fake refusal");
        return 0;
    }
    if (size != SNAP_SIZE || memcmp(data, SNAP_MAGIC, 8) != 0) {
        set_err(err, errlen, "not a fake snapshot");
        return 0;
    }
    return 1;
}

int fake_load_snapshot(const void* data, size_t size, char* err, size_t errlen) {
    if (!fake_check_snapshot(data, size, err, errlen)) return 0;
    const uint8_t* p = (const uint8_t*)data;
    memcpy(&fake_game.frames_run, p + 8, 8);
    memcpy(&fake_game.inputs, p + 16, 4);
    memcpy(fake_game.nvram, p + 20, FAKE_NVRAM_SIZE);
    return 1;
}

uint32_t fake_fingerprint() { return fake_game.loaded ? fake_game.fingerprint : 0; }

size_t fake_save_nvram(void* dst, size_t capacity) {
    if (!fake_game.loaded || capacity < FAKE_NVRAM_SIZE) return 0;
    memcpy(dst, fake_game.nvram, FAKE_NVRAM_SIZE);
    memcpy(fake_game.nvram_shadow, fake_game.nvram, FAKE_NVRAM_SIZE);
    return FAKE_NVRAM_SIZE;
}

int fake_load_nvram(const void* src, size_t size) {
    if (!fake_game.loaded || size != FAKE_NVRAM_SIZE) return 0;
    memcpy(fake_game.nvram, src, FAKE_NVRAM_SIZE);
    memcpy(fake_game.nvram_shadow, src, FAKE_NVRAM_SIZE);
    return 1;
}

int fake_nvram_dirty() {
    return fake_game.loaded && memcmp(fake_game.nvram, fake_game.nvram_shadow, FAKE_NVRAM_SIZE) != 0;
}

}  // namespace

uint32_t fake_pixel(uint64_t frames, int x, int y) {
    // Quadrants of distinct colours, so rotation and scaling show, with the
    // frame count in the blue channel of the top-left quadrant.
    int right = x >= FAKE_WIDTH / 2, bottom = y >= FAKE_HEIGHT / 2;
    if (!right && !bottom) return 0x00FF0000u | (uint32_t)(frames & 0xFF);
    if (right && !bottom) return 0x0000FF00u;
    if (!right && bottom) return 0x000000FFu;
    return 0x00FFFFFFu;
}

GameAdapter fake_adapter() {
    GameAdapter a{};
    a.id = "fakegame";
    a.title = "Fake Game: Test Card";
    a.subtitle = "test card";
    a.about_text = "Fake Game\nfor the frontend's tests";
    a.rom_archive_name = "fake.zip";
    a.width = FAKE_WIDTH;
    a.height = FAKE_HEIGHT;
    a.display_aspect = 4.0 / 3.0;
    a.rotation = 0;
    a.fps = 59.5971;
    a.audio_rate = FAKE_AUDIO_RATE;
    a.max_audio_frames = 2048;
    a.dsw_count = 1;
    a.players = 2;
    a.inputs = FAKE_INPUTS;
    a.input_count = (int32_t)(sizeof FAKE_INPUTS / sizeof FAKE_INPUTS[0]);
    a.dips = FAKE_DIPS;
    a.dip_count = (int32_t)(sizeof FAKE_DIPS / sizeof FAKE_DIPS[0]);
    a.gadgets = nullptr;
    a.gadget_count = 0;
    a.validate_rom = fake_validate;
    a.load = fake_load;
    a.unload = fake_unload;
    a.reset = fake_reset;
    a.set_dip_switches = fake_set_dips;
    a.set_inputs = fake_set_inputs;
    a.run_frame = fake_run_frame;
    a.get_frame_rgb555 = nullptr;
    a.get_frame_xrgb8888 = fake_get_frame;
    a.save_snapshot = fake_save_snapshot;
    a.check_snapshot = fake_check_snapshot;
    a.load_snapshot = fake_load_snapshot;
    a.rom_fingerprint = fake_fingerprint;
    a.version = "9.9.9";
    a.save_nvram = fake_save_nvram;
    a.load_nvram = fake_load_nvram;
    a.nvram_dirty = fake_nvram_dirty;
    a.profile_id = "fakegame";
    return a;
}

void fake_game_reset_all() {
    fake_game.loaded = 0;
    fake_game.frames_run = 0;
    fake_game.inputs = 0;
    fake_game.input_log.clear();
    memset(fake_game.dsw, 0, sizeof fake_game.dsw);
    fake_game.resets = 0;
    fake_game.stop_at_frame = 0;
    memset(fake_game.nvram, 0xFF, sizeof fake_game.nvram);
    memset(fake_game.nvram_shadow, 0, sizeof fake_game.nvram_shadow);
    fake_game.fingerprint = 0;
    fake_game.audio_frames = FAKE_AUDIO_FRAMES;
    fake_game.refuse_snapshots = 0;
}

void write_fake_rom(const std::string& path, uint32_t fingerprint) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    unsigned char head[12];
    memcpy(head, FAKE_MAGIC, 8);
    for (int i = 0; i < 4; i++) head[8 + i] = (unsigned char)(fingerprint >> (8 * i));
    fwrite(head, 1, sizeof head, f);
    fclose(f);
}
