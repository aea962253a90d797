// The files an interruption must not leave behind: the temporary files the
// program is writing at the moment. The conversion job notes each one while
// it exists; an interruption's handler removes every file noted.
#pragma once

// Notes path (copied). Returns the slot to drop it with, or -1 when the
// table is full or the path too long (the file is then not removed).
int PVAddPendingFile(const char* path);
// Forgets the file of slot; -1 is ignored.
void PVDropPendingFile(int slot);
// Removes every file noted. Only async-signal-safe work: a signal handler
// calls it.
void PVRemovePendingFiles(void);
