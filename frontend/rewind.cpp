// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

void reset_rewind() { }
void rewind_capture() { }
void rewind_step() { }
void free_rewind() { }
void rewind_figures(double* seconds, double* megabytes) { }
