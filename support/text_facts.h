// The facts about text that differ between the two builds: the character
// that separates the parts of a path, and which bytes begin a double-byte
// character. The algorithms that split paths and wrap lines take them from
// here and are written once.
#pragma once

struct PVTextFacts {
  char separator;
  int (*isLeadByte)(unsigned char byte);
};

// Code page 932: backslash paths; 0x81-0x9F and 0xE0-0xFC lead a character.
extern const PVTextFacts kShiftJisTextFacts;
// UTF-8: slash paths; no byte leads a two-byte character of the kind above.
extern const PVTextFacts kUtf8TextFacts;

// The facts of the system the program runs on.
const PVTextFacts& PVHostTextFacts();
