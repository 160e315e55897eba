// Save states: the "FESTATE1" container around the adapter's core
// snapshot, its writer and its checker, the slot files per game and ROM
// revision (the autosave and slots 1 to 10), saving to and loading from a
// slot, and the slot summary table the save and load screens show.
#include "frontend/states.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "frontend/frontend.h"
#include "zipio/zip_io.h"

namespace {

constexpr size_t FOLDER_NAME_SIZE = 32;
constexpr size_t LOAD_ERROR_SIZE = 200;

const char* adapter_id() { return fe.adapter.id ? fe.adapter.id : ""; }

uint32_t current_fingerprint() { return fe.adapter.rom_fingerprint ? fe.adapter.rom_fingerprint() : 0; }

// A text into a fixed field: cut to leave at least one NUL, rest zero (the
// buffer is zero-filled already).
void put_text(uint8_t* field, size_t field_size, const char* text) {
    size_t n = text ? strnlen(text, field_size - 1) : 0;
    memcpy(field, text ? text : "", n);
}

void set_error(char* err, size_t errlen, const char* format, ...) FE_PRINTF(3, 4);
void set_error(char* err, size_t errlen, const char* format, ...) {
    if (!err || errlen == 0) return;
    va_list args;
    va_start(args, format);
    vsnprintf(err, errlen, format, args);
    va_end(args);
}

// The thumbnail: every second pixel of every second row of the frame as
// the adapter gave it (not turned, no brightness or gamma).
void write_thumbnail(uint8_t* out, uint32_t tw, uint32_t th) {
    if (!fe.raw_frame) return;
    size_t width = fe.adapter.width;
    for (uint32_t r = 0; r < th; r++)
        for (uint32_t c = 0; c < tw; c++)
            put_le16(out + ((size_t)r * tw + c) * 2, thumbnail_rgb565(fe.raw_frame[2 * r * width + 2 * c]));
}

// The entry's thumbnail texture from the container's RGB565 rows. The rows
// are little-endian, as the texture wants them on the little-endian
// machines the frontend runs on.
void make_thumbnail_texture(StateSlotInfo* info, const uint8_t* pixels, int tw, int th) {
    if (info->thumbnail) SDL_DestroyTexture(info->thumbnail);
    info->thumbnail = SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STATIC, tw, th);
    if (info->thumbnail && SDL_UpdateTexture(info->thumbnail, nullptr, pixels, tw * 2) != 0) {
        SDL_DestroyTexture(info->thumbnail);
        info->thumbnail = nullptr;
    }
}

void clear_slot_info(StateSlotInfo* info) {
    if (info->thumbnail) SDL_DestroyTexture(info->thumbnail);
    *info = StateSlotInfo{};
}

}  // namespace

uint8_t* build_state_container(size_t* size) {
    *size = 0;
    if (!fe.adapter.save_snapshot) return nullptr;
    size_t length = 0;
    void* snapshot = fe.adapter.save_snapshot(&length);
    if (!snapshot) return nullptr;
    uint32_t tw = fe.adapter.width / 2, th = fe.adapter.height / 2;
    if (tw > UINT16_MAX) tw = UINT16_MAX;
    if (th > UINT16_MAX) th = UINT16_MAX;
    size_t thumb = (size_t)tw * th * 2;
    size_t total = STATE_FIXED_SIZE + thumb + length;
    // The length field holds 32 bits; a longer snapshot cannot be stored.
    uint8_t* c = length <= UINT32_MAX ? (uint8_t*)calloc(total, 1) : nullptr;
    if (!c) {
        free(snapshot);
        return nullptr;
    }
    memcpy(c, STATE_MAGIC, sizeof STATE_MAGIC);
    put_le32(c + STATE_OFF_VERSION, STATE_VERSION);
    put_text(c + STATE_OFF_ID, STATE_ID_SIZE, fe.adapter.id);
    put_text(c + STATE_OFF_ADAPTER_VERSION, STATE_ADAPTER_VERSION_SIZE, fe.adapter.version);
    put_le32(c + STATE_OFF_FINGERPRINT, current_fingerprint());
    put_le64(c + STATE_OFF_SAVED_AT, (uint64_t)(int64_t)time(nullptr));
    put_le32(c + STATE_OFF_FRAMES, (uint32_t)fe.frame_counter);
    put_le16(c + STATE_OFF_THUMB_W, (uint16_t)tw);
    put_le16(c + STATE_OFF_THUMB_H, (uint16_t)th);
    if (tw >= 1 && th >= 1) write_thumbnail(c + STATE_OFF_THUMBNAIL, tw, th);
    put_le32(c + STATE_OFF_THUMBNAIL + thumb, (uint32_t)length);
    memcpy(c + STATE_OFF_THUMBNAIL + thumb + 4, snapshot, length);
    free(snapshot);
    put_le32(c + total - 4, zipio_crc32(0, c, total - 4));
    *size = total;
    return c;
}

