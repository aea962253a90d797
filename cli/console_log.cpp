#include "cli/console_log.h"

#include <cstring>

void ConsoleLog::AddLog(const char* text, int) {
  if (!text) return;
  if (onlyFailures_) {
    held_ += text;
    return;
  }
  Print(text, std::strlen(text));
}

void ConsoleLog::Print(const char* text, size_t length) {
  if (failed_) return;
  failed_ = std::fwrite(text, 1, length, stream_) != length || std::fflush(stream_) != 0;
}

void ConsoleLog::EndJob(bool failed) {
  if (failed && !held_.empty()) Print(held_.data(), held_.size());
  held_.clear();
}
