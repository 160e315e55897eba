#include "tests/support/synthetic_romset.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include <minizip/zip.h>
#include <zlib.h>

#include "board/romset.h"
#include "zipio/zip_io.h"

namespace {

constexpr u32 BIOS_BASE = 0x00000000;
constexpr u32 PROGRAM_BASE = 0x04000000;
constexpr u32 PROGRAM_SIZE = 0x200000;

struct MemberSpec {
    const char* name;
    u32 size;
    u32 crc32;
};

MemberSpec member_spec(int index) {
    if (index == SYNTH_BIOS) {
        const BiosFileSpec* us = bios_file_for_region('U');
        return {us->file, BIOS_FILE_SIZE, us->crc32};
    }
    const RomFileSpec& r = ROM_FILE_SPECS[index];
    return {r.file, r.size, r.crc32};
}

// Table of the reflected CRC-32 and, for walking it backwards, the table
// index whose entry has a given top byte (unique for this polynomial).
struct CrcTables {
    u32 table[256];
    u8 by_top[256];
};

const CrcTables& crc_tables() {
    static const CrcTables t = [] {
        CrcTables r;
        for (u32 i = 0; i < 256; i++) {
            u32 c = i;
            for (int k = 0; k < 8; k++) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            r.table[i] = c;
            r.by_top[c >> 24] = static_cast<u8>(i);
        }
        return r;
    }();
    return t;
}

// Maps an SH-2 address to a member and offset; 0 outside BIOS and program.
int locate(u32 address, int* member, u32* offset) {
    if (address < BIOS_BASE + BIOS_FILE_SIZE) {
        *member = SYNTH_BIOS;
        *offset = address - BIOS_BASE;
        return 1;
    }
    if (address >= PROGRAM_BASE && address < PROGRAM_BASE + PROGRAM_SIZE) {
        u32 off = address - PROGRAM_BASE;
        *member = (off & 1) ? 1 : 0;  // odd bytes come from "tx-usa.u8"
        *offset = off >> 1;
        return 1;
    }
    return 0;
}

std::string stored_name(const SynthWriteOptions* o, const char* name) {
    std::string s = o->folder ? o->folder : "";
    std::string n = name;
    if (o->upper_case)
        for (char& c : n) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s + n;
}

// Never destroyed: the exit handler that removes the folders may run after
// static destructors.
std::vector<std::string>& temp_dirs() {
    static std::vector<std::string>* dirs = new std::vector<std::string>;
    return *dirs;
}

void remove_temp_dirs() {
    for (const std::string& d : temp_dirs()) {
        std::error_code ec;
        std::filesystem::remove_all(d, ec);
    }
}

std::map<std::string, SynthSetPaths>& set_cache() {
    static std::map<std::string, SynthSetPaths> cache;
    return cache;
}

[[noreturn]] void die(const char* what, const std::string& detail) {
    fprintf(stderr, "synthetic ROM set: %s %s\n", what, detail.c_str());
    abort();
}

// The set cached under `key`, or a new one from a synth_init'ed set that
// `fill` completes, written once into a fresh folder.
template <class Fill>
const SynthSetPaths& cached_set(const std::string& key, Fill fill) {
    auto it = set_cache().find(key);
    if (it != set_cache().end()) return it->second;
    SyntheticRomset set;
    synth_init(&set);
    fill(&set);
    std::string dir = synth_temp_dir();
    SynthSetPaths paths{dir + "/talvex.zip", dir + "/voxa.zip"};
    if (!synth_write(&set, nullptr, paths.game_zip.c_str(), paths.bios_zip.c_str()))
        die("cannot write the set in", dir);
    return set_cache()[key] = paths;
}

}  // namespace

void synth_init(SyntheticRomset* set) {
    for (int i = 0; i < SYNTH_MEMBER_COUNT; i++) {
        MemberSpec spec = member_spec(i);
        std::vector<u8>& d = set->data[i];
        d.resize(spec.size);
        for (u32 off = 0; off < spec.size; off++)
            d[off] = static_cast<u8>((off * 0x9Du) ^ (off >> 9) ^ ((off >> 17) * 0x3Bu) ^
                                     (static_cast<u32>(i) * 0x61u + 0x17u));
        set->crc_fixed[i] = false;
    }
    synth_set_reset_vectors(set, 0x00000400, 0x06100000);
}

void synth_set_reset_vectors(SyntheticRomset* set, u32 pc, u32 sp) {
    u8 v[8] = {static_cast<u8>(pc >> 24), static_cast<u8>(pc >> 16), static_cast<u8>(pc >> 8), static_cast<u8>(pc),
               static_cast<u8>(sp >> 24), static_cast<u8>(sp >> 16), static_cast<u8>(sp >> 8), static_cast<u8>(sp)};
    synth_place(set, 0, v, sizeof v);
}

