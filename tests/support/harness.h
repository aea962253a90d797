// Shared helpers for tests: a log that keeps what it is given, scratch files,
// and a one-call run of the converter over bytes in memory.
#pragma once

#include <string>

#include "support/message_log.h"
#include "tests/support/midi_builder.h"

class StringLog : public MessageLog {
 public:
  void AddLog(const char* text, int repaint) override {
    if (text) text_ += text;
    if (repaint != 1) badRepaint_ = true;
  }
  const std::string& text() const { return text_; }
  bool badRepaint() const { return badRepaint_; }

 private:
  std::string text_;
  bool badRepaint_ = false;
};

// A fresh directory for one test, removed with everything in it at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  // The path of name inside the directory.
  std::string Path(const std::string& name) const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void WriteFileBytes(const std::string& path, const Bytes& bytes);
// Returns the file's bytes as a string, empty when it cannot be read.
std::string ReadFileText(const std::string& path);
bool FileExists(const std::string& path);

struct Conversion {
  int result = 0;
  std::string log;
  std::string mml;
};

// Runs the converter core over the bytes, as the job would with open files.
Conversion RunConverter(const Bytes& midi);
