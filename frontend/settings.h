// Settings helpers that tests reach directly.
#pragma once

#include "frontend/frontend.h"

// Reads up to n integers written as "%d,%d,...": each may have blanks before
// it, the commas must follow the numbers directly, and a number beyond int
// saturates. The result is how many were read, from the first on.
int parse_int_list(const char* text, int32_t* out, int n);