const uint8_t* parse_state_container(const uint8_t* data, size_t size, StateSlotInfo* info,
                                     uint32_t* snapshot_len, char* err, size_t errlen) {
    if (!data || size < STATE_FIXED_SIZE) {
        set_error(err, errlen, "file is truncated");
        return nullptr;
    }
    if (memcmp(data, STATE_MAGIC, sizeof STATE_MAGIC) != 0) {
        set_error(err, errlen, "not a save state");
        return nullptr;
    }
    if (get_le32(data + size - 4) != zipio_crc32(0, data, size - 4)) {
        set_error(err, errlen, "file is damaged (checksum mismatch)");
        return nullptr;
    }
    uint32_t version = get_le32(data + STATE_OFF_VERSION);
    if (version != STATE_VERSION) {
        set_error(err, errlen, "unsupported container version %u", version);
        return nullptr;
    }
    // The stored id need not end in a NUL: it is read, compared and shown
    // within its 16 bytes.
    const char* stored_id = (const char*)data + STATE_OFF_ID;
    size_t id_len = strnlen(stored_id, STATE_ID_SIZE);
    if (id_len != strlen(adapter_id()) || memcmp(stored_id, adapter_id(), id_len) != 0) {
        set_error(err, errlen, "state belongs to another game (%.16s)", stored_id);
        return nullptr;
    }
    if (fe.adapter.rom_fingerprint && get_le32(data + STATE_OFF_FINGERPRINT) != current_fingerprint()) {
        set_error(err, errlen, "state was made with a different ROM revision");
        return nullptr;
    }
    uint32_t tw = get_le16(data + STATE_OFF_THUMB_W), th = get_le16(data + STATE_OFF_THUMB_H);
    uint64_t thumb = (uint64_t)tw * th * 2;
    if (tw < 1 || tw > STATE_MAX_THUMB_SIDE || th < 1 || th > STATE_MAX_THUMB_SIDE ||
        STATE_FIXED_SIZE + thumb > size) {
        set_error(err, errlen, "file is damaged (thumbnail)");
        return nullptr;
    }
    if (info) {
        info->saved_at = (int64_t)get_le64(data + STATE_OFF_SAVED_AT);
        info->frames = get_le32(data + STATE_OFF_FRAMES);
        info->thumb_w = (int)tw;
        info->thumb_h = (int)th;
    }
    const uint8_t* length_field = data + STATE_OFF_THUMBNAIL + thumb;
    uint32_t length = get_le32(length_field);
    if (STATE_FIXED_SIZE + thumb + length != size) {
        set_error(err, errlen, "file is damaged (size mismatch)");
        return nullptr;
    }
    if (info && fe.renderer) make_thumbnail_texture(info, data + STATE_OFF_THUMBNAIL, (int)tw, (int)th);
    const uint8_t* snapshot = length_field + 4;
    if (fe.adapter.check_snapshot && !fe.adapter.check_snapshot(snapshot, length, err, errlen)) return nullptr;
    *snapshot_len = length;
    return snapshot;
}

