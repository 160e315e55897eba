// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

const char* feature_name(int index) { return {}; }
int load_profile_file(GameProfile* profile, const char* path) { return {}; }
int parse_profile_json(GameProfile* profile, const char* text, size_t length) { return {}; }
void run_profile_step(const char* profile_path) { }
