// Shared helpers for tests: a log that keeps what it is given, scratch files,
// and a one-call run of the converter over bytes in memory.
#pragma once

#include <string>

#include "converter/conversion_state.h"
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

// A run through the in-memory OS double: nothing touches the disk, and the
// written text is counted (only its first keepBytes are kept).
// The budget the fuzzer runs at, and so the one its findings replay at: the
// work bound stops a conversion by the same path at any budget, and a small
// one keeps every run short under the sanitizers.
const uint32_t kFuzzPieceBudget = 4096;

struct MemoryRun {
  size_t keepBytes = 65536;
  uint32_t pieceBudget = kMaxPiecesPerPass;  // length pieces per pass
};
struct MemoryConversion {
  int result = 0;
  std::string log;
  std::string mmlHead;        // the first keepBytes of the text
  uint64_t bytesWritten = 0;  // the whole text
  uint32_t piecesUsed = 0;    // by the last pass that ran (all when none ran)
  int openFiles = 0;          // handles still open afterwards
  int liveBlocks = 0;         // blocks still allocated afterwards
};
MemoryConversion RunConverterInMemory(const uint8_t* data, size_t size, const MemoryRun& run);
MemoryConversion RunConverterInMemory(const Bytes& midi, const MemoryRun& run = MemoryRun());

// The most text a conversion of a file of fileSize bytes may write: at most
// ten bytes per length piece (a token and a new line's prefix), a few tokens
// per event that no piece pays for (octave changes), and the headers.
uint64_t OutputBound(uint64_t fileSize, uint64_t pieces);
