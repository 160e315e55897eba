// Core snapshots through the adapter: the byte layout, a round trip in
// which the restored board continues exactly as the original, and damaged
// or hostile snapshots, each refused with its sentence and without touching
// the live board.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "board/snapshot.h"
#include "board/zip_io.h"
#include "sh2/xlate.h"
#include "tests/adapter/adapter_test_util.h"

namespace {

constexpr size_t SH2_PAYLOAD = 28;
constexpr size_t YMZ_PAYLOAD = 2128940;
constexpr size_t MISC_PAYLOAD = 2129528;
constexpr size_t VOICE_SIZE = 70;
constexpr size_t FIRST_VOICE = YMZ_PAYLOAD + 20;

const char MSG_LAYOUT[] = "state has an unexpected layout or is truncated";

u32 le32(const std::vector<u8>& d, size_t at) {
    return (u32)d[at] | (u32)d[at + 1] << 8 | (u32)d[at + 2] << 16 | (u32)d[at + 3] << 24;
}

void put_le(std::vector<u8>& d, size_t at, u64 value, int bytes) {
    for (int i = 0; i < bytes; i++) d[at + i] = (u8)(value >> (8 * i));
}

// Recomputes the trailer so that a change passes the checksum and reaches
// the checks behind it.
void reseal(std::vector<u8>& d) {
    put_le(d, d.size() - 4, zipio_crc32(0, d.data(), d.size() - 4), 4);
}

std::vector<u8> take_snapshot() {
    size_t size = 0;
    void* p = adapter_save_snapshot(&size);
    EXPECT_NE(p, nullptr);
    if (!p) return {};
    std::vector<u8> out((u8*)p, (u8*)p + size);
    free(p);
    return out;
}

struct BoardCopy {
    std::unique_ptr<u8[]> bytes{new u8[sizeof(BoardState)]};
    explicit BoardCopy(const BoardState* b) { memcpy(bytes.get(), b, sizeof(BoardState)); }
    bool same_as(const BoardState* b) const {
        return memcmp(bytes.get(), b, sizeof(BoardState)) == 0;
    }
};

class Snapshots : public AdapterTest {
protected:
    void SetUp() override {
        AdapterTest::SetUp();
        load_or_fail(program_set("frame_loop"));
        for (int i = 0; i < 5; i++) run_recorded_frame();
        snap = take_snapshot();
        ASSERT_EQ(snap.size(), SNAPSHOT_SIZE);
    }

    // Expects the refusal, by both check and load, with the given sentence
    // and an untouched live board.
    void expect_refused(const std::vector<u8>& data, const char* message) {
        BoardCopy before(adapter_board());
        char err[200] = "";
        EXPECT_EQ(adapter_check_snapshot(data.data(), data.size(), err, sizeof err), 0);
        EXPECT_STREQ(err, message);
        err[0] = '\0';
        EXPECT_EQ(adapter_load_snapshot(data.data(), data.size(), err, sizeof err), 0);
        EXPECT_STREQ(err, message);
        EXPECT_TRUE(before.same_as(adapter_board())) << "the live board must stay as it was";
    }

    void expect_accepted(const std::vector<u8>& data) {
        char err[200] = "";
        EXPECT_EQ(adapter_load_snapshot(data.data(), data.size(), err, sizeof err), 1) << err;
    }

    std::vector<u8> snap;
};

}  // namespace

