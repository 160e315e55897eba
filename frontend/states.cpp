// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

uint8_t* build_state_container(size_t* size) { return {}; }
const uint8_t* parse_state_container(const uint8_t* data, size_t size, StateSlotInfo* info, uint32_t* snapshot_len, char* err, size_t errlen) { return {}; }
int build_slot_path(int slot, char* out) { return {}; }
void save_slot(int slot) { }
int load_slot(int slot) { return {}; }
void refresh_slot_list() { }
void free_slot_thumbnails() { }
