// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

int load_ini(IniDocument* doc, const char* path) { return {}; }
int ini_set(IniDocument* doc, const char* section, const char* key, const char* value) { return {}; }
int ini_set_int(IniDocument* doc, const char* section, const char* key, int value) { return {}; }
const char* ini_get(const IniDocument* doc, const char* section, const char* key) { return {}; }
int ini_get_int(const IniDocument* doc, const char* section, const char* key, int def) { return {}; }
int save_ini(const IniDocument* doc, const char* path) { return {}; }
void free_ini(IniDocument* doc) { }
