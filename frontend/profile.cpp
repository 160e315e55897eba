// The optional game profile: a small JSON file that adjusts the names,
// aspect and rotation the frontend shows and switches optional features
// off; and the feature set settled from it and the descriptor.
// Hand-written reader: its messages, line numbers and quirks are exact.
#include "frontend/profile.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int MAX_DEPTH = 33;
constexpr int MAX_PLAYERS = 8;
constexpr double MAX_ASPECT = 4.0;
constexpr size_t KEY_SIZE = 64;
constexpr size_t ASPECT_TEXT_SIZE = 32;
constexpr size_t SUMMARY_CUT = 359;  // no entry is added once the summary is longer

const char* const FEATURE_NAMES[FE_FEATURE_COUNT] = {
    "save_states", "rewind", "nvram", "input_movies", "gadgets", "input_display", "screenshots", "widescreen",
};

// The text keys of the top level and where they are stored.
struct StringKey {
    const char* key;
    size_t offset;
    size_t size;
};
#define TEXT(field) offsetof(GameProfile, field), sizeof(GameProfile::field)
const StringKey STRING_KEYS[] = {
    {"id", TEXT(id)},       {"title", TEXT(title)},       {"subtitle", TEXT(subtitle)},
    {"manufacturer", TEXT(manufacturer)}, {"rom_hint", TEXT(rom_hint)},
};
#undef TEXT

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void skip_space(JsonCursor* c) {
    while (c->cur < c->end && is_space(*c->cur)) c->cur++;
}

bool at(const JsonCursor* c, char ch) { return c->cur < c->end && *c->cur == ch; }

void fail(JsonCursor* c, const char* message) {
    if (c->failed) return;
    c->failed = 1;
    snprintf(c->message, sizeof c->message, "%s", message);
}

// The value of a \u escape: up to four bytes read as hexadecimal digits
// without checking them, kept only when it is plain ASCII.
char unicode_escape(JsonCursor* c) {
    int v = 0;
    for (int i = 0; i < 4 && c->cur < c->end; i++) {
        unsigned char d = (unsigned char)*c->cur++;
        if (d >= 'A' && d <= 'Z') d = (unsigned char)(d + 32);
        v = v * 16 + (d >= '0' && d <= '9' ? d - '0' : d - 87);
    }
    return v >= 0 && v <= 127 ? (char)v : '?';
}

void reset_profile(GameProfile* p) {
    memset(p, 0, sizeof *p);
    p->rotation = -1;
    p->integer_scale = -1;
    for (int& f : p->features) f = -1;
}

// "W:H" with both parts above 0, as width / height.
bool parse_aspect_text(const char* text, double* aspect) {
    char* colon = nullptr;
    double w = strtod(text, &colon);
    if (colon == text || *colon != ':') return false;
    char* after = nullptr;
    double h = strtod(colon + 1, &after);
    if (after == colon + 1 || !(w > 0) || !(h > 0)) return false;
    *aspect = w / h;
    return true;
}

size_t line_of(const char* begin, const char* pos) {
    size_t line = 1;
    for (const char* p = begin; p < pos; p++)
        if (*p == '\n') line++;
    return line;
}

// The first candidate that is a regular file: the given path itself, or
// `buf` holding a found one; null when there is none. Paths that do not
// fit their buffer are not candidates.
const char* find_profile(const char* given, const char* file_name, const char* game_id, char* buf) {
    if (given && given[0] && is_regular_file(given)) return given;
    if (!file_name) return nullptr;
    char folder[FE_PATH_SIZE];
    if (join_path(folder, sizeof folder, fe.data_dir, "profiles") &&
        join_path(buf, FE_PATH_SIZE, folder, file_name) && is_regular_file(buf))
        return buf;
    char base[FE_PATH_SIZE] = "";
    if (char* sdl_base = SDL_GetBasePath()) {
        if (strlen(sdl_base) < sizeof base) snprintf(base, sizeof base, "%s", sdl_base);
        SDL_free(sdl_base);
    }
    if (!base[0]) return nullptr;
    if (join_path(folder, sizeof folder, base, "profiles") && join_path(buf, FE_PATH_SIZE, folder, file_name) &&
        is_regular_file(buf))
        return buf;
    int n = snprintf(folder, sizeof folder, "%s../share/%s/profiles", base, game_id);
    if (n > 0 && (size_t)n < sizeof folder && join_path(buf, FE_PATH_SIZE, folder, file_name) &&
        is_regular_file(buf))
        return buf;
    return nullptr;
}

