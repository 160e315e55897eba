// The settings file's reader and writer beyond what frontend.h shares: the
// text parser behind load_ini, open to tests and fuzzing without files.
#pragma once

#include <cstddef>

#include "frontend/frontend.h"

// Adds the (section, key, value) lines of an ini text to the document, as
// load_ini does with a file's bytes. Reading stops at a NUL byte or after
// `length` bytes, whichever comes first.
void ini_parse_text(IniDocument* doc, const char* text, size_t length);

// Whether a value written to the file comes back from it as it is: it fits
// an entry whole, holds no line end (a line feed splits its line, and a
// carriage return anywhere would make the file one of broken lines for
// other tools, while the reader drops one at a line's end), and has no
// blank at the front or white space at the back for the reader to trim.
// 1 when it does, else 0.
int ini_value_reads_back(const char* value);

// The document as save_ini writes it: a new NUL-terminated text (free()),
// its length in *length; null when memory runs out.
char* ini_format_text(const IniDocument* doc, size_t* length);
