#include "cli/stdout_target.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "support/console.h"
#include "support/file.h"
#include "support/os.h"
#include "support/path.h"

namespace {

const int kReserveAttempts = 100;

}  // namespace

StdoutTarget::~StdoutTarget() {
  if (!path_.empty()) PVOs()->remove(path_.c_str());
}

int StdoutTarget::Reserve() {
  std::error_code error;
  std::filesystem::path directory = std::filesystem::temp_directory_path(error);
  if (error) return 0;
  // The name only has to be new; creating the file exclusively makes it ours.
  std::random_device device;
  std::mt19937 names(device() ^ static_cast<unsigned>(
                                    std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < kReserveAttempts; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "trelvio-%08x.mml", static_cast<unsigned>(names()));
    std::string candidate = (directory / name).string();
    if (candidate.size() > kPVPathSize - 1) return 0;
    CPVFile file;
    if (!file.Open(candidate.c_str(), CPVFile::kWrite | CPVFile::kCreateNew)) continue;
    path_ = candidate;
    if (!file.Close()) file.Discard();
    return 1;
  }
  return 0;
}

int StdoutTarget::CopyToStdout() const {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return 0;
  PVSetBinaryStdout();
  char block[8192];
  while (in) {
    in.read(block, sizeof block);
    std::size_t count = static_cast<std::size_t>(in.gcount());
    if (count > 0 && std::fwrite(block, 1, count, stdout) != count) return 0;
  }
  if (in.bad()) return 0;
  return std::fflush(stdout) == 0 ? 1 : 0;
}
