// The process's standard output as a byte stream.
#pragma once

// Makes stdout pass bytes through unchanged (no line-feed translation), so a
// file's bytes can be written to it. Defined beside the OS seam: nothing to do
// on POSIX; the Windows build switches the stream out of text mode.
void PVSetBinaryStdout();
