// The few ZIP, compression and CRC-32 operations the system needs: reading
// archive directories and members (ROM sets, the ROM browser), one-shot
// compression (rewind, save states) and the standard reflected CRC-32
// (polynomial 0xEDB88320) that ZIP directories record.
#pragma once

#include <cstddef>
#include <cstdint>

// An open archive with its central directory read; opaque.
struct ZipReader;

// One directory entry as the archive's central directory records it.
struct ZipMemberInfo {
    char name[512];        // name as stored, folders included, cut to fit
    uint64_t size;         // uncompressed size
    uint64_t packed_size;  // compressed size
    uint32_t crc32;        // CRC-32 of the uncompressed data
};

// Opens an archive and reads its directory. Null when the path is null or
// empty, does not name a regular file (links followed), the file cannot be
// read or it is not a ZIP archive.
ZipReader* zipio_open(const char* path);
// Closes an archive; null is allowed.
void zipio_close(ZipReader* zip);
// Number of directory entries (0 for null).
int zipio_member_count(const ZipReader* zip);
// Fills `info` for entry `index`; 0 for a bad index or a null argument.
int zipio_member_stat(const ZipReader* zip, int index, ZipMemberInfo* info);
// Entry `index`'s whole stored name; null for a bad index.
const char* zipio_member_name(const ZipReader* zip, int index);
// Extracts entry `index` into a new buffer that the caller releases with
// free(), its length in *size_out (may be null). Null when the index is
// bad, the entry cannot be decompressed, its length differs from the
// directory's, its CRC-32 does not match or memory runs out. The buffer is
// never null for a good empty entry.
uint8_t* zipio_extract(ZipReader* zip, int index, size_t* size_out);
// 1 when the last zipio_extract on `zip` returned null because memory ran
// out, 0 otherwise (also for null).
int zipio_out_of_memory(const ZipReader* zip);
// The part of an entry name after its last '/', or the whole name.
const char* zipio_basename(const char* name);

// Largest compressed size of `len` bytes for zipio_compress.
size_t zipio_compress_bound(size_t len);
// Compresses src into dst (zlib format) at `level` (0-9, -1 = default).
// *dst_len holds dst's capacity on entry and the compressed length on
// return. 1 on success, 0 when dst is too small or the level is invalid.
int zipio_compress(void* dst, size_t* dst_len, const void* src, size_t src_len, int level);
// Compression in pieces, for work spread over several calls: a zlib stream
// fed a part at a time. It matches only runs of one repeated byte, which
// is several times faster than full matching on memory images (mostly runs
// and noise) and still makes a standard stream that zipio_uncompress
// reads. One compressor is reused for stream after stream, so feeding
// allocates nothing.
struct ZipDeflater;
// Null when memory runs out.
ZipDeflater* zipio_deflater_new();
void zipio_deflater_free(ZipDeflater* d);  // null is allowed
// Starts a stream into dst (capacity bytes; zipio_compress_bound of the
// whole input is always enough). 0 for a bad level or argument.
int zipio_deflater_begin(ZipDeflater* d, int level, void* dst, size_t capacity);
// Feeds the next `len` bytes; `finish` marks the last piece. 1 while all
// is well; 0 when dst ran out of room or the stream failed (the stream is
// then dead until the next begin).
int zipio_deflater_feed(ZipDeflater* d, const void* src, size_t len, int finish);
// The stream's length so far (its whole length after the finishing feed).
size_t zipio_deflater_length(const ZipDeflater* d);
// Decompresses zlib data. *dst_len holds dst's capacity on entry and the
// decompressed length on return. 1 on success, 0 on corrupt or truncated
// data or when dst is too small.
int zipio_uncompress(void* dst, size_t* dst_len, const void* src, size_t src_len);
// CRC-32 of `len` bytes continuing from `crc` (start from 0); chaining
// calls over consecutive pieces gives the CRC-32 of the whole.
uint32_t zipio_crc32(uint32_t crc, const void* data, size_t len);