TEST_F(Snapshots, LayoutHasHeaderEightChunksAndChecksum) {
    EXPECT_EQ(memcmp(snap.data(), "TLVXCORE", 8), 0);
    EXPECT_EQ(le32(snap, 8), 1u);
    EXPECT_EQ(le32(snap, 12), adapter_rom_fingerprint());
    EXPECT_EQ(le32(snap, 16), xlate_build_id());
    struct Chunk {
        const char* tag;
        size_t offset;
        u32 size;
    };
    const Chunk chunks[] = {
        {"SH2 ", 20, 132},           {"ONCH", 160, 552},     {"RAM ", 720, 1052672},
        {"NVRM", 1053400, 8192},     {"VID ", 1061600, 1067251}, {"HIT ", 2128859, 65},
        {"YMZ ", 2128932, 580},      {"MISC", 2129520, 75},
    };
    for (const Chunk& c : chunks) {
        EXPECT_EQ(memcmp(snap.data() + c.offset, c.tag, 4), 0) << c.tag;
        EXPECT_EQ(le32(snap, c.offset + 4), c.size) << c.tag;
    }
    EXPECT_EQ(le32(snap, 2129603), zipio_crc32(0, snap.data(), 2129603));

    // Fields land where the layout puts them, in little-endian order.
    const BoardState* b = adapter_board();
    EXPECT_EQ(le32(snap, SH2_PAYLOAD + 16 * 4), b->cpu.pc);
    EXPECT_EQ(le32(snap, SH2_PAYLOAD + 25 * 4), (u32)b->cpu.cycles);
    EXPECT_EQ(le32(snap, SH2_PAYLOAD + 25 * 4 + 4), (u32)(b->cpu.cycles >> 32));
    EXPECT_EQ(memcmp(snap.data() + 728, b->work_ram, sizeof b->work_ram), 0);
    EXPECT_EQ(memcmp(snap.data() + 1053408, b->nvram, sizeof b->nvram), 0);
    EXPECT_EQ(snap[MISC_PAYLOAD + 37] | snap[MISC_PAYLOAD + 38] << 8, b->line);
    EXPECT_EQ(le32(snap, MISC_PAYLOAD + 39), (u32)b->frames_run);
    EXPECT_EQ(le32(snap, 1061608 + 760051), b->frame_buffer[0]);
}

