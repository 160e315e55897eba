// The game profile's JSON reader, open to tests and fuzzing. It reads one
// object of known keys; every operation does nothing more once the cursor
// has failed, and only the first error's message is kept.
#pragma once

#include <cstddef>

#include "frontend/frontend.h"

struct JsonCursor {
    const char* begin;  // the whole text, for the line of an error
    const char* cur;    // next byte
    const char* end;    // one past the last byte
    int failed;
    char message[64];  // the first error
};

// Called for each member of an object with the cursor at the member's value.
typedef void (*JsonKeyHandler)(JsonCursor* c, const char* key, GameProfile* profile);

// A cursor over text[0..length); the text must have a NUL byte at `length`.
JsonCursor json_cursor(const char* text, size_t length);
void json_parse_object(JsonCursor* c, GameProfile* target, JsonKeyHandler handler);
// Stores at most capacity - 1 bytes and a NUL; a null buffer only skips.
void json_parse_string(JsonCursor* c, char* buffer, size_t capacity);
double json_parse_number(JsonCursor* c);
int json_parse_tristate(JsonCursor* c);  // true 1, false 0, null -1
int json_match_literal(JsonCursor* c, const char* word);
void json_skip_value(JsonCursor* c, int depth);

void profile_top_key(JsonCursor* c, const char* key, GameProfile* profile);
void profile_display_key(JsonCursor* c, const char* key, GameProfile* profile);
void profile_features_key(JsonCursor* c, const char* key, GameProfile* profile);

// Whether the descriptor has what feature `index` needs.
int feature_supported(const GameAdapter* adapter, int index);
// A profile number as an int: truncated toward zero, saturated at the ends
// of int, NaN as 0.
int profile_number_to_int(double v);
