#include <windows.h>

#include "support/command_arg.h"

int PVGetCommandArg(char* dst, int32_t size) { return PVParseCommandArg(GetCommandLineA(), dst, size); }
