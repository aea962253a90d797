#include "tests/support/harness.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "converter/convert_midi.h"
#include "tests/support/memory_os.h"

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path dir = fs::temp_directory_path() /
                 ("trelvio-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(dir);
  path_ = dir.string();
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string ScratchDir::Path(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool FileExists(const std::string& path) { return fs::exists(path); }

Conversion RunConverter(const Bytes& midi) {
  ScratchDir dir;
  std::string source = dir.Path("in.mid");
  std::string target = dir.Path("out.mml");
  WriteFileBytes(source, midi);
  StringLog log;
  Conversion c;
  {
    ConversionState state;
    state.sourceFile.Open(source.c_str(), 0);
    state.targetFile.Open(target.c_str(), 1);
    c.result = ConvertMidi(state, log);
    ReleaseTrackTable(state);
    state.sourceFile.Close();
    state.targetFile.Close();
  }
  c.log = log.text();
  c.mml = ReadFileText(target);
  return c;
}

MemoryConversion RunConverterInMemory(const uint8_t* data, size_t size, const MemoryRun& run) {
  StringLog log;
  MemoryConversion c;
  MemoryOs os(data, size, run.keepBytes);
  {
    ConversionState state;
    state.pieceBudget = run.pieceBudget;
    state.sourceFile.Open("source.mid", CPVFile::kRead);
    state.targetFile.Open("target.mml", CPVFile::kWrite);
    c.result = ConvertMidi(state, log);
    ReleaseTrackTable(state);
    state.sourceFile.Close();
    state.targetFile.Close();
    c.piecesUsed = state.pieceBudget - state.piecesLeft;
  }
  c.log = log.text();
  c.mmlHead = os.keptText();
  c.bytesWritten = os.bytesWritten();
  c.openFiles = os.openFiles();
  c.liveBlocks = os.liveBlocks();
  return c;
}

MemoryConversion RunConverterInMemory(const Bytes& midi, const MemoryRun& run) {
  return RunConverterInMemory(midi.data(), midi.size(), run);
}

uint64_t OutputBound(uint64_t fileSize, uint64_t pieces) {
  const uint64_t kBytesPerPiece = 10;  // "!bg 32" after "\r\nA "
  const uint64_t kBytesPerFileByte = 72;  // two short tokens per event, six parts
  const uint64_t kHeaders = 4096;      // rhythm block and six part headers
  return kBytesPerPiece * pieces + kBytesPerFileByte * fileSize + kHeaders;
}