int synth_place(SyntheticRomset* set, u32 address, const void* bytes, size_t len) {
    if (len == 0) return 1;
    int first, last;
    u32 off;
    u64 end = u64(address) + len - 1;
    if (end > 0xFFFFFFFFu || !locate(address, &first, &off) || !locate(static_cast<u32>(end), &last, &off)) return 0;
    // Both ends in the same area: no gap in between.
    if ((first == SYNTH_BIOS) != (last == SYNTH_BIOS)) return 0;
    const u8* src = static_cast<const u8*>(bytes);
    for (size_t i = 0; i < len; i++) {
        int member = SYNTH_BIOS;
        locate(address + static_cast<u32>(i), &member, &off);
        set->data[member][off] = src[i];
        set->crc_fixed[member] = false;
    }
    return 1;
}

int synth_place_file(SyntheticRomset* set, u32 address, const char* path) {
    std::vector<u8> bytes;
    return synth_read_file(path, &bytes) && synth_place(set, address, bytes.data(), bytes.size());
}

u32 synth_peek32(const SyntheticRomset* set, u32 address) {
    u32 v = 0;
    for (u32 i = 0; i < 4; i++) {
        int member = SYNTH_BIOS;
        u32 off;
        v <<= 8;
        if (locate(address + i, &member, &off)) v |= set->data[member][off];
    }
    return v;
}

void synth_fix_crcs(SyntheticRomset* set) {
    for (int i = 0; i < SYNTH_MEMBER_COUNT; i++) {
        if (set->crc_fixed[i]) continue;
        std::vector<u8>& d = set->data[i];
        synth_force_crc(d.data(), d.size(), d.size() - 4, member_spec(i).crc32);
        set->crc_fixed[i] = true;
    }
}

int synth_force_crc(u8* data, size_t len, size_t offset, u32 target, u32 start_crc) {
    if (len < 4 || offset > len - 4) return 0;
    const CrcTables& t = crc_tables();
    // Register value before the four bytes (the CRC without its final
    // inversion) and the one needed after them, found by running the
    // register backwards from the target over the bytes that follow.
    u32 before = zipio_crc32(start_crc, data, offset) ^ 0xFFFFFFFFu;
    u32 after = target ^ 0xFFFFFFFFu;
    for (size_t i = len; i > offset + 4; i--) {
        u8 k = t.by_top[after >> 24];
        after = ((after ^ t.table[k]) << 8) | (k ^ data[i - 1]);
    }
    // Each step's table index follows from the top byte of the register
    // after it; the data byte is then whatever turns the register into
    // that index.
    u8 index[4];
    u32 c = after;
    for (int i = 3; i >= 0; i--) {
        index[i] = t.by_top[c >> 24];
        c = (c ^ t.table[index[i]]) << 8;
    }
    c = before;
    for (int i = 0; i < 4; i++) {
        data[offset + static_cast<size_t>(i)] = static_cast<u8>((c ^ index[i]) & 0xFF);
        c = t.table[index[i]] ^ (c >> 8);
    }
    return 1;
}

int synth_write_zip(const char* path, const SynthZipEntry* entries, int count, bool deflate) {
    zipFile zf = zipOpen64(path, APPEND_STATUS_CREATE);
    if (!zf) return 0;
    int ok = 1;
    for (int i = 0; ok && i < count; i++) {
        const SynthZipEntry& e = entries[i];
        zip_fileinfo zi{};
        zi.tmz_date.tm_year = 1998;
        zi.tmz_date.tm_mday = 1;
        if (zipOpenNewFileInZip64(zf, e.name.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr, deflate ? Z_DEFLATED : 0,
                                  deflate ? Z_BEST_SPEED : 0, 0) != ZIP_OK) {
            ok = 0;
            break;
        }
        size_t done = 0;
        while (ok && done < e.size) {
            size_t n = e.size - done > (1u << 30) ? (1u << 30) : e.size - done;
            if (zipWriteInFileInZip(zf, e.data + done, static_cast<unsigned>(n)) != ZIP_OK) ok = 0;
            done += n;
        }
        if (zipCloseFileInZip(zf) != ZIP_OK) ok = 0;
    }
    if (zipClose(zf, nullptr) != ZIP_OK) ok = 0;
    return ok;
}