// Every field at its offset, with its width: each one gets a value of its
// own, so a field written out of order, too wide or too narrow shows up.
TEST_F(Snapshots, EveryFieldHasItsPlaceAndWidth) {
    BoardState* b = adapter_board();
    b->cpu.r[15] = 0x0F0F0F0F;
    b->cpu.macl = 0x11111111;
    b->cpu.last_ea = 0x22222222;
    b->cpu.steps = 0x0102030405060708ULL;
    b->cpu.irl_pending = 0x00008202;
    b->cpu.onchip_level = -1;
    b->cpu.onchip_vector = 0x44;
    b->cpu.nmi_pending = 0x31;
    b->cpu.idle = 0x34;
    b->divu_dvsr = 0xD1D1D1D1;
    b->divu_remainder = 0xD3D3D3D3;
    b->divu_ovf = 0xA1;
    b->frt_tocr = 0xA6;
    b->frt_frc = 0xF1F2;
    b->frt_ocrb = 0xF5F6;
    b->frt_last = 0x1112131415161718ULL;
    b->frt_next = 0x2122232425262728ULL;
    b->sprite_regs[0] = 0x5E;
    b->tilemap_regs[127] = 0x7E;
    b->char_ram[0] = 0xC4;
    b->palette_cache[1] = 0xCAFEF00D;
    const u8 control[19] = {0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A,
                            0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53};
    memcpy(&b->palette_control, control, sizeof control);
    b->sprite_bitmap[1] = 0xB1B2;
    for (int i = 0; i < 32; i++) b->hit.words[i] = (u16)(0x4800 + i);
    b->ymz.read_latch = 0x88;
    b->ymz.ext_addr_mid = 0x00EEDD00;
    b->ymz.ext_addr = 0x00ABCDEF;
    Ymz280bVoice& v = b->ymz.voices[2];
    v.mode = 0x15;
    v.fn = 0x1A5;
    v.level = 0x17;
    v.pan = 0x0C;
    v.start = 0x01234567;
    v.addr = 0x01BCDEF0;
    v.adpcm_signal = -2;
    v.loop_count = 0x99887766;
    v.gain_left = 0xC8;
    v.position = 0x1FF;
    v.prev = -3;
    v.cur = 0x6543;
    v.end_flag = 0x1E;
    b->rtc_regs[15] = 0x0F;
    b->dip = 0x5D;
    b->rng = 0x9D14ABD7;
    b->rtc_base = 0x0000000123456789LL;
    b->lines_run = 0x31323334353637ULL;
    b->frames_run = 0x0B0C0D0E0F1011ULL;
    b->next_irl15 = 0x0A15;
    b->next_irl11 = 0x0B11;
    b->next_irl9 = 0x0C09;
    b->audio_fraction = 0xFEDC;

    std::vector<u8> d = take_snapshot();
    ASSERT_EQ(d.size(), SNAPSHOT_SIZE);
    auto at = [&](size_t offset, int bytes) {
        u64 value = 0;
        for (int i = bytes - 1; i >= 0; i--) value = value << 8 | d[offset + (size_t)i];
        return value;
    };
    const size_t onch = 168, vid = 1061608, hit = 2128867;
    struct Expect {
        const char* name;
        size_t offset;
        int bytes;
        u64 value;
    };
    const Expect fields[] = {
        {"R15", SH2_PAYLOAD + 60, 4, 0x0F0F0F0F},
        {"MACL", SH2_PAYLOAD + 88, 4, 0x11111111},
        {"last_ea", SH2_PAYLOAD + 92, 4, 0x22222222},
        {"steps", SH2_PAYLOAD + 108, 8, 0x0102030405060708ULL},
        {"irl_pending", SH2_PAYLOAD + 116, 4, 0x00008202},
        {"onchip_level", SH2_PAYLOAD + 120, 4, 0xFFFFFFFF},
        {"onchip_vector", SH2_PAYLOAD + 124, 4, 0x44},
        {"nmi_pending", SH2_PAYLOAD + 128, 1, 0x31},
        {"idle", SH2_PAYLOAD + 131, 1, 0x34},
        {"divu_dvsr", onch + 512, 4, 0xD1D1D1D1},
        {"divu_remainder", onch + 520, 4, 0xD3D3D3D3},
        {"divu_ovf", onch + 524, 1, 0xA1},
        {"frt_tocr", onch + 529, 1, 0xA6},
        {"frt_frc", onch + 530, 2, 0xF1F2},
        {"frt_ocrb", onch + 534, 2, 0xF5F6},
        {"frt_last", onch + 536, 8, 0x1112131415161718ULL},
        {"frt_next", onch + 544, 8, 0x2122232425262728ULL},
        {"sprite_regs", vid + 16384, 1, 0x5E},
        {"tilemap_regs", vid + 16448 + 127, 1, 0x7E},
        {"char_ram", vid + 213216, 1, 0xC4},
        {"palette_cache", vid + 475360 + 4, 4, 0xCAFEF00D},
        {"sprite_brightness_on", vid + 606432, 1, 0x41},
        {"blend_factor_b", vid + 606440, 1, 0x49},
        {"sprite_layer_on", vid + 606450, 1, 0x53},
        {"sprite_bitmap", vid + 606451 + 2, 2, 0xB1B2},
        {"HIT word 27", hit + 54, 2, 0x481B},
        {"HIT flags", hit + 56, 2, 0x481F},
        {"HIT overlap 1", hit + 58, 2, 0x481C},
        {"HIT overlap 3", hit + 62, 2, 0x481E},
        {"HIT reserved", hit + 64, 1, 0},
        {"YMZ read_latch", YMZ_PAYLOAD + 7, 1, 0x88},
        {"YMZ ext_addr_mid", YMZ_PAYLOAD + 12, 4, 0x00EEDD00},
        {"YMZ ext_addr", YMZ_PAYLOAD + 16, 4, 0x00ABCDEF},
        {"voice mode", FIRST_VOICE + 140 + 4, 1, 0x15},
        {"voice fn", FIRST_VOICE + 140 + 5, 2, 0x1A5},
        {"voice level", FIRST_VOICE + 140 + 7, 1, 0x17},
        {"voice pan", FIRST_VOICE + 140 + 8, 1, 0x0C},
        {"voice start", FIRST_VOICE + 140 + 9, 4, 0x01234567},
        {"voice addr", FIRST_VOICE + 140 + 25, 4, 0x01BCDEF0},
        {"voice adpcm_signal", FIRST_VOICE + 140 + 29, 4, 0xFFFFFFFE},
        {"voice loop_count", FIRST_VOICE + 140 + 45, 4, 0x99887766},
        {"voice gain_left", FIRST_VOICE + 140 + 49, 4, 0xC8},
        {"voice position", FIRST_VOICE + 140 + 61, 4, 0x1FF},
        {"voice prev", FIRST_VOICE + 140 + 65, 2, 0xFFFD},
        {"voice cur", FIRST_VOICE + 140 + 67, 2, 0x6543},
        {"voice end_flag", FIRST_VOICE + 140 + 69, 1, 0x1E},
        {"rtc_regs", MISC_PAYLOAD + 15, 1, 0x0F},
        {"dip", MISC_PAYLOAD + 16, 1, 0x5D},
        {"rng", MISC_PAYLOAD + 17, 4, 0x9D14ABD7},
        {"rtc_base", MISC_PAYLOAD + 21, 8, 0x0000000123456789ULL},
        {"lines_run", MISC_PAYLOAD + 29, 8, 0x31323334353637ULL},
        {"frames_run", MISC_PAYLOAD + 39, 8, 0x0B0C0D0E0F1011ULL},
        {"next_irl15", MISC_PAYLOAD + 47, 8, 0x0A15},
        {"next_irl11", MISC_PAYLOAD + 55, 8, 0x0B11},
        {"next_irl9", MISC_PAYLOAD + 63, 8, 0x0C09},
        {"audio_fraction", MISC_PAYLOAD + 71, 4, 0xFEDC},
    };
    for (const Expect& f : fields) EXPECT_EQ(at(f.offset, f.bytes), f.value) << f.name;
}

