// The settings document: the lines of "settings.ini" as (section, key,
// value) entries in the order they were first set, updated in place and
// written back whole, so that keys and sections the frontend does not know
// survive every save.
// Hand-written reader: its trimming, cutting and ignoring rules are exact.
#include "frontend/ini.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t FIRST_CAPACITY = 64;
const char HEADER[] = "# Settings written by the frontend. Safe to edit while the game is closed.\n";

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_trailing_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Copies at most cap - 1 bytes of text[0..len) and terminates; the text may
// be the stored value itself.
void copy_cut(char* out, size_t cap, const char* text, size_t len) {
    if (len > cap - 1) len = cap - 1;
    memmove(out, text, len);
    out[len] = '\0';
}

// Whether a stored field equals text as it would be stored (cut to cap - 1).
bool same_as_stored(const char* stored, const char* text, size_t cap) {
    size_t len = strnlen(text, cap - 1);
    return strlen(stored) == len && memcmp(stored, text, len) == 0;
}

IniEntry* find_entry(const IniDocument* doc, const char* section, const char* key) {
    for (int32_t i = 0; i < doc->count; i++) {
        IniEntry* e = &doc->entries[i];
        if (same_as_stored(e->section, section, sizeof e->section) && same_as_stored(e->key, key, sizeof e->key))
            return e;
    }
    return nullptr;
}

bool section_seen_before(const IniDocument* doc, int32_t index) {
    for (int32_t j = 0; j < index; j++)
        if (strcmp(doc->entries[j].section, doc->entries[index].section) == 0) return true;
    return false;
}

// One line of the file, already cut at its line feed.
void parse_line(IniDocument* doc, char* section, const char* begin, const char* end) {
    while (begin < end && is_blank(*begin)) begin++;
    while (end > begin && is_trailing_space(end[-1])) end--;
    if (begin == end || *begin == '#' || *begin == ';') return;
    if (*begin == '[') {
        const char* close = (const char*)memchr(begin + 1, ']', (size_t)(end - begin - 1));
        if (close) copy_cut(section, sizeof(IniEntry::section), begin + 1, (size_t)(close - begin - 1));
        return;
    }
    const char* eq = (const char*)memchr(begin, '=', (size_t)(end - begin));
    if (!eq) return;
    char key[sizeof(IniEntry::key)];
    copy_cut(key, sizeof key, begin, (size_t)(eq - begin));
    size_t key_len = strlen(key);
    while (key_len > 0 && is_trailing_space(key[key_len - 1])) key[--key_len] = '\0';
    const char* value = eq + 1;
    while (value < end && is_blank(*value)) value++;
    char text[sizeof(IniEntry::value)];
    copy_cut(text, sizeof text, value, (size_t)(end - value));
    ini_set(doc, section, key, text);
}

void append(char*& out, const char* text) {
    size_t n = strlen(text);
    memcpy(out, text, n);
    out += n;
}

}  // namespace

void ini_parse_text(IniDocument* doc, const char* text, size_t length) {
    char section[sizeof(IniEntry::section)] = "";
    const char* end = text + strnlen(text, length);
    for (const char* line = text; line < end;) {
        const char* lf = (const char*)memchr(line, '\n', (size_t)(end - line));
        const char* line_end = lf ? lf : end;
        parse_line(doc, section, line, line_end);
        line = lf ? lf + 1 : end;
    }
}

int load_ini(IniDocument* doc, const char* path) {
    size_t length = 0;
    uint8_t* data = read_whole_file(path, &length);
    if (!data) return 0;
    ini_parse_text(doc, (const char*)data, length);
    free(data);
    return 1;
}

int ini_set(IniDocument* doc, const char* section, const char* key, const char* value) {
    IniEntry* e = find_entry(doc, section, key);
    if (!e) {
        if (doc->count == doc->capacity) {
            if (doc->capacity > INT32_MAX / 2) return 0;
            int32_t capacity = doc->capacity ? doc->capacity * 2 : FIRST_CAPACITY;
            IniEntry* grown = (IniEntry*)realloc(doc->entries, sizeof(IniEntry) * (size_t)capacity);
            if (!grown) return 0;
            doc->entries = grown;
            doc->capacity = capacity;
        }
        e = &doc->entries[doc->count++];
        copy_cut(e->section, sizeof e->section, section, strnlen(section, sizeof e->section));
        copy_cut(e->key, sizeof e->key, key, strnlen(key, sizeof e->key));
    }
    copy_cut(e->value, sizeof e->value, value, strnlen(value, sizeof e->value));
    return 1;
}

int ini_set_int(IniDocument* doc, const char* section, const char* key, int value) {
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    return ini_set(doc, section, key, text);
}

const char* ini_get(const IniDocument* doc, const char* section, const char* key) {
    const IniEntry* e = find_entry(doc, section, key);
    return e ? e->value : nullptr;
}

int ini_get_int(const IniDocument* doc, const char* section, const char* key, int def) {
    const char* value = ini_get(doc, section, key);
    // The number must begin the value: no leading blanks.
    if (!value || !value[0] || is_blank(value[0])) return def;
    char* after = nullptr;
    long n = strtol(value, &after, 0);
    if (after == value) return def;
    // A number beyond int saturates rather than wrapping.
    if (n > INT_MAX) return INT_MAX;
    if (n < INT_MIN) return INT_MIN;
    return (int)n;
}

char* ini_format_text(const IniDocument* doc, size_t* length) {
    size_t size = sizeof HEADER;
    for (int32_t i = 0; i < doc->count; i++) {
        const IniEntry* e = &doc->entries[i];
        size += strlen(e->section) + 4 + strlen(e->key) + 3 + strlen(e->value) + 1;
    }
    char* text = (char*)malloc(size);
    if (!text) return nullptr;
    char* out = text;
    append(out, HEADER);
    for (int32_t i = 0; i < doc->count; i++) {
        if (section_seen_before(doc, i)) continue;
        const char* section = doc->entries[i].section;
        append(out, "\n[");
        append(out, section);
        append(out, "]\n");
        for (int32_t j = i; j < doc->count; j++) {
            const IniEntry* e = &doc->entries[j];
            if (strcmp(e->section, section) != 0) continue;
            append(out, e->key);
            append(out, " = ");
            append(out, e->value);
            append(out, "\n");
        }
    }
    *out = '\0';
    if (length) *length = (size_t)(out - text);
    return text;
}

int save_ini(const IniDocument* doc, const char* path) {
    size_t length = 0;
    char* text = ini_format_text(doc, &length);
    if (!text) return 0;
    int ok = write_file_atomic(path, text, length);
    free(text);
    return ok;
}

void free_ini(IniDocument* doc) {
    free(doc->entries);
    doc->entries = nullptr;
    doc->count = 0;
    doc->capacity = 0;
}
