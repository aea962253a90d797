#include "cli/console_log.h"

void ConsoleLog::AddLog(const char* text, int) {
  if (!text) return;
  if (onlyFailures_) {
    held_ += text;
    return;
  }
  std::fputs(text, stream_);
  std::fflush(stream_);
}

void ConsoleLog::EndJob(bool failed) {
  if (failed && !held_.empty()) {
    std::fwrite(held_.data(), 1, held_.size(), stream_);
    std::fflush(stream_);
  }
  held_.clear();
}
