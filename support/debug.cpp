#include "support/debug.h"

#include "support/os.h"

void PVDebugOut(const char* text) { PVOs()->debugOutput(text); }
