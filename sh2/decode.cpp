// Read-only access to the decode table, which is generated at build time
// and linked in as constant data.
#include "sh2/interpreter.h"

const Sh2DecodeEntry* sh2_decode_table() { return sh2_decode_entries; }

// Decoding is one indexed read of an 8-byte entry.
static_assert(sizeof(Sh2DecodeEntry) == 8, "decode entries must stay 8 bytes");
