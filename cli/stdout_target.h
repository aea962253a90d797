// The target of "-o -": the job converts into a file of trelvio-cli's own in
// the temporary directory (so a failed conversion prints nothing), and the
// file's bytes are then copied to standard output.
#pragma once

#include <string>

class StdoutTarget {
 public:
  StdoutTarget() = default;
  ~StdoutTarget();
  StdoutTarget(const StdoutTarget&) = delete;
  StdoutTarget& operator=(const StdoutTarget&) = delete;

  // Creates a new, empty file under a fresh name in the temporary directory;
  // the job then replaces it. Returns 1, or 0 when no such file could be made.
  int Reserve();
  const char* path() const { return path_.c_str(); }
  // Copies the file's bytes to standard output. Returns 1 when all of them
  // were written.
  int CopyToStdout() const;

 private:
  std::string path_;
};
