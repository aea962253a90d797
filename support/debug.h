// The debugger output channel: one line per misuse or platform failure, in the
// library's style "[Class::Operation]text\n".
#pragma once

void PVDebugOut(const char* text);
