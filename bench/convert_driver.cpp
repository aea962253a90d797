// trelvio-bench-convert: runs the converter core over one file, for timing
// while the command-line program is not in the tree.
//
//   trelvio-bench-convert [-q] -o OUT.mml FILE.mid
//
// Opens both files through CPVFile exactly as the conversion job does, runs
// ConvertMidi and closes them. The log goes to stderr unless -q is given, in
// which case only a failure is reported. Exits 0 on success.
#include <cstdio>
#include <cstring>
#include <string>

#include "converter/convert_midi.h"

namespace {

class ConsoleLog : public MessageLog {
 public:
  explicit ConsoleLog(bool quiet) : quiet_(quiet) {}
  void AddLog(const char* text, int /*repaint*/) override {
    if (!quiet_) std::fputs(text, stderr);
    last_ = text;
  }
  const std::string& last() const { return last_; }

 private:
  bool quiet_;
  std::string last_;
};

}  // namespace

int main(int argc, char** argv) {
  bool quiet = false;
  const char* target = nullptr;
  const char* source = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-q") == 0) quiet = true;
    else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) target = argv[++i];
    else source = argv[i];
  }
  if (!source || !target) {
    std::fprintf(stderr, "usage: trelvio-bench-convert [-q] -o OUT.mml FILE.mid\n");
    return 2;
  }
  ConsoleLog log(quiet);
  ConversionState state;
  if (!state.sourceFile.Open(source, CPVFile::kRead)) {
    std::fprintf(stderr, "%s: cannot open\n", source);
    return 1;
  }
  if (!state.targetFile.Open(target, CPVFile::kWrite)) {
    std::fprintf(stderr, "%s: cannot create\n", target);
    state.sourceFile.Close();
    return 1;
  }
  int ok = ConvertMidi(state, log);
  ReleaseTrackTable(state);
  state.sourceFile.Close();
  if (!state.targetFile.Close()) {
    state.targetFile.Discard();
    ok = 0;
  }
  if (!ok) std::fprintf(stderr, "%s: conversion failed: %s", source, log.last().c_str());
  return ok ? 0 : 1;
}
