#include "tests/frontend/support/frontend_fixture.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string path_in(const std::string& dir, const char* name) { return dir + "/" + name; }

void copy_path(char* out, const std::string& path) { snprintf(out, FE_PATH_SIZE, "%s", path.c_str()); }

}  // namespace

void FrontendTest::SetUp() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", audio_driver.c_str(), 1);
    fake_game_reset_all();
    memset(&fe, 0, sizeof fe);
    fe.adapter = fake_adapter();

    char pattern[] = "/tmp/fe-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    copy_path(fe.data_dir, dir + "/");
    copy_path(fe.settings_path, path_in(dir, "settings.ini"));
    copy_path(fe.states_dir, path_in(dir, "states"));
    copy_path(fe.screenshots_dir, path_in(dir, "screenshots"));
    copy_path(fe.nvram_dir, path_in(dir, "nvram"));
    copy_path(fe.movies_dir, path_in(dir, "movies"));
    copy_path(fe.log_path, path_in(dir, "frontend.log"));
    for (const char* sub : {"states", "screenshots", "nvram", "movies"})
        mkdir(path_in(dir, sub).c_str(), 0755);
    open_log(fe.log_path);

    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER), 0)
        << SDL_GetError();
    fe.perf_freq = SDL_GetPerformanceFrequency();
    set_default_settings();
    set_default_bindings();
    fe.slot = 1;

    fe.window = SDL_CreateWindow("frontend test", 0, 0, TEST_OUTPUT_W, TEST_OUTPUT_H, SDL_WINDOW_HIDDEN);
    ASSERT_NE(fe.window, nullptr) << SDL_GetError();
    fe.renderer = SDL_CreateRenderer(fe.window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    ASSERT_NE(fe.renderer, nullptr) << SDL_GetError();
    fe.game_texture = SDL_CreateTexture(fe.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                        (int)fe.adapter.width, (int)fe.adapter.height);
    ASSERT_NE(fe.game_texture, nullptr) << SDL_GetError();
    size_t pixels = (size_t)fe.adapter.width * fe.adapter.height;
    fe.raw_frame = (uint32_t*)calloc(pixels, 4);
    fe.raw_frame16 = (uint16_t*)calloc(pixels, 2);
    fe.picture_frame = (uint32_t*)calloc(pixels, 4);
    fe.audio_buffer = (int16_t*)calloc((size_t)fe.adapter.max_audio_frames * 2 + 16, 2);
    fe.picture_lut_stale = 1;
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(fe.renderer, &w, &h);
    fe.ui_unit = compute_ui_unit(w, h);
}

void FrontendTest::TearDown() {
    end_movie();
    free_rewind();
    free_slot_thumbnails();
    if (fe.audio_device) SDL_CloseAudioDevice(fe.audio_device);
    if (fe.audio_stream) SDL_FreeAudioStream(fe.audio_stream);
    close_controllers();
    destroy_font_texture();
    for (SDL_Texture* t : {fe.mask_texture, fe.glow_texture, fe.glow_source, fe.game_texture})
        if (t) SDL_DestroyTexture(t);
    if (fe.renderer) SDL_DestroyRenderer(fe.renderer);
    if (fe.window) SDL_DestroyWindow(fe.window);
    free(fe.raw_frame);
    free(fe.raw_frame16);
    free(fe.picture_frame);
    free(fe.audio_buffer);
    free(fe.browse_entries);
    free_ini(&fe.settings_doc);
    close_log();
    memset(&fe, 0, sizeof fe);
    SDL_Quit();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

std::string FrontendTest::make_fake_rom(const char* name, uint32_t fingerprint) {
    std::string path = path_in(dir, name);
    write_fake_rom(path, fingerprint);
    return path;
}

void FrontendTest::load_fake_game_running() {
    std::string rom = make_fake_rom();
    char err[256] = "";
    ASSERT_EQ(fe.adapter.load(rom.c_str(), err, sizeof err), 1) << err;
    copy_path(fe.rom, rom);
    fe.rom_loaded = 1;
    fe.running = 1;
}

std::vector<uint32_t> FrontendTest::read_pixels(int x, int y, int w, int h) {
    std::vector<uint32_t> out((size_t)w * h);
    SDL_Rect r{x, y, w, h};
    EXPECT_EQ(SDL_RenderReadPixels(fe.renderer, &r, SDL_PIXELFORMAT_ARGB8888, out.data(), w * 4), 0)
        << SDL_GetError();
    return out;
}

uint32_t FrontendTest::pixel_at(int x, int y) { return read_pixels(x, y, 1, 1)[0]; }

void FrontendTest::clear_output(uint8_t r, uint8_t g, uint8_t b) {
    SDL_SetRenderDrawBlendMode(fe.renderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(fe.renderer, r, g, b, 255);
    SDL_RenderClear(fe.renderer);
}

std::vector<std::string> FrontendTest::log_messages() {
    std::vector<std::string> lines;
    std::ifstream in(fe.log_path[0] ? fe.log_path : path_in(dir, "frontend.log").c_str());
    std::string line;
    while (std::getline(in, line)) lines.push_back(line.size() > 11 ? line.substr(11) : line);
    return lines;
}

std::string FrontendTest::read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
