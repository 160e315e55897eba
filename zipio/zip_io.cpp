#include "zipio/zip_io.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <minizip/unzip.h>
#include <sys/stat.h>
#include <zlib.h>

namespace {

struct ZipEntry {
    std::string name;
    uint64_t size;
    uint64_t packed_size;
    uint32_t crc32;
    unz64_file_pos pos;
};

// Members larger than this are refused: no ROM or save file comes near it,
// and a damaged directory must not make us allocate without bound.
constexpr uint64_t MAX_MEMBER_SIZE = uint64_t(1) << 30;

// zlib's one-shot calls take 32-bit lengths; larger inputs go in pieces.
constexpr size_t MAX_PIECE = size_t(1) << 30;

}  // namespace

struct ZipReader {
    unzFile file;
    std::vector<ZipEntry> entries;
    bool out_of_memory;  // the last extraction failed for want of memory
};

static int read_directory(ZipReader* zip) {
    int err = unzGoToFirstFile(zip->file);
    while (err == UNZ_OK) {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip->file, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return 0;
        ZipEntry e;
        e.name.resize(info.size_filename);
        if (info.size_filename > 0 && unzGetCurrentFileInfo64(zip->file, &info, e.name.data(), info.size_filename + 1,
                                                              nullptr, 0, nullptr, 0) != UNZ_OK)
            return 0;
        // minizip stops at the buffer's end; keep exactly the stored length.
        e.name.resize(strnlen(e.name.c_str(), info.size_filename));
        e.size = info.uncompressed_size;
        e.packed_size = info.compressed_size;
        e.crc32 = static_cast<uint32_t>(info.crc);
        if (unzGetFilePos64(zip->file, &e.pos) != UNZ_OK) return 0;
        zip->entries.push_back(std::move(e));
        err = unzGoToNextFile(zip->file);
    }
    return err == UNZ_END_OF_LIST_OF_FILE;
}

// An archive with no members is only its end record (and a comment); the
// unzip layer refuses it, but it is a valid, empty archive.
static int is_empty_archive(const char* path) {
    FILE* f = fopen(path, "rb");
    if (!f) return 0;
    uint8_t end[22] = {};
    int ok = fread(end, 1, sizeof end, f) == sizeof end;
    long comment = end[20] | (end[21] << 8);
    ok = ok && end[0] == 'P' && end[1] == 'K' && end[2] == 5 && end[3] == 6;
    // No disk numbers, no entries, no directory.
    for (int i = 4; ok && i < 20; i++) ok = end[i] == 0;
    ok = ok && fseek(f, 0, SEEK_END) == 0 && ftell(f) == 22 + comment;
    fclose(f);
    return ok;
}

ZipReader* zipio_open(const char* path) {
    if (!path || !path[0]) return nullptr;
    // Only a regular file can hold an archive, and only it is opened:
    // opening a named pipe for reading waits until a writer comes, and a
    // device or a folder holds no archive.
    struct stat st;
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    unzFile f = unzOpen64(path);
    if (!f) {
        if (!is_empty_archive(path)) return nullptr;
        return new ZipReader{nullptr, {}, false};
    }
    ZipReader* zip = new ZipReader;
    zip->file = f;
    zip->out_of_memory = false;
    if (!read_directory(zip)) {
        zipio_close(zip);
        return nullptr;
    }
    return zip;
}

void zipio_close(ZipReader* zip) {
    if (!zip) return;
    if (zip->file) unzClose(zip->file);
    delete zip;
}

int zipio_member_count(const ZipReader* zip) { return zip ? static_cast<int>(zip->entries.size()) : 0; }

static const ZipEntry* entry_at(const ZipReader* zip, int index) {
    if (!zip || index < 0 || static_cast<size_t>(index) >= zip->entries.size()) return nullptr;
    return &zip->entries[static_cast<size_t>(index)];
}

int zipio_member_stat(const ZipReader* zip, int index, ZipMemberInfo* info) {
    const ZipEntry* e = entry_at(zip, index);
    if (!e || !info) return 0;
    snprintf(info->name, sizeof info->name, "%s", e->name.c_str());
    info->size = e->size;
    info->packed_size = e->packed_size;
    info->crc32 = e->crc32;
    return 1;
}

const char* zipio_member_name(const ZipReader* zip, int index) {
    const ZipEntry* e = entry_at(zip, index);
    return e ? e->name.c_str() : nullptr;
}

