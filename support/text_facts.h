// What the path splitters need to know about the host's byte strings: which
// byte separates directories, and which bytes start a double-byte character.
//
// The Windows build keeps paths in code page 932 (backslash, Shift-JIS lead
// bytes); the native build keeps them in UTF-8 ('/', no lead bytes). The
// splitting algorithms are written once and take one of these tables.
#pragma once

struct PVTextFacts {
  char separator;
  // Nonzero when the byte, met at the start of a character, begins a
  // double-byte character whose second byte must not be examined on its own.
  int (*isLeadByte)(unsigned char byte);
};

// Code page 932: backslash; lead bytes 0x81-0x9F and 0xE0-0xFC.
extern const PVTextFacts kShiftJisTextFacts;
// UTF-8: '/'; no lead bytes. A continuation byte never equals an ASCII byte,
// so every byte can be tested on its own.
extern const PVTextFacts kUtf8TextFacts;

// The facts of the build's own paths (defined beside the OS seam).
const PVTextFacts& PVHostTextFacts();