void apply_profile() {
    GameAdapter& a = fe.adapter;
    const GameProfile& p = fe.profile;
    if (p.title[0]) a.title = p.title;
    if (p.subtitle[0]) a.subtitle = p.subtitle;
    if (p.rom_hint[0]) a.rom_archive_name = p.rom_hint;
    if (p.aspect > 0) a.display_aspect = p.aspect;
    if (p.players > 0 && (uint32_t)p.players != a.players)
        log_line("profile asks for %d players; the adapter defines %d (adapter wins)", p.players, (int)a.players);
    if (p.rotation >= 0) {
        if (p.rotation % 90 != 0)
            log_line("profile rotation %d is not a multiple of 90; ignored", p.rotation);
        else
            a.rotation = (uint32_t)((p.rotation / 90) & 3);
    }
}

void settle_features() {
    size_t len = 0;
    fe.feature_summary[0] = '\0';
    for (int i = 0; i < FE_FEATURE_COUNT; i++) {
        int requested = fe.profile.loaded ? fe.profile.features[i] : -1;
        bool asked_on = requested != 0 && requested != -1;
        bool supported = feature_supported(&fe.adapter, i);
        fe.feature_on[i] = supported && requested != 0;
        const char* outcome = fe.feature_on[i] ? "on" : supported ? "off" : asked_on ? "unsupported" : "n/a";
        log_line("feature %-14s requested=%s supported=%s -> %s", feature_name(i),
                 requested == -1 ? "-" : requested ? "yes" : "no", supported ? "yes" : "no", outcome);
        if (len <= SUMMARY_CUT) {
            snprintf(fe.feature_summary + len, sizeof fe.feature_summary - len, "%s%s: %s", i ? ",  " : "",
                     feature_name(i), outcome);
            len = strlen(fe.feature_summary);
        }
    }
}

}  // namespace

JsonCursor json_cursor(const char* text, size_t length) {
    JsonCursor c{};
    c.begin = text;
    c.cur = text;
    c.end = text + length;
    return c;
}

void json_parse_object(JsonCursor* c, GameProfile* target, JsonKeyHandler handler) {
    if (c->failed) return;
    skip_space(c);
    if (!at(c, '{')) return fail(c, "expected an object");
    c->cur++;
    skip_space(c);
    if (at(c, '}')) {
        c->cur++;
        return;
    }
    for (;;) {
        char key[KEY_SIZE];
        skip_space(c);
        json_parse_string(c, key, sizeof key);
        skip_space(c);
        if (c->failed) return;
        if (!at(c, ':')) return fail(c, "expected ':'");
        c->cur++;
        skip_space(c);
        handler(c, key, target);
        if (c->failed) return;
        skip_space(c);
        if (at(c, ',')) {
            c->cur++;
        } else if (at(c, '}')) {
            c->cur++;
            return;
        } else {
            return fail(c, "expected ',' or '}'");
        }
    }
}

void json_parse_string(JsonCursor* c, char* buffer, size_t capacity) {
    if (c->failed) return;
    size_t n = 0;
    if (buffer && capacity) buffer[0] = '\0';
    if (!at(c, '"')) return fail(c, "expected a string");
    c->cur++;
    while (c->cur < c->end) {
        char ch = *c->cur++;
        if (ch == '"') {
            if (buffer && capacity) buffer[n] = '\0';
            return;
        }
        if (ch == '\\' && c->cur < c->end) {
            char escaped = *c->cur++;
            switch (escaped) {
            case 'n': ch = '\n'; break;
            case 'r': ch = '\r'; break;
            case 't': ch = '\t'; break;
            case 'u': ch = unicode_escape(c); break;
            default: ch = escaped; break;
            }
        }
        if (buffer && n + 1 < capacity) buffer[n++] = ch;
    }
    if (buffer && capacity) buffer[n] = '\0';
    fail(c, "unterminated string");
}