int build_slot_path(int slot, char* out) {
    out[0] = '\0';
    if (slot < 0 || slot >= FE_SLOT_COUNT) return 0;
    char folder_name[FOLDER_NAME_SIZE];
    int n = snprintf(folder_name, sizeof folder_name, "%s-%08X", adapter_id(), current_fingerprint());
    char folder[FE_PATH_SIZE];
    if (n < 0 || n >= (int)sizeof folder_name || !join_path(folder, sizeof folder, fe.states_dir, folder_name))
        return 0;
    make_dirs(folder);  // a failure shows when the file is written
    char name[16];
    if (slot == 0)
        snprintf(name, sizeof name, "autosave.fest");
    else
        snprintf(name, sizeof name, "slot%02d.fest", slot);
    return join_path(out, FE_PATH_SIZE, folder, name);
}

void save_slot(int slot) {
    size_t size = 0;
    uint8_t* container = build_state_container(&size);
    if (!container) {
        show_toast("Save failed: could not serialize the game state");
        return;
    }
    char path[FE_PATH_SIZE];
    int fits = build_slot_path(slot, path);
    int written = fits && write_file_atomic(path, container, size);
    free(container);
    fe.slot_list_stale = 1;
    if (!written)
        show_toast("Save failed: cannot write %s", fits ? path : fe.states_dir);
    else if (slot > 0)
        show_toast("Saved to slot %d", slot);
    else
        log_line("autosaved to %s", path);
}

int load_slot(int slot) {
    char path[FE_PATH_SIZE];
    size_t size = 0;
    uint8_t* data = build_slot_path(slot, path) ? read_whole_file(path, &size) : nullptr;
    if (!data) {
        if (slot == 0)
            show_toast("No autosave yet");
        else
            show_toast("Slot %d is empty", slot);
        return 0;
    }
    char err[LOAD_ERROR_SIZE] = "";
    uint32_t length = 0;
    const uint8_t* snapshot = parse_state_container(data, size, nullptr, &length, err, sizeof err);
    int loaded = snapshot && fe.adapter.load_snapshot && fe.adapter.load_snapshot(snapshot, length, err, sizeof err);
    free(data);
    if (!loaded) {
        char number[16] = "";
        if (slot > 0) snprintf(number, sizeof number, "%d", slot);
        show_error("Cannot load state", "%s %s could not be loaded:\n%s\n\nThe running game was not changed.",
                   slot == 0 ? "The autosave" : "Slot", number, err);
        return 0;
    }
    // The frame counter, the rewind ring and any movie carry on as they are.
    fe.running = 1;
    clear_input_state();
    fe.release_latch = 1;
    flush_audio();
    fetch_frame();
    fe.frame_accumulator_ms = 0.0;
    if (slot == 0)
        show_toast("Continued from autosave");
    else
        show_toast("Loaded slot %d", slot);
    return 1;
}

void refresh_slot_list() {
    fe.slot_list_stale = 0;
    // Without a game there is no folder to read and nothing to check the
    // files against.
    if (!fe.rom_loaded) {
        for (StateSlotInfo& info : fe.state_slots) clear_slot_info(&info);
        return;
    }
    for (int slot = 0; slot < FE_SLOT_COUNT; slot++) {
        StateSlotInfo* info = &fe.state_slots[slot];
        info->exists = info->usable = 0;
        info->error[0] = '\0';
        char path[FE_PATH_SIZE];
        size_t size = 0;
        uint8_t* data = build_slot_path(slot, path) ? read_whole_file(path, &size) : nullptr;
        if (!data) {
            if (info->thumbnail) SDL_DestroyTexture(info->thumbnail);
            info->thumbnail = nullptr;
            continue;
        }
        info->exists = 1;
        uint32_t length = 0;
        info->usable = parse_state_container(data, size, info, &length, info->error, sizeof info->error) != nullptr;
        if (info->usable) info->error[0] = '\0';
        free(data);
    }
}

void free_slot_thumbnails() {
    for (StateSlotInfo& info : fe.state_slots) {
        if (info.thumbnail) SDL_DestroyTexture(info.thumbnail);
        info.thumbnail = nullptr;
    }
}
