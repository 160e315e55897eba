// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

int join_path(char* out, size_t out_size, const char* folder, const char* name) { return {}; }
const char* path_basename(const char* path) { return {}; }
void path_dirname(const char* path, char* out, size_t out_size) { }
int is_regular_file(const char* path) { return {}; }
int is_directory(const char* path) { return {}; }
int make_dirs(const char* path) { return {}; }
uint8_t* read_whole_file(const char* path, size_t* length) { return {}; }
int write_file_atomic(const char* path, const void* data, size_t length) { return {}; }
int home_dir(char* out, size_t out_size) { return {}; }
int list_dir(const char* folder, DirEntry** out) { return {}; }
int compare_dir_entries(const DirEntry* a, const DirEntry* b) { return {}; }
int list_browse_roots(DirEntry** out) { return {}; }
void open_log(const char* path) { }
void close_log() { }
void log_line(const char* format, ...) { }