double json_parse_number(JsonCursor* c) {
    if (c->failed) return 0;
    char* after = nullptr;
    double v = c->cur < c->end ? strtod(c->cur, &after) : 0;
    if (!after || after == c->cur || after > c->end) {
        fail(c, "expected a number");
        return 0;
    }
    c->cur = after;
    return v;
}

int json_parse_tristate(JsonCursor* c) {
    if (c->failed) return -1;
    skip_space(c);
    if (json_match_literal(c, "true")) return 1;
    if (json_match_literal(c, "false")) return 0;
    if (json_match_literal(c, "null")) return -1;
    fail(c, "expected true or false");
    return -1;
}

int json_match_literal(JsonCursor* c, const char* word) {
    if (c->failed) return 0;
    size_t n = strlen(word);
    if ((size_t)(c->end - c->cur) < n || memcmp(c->cur, word, n) != 0) return 0;
    c->cur += n;
    return 1;
}

void json_skip_value(JsonCursor* c, int depth) {
    if (c->failed) return;
    skip_space(c);
    if (depth >= MAX_DEPTH) return fail(c, "nesting too deep");
    if (c->cur >= c->end) return fail(c, "unexpected end");
    char open = *c->cur;
    if (open == '"') return json_parse_string(c, nullptr, 0);
    if (open != '{' && open != '[') {
        if (json_match_literal(c, "true") || json_match_literal(c, "false") || json_match_literal(c, "null"))
            return;
        json_parse_number(c);
        return;
    }
    char close = open == '{' ? '}' : ']';
    c->cur++;
    skip_space(c);
    if (at(c, close)) {
        c->cur++;
        return;
    }
    for (;;) {
        if (open == '{') {
            skip_space(c);
            json_parse_string(c, nullptr, 0);
            skip_space(c);
            if (c->failed) return;
            if (!at(c, ':')) return fail(c, "expected ':'");
            c->cur++;
        }
        json_skip_value(c, depth + 1);
        if (c->failed) return;
        skip_space(c);
        if (at(c, ',')) {
            c->cur++;
        } else if (at(c, close)) {
            c->cur++;
            return;
        } else {
            return fail(c, "expected ',' or a closing bracket");
        }
    }
}

void profile_top_key(JsonCursor* c, const char* key, GameProfile* p) {
    for (const StringKey& s : STRING_KEYS)
        if (strcmp(key, s.key) == 0) return json_parse_string(c, (char*)p + s.offset, s.size);
    if (strcmp(key, "year") == 0) {
        if (at(c, '"')) return json_parse_string(c, p->year, sizeof p->year);
        double v = json_parse_number(c);
        if (!c->failed) snprintf(p->year, sizeof p->year, "%d", profile_number_to_int(v));
    } else if (strcmp(key, "players") == 0) {
        double v = json_parse_number(c);
        if (!c->failed) p->players = profile_number_to_int(v);
    } else if (strcmp(key, "display") == 0) {
        json_parse_object(c, p, profile_display_key);
    } else if (strcmp(key, "features") == 0) {
        json_parse_object(c, p, profile_features_key);
    } else {
        json_skip_value(c, 0);
    }
}

void profile_display_key(JsonCursor* c, const char* key, GameProfile* p) {
    if (strcmp(key, "aspect") == 0) {
        if (at(c, '"')) {
            char text[ASPECT_TEXT_SIZE];
            json_parse_string(c, text, sizeof text);
            if (!c->failed && !parse_aspect_text(text, &p->aspect)) fail(c, "display.aspect must look like \"4:3\"");
            return;
        }
        double v = json_parse_number(c);
        if (!c->failed) p->aspect = v;
    } else if (strcmp(key, "rotation") == 0) {
        double v = json_parse_number(c);
        if (!c->failed) p->rotation = profile_number_to_int(v);
    } else if (strcmp(key, "integer_scale") == 0) {
        p->integer_scale = json_parse_tristate(c);
    } else {
        json_skip_value(c, 1);  // inside the display object
    }
}

