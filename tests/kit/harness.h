// Shared helpers for tests: a log that keeps its lines, scratch files, the
// seed corpus, and a one-call run of the converter through the OS double.
#pragma once

#include <cstring>
#include <filesystem>
#include <string>

#include "converter/conversion_state.h"
#include "support/message_log.h"
#include "support/record_queue.h"
#include "tests/kit/midi_builder.h"

struct StringLog : MessageLog {
  void AddLog(const char* text, int repaint) override {
    if (repaint != 1) lines += "(repaint is not 1)";
    lines += text ? text : "(null)";
  }
  const std::string& text() const { return lines; }
  std::string lines;
};

// A fresh directory for one test, removed with everything in it at the end.
struct ScratchDir {
  ScratchDir();
  ~ScratchDir() { std::filesystem::remove_all(path, error); }
  std::string Path(const std::string& name) const { return (std::filesystem::path(path) / name).string(); }
  std::string path;
  std::error_code error;
};

void WriteFileBytes(const std::string& path, const Bytes& bytes);
std::string ReadFileText(const std::string& path);  // empty when it cannot be read
// The fuzzer's seed corpus, and one of its files by name without ".mid".
extern const std::string kSeedDir;
Bytes SeedFile(const std::string& name);

// The budget the fuzzer runs at and its findings replay at: the work bound
// stops by the same path at any budget, and a small one keeps runs short.
const uint32_t kFuzzPieceBudget = 4096;
// The log's "Track:n" lines from first to last.
std::string Tracks(int first, int last);

struct Conversion {
  int result = 0;
  std::string log, mml;
  uint32_t piecesUsed = 0;  // by the last pass that ran (all when none ran)
  int reads = 0;            // of the source, by all passes
  int openFiles = 0, liveBlocks = 0;  // handles and blocks still held afterwards
};
// Runs the converter core over the bytes in memory, as the job runs it. With
// countEarly false the length pass counts every part; keepNotes converts
// keeping the notes.
// Records in memory: what the job keeps in its spool files.
struct MemoryQueue : PVRecordQueue {
  int Append(const void* record, uint32_t size) override {
    records.append(static_cast<const char*>(record), size);
    return 1;
  }
  int StartReading() override {
    at = 0;
    return 1;
  }
  int Next(void* record, uint32_t size) override {
    if (records.size() - at < size) return 0;
    std::memcpy(record, records.data() + at, size);
    at += size;
    return 1;
  }
  std::string records;
  size_t at = 0;
};

// Queues in memory, as many as a conversion asks for.
struct MemoryQueues : PVQueueSource {
  PVRecordQueue* Queue(int index) override { return index >= 0 && index < 8 ? &queues[index] : nullptr; }
  MemoryQueue queues[8];
};

// Converts "source.mid" into "target.mml" (as the OS double serves and keeps
// them) with the state as set up and queues in memory, then frees its tables
// and closes both.
// Returns ConvertMidi's result.
int ConvertServedSong(ConversionState& state, MessageLog& log);
Conversion RunConverter(const uint8_t* data, size_t size, uint32_t pieceBudget = kMaxPiecesPerPass,
                        bool countEarly = true, bool keepNotes = false);
Conversion RunConverter(const Bytes& midi, uint32_t pieceBudget = kMaxPiecesPerPass,
                        bool countEarly = true, bool keepNotes = false);

// The most text a conversion may write: ten bytes per length piece (a token and
// a line's prefix), a few per event (octave changes), and the headers.
uint64_t OutputBound(uint64_t fileSize, uint64_t pieces);
