// libFuzzer entry point for the two hand-written readers (settings file and
// game profile). Not part of the normal build; build and run it by hand:
//
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. $(sdl2-config --cflags) \
//       tests/frontend/fuzz/readers_fuzz.cpp frontend/ini.cpp frontend/profile.cpp \
//       frontend/files.cpp frontend/state.cpp $(sdl2-config --libs) -o readers_fuzz
//   ./readers_fuzz -max_total_time=60
//
// The same bytes go to both readers. Besides memory errors it checks that
// what the ini writer produces reads back to the same text.
#include <cstdlib>
#include <cstring>
#include <string>

#include "frontend/ini.h"
#include "frontend/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text((const char*)data, size);  // NUL-terminated at `size`

    IniDocument doc{};
    ini_parse_text(&doc, text.data(), text.size());
    size_t len = 0;
    char* once = ini_format_text(&doc, &len);
    if (once) {
        IniDocument again{};
        ini_parse_text(&again, once, len);
        size_t len2 = 0;
        char* twice = ini_format_text(&again, &len2);
        if (twice && (len2 != len || memcmp(once, twice, len) != 0)) abort();
        free(twice);
        free_ini(&again);
    }
    free(once);
    free_ini(&doc);

    GameProfile profile;
    if (parse_profile_json(&profile, text.c_str(), text.size())) {
        if (profile.players < 0 || profile.players > 8) abort();
        if (profile.aspect < 0 || profile.aspect > 4) abort();
    }
    return 0;
}
