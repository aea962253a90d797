// Where trelvio-cli writes the conversion report: a file it creates (an
// existing one is replaced) or standard output.
#pragma once

#include <cstdio>

#include "report/conversion_report.h"

class ReportFile : public ReportSink {
 public:
  ReportFile() = default;
  ~ReportFile() { Close(); }
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  // Opens path for writing, or standard output for "-". Returns 1.
  int Open(const char* path);
  void Write(const char* text, size_t size) override;
  int Flush() override;
  // Writes what is waiting and closes. Returns 1 when every byte of the
  // report reached its place.
  int Close();

 private:
  std::FILE* stream_ = nullptr;
  bool ownsStream_ = false;
  bool failed_ = false;
};
