// Placeholder definitions, replaced by the module's implementation.
#include "frontend/frontend.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

int frontend_main(const GameAdapter* adapter, int argc, char** argv) { return {}; }