TEST_F(Snapshots, SaveAndLoadAtOnceChangesNothingButTheInputs) {
    BoardState* live = adapter_board();
    u8* const program = live->program_rom;
    adapter_set_inputs(0x10);
    live->input_bits = 0;
    BoardCopy before(live);
    adapter_set_inputs(0x10);
    expect_accepted(snap);
    EXPECT_EQ(live->input_bits, 0u) << "a load clears the input bits";
    EXPECT_EQ(live->program_rom, program);
    EXPECT_TRUE(before.same_as(live));
}

TEST_F(Snapshots, LoadRefreshesTheCharacterRamMirror) {
    BoardState* b = adapter_board();
    const u8 drawn[4] = {1, 2, 3, 4};
    memcpy(b->char_ram + 0x3FFFC, drawn, 4);  // as the program's writes leave them
    memcpy(b->tile_rom_b + 0x3FFFC, drawn, 4);
    std::vector<u8> with_tiles = take_snapshot();
    memset(b->char_ram + 0x3FFFC, 9, 4);
    memset(b->tile_rom_b + 0x3FFFC, 9, 4);
    expect_accepted(with_tiles);
    EXPECT_EQ(memcmp(b->tile_rom_b + 0x3FFFC, drawn, 4), 0);
    EXPECT_EQ(memcmp(b->char_ram + 0x3FFFC, drawn, 4), 0);
}

TEST_F(Snapshots, RestoredBoardContinuesExactlyAsTheOriginal) {
    std::vector<FrameRecord> original;
    for (int i = 0; i < 4; i++) original.push_back(run_recorded_frame());
    // Something else happens to the board in between.
    adapter_set_inputs(0x10);
    for (int i = 0; i < 3; i++) run_recorded_frame();
    adapter_set_inputs(0);

    expect_accepted(snap);
    // The picture right after a load is the one that was saved.
    std::vector<u32> picture(320 * 240);
    adapter_get_frame_xrgb8888(picture.data());
    EXPECT_EQ(memcmp(picture.data(), adapter_board()->frame_buffer, picture.size() * 4), 0);

    for (int i = 0; i < 4; i++) {
        FrameRecord again = run_recorded_frame();
        EXPECT_EQ(again.result, 0);
        EXPECT_EQ(again.samples, original[i].samples) << "frame " << i;
        EXPECT_EQ(again.audio, original[i].audio) << "frame " << i;
        EXPECT_EQ(again.picture, original[i].picture) << "frame " << i;
    }
    // The frames compared really differ from one another, with sound.
    EXPECT_NE(original[0].picture, original[1].picture);
    EXPECT_NE(original[0].audio, original[1].audio);
}