void profile_features_key(JsonCursor* c, const char* key, GameProfile* p) {
    for (int i = 0; i < FE_FEATURE_COUNT; i++)
        if (strcmp(key, FEATURE_NAMES[i]) == 0) {
            p->features[i] = json_parse_tristate(c);
            return;
        }
    json_skip_value(c, 1);  // inside the features object
}

int profile_number_to_int(double v) {
    if (std::isnan(v)) return 0;
    if (v >= (double)INT_MAX) return INT_MAX;
    if (v <= (double)INT_MIN) return INT_MIN;
    return (int)v;
}

int feature_supported(const GameAdapter* a, int index) {
    bool snapshots = a->save_snapshot && a->check_snapshot && a->load_snapshot;
    switch (index) {
    case FEATURE_SAVE_STATES:
    case FEATURE_REWIND:
    case FEATURE_INPUT_MOVIES: return snapshots;
    case FEATURE_NVRAM: return a->save_nvram && a->load_nvram;
    case FEATURE_GADGETS:
    case FEATURE_INPUT_DISPLAY:
    case FEATURE_SCREENSHOTS: return 1;
    default: return 0;
    }
}

const char* feature_name(int index) {
    return index >= 0 && index < FE_FEATURE_COUNT ? FEATURE_NAMES[index] : "?";
}

int parse_profile_json(GameProfile* profile, const char* text, size_t length) {
    reset_profile(profile);
    JsonCursor c = json_cursor(text, length);
    json_parse_object(&c, profile, profile_top_key);
    skip_space(&c);
    if (!c.failed && c.cur < c.end) fail(&c, "trailing data after the profile object");
    if (c.failed) {
        snprintf(profile->error, sizeof profile->error, "line %zu: %s", line_of(text, c.cur), c.message);
        return 0;
    }
    if (profile->players < 0 || profile->players > MAX_PLAYERS) {
        snprintf(profile->error, sizeof profile->error, "players must be 1-8");
        return 0;
    }
    if (profile->aspect < 0 || profile->aspect > MAX_ASPECT) {
        snprintf(profile->error, sizeof profile->error, "display.aspect is out of range");
        return 0;
    }
    profile->loaded = 1;
    return 1;
}

int load_profile_file(GameProfile* profile, const char* path) {
    size_t length = 0;
    uint8_t* text = read_whole_file(path, &length);
    if (!text) {
        memset(profile, 0, sizeof *profile);
        const char prefix[] = "cannot read ";
        // The message is cut to its room like every message; the path is not used.
        snprintf(profile->error, sizeof profile->error, "%s%.*s", prefix,
                 (int)(sizeof profile->error - sizeof prefix), path);
        return 0;
    }
    int ok = parse_profile_json(profile, (const char*)text, length);
    free(text);
    // The path is only shown (About screen), so a shortened one is harmless.
    if (ok) snprintf(profile->path, sizeof profile->path, "%.*s", (int)sizeof profile->path - 1, path);
    return ok;
}

void run_profile_step(const char* profile_path) {
    const GameAdapter& a = fe.adapter;
    const char* game_id = a.id ? a.id : "";
    const char* profile_id = a.profile_id && a.profile_id[0] ? a.profile_id : game_id;
    char file_name[FE_PATH_SIZE];
    char buf[FE_PATH_SIZE];
    int n = snprintf(file_name, sizeof file_name, "%s.json", profile_id);
    bool name_fits = n > 0 && (size_t)n < sizeof file_name;
    memset(&fe.profile, 0, sizeof fe.profile);
    const char* found = find_profile(profile_path, name_fits ? file_name : nullptr, game_id, buf);
    if (!found) {
        log_line("profile: none found for '%s' (using adapter defaults)", profile_id);
    } else if (!load_profile_file(&fe.profile, found)) {
        log_line("profile %s rejected: %s (using adapter defaults)", found, fe.profile.error);
        memset(&fe.profile, 0, sizeof fe.profile);
    } else {
        log_line("profile: %s", found);
        if (fe.profile.id[0] && strcmp(fe.profile.id, game_id) != 0) {
            log_line("profile id '%s' does not match game '%s'; ignoring it", fe.profile.id, game_id);
            memset(&fe.profile, 0, sizeof fe.profile);
        } else {
            apply_profile();
        }
    }
    settle_features();
}
