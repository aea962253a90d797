#include "cli/report_file.h"

#include "cli/cli_options.h"

int ReportFile::Open(const char* path) {
  Close();
  failed_ = false;
  ownsStream_ = !NamesStandardStream(path);
  stream_ = ownsStream_ ? std::fopen(path, "wb") : stdout;
  return stream_ != nullptr;
}

void ReportFile::Write(const char* text, size_t size) {
  if (!stream_ || failed_) return;
  if (std::fwrite(text, 1, size, stream_) != size) failed_ = true;
}

int ReportFile::Flush() {
  if (stream_ && std::fflush(stream_) != 0) failed_ = true;
  return stream_ && !failed_;
}

int ReportFile::Close() {
  if (!stream_) return 0;
  int flushed = Flush();
  if (ownsStream_ && std::fclose(stream_) != 0) flushed = 0;
  stream_ = nullptr;
  return flushed;
}
