// Path splitters: the directory, file name and base name of a path, and the
// character test they share.
//
// Paths are NUL-terminated byte strings; destinations are kPVPathSize bytes:
// the platform's longest path (260 bytes on Windows, PATH_MAX elsewhere). A
// longer part is cut to fit, so a destination is never overrun whatever the
// path's length.
//
// The functions without a PVTextFacts argument use the host's facts; the
// others let a caller (a test, a tool) split paths of the other build.
#pragma once

#include <cstdint>

#include "support/os.h"
#include "support/text_facts.h"

const int kPVPathSize = kPVOsPathSize;

// Nonzero when the byte at position equals value (low 8 bits) and position
// starts a character, i.e. it is not the second byte of a double-byte one.
int PVIsCharAt(const char* text, int value, int32_t position);
// The directory with its trailing separator, or empty when there is none.
void PVGetDirName(char* dst, const char* path);
// The part after the last separator, or the whole path.
void PVGetFileName(char* dst, const char* path);
// The file name up to its first dot, or the whole file name.
void PVGetBaseName(char* dst, const char* path);

int PVIsCharAt(const PVTextFacts& facts, const char* text, int value, int32_t position);
void PVGetDirName(const PVTextFacts& facts, char* dst, const char* path);
void PVGetFileName(const PVTextFacts& facts, char* dst, const char* path);
void PVGetBaseName(const PVTextFacts& facts, char* dst, const char* path);

// Turns each '/' that starts a character into the facts' separator, so a path
// typed with forward slashes splits right where the backslash separates
// directories (Windows takes both). Paths of a '/' system stay as they are.
void PVUseSeparator(const PVTextFacts& facts, char* path);
