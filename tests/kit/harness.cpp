#include "tests/kit/harness.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "converter/convert_midi.h"
#include "tests/kit/os_double.h"

namespace fs = std::filesystem;

const std::string kSeedDir = TRELVIO_TEST_DATA "/../../fuzz/corpus";

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path = (fs::temp_directory_path() / ("trelvio-" + std::to_string(stamp) + "-" + std::to_string(counter++))).string();
  fs::create_directories(path);
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string ReadFileText(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

Bytes SeedFile(const std::string& name) {
  std::string text = ReadFileText(kSeedDir + "/" + name + ".mid");
  return Bytes(text.begin(), text.end());
}

std::string Tracks(int first, int last) {
  std::string lines;
  for (int n = first; n <= last; ++n) lines += "Track:" + std::to_string(n) + "\n";
  return lines;
}

int ConvertServedSong(ConversionState& state, MessageLog& log) {
  MemoryQueues queues;
  state.partQueues = &queues;
  state.sourceFile.Open("source.mid", CPVFile::kRead);
  state.targetFile.Open("target.mml", CPVFile::kWrite);
  const int result = ConvertMidi(state, log);
  ReleaseTrackTable(state);
  state.sourceFile.Close();
  state.targetFile.Close();
  state.partQueues = nullptr;
  return result;
}

Conversion RunConverter(const uint8_t* data, size_t size, uint32_t pieceBudget, bool countEarly,
                        bool keepNotes) {
  StringLog log;
  OsDouble os;
  os.ServeFromMemory(data, size);
  int result = 0;
  uint32_t piecesUsed = 0;
  {
    ConversionState state;
    state.pieceBudget = pieceBudget;
    state.early.enabled = countEarly;
    state.keepNotes = keepNotes;
    result = ConvertServedSong(state, log);
    piecesUsed = state.pieceBudget - state.piecesLeft;
  }
  return Conversion{result, log.text(), os.written, piecesUsed, os.reads, os.openFiles, os.liveBlocks};
}

Conversion RunConverter(const Bytes& midi, uint32_t pieceBudget, bool countEarly, bool keepNotes) {
  return RunConverter(midi.data(), midi.size(), pieceBudget, countEarly, keepNotes);
}

uint64_t OutputBound(uint64_t fileSize, uint64_t pieces) {
  const uint64_t kBytesPerPiece = 10;     // "!bg 32" after "\r\nA "
  const uint64_t kBytesPerFileByte = 72;  // two short tokens per event, six parts
  const uint64_t kHeaders = 4096;         // rhythm block and six part headers
  return kBytesPerPiece * pieces + kBytesPerFileByte * fileSize + kHeaders;
}
