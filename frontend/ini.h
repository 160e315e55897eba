// The settings file's reader and writer beyond what frontend.h shares: the
// text parser behind load_ini, open to tests and fuzzing without files.
#pragma once

#include <cstddef>

#include "frontend/frontend.h"

// Adds the (section, key, value) lines of an ini text to the document, as
// load_ini does with a file's bytes. Reading stops at a NUL byte or after
// `length` bytes, whichever comes first.
void ini_parse_text(IniDocument* doc, const char* text, size_t length);

// The document as save_ini writes it: a new NUL-terminated text (free()),
// its length in *length; null when memory runs out.
char* ini_format_text(const IniDocument* doc, size_t* length);
