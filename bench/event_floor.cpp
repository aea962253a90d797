// trelvio-bench-floor: the least work any reader of a Standard MIDI File must
// do, as a yardstick for the converter.
//
//   trelvio-bench-floor FILE.mid
//
// One pass over the track chunks that only walks the events (delta time,
// status or running status, data bytes, payload skip) and counts them. The
// file is streamed through one buffer of 8192 bytes, the block size of the
// converter's file object, so that both pay the same reads of the platform
// and the comparison measures the work done per byte. Prints the number of
// events; exits 1 when the file cannot be walked.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace {

class Stream {
 public:
  explicit Stream(int fd) : fd_(fd) {}

  // The next byte, or -1 at the end of the file.
  int Next() {
    if (pos_ == end_ && !Refill()) return -1;
    return *pos_++;
  }
  // Moves n bytes forward.
  bool Skip(uint32_t n) {
    uint32_t buffered = static_cast<uint32_t>(end_ - pos_);
    if (n <= buffered) {
      pos_ += n;
      return true;
    }
    pos_ = end_;
    return lseek(fd_, n - buffered, SEEK_CUR) >= 0;
  }
  bool Be32(uint32_t* value) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      int b = Next();
      if (b < 0) return false;
      v = (v << 8) | static_cast<uint32_t>(b);
    }
    *value = v;
    return true;
  }

 private:
  bool Refill() {
    ssize_t n;
    do {
      n = read(fd_, buffer_, sizeof buffer_);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    pos_ = buffer_;
    end_ = buffer_ + n;
    return true;
  }

  int fd_;
  uint8_t buffer_[8192];  // CPVFile::kBufferSize
  uint8_t* pos_ = buffer_;
  uint8_t* end_ = buffer_;
};

// Reads a variable-length quantity, counting its bytes against *left.
bool VarLen(Stream& in, int64_t* left, uint32_t* value) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    int b = in.Next();
    if (b < 0) return false;
    --*left;
    v = (v << 7) | static_cast<uint32_t>(b & 0x7F);
    if (!(b & 0x80)) {
      *value = v;
      return true;
    }
  }
  return false;
}

// Data bytes after a channel status.
int DataBytes(int status) {
  int kind = status >> 4;
  return kind == 0xC || kind == 0xD ? 1 : 2;
}

bool WalkTrack(Stream& in, int64_t left, uint64_t* events) {
  int runningStatus = 0;
  while (left > 0) {
    uint32_t delta;
    if (!VarLen(in, &left, &delta)) return false;
    int status = in.Next();
    if (status < 0) return false;
    --left;
    int data = 0;
    if (status < 0x80) {
      if (runningStatus == 0) return false;
      data = 1;  // the byte just read was the first data byte
      status = runningStatus;
    }
    if (status < 0xF0) {
      runningStatus = status;
      for (int n = DataBytes(status) - data; n > 0; --n) {
        if (in.Next() < 0) return false;
        --left;
      }
    } else {
      if (status == 0xFF) {
        if (in.Next() < 0) return false;
        --left;
      } else if (status != 0xF0 && status != 0xF7) {
        return false;
      }
      uint32_t length;
      if (!VarLen(in, &left, &length) || !in.Skip(length)) return false;
      left -= length;
    }
    ++*events;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trelvio-bench-floor FILE.mid\n");
    return 2;
  }
  int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::perror(argv[1]);
    return 1;
  }
  static Stream in(fd);
  uint32_t type, length;
  if (!in.Be32(&type) || type != 0x4D546864 || !in.Be32(&length) || length < 6) return 1;
  int hi = in.Next(), lo = in.Next();  // the format is not needed
  if (hi < 0 || lo < 0) return 1;
  hi = in.Next();
  lo = in.Next();
  if (hi < 0 || lo < 0 || !in.Skip(length - 4)) return 1;
  int trackCount = (hi << 8) | lo;
  uint64_t events = 0;
  for (int i = 0; i < trackCount; ++i) {
    if (!in.Be32(&type) || type != 0x4D54726B || !in.Be32(&length)) return 1;
    if (!WalkTrack(in, static_cast<int32_t>(length), &events)) return 1;
  }
  close(fd);
  std::printf("%llu events\n", static_cast<unsigned long long>(events));
  return 0;
}