TEST_F(Snapshots, TruncatedFilesAreRefused) {
    expect_refused(std::vector<u8>(snap.begin(), snap.begin() + 23), "state file is truncated");
    char err[64] = "";
    EXPECT_EQ(adapter_check_snapshot(nullptr, 100, err, sizeof err), 0);
    EXPECT_STREQ(err, "state file is truncated");
    // Cut short, it no longer matches its checksum.
    std::vector<u8> cut(snap.begin(), snap.end() - 1000);
    expect_refused(cut, "state is damaged (checksum mismatch)");
    // Cut short but resealed, the layout check finds it.
    reseal(cut);
    expect_refused(cut, MSG_LAYOUT);
}

TEST_F(Snapshots, FlippedBitFailsTheChecksum) {
    const size_t places[] = {8, 20, 1000, 1100000, SNAPSHOT_SIZE - 5, SNAPSHOT_SIZE - 1};
    for (size_t at : places) {
        std::vector<u8> bad = snap;
        bad[at] ^= 0x04;
        SCOPED_TRACE(at);
        expect_refused(bad, "state is damaged (checksum mismatch)");
    }
}

TEST_F(Snapshots, WrongMagicIsNotASaveState) {
    std::vector<u8> bad = snap;
    bad[3] = 'Y';
    reseal(bad);
    expect_refused(bad, "not a Talvex save state");
}

TEST_F(Snapshots, OtherVersionsAreRefusedByNumber) {
    std::vector<u8> bad = snap;
    put_le(bad, 8, 2, 4);
    reseal(bad);
    expect_refused(bad, "state format version 2 is not supported (expected 1)");
    put_le(bad, 8, 0xFFFFFFFFu, 4);
    reseal(bad);
    expect_refused(bad, "state format version 4294967295 is not supported (expected 1)");
}

TEST_F(Snapshots, OtherRomSetIsRefused) {
    std::vector<u8> bad = snap;
    put_le(bad, 12, le32(snap, 12) ^ 1, 4);
    reseal(bad);
    expect_refused(bad, "state was made with a different ROM set");

    // A genuine snapshot does not load into a board with another set.
    load_or_fail(other_romset());
    expect_refused(snap, "state was made with a different ROM set");
}

TEST_F(Snapshots, TranslatedCodeIdIsNotCompared) {
    std::vector<u8> other = snap;
    put_le(other, 16, 0x12345678, 4);
    reseal(other);
    expect_accepted(other);
}

TEST_F(Snapshots, LayoutChangesAreRefused) {
    std::vector<u8> bad = snap;
    put_le(bad, 164, 553, 4);  // "ONCH" declares one byte more
    reseal(bad);
    expect_refused(bad, MSG_LAYOUT);

    bad = snap;
    memcpy(bad.data() + 720, "RAM!", 4);
    reseal(bad);
    expect_refused(bad, MSG_LAYOUT);

    bad = snap;  // extra bytes before the trailer
    bad.insert(bad.end() - 4, {0, 0, 0, 0});
    reseal(bad);
    expect_refused(bad, MSG_LAYOUT);
}

