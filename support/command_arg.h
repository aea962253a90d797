// The first argument of a process command line.
#pragma once

#include <cstdint>

// Takes the first argument after the program name from commandLine into dst
// (size bytes with the terminator). Exactly one space after the program name
// is skipped; double quotes group spaces and are not stored; a closing quote
// ends the argument. Returns nonzero when a non-empty argument was stored;
// an argument of size bytes or more is dropped (dst empty, 0).
int PVParseCommandArg(const char* commandLine, char* dst, int32_t size);
// The same for a UTF-16 command line (size in characters).
int PVParseCommandArg(const wchar_t* commandLine, wchar_t* dst, int32_t size);

// The same for this process's own command line (Windows).
int PVGetCommandArg(char* dst, int32_t size);
