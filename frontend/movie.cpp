// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

void end_movie() { }
void start_movie_recording() { }
void stop_movie_recording() { }
int play_latest_movie() { return {}; }
int movie_next_word(uint32_t* word) { return {}; }
void movie_record_word(uint32_t word) { }