// Values that the board keeps in range but a file could hold: refused as a
// layout fault before the board ever runs with them.
TEST_F(Snapshots, OutOfRangeFieldsAreRefused) {
    struct Field {
        const char* name;
        size_t at;
        int bytes;
        u64 bad;
        u64 good;  // the largest (or smallest) value still accepted
    };
    const Field fields[] = {
        {"scan line", MISC_PAYLOAD + 37, 2, 262, 261},
        {"scan line", MISC_PAYLOAD + 37, 2, 0xFFFF, 0},
        {"sleep state", SH2_PAYLOAD + 129, 1, 3, 2},
        {"clock base", MISC_PAYLOAD + 21, 8, (u64)-1, 0},
        {"clock base", MISC_PAYLOAD + 21, 8, 1ULL << 62, 253402300799ULL},
        {"audio fraction", MISC_PAYLOAD + 71, 4, 0x10000, 0xFFFF},
        {"voice mode", FIRST_VOICE + 4, 1, 4, 3},
        {"voice frequency", FIRST_VOICE + 5, 2, 0x200, 0x1FF},
        {"voice pan", FIRST_VOICE + 8, 1, 16, 15},
        {"voice end", FIRST_VOICE + 13, 4, 0x2000000, 0x1FFFFFF},
        {"voice step", FIRST_VOICE + 33, 4, 0x6001, 0x6000},
        {"voice signal", FIRST_VOICE + 29, 4, 32768, 32767},
        {"voice signal", FIRST_VOICE + 29, 4, (u32)-32769, (u32)-32768},
        {"voice loop step", FIRST_VOICE + 41, 4, (u32)-1, 0},
        {"voice gain", FIRST_VOICE + 49, 4, 256, 255},
        {"voice gain", FIRST_VOICE + 53, 4, (u32)-1, 0},
        {"voice increment", FIRST_VOICE + 57, 4, 0, 1},
        {"voice increment", FIRST_VOICE + 7 * VOICE_SIZE + 57, 4, 513, 512},
        {"voice position", FIRST_VOICE + 61, 4, (u32)-1, 0},
        {"voice position", FIRST_VOICE + 3 * VOICE_SIZE + 61, 4, 0x80000000u, 1023},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.name);
        std::vector<u8> bad = snap;
        put_le(bad, f.at, f.bad, f.bytes);
        reseal(bad);
        expect_refused(bad, MSG_LAYOUT);

        std::vector<u8> edge = snap;
        put_le(edge, f.at, f.good, f.bytes);
        reseal(edge);
        expect_accepted(edge);
    }
}

// Counters the frame runner steps through must agree with the cycle count;
// otherwise a frame could take practically forever.
TEST_F(Snapshots, TimingCountersMustAgreeWithTheCycleCount) {
    const size_t lines_run_at = MISC_PAYLOAD + 29;
    const size_t next_irl9_at = MISC_PAYLOAD + 63;
    const size_t next_irl15_at = MISC_PAYLOAD + 47;
    const u64 lines_run = le32(snap, lines_run_at) | (u64)le32(snap, lines_run_at + 4) << 32;
    const BoardState* b = adapter_board();
    const u64 cycles = b->cpu.cycles;
    ASSERT_GT(cycles, 100000u);

    std::vector<u8> d = snap;
    put_le(d, lines_run_at, lines_run + 3, 8);
    reseal(d);
    expect_refused(d, MSG_LAYOUT);
    put_le(d, lines_run_at, 1ULL << 41, 8);
    reseal(d);
    expect_refused(d, MSG_LAYOUT);
    put_le(d, lines_run_at, lines_run + 1, 8);  // what a stop in mid-line leaves
    reseal(d);
    expect_accepted(d);

    d = snap;
    put_le(d, next_irl9_at, cycles - 1825, 8);
    reseal(d);
    expect_refused(d, MSG_LAYOUT);
    put_le(d, next_irl9_at, cycles - 1824, 8);
    reseal(d);
    expect_accepted(d);

    d = snap;
    put_le(d, next_irl15_at, 0, 8);
    reseal(d);
    expect_refused(d, MSG_LAYOUT);
    put_le(d, next_irl15_at, ~0ULL, 8);  // far ahead only delays the interrupt
    reseal(d);
    expect_accepted(d);
}

TEST_F(Snapshots, BoardRunsOnFromAnEdgeValue) {
    // The last scan line of a frame is a valid place to resume from.
    std::vector<u8> edge = snap;
    put_le(edge, MISC_PAYLOAD + 37, 261, 2);
    reseal(edge);
    expect_accepted(edge);
    FrameRecord f = run_recorded_frame();
    EXPECT_EQ(f.result, 0);
    EXPECT_EQ(adapter_board()->line, 240);
    // Lines 261 and 0-239: 241 lines of about 5.56 samples.
    EXPECT_GE(f.samples, 1339);
    EXPECT_LE(f.samples, 1340);
}

