// The frontend's one record for the process, zero at program start.
#include "frontend/frontend.h"

FrontendState fe;