int synth_write(SyntheticRomset* set, const SynthWriteOptions* options, const char* game_zip, const char* bios_zip) {
    static const SynthWriteOptions defaults{};
    const SynthWriteOptions* o = options ? options : &defaults;
    synth_fix_crcs(set);
    // Damaged copies live here until the archives are written.
    std::vector<std::vector<u8>> damaged;
    damaged.reserve(ROM_FILE_COUNT + 2);
    auto damage = [&](const std::vector<u8>& src) -> const std::vector<u8>& {
        damaged.push_back(src);
        damaged.back()[0] ^= 0xFF;  // any one-byte change alters a CRC-32
        return damaged.back();
    };

    std::vector<SynthZipEntry> game, bios;
    for (int i = 0; i < ROM_FILE_COUNT; i++) {
        if (o->omit_mask & (1u << i)) continue;
        const std::vector<u8>* d = &set->data[i];
        if (o->wrong_crc_mask & (1u << i)) d = &damage(*d);
        size_t size = d->size();
        if (o->wrong_size_mask & (1u << i)) size--;
        game.push_back({stored_name(o, ROM_FILE_SPECS[i].file), d->data(), size});
    }
    if (o->japanese) game.push_back({stored_name(o, "tx-jpn.u10"), set->data[0].data(), set->data[0].size()});
    const char* bios_name = bios_file_for_region('U')->file;
    const std::vector<u8>& b = set->data[SYNTH_BIOS];
    if (o->bios_place == SYNTH_BIOS_IN_GAME || o->bios_place == SYNTH_BIOS_BOTH) {
        const std::vector<u8>& d = o->bios_in_game_wrong ? damage(b) : b;
        game.push_back({stored_name(o, bios_name), d.data(), d.size()});
    }
    if (o->bios_place == SYNTH_BIOS_OWN_ARCHIVE || o->bios_place == SYNTH_BIOS_BOTH) {
        const std::vector<u8>& d = o->bios_wrong ? damage(b) : b;
        bios.push_back({stored_name(o, bios_name), d.data(), d.size()});
    }
    for (const SynthExtraMember& e : o->extra)
        (e.in_bios_archive ? bios : game).push_back({e.name, e.data.data(), e.data.size()});

    if (!synth_write_zip(game_zip, game.data(), static_cast<int>(game.size()), o->deflate)) return 0;
    if (bios_zip && !synth_write_zip(bios_zip, bios.data(), static_cast<int>(bios.size()), o->deflate)) return 0;
    return 1;
}

int synth_read_file(const char* path, std::vector<u8>* out) {
    out->clear();
    FILE* f = fopen(path, "rb");
    if (!f) return 0;
    u8 chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) out->insert(out->end(), chunk, chunk + n);
    int ok = !ferror(f);
    fclose(f);
    return ok;
}

int synth_write_file(const char* path, const void* data, size_t len) {
    FILE* f = fopen(path, "wb");
    if (!f) return 0;
    int ok = len == 0 || fwrite(data, 1, len, f) == len;  // data may be null when empty
    return fclose(f) == 0 && ok;
}

static u32 le16(const std::vector<u8>& z, size_t at) { return static_cast<u32>(z[at] | (z[at + 1] << 8)); }

static u32 le32(const std::vector<u8>& z, size_t at) { return le16(z, at) | (le16(z, at + 2) << 16); }

long synth_zip_central_entry(const std::vector<u8>& zip, const char* name) {
    size_t len = strlen(name);
    for (size_t at = 0; at + 46 <= zip.size(); at++) {
        if (zip[at] != 'P' || zip[at + 1] != 'K' || zip[at + 2] != 1 || zip[at + 3] != 2) continue;
        size_t name_len = le16(zip, at + 28);
        if (name_len == len && at + 46 + len <= zip.size() && memcmp(zip.data() + at + 46, name, len) == 0)
            return static_cast<long>(at);
    }
    return -1;
}

long synth_zip_data_offset(const std::vector<u8>& zip, const char* name) {
    long central = synth_zip_central_entry(zip, name);
    if (central < 0) return -1;
    size_t local = le32(zip, static_cast<size_t>(central) + 42);
    if (local + 30 > zip.size()) return -1;
    return static_cast<long>(local + 30 + le16(zip, local + 26) + le16(zip, local + 28));
}

std::string synth_temp_dir() {
    static bool registered = false;
    if (!registered) {
        atexit(remove_temp_dirs);
        registered = true;
    }
    const char* base = getenv("TMPDIR");
    std::string templ = std::string(base && base[0] ? base : "/tmp") + "/talvex-synth-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) die("cannot create a folder like", templ);
    temp_dirs().push_back(buf.data());
    return buf.data();
}

const SynthSetPaths& synth_standard_set(const char* program_path, u32 address, u32 stack) {
    char tail[64];
    snprintf(tail, sizeof tail, "@%08X/%08X", address, stack);
    std::string key = std::string("program:") + (program_path ? program_path : "") + tail;
    return cached_set(key, [&](SyntheticRomset* set) {
        if (!program_path) return;
        if (!synth_place_file(set, address, program_path)) die("cannot read or place the program", program_path);
        synth_set_reset_vectors(set, address, stack);
    });
}

const SynthSetPaths& synth_cached_set(const std::string& key, int (*build)(SyntheticRomset* set)) {
    return cached_set("built:" + key, [&](SyntheticRomset* set) {
        if (!build(set)) die("the set builder failed for", key);
    });
}
