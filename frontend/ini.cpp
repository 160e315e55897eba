// The settings document: the lines of "settings.ini" as (section, key,
// value) entries in the order they were first set, updated in place and
// written back whole, so that keys and sections the frontend does not know
// survive every save.
// Hand-written reader: its trimming, cutting and ignoring rules are exact.
// Reading and writing take time in proportion to the document: entries are
// found through the document's index, and the writer gathers each
// section's keys through a table of the section names.
#include "frontend/ini.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t FIRST_CAPACITY = 64;
constexpr int32_t FIRST_INDEX_SIZE = 2 * FIRST_CAPACITY;
constexpr uint32_t HASH_START = 2166136261u;
constexpr uint32_t HASH_PRIME = 16777619u;
const char HEADER[] = "# Settings written by the frontend. Safe to edit while the game is closed.\n";

// The reader's white space: blanks go from both ends of a line and from
// the front of a value; line ends, a carriage return before the line feed
// among them, only from the back.
bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }
bool is_trailing_space(char c) { return is_blank(c) || is_line_end(c); }

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

// FNV-1a over text[0..len), continued from h.
uint32_t hash_bytes(uint32_t h, const char* text, size_t len) {
    for (size_t i = 0; i < len; i++) h = (h ^ (uint8_t)text[i]) * HASH_PRIME;
    return h;
}

// The hash of (section, key) as they would be stored, that is cut; a zero
// byte between them keeps "ab" + "c" apart from "a" + "bc".
uint32_t entry_hash(const char* section, const char* key) {
    uint32_t h = hash_bytes(HASH_START, section, strnlen(section, sizeof(IniEntry::section) - 1));
    return hash_bytes(h * HASH_PRIME, key, strnlen(key, sizeof(IniEntry::key) - 1));
}

// The index slot of (section, key): the one that holds its entry, else the
// free slot where it would go. The index must have a free slot.
int32_t* index_slot(const IniDocument* doc, const char* section, const char* key) {
    uint32_t mask = (uint32_t)doc->index_size - 1;
    for (uint32_t at = entry_hash(section, key) & mask;; at = (at + 1) & mask) {
        int32_t* slot = &doc->index[at];
        if (*slot == 0) return slot;
        const IniEntry* e = &doc->entries[*slot - 1];
        if (same_as_stored(e->section, section, sizeof e->section) && same_as_stored(e->key, key, sizeof e->key))
            return slot;
    }
}

IniEntry* find_entry(const IniDocument* doc, const char* section, const char* key) {
    if (doc->index_size == 0) return nullptr;
    int32_t* slot = index_slot(doc, section, key);
    return *slot ? &doc->entries[*slot - 1] : nullptr;
}

// Room in the index for one more entry, keeping it at most half full: a
// table twice the size with every entry put in again when it is needed.
// On failure the document is as it was.
bool reserve_index(IniDocument* doc) {
    if ((int64_t)doc->count + 1 <= doc->index_size / 2) return true;
    if (doc->index_size > INT32_MAX / 2) return false;
    int32_t size = doc->index_size ? doc->index_size * 2 : FIRST_INDEX_SIZE;
    int32_t* index = (int32_t*)calloc((size_t)size, sizeof *index);
    if (!index) return false;
    free(doc->index);
    doc->index = index;
    doc->index_size = size;
    for (int32_t i = 0; i < doc->count; i++) {
        const IniEntry* e = &doc->entries[i];
        *index_slot(doc, e->section, e->key) = i + 1;
    }
    return true;
}

bool reserve_entry(IniDocument* doc) {
    if (doc->count < doc->capacity) return true;
    if (doc->capacity > INT32_MAX / 2) return false;
    int32_t capacity = doc->capacity ? doc->capacity * 2 : FIRST_CAPACITY;
    IniEntry* grown = (IniEntry*)realloc(doc->entries, sizeof(IniEntry) * (size_t)capacity);
    if (!grown) return false;
    doc->entries = grown;
    doc->capacity = capacity;
    return true;
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

int ini_value_reads_back(const char* value) {
    size_t len = strnlen(value, sizeof(IniEntry::value));
    if (len == sizeof(IniEntry::value)) return 0;
    for (size_t i = 0; i < len; i++)
        if (is_line_end(value[i])) return 0;
    return len == 0 || (!is_blank(value[0]) && !is_trailing_space(value[len - 1]));
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
        if (!reserve_index(doc) || !reserve_entry(doc)) return 0;
        e = &doc->entries[doc->count];
        copy_cut(e->section, sizeof e->section, section, strnlen(section, sizeof e->section));
        copy_cut(e->key, sizeof e->key, key, strnlen(key, sizeof e->key));
        *index_slot(doc, e->section, e->key) = ++doc->count;
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
    // The number must begin the value: an optional sign, then a digit
    // (strtol alone would skip leading white space of every kind).
    if (!value) return def;
    const char* digits = value + (value[0] == '+' || value[0] == '-');
    if (*digits < '0' || *digits > '9') return def;
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
    // Sections go out in the order they first appear, each with its keys in
    // document order. One pass chains every entry to the next of its
    // section: `next` holds that entry's position + 1 (0 at a chain's end),
    // `first` and `last` the ends of each section's chain, and `table`, an
    // open-addressing table at most half full, each section name's chain
    // number + 1.
    size_t n = (size_t)doc->count, table_size = 1;
    while (table_size < 2 * n) table_size *= 2;
    int32_t* work = (int32_t*)calloc(3 * n + table_size, sizeof *work);
    char* text = work ? (char*)malloc(size) : nullptr;
    if (!text) {
        free(work);
        return nullptr;
    }
    int32_t *next = work, *first = work + n, *last = work + 2 * n, *table = work + 3 * n;
    int32_t sections = 0;
    for (int32_t i = 0; i < doc->count; i++) {
        const char* section = doc->entries[i].section;
        size_t at = hash_bytes(HASH_START, section, strlen(section)) & (table_size - 1);
        while (table[at] && strcmp(doc->entries[first[table[at] - 1]].section, section) != 0)
            at = (at + 1) & (table_size - 1);
        if (!table[at]) {
            table[at] = ++sections;
            first[sections - 1] = i;
        } else {
            next[last[table[at] - 1]] = i + 1;
        }
        last[table[at] - 1] = i;
    }
    char* out = text;
    append(out, HEADER);
    for (int32_t s = 0; s < sections; s++) {
        append(out, "\n[");
        append(out, doc->entries[first[s]].section);
        append(out, "]\n");
        for (int32_t i = first[s] + 1; i != 0; i = next[i - 1]) {
            const IniEntry* e = &doc->entries[i - 1];
            append(out, e->key);
            append(out, " = ");
            append(out, e->value);
            append(out, "\n");
        }
    }
    free(work);
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
    free(doc->index);
    *doc = IniDocument{};
}
