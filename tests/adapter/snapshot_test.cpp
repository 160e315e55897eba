// Core snapshots through the adapter: the byte layout, an exact round trip,
// and damaged or hostile snapshots refused without touching the live board.
#include <bit>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "sh2/xlate.h"
#include "tests/adapter/adapter_test_util.h"
#include "zipio/zip_io.h"

namespace {

constexpr size_t SH2_PAYLOAD = 28;
constexpr size_t ONCH_PAYLOAD = 168;
constexpr size_t YMZ_PAYLOAD = 2128940;
constexpr size_t MISC_PAYLOAD = 2129528;
constexpr size_t VOICE_SIZE = 70;
constexpr size_t FIRST_VOICE = YMZ_PAYLOAD + 20;

const char MSG_LAYOUT[] = "state has an unexpected layout or is truncated";
const char MSG_CHECKSUM[] = "state is damaged (checksum mismatch)";
const char MSG_OTHER_SET[] = "state was made with a different ROM set";

u64 get_le(const std::vector<u8>& d, size_t at, int bytes = 4) {
    u64 v = 0;
    for (int i = bytes - 1; i >= 0; i--) v = v << 8 | d[at + (size_t)i];
    return v;
}

void put_le(std::vector<u8>& d, size_t at, u64 value, int bytes) {
    for (int i = 0; i < bytes; i++) d[at + i] = (u8)(value >> (8 * i));
}

// Recomputes the trailer so that a change passes the checksum and reaches
// the checks behind it.
void reseal(std::vector<u8>& d) { put_le(d, d.size() - 4, zipio_crc32(0, d.data(), d.size() - 4), 4); }

std::vector<u8> patched(std::vector<u8> d, size_t at, u64 value, int bytes) {
    put_le(d, at, value, bytes);
    reseal(d);
    return d;
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

std::vector<u8> board_bytes() {
    const u8* b = (const u8*)adapter_board();
    return std::vector<u8>(b, b + sizeof(BoardState));
}

class Snapshots : public AdapterTest {
protected:
    void SetUp() override {
        AdapterTest::SetUp();
        load_or_fail(program_set("frame_loop"));
        for (int i = 0; i < 5; i++) run_recorded_frame();
        snap = take_snapshot();
        ASSERT_EQ(snap.size(), SNAPSHOT_SIZE);
    }

    // Refused by both check and load, with the sentence, board untouched.
    void expect_refused(const std::vector<u8>& data, const char* message) {
        std::vector<u8> before = board_bytes();
        char err[200] = "";
        EXPECT_EQ(adapter_check_snapshot(data.data(), data.size(), err, sizeof err), 0);
        EXPECT_STREQ(err, message);
        err[0] = '\0';
        EXPECT_EQ(adapter_load_snapshot(data.data(), data.size(), err, sizeof err), 0);
        EXPECT_STREQ(err, message);
        EXPECT_TRUE(before == board_bytes()) << "the live board must stay as it was";
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
    EXPECT_EQ(get_le(snap, 8), 1u);
    EXPECT_EQ(get_le(snap, 12), adapter_rom_fingerprint());
    EXPECT_EQ(get_le(snap, 16), xlate_build_id());
    struct Chunk {
        const char* tag;
        size_t offset;
        u32 size;
    };
    const Chunk chunks[] = {
        {"SH2 ", 20, 132},          {"ONCH", 160, 552},    {"RAM ", 720, 1052672}, {"NVRM", 1053400, 8192},
        {"VID ", 1061600, 1067251}, {"HIT ", 2128859, 65}, {"YMZ ", 2128932, 580}, {"MISC", 2129520, 75},
    };
    for (const Chunk& c : chunks) {
        EXPECT_EQ(memcmp(snap.data() + c.offset, c.tag, 4), 0) << c.tag;
        EXPECT_EQ(get_le(snap, c.offset + 4), c.size) << c.tag;
    }
    EXPECT_EQ(get_le(snap, 2129603), zipio_crc32(0, snap.data(), 2129603));
    const BoardState* b = adapter_board();
    EXPECT_EQ(get_le(snap, SH2_PAYLOAD + 16 * 4), b->cpu.pc);
    EXPECT_EQ(get_le(snap, SH2_PAYLOAD + 25 * 4, 8), b->cpu.cycles);
    EXPECT_EQ(memcmp(snap.data() + 728, b->work_ram, sizeof b->work_ram), 0);
    EXPECT_EQ(memcmp(snap.data() + 1053408, b->nvram, sizeof b->nvram), 0);
    EXPECT_EQ(get_le(snap, MISC_PAYLOAD + 37, 2), b->line);
    EXPECT_EQ(get_le(snap, 1061608 + 760051), b->frame_buffer[0]);
}

// Every field at its offset, with its width: each one gets a value of its
// own, so a field written out of order, too wide or too narrow shows up.
// (Fields with range checks are placed by OutOfRangeFieldsAreRefused.)
TEST_F(Snapshots, EveryFieldHasItsPlaceAndWidth) {
    static_assert(std::endian::native == std::endian::little, "fields are set by memcpy");
    BoardState* b = adapter_board();
    const size_t S = SH2_PAYLOAD, O = 168, V = 1061608, H = 2128867, Y = YMZ_PAYLOAD, M = MISC_PAYLOAD;
    const size_t W = FIRST_VOICE + 2 * VOICE_SIZE;
    struct Field {
        const char* name;
        void* field;
        size_t offset;
        int bytes;
        u64 value;
    };  // field null: set below
#define F(field, offset, bytes, value) \
    { #field, &b->field, offset, bytes, value }
    const Field fields[] = {
        F(cpu.r[15], S + 60, 4, 0x0F0F0F0F),
        F(cpu.macl, S + 88, 4, 0x11111111),
        F(cpu.last_ea, S + 92, 4, 0x22222222),
        F(cpu.steps, S + 108, 8, 0x0102030405060708ULL),
        F(cpu.irl_pending, S + 116, 4, 0x00008202),
        F(cpu.onchip_level, S + 120, 4, 0xFFFFFFFF),
        F(cpu.onchip_vector, S + 124, 4, 0x44),
        F(cpu.nmi_pending, S + 128, 1, 0x31),
        F(cpu.idle, S + 131, 1, 0x34),
        F(divu_dvsr, O + 512, 4, 0xD1D1D1D1),
        F(divu_remainder, O + 520, 4, 0xD3D3D3D3),
        F(divu_ovf, O + 524, 1, 0xA1),
        F(frt_tocr, O + 529, 1, 0xA6),
        F(frt_frc, O + 530, 2, 0xF1F2),
        F(frt_ocrb, O + 534, 2, 0xF5F6),
        F(frt_last, O + 536, 8, 0x1112131415161718ULL),
        F(frt_next, O + 544, 8, 0x2122232425262728ULL),
        F(sprite_regs[0], V + 16384, 1, 0x5E),
        F(tilemap_regs[127], V + 16448 + 127, 1, 0x7E),
        F(char_ram[0], V + 213216, 1, 0xC4),
        F(palette_cache[1], V + 475360 + 4, 4, 0xCAFEF00D),
        {"sprite_brightness_on", nullptr, V + 606432, 1, 0x41},
        {"blend_factor_b", nullptr, V + 606440, 1, 0x49},
        {"sprite_layer_on", nullptr, V + 606450, 1, 0x53},
        F(sprite_bitmap[1], V + 606451 + 2, 2, 0xB1B2),
        {"HIT word 27", nullptr, H + 54, 2, 0x481B},
        {"HIT flags", nullptr, H + 56, 2, 0x481F},
        {"HIT overlap 1", nullptr, H + 58, 2, 0x481C},
        {"HIT overlap 3", nullptr, H + 62, 2, 0x481E},
        {"HIT reserved", nullptr, H + 64, 1, 0},
        F(ymz.read_latch, Y + 7, 1, 0x88),
        F(ymz.ext_addr_mid, Y + 12, 4, 0x00EEDD00),
        F(ymz.ext_addr, Y + 16, 4, 0x00ABCDEF),
        F(ymz.voices[2].level, W + 7, 1, 0x17),
        F(ymz.voices[2].start, W + 9, 4, 0x01234567),
        F(ymz.voices[2].addr, W + 25, 4, 0x01BCDEF0),
        F(ymz.voices[2].loop_count, W + 45, 4, 0x99887766),
        F(ymz.voices[2].prev, W + 65, 2, 0xFFFD),
        F(ymz.voices[2].cur, W + 67, 2, 0x6543),
        F(ymz.voices[2].end_flag, W + 69, 1, 0x1E),
        F(rtc_regs[15], M + 15, 1, 0x0F),
        F(dip, M + 16, 1, 0x5D),
        F(rng, M + 17, 4, 0x9D14ABD7),
        F(frames_run, M + 39, 8, 0x0B0C0D0E0F1011ULL),
        F(next_irl11, M + 55, 8, 0x0B11),
    };
#undef F
    for (const Field& f : fields)
        if (f.field) memcpy(f.field, &f.value, (size_t)f.bytes);
    for (u8 i = 0; i < sizeof(PaletteControl); i++) ((u8*)&b->palette_control)[i] = (u8)(0x41 + i);
    for (int i = 0; i < 32; i++) b->hit.words[i] = (u16)(0x4800 + i);

    std::vector<u8> d = take_snapshot();
    ASSERT_EQ(d.size(), SNAPSHOT_SIZE);
    for (const Field& f : fields) EXPECT_EQ(get_le(d, f.offset, f.bytes), f.value) << f.name;
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
    // Loaded at once, a snapshot changes nothing but the input bits it clears.
    BoardState* live = adapter_board();
    u8* const program = live->program_rom;
    live->input_bits = 0;
    std::vector<u8> before = board_bytes();
    adapter_set_inputs(0x10);
    expect_accepted(snap);
    EXPECT_EQ(live->program_rom, program);
    EXPECT_TRUE(before == board_bytes());

    std::vector<FrameRecord> original;
    for (int i = 0; i < 4; i++) original.push_back(run_recorded_frame());
    adapter_set_inputs(0x10);  // something else happens to the board in between
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

TEST_F(Snapshots, DamagedSnapshotsAreRefusedWithTheirSentence) {
    char err[64] = "";
    EXPECT_EQ(adapter_check_snapshot(nullptr, 100, err, sizeof err), 0);
    EXPECT_STREQ(err, "state file is truncated");
    expect_refused(std::vector<u8>(snap.begin(), snap.begin() + 23), "state file is truncated");
    std::vector<u8> cut(snap.begin(), snap.end() - 1000);
    expect_refused(cut, MSG_CHECKSUM);
    reseal(cut);  // cut short but resealed: the layout check finds it
    expect_refused(cut, MSG_LAYOUT);

    const size_t flips[] = {8, 20, 1000, 1100000, SNAPSHOT_SIZE - 5, SNAPSHOT_SIZE - 1};
    for (size_t at : flips) {
        SCOPED_TRACE(at);
        std::vector<u8> bad = snap;
        bad[at] ^= 0x04;
        expect_refused(bad, MSG_CHECKSUM);
    }

    struct Case {
        size_t at;
        u64 value;
        int bytes;
        const char* message;
    };
    const Case cases[] = {
        {3, 'Y', 1, "not a Talvex save state"},
        {8, 2, 4, "state format version 2 is not supported (expected 1)"},
        {8, 0xFFFFFFFFu, 4, "state format version 4294967295 is not supported (expected 1)"},
        {12, get_le(snap, 12) ^ 1, 4, MSG_OTHER_SET},
        {164, 553, 4, MSG_LAYOUT},         // "ONCH" declares one byte more
        {720, 0x214D4152, 4, MSG_LAYOUT},  // "RAM!" for "RAM "
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        expect_refused(patched(snap, c.at, c.value, c.bytes), c.message);
    }
    std::vector<u8> longer = snap;  // extra bytes before the trailer
    longer.insert(longer.end() - 4, {0, 0, 0, 0});
    reseal(longer);
    expect_refused(longer, MSG_LAYOUT);

    // The translated-code id is informative only.
    expect_accepted(patched(snap, 16, 0x12345678, 4));
    // A genuine snapshot does not load into a board with another set.
    load_or_fail(other_romset());
    expect_refused(snap, MSG_OTHER_SET);
}

// Values the board keeps in range but a file could hold: refused as a layout
// fault before the board runs with them, while the edge value just inside is
// accepted. Timing counters must agree with the cycle count, or a frame could
// take practically forever or the game freeze.
TEST_F(Snapshots, OutOfRangeFieldsAreRefused) {
    const size_t M = MISC_PAYLOAD, V = FIRST_VOICE, O = ONCH_PAYLOAD;
    const u64 lines_run = get_le(snap, M + 29, 8);
    const u64 cycles = adapter_board()->cpu.cycles;
    const int frt_shift[4] = {3, 5, 7, 0};  // by clock select: a count every 8, 32 or 128 cycles
    const u64 frt_period = u64{0x10000} << frt_shift[adapter_board()->frt_tcr & 3];
    ASSERT_GT(cycles, 100000u);
    struct Field {
        const char* name;
        size_t at;
        int bytes;
        u64 bad;
        u64 good;
    };
    const Field fields[] = {
        {"scan line", M + 37, 2, 262, 261},
        {"scan line", M + 37, 2, 0xFFFF, 0},
        {"sleep state", SH2_PAYLOAD + 129, 1, 3, 2},
        {"clock base", M + 21, 8, (u64)-1, 0},
        {"clock base", M + 21, 8, 1ULL << 62, 253402300799ULL},
        {"audio fraction", M + 71, 4, 0x10000, 0xFFFF},
        {"voice mode", V + 4, 1, 4, 3},
        {"voice frequency", V + 5, 2, 0x200, 0x1FF},
        {"voice pan", V + 8, 1, 16, 15},
        {"voice end", V + 13, 4, 0x2000000, 0x1FFFFFF},
        {"voice step", V + 33, 4, 0x6001, 0x6000},
        {"voice signal", V + 29, 4, 32768, 32767},
        {"voice signal", V + 29, 4, (u32)-32769, (u32)-32768},
        {"voice loop step", V + 41, 4, (u32)-1, 0},
        {"voice gain", V + 49, 4, 256, 255},
        {"voice gain", V + 53, 4, (u32)-1, 0},
        {"voice increment", V + 57, 4, 0, 1},
        {"voice increment", V + 7 * VOICE_SIZE + 57, 4, 513, 512},
        {"voice position", V + 61, 4, (u32)-1, 0},
        {"voice position", V + 3 * VOICE_SIZE + 61, 4, 0x80000000u, 1023},
        // A stop in mid-line leaves one line more than the cycles account for.
        {"lines run", M + 29, 8, lines_run + 3, lines_run + 1},
        {"lines run", M + 29, 8, 1ULL << 41, lines_run},
        // Due times lie within one of their periods of the count, on either side.
        {"next level 9", M + 63, 8, cycles - 1825, cycles - 1824},
        {"next level 15", M + 47, 8, 0, cycles + 57272},
        // Ahead by more, the interrupt never comes; a count ahead of its line runs no instruction.
        {"next level 9 ahead", M + 63, 8, cycles + 1825, cycles + 1824},
        {"next level 11 ahead", M + 55, 8, cycles + 229089, cycles + 229088},
        {"next level 15 ahead", M + 47, 8, ~0ULL, cycles + 57272},
        {"timer event ahead", O + 544, 8, cycles + frt_period + 1, cycles + frt_period},
        {"timer event ahead", O + 544, 8, cycles + frt_period + 1, ~0ULL},  // all ones: none scheduled
        {"count ahead of its line", M + 29, 8, lines_run - 2, lines_run},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.name);
        expect_refused(patched(snap, f.at, f.bad, f.bytes), MSG_LAYOUT);
        expect_accepted(patched(snap, f.at, f.good, f.bytes));
    }
}

TEST_F(Snapshots, BoardRunsOnFromTheLastScanLine) {
    expect_accepted(patched(snap, MISC_PAYLOAD + 37, 261, 2));
    FrameRecord f = run_recorded_frame();
    EXPECT_EQ(f.result, 0);
    EXPECT_EQ(adapter_board()->line, 240);
    // Lines 261 and 0-239: 241 lines of about 5.56 samples.
    EXPECT_GE(f.samples, 1339);
    EXPECT_LE(f.samples, 1340);
}