uint8_t* zipio_extract(ZipReader* zip, int index, size_t* size_out) {
    if (size_out) *size_out = 0;
    if (zip) zip->out_of_memory = false;
    const ZipEntry* e = entry_at(zip, index);
    if (!e || e->size > MAX_MEMBER_SIZE) return nullptr;
    unz64_file_pos pos = e->pos;
    if (unzGoToFilePos64(zip->file, &pos) != UNZ_OK || unzOpenCurrentFile(zip->file) != UNZ_OK) return nullptr;
    size_t size = static_cast<size_t>(e->size);
    // One spare byte lets us notice data running past the recorded size and
    // keeps the buffer non-null for an empty member.
    uint8_t* buf = static_cast<uint8_t*>(malloc(size + 1));
    zip->out_of_memory = buf == nullptr;
    int ok = buf != nullptr;
    size_t got = 0;
    while (ok && got < size) {
        int n = unzReadCurrentFile(zip->file, buf + got,
                                   static_cast<unsigned>(size - got > MAX_PIECE ? MAX_PIECE : size - got));
        if (n <= 0)
            ok = 0;
        else
            got += static_cast<size_t>(n);
    }
    if (ok && unzReadCurrentFile(zip->file, buf + size, 1) != 0)
        ok = 0;  // longer than the directory says, or damaged at the end
    // Closing after the whole member was read verifies its CRC-32.
    if (unzCloseCurrentFile(zip->file) != UNZ_OK) ok = 0;
    if (!ok) {
        free(buf);
        return nullptr;
    }
    if (size_out) *size_out = size;
    return buf;
}

int zipio_out_of_memory(const ZipReader* zip) { return zip && zip->out_of_memory; }

const char* zipio_basename(const char* name) {
    const char* slash = strrchr(name, '/');
    return slash ? slash + 1 : name;
}

size_t zipio_compress_bound(size_t len) {
    // compressBound's own formula, in size_t so large inputs don't wrap.
    return len + (len >> 12) + (len >> 14) + (len >> 25) + 13;
}

// zlib's one-shot calls take uLong lengths, 64-bit on this platform, and
// feed the stream in pieces themselves.
static_assert(sizeof(uLong) >= sizeof(size_t), "zlib lengths must hold a size_t");

int zipio_compress(void* dst, size_t* dst_len, const void* src, size_t src_len, int level) {
    if (!dst || !dst_len || (!src && src_len) || level < -1 || level > 9) return 0;
    uLong out_len = *dst_len;
    if (compress2(static_cast<Bytef*>(dst), &out_len, static_cast<const Bytef*>(src), src_len, level) != Z_OK) return 0;
    *dst_len = out_len;
    return 1;
}

struct ZipDeflater {
    z_stream z;
    int ready;    // deflateInit2 succeeded
    int level;    // level of the initialised stream
    int live;     // a stream is open and healthy
};

ZipDeflater* zipio_deflater_new() { return static_cast<ZipDeflater*>(calloc(1, sizeof(ZipDeflater))); }

void zipio_deflater_free(ZipDeflater* d) {
    if (!d) return;
    if (d->ready) deflateEnd(&d->z);
    free(d);
}

int zipio_deflater_begin(ZipDeflater* d, int level, void* dst, size_t capacity) {
    if (!d || !dst || level < -1 || level > 9 || capacity > UINT32_MAX) return 0;
    d->live = 0;
    if (d->ready && d->level != level) {
        deflateEnd(&d->z);
        d->ready = 0;
    }
    if (!d->ready) {
        d->z = z_stream{};
        if (deflateInit2(&d->z, level, Z_DEFLATED, MAX_WBITS, 8, Z_RLE) != Z_OK) return 0;
        d->ready = 1;
        d->level = level;
    } else if (deflateReset(&d->z) != Z_OK) {
        return 0;
    }
    d->z.next_out = static_cast<Bytef*>(dst);
    d->z.avail_out = static_cast<uInt>(capacity);
    d->live = 1;
    return 1;
}

int zipio_deflater_feed(ZipDeflater* d, const void* src, size_t len, int finish) {
    if (!d || !d->live || (!src && len)) return 0;
    const Bytef* in = static_cast<const Bytef*>(src);
    // zlib counts input in 32-bit pieces.
    do {
        uInt piece = static_cast<uInt>(len > UINT32_MAX ? UINT32_MAX : len);
        bool last = finish && piece == len;
        d->z.next_in = const_cast<Bytef*>(in);
        d->z.avail_in = piece;
        int rc = deflate(&d->z, last ? Z_FINISH : Z_NO_FLUSH);
        bool ok = last ? rc == Z_STREAM_END : (rc == Z_OK || rc == Z_BUF_ERROR) && d->z.avail_in == 0;
        if (!ok) {
            d->live = 0;
            return 0;
        }
        in += piece;
        len -= piece;
    } while (len > 0);
    if (finish) d->live = 0;
    return 1;
}

size_t zipio_deflater_length(const ZipDeflater* d) { return d ? d->z.total_out : 0; }

int zipio_uncompress(void* dst, size_t* dst_len, const void* src, size_t src_len) {
    if (!dst_len || (!dst && *dst_len) || (!src && src_len)) return 0;
    uLong out_len = *dst_len;
    Bytef empty = 0;
    Bytef* out = dst ? static_cast<Bytef*>(dst) : &empty;
    if (uncompress(out, &out_len, static_cast<const Bytef*>(src), src_len) != Z_OK) return 0;
    *dst_len = out_len;
    return 1;
}

uint32_t zipio_crc32(uint32_t crc, const void* data, size_t len) {
    const Bytef* p = static_cast<const Bytef*>(data);
    uLong c = crc;
    while (len) {
        uInt n = static_cast<uInt>(len > MAX_PIECE ? MAX_PIECE : len);
        c = crc32(c, p, n);
        p += n;
        len -= n;
    }
    return static_cast<uint32_t>(c);
}