// The serializer itself: both directions from one list, little-endian
// numbers, chunk sizes, and sticky errors with zero-filled fields.
TEST(SnapshotStreamTest, WriteAndReadAreMirrorImages) {
    SnapshotStream w{};
    w.mode = SNAPSHOT_WRITE;
    u8 a = 0xA5;
    u16 b = 0x1234;
    u32 c = 0x11223344;
    u64 d = 0x0102030405060708ULL;
    u8 block[3] = {7, 8, 9};
    stream_chunk_begin(&w, "TEST");
    stream_u8(&w, &a);
    stream_u16(&w, &b);
    stream_u32(&w, &c);
    stream_u64(&w, &d);
    stream_bytes(&w, block, sizeof block);
    stream_chunk_end(&w);
    ASSERT_EQ(w.error, SNAPSHOT_OK);
    ASSERT_EQ(w.length, 8u + 18u);
    const u8 expected[] = {'T', 'E', 'S', 'T', 18, 0, 0, 0, 0xA5, 0x34, 0x12, 0x44, 0x33,
                           0x22, 0x11, 8, 7, 6, 5, 4, 3, 2, 1, 7, 8, 9};
    EXPECT_EQ(memcmp(w.data, expected, sizeof expected), 0);

    SnapshotStream r{};
    r.mode = SNAPSHOT_READ;
    r.data = w.data;
    r.length = w.length;
    u8 a2 = 0;
    u16 b2 = 0;
    u32 c2 = 0;
    u64 d2 = 0;
    u8 block2[3] = {};
    stream_chunk_begin(&r, "TEST");
    stream_u8(&r, &a2);
    stream_u16(&r, &b2);
    stream_u32(&r, &c2);
    stream_u64(&r, &d2);
    stream_bytes(&r, block2, sizeof block2);
    stream_chunk_end(&r);
    EXPECT_EQ(r.error, SNAPSHOT_OK);
    EXPECT_EQ(r.pos, r.length);
    EXPECT_EQ(a2, a);
    EXPECT_EQ(b2, b);
    EXPECT_EQ(c2, c);
    EXPECT_EQ(d2, d);
    EXPECT_EQ(memcmp(block2, block, 3), 0);
    free(w.data);
}

TEST(SnapshotStreamTest, ShortInputZeroFillsAndSticks) {
    u8 bytes[6] = {1, 2, 3, 4, 5, 6};
    SnapshotStream r{};
    r.mode = SNAPSHOT_READ;
    r.data = bytes;
    r.length = 3;
    u32 v = 0xFFFFFFFF;
    stream_u32(&r, &v);
    EXPECT_EQ(r.error, SNAPSHOT_SHORT);
    EXPECT_EQ(v, 0u);
    u8 one = 0xFF;
    stream_u8(&r, &one);  // there would be a byte, but the error sticks
    EXPECT_EQ(one, 0);
    EXPECT_EQ(r.pos, 0u);
    u8 block[4] = {9, 9, 9, 9};
    stream_bytes(&r, block, sizeof block);
    EXPECT_EQ(block[0] | block[1] | block[2] | block[3], 0);
    stream_chunk_begin(&r, "ANY ");
    EXPECT_EQ(r.error, SNAPSHOT_LAYOUT);
}

TEST(SnapshotStreamTest, ChunkTagsAndSizesMustMatch) {
    const u8 chunk[] = {'A', 'B', 'C', 'D', 2, 0, 0, 0, 0x11, 0x22};
    SnapshotStream r{};
    r.mode = SNAPSHOT_READ;
    r.data = (u8*)chunk;
    r.length = sizeof chunk;
    stream_chunk_begin(&r, "ABCE");
    EXPECT_EQ(r.error, SNAPSHOT_LAYOUT);

    r = SnapshotStream{};
    r.mode = SNAPSHOT_READ;
    r.data = (u8*)chunk;
    r.length = sizeof chunk;
    stream_chunk_begin(&r, "ABCD");
    u8 one = 0;
    stream_u8(&r, &one);  // one byte of the declared two
    stream_chunk_end(&r);
    EXPECT_EQ(r.error, SNAPSHOT_LAYOUT);
}
