// The command line's message log: the job's lines go to a console stream as
// the job writes them, byte for byte (UTF-8 in the native build, code page
// 932 in the Windows build). A quiet log holds each job's lines and prints
// them only when the job failed. A failed write (a closed pipe, a full
// device) is remembered and ends the log's output.
#pragma once

#include <cstdio>
#include <string>

#include "support/message_log.h"

class ConsoleLog : public MessageLog {
 public:
  ConsoleLog(std::FILE* stream, bool onlyFailures) : stream_(stream), onlyFailures_(onlyFailures) {}

  void AddLog(const char* text, int repaint) override;
  // Ends one job: a held job's lines are printed when it failed and dropped
  // when it succeeded.
  void EndJob(bool failed);
  // A write to the stream has failed: the log is lost from there on.
  bool Failed() const { return failed_; }

 private:
  std::FILE* stream_;
  bool onlyFailures_;
  std::string held_;
  bool failed_ = false;

  void Print(const char* text, size_t length);
};
