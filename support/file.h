// CPVFile: a buffered file object with one 8192-byte transfer buffer.
//
// A reading object delivers bytes and big- or little-endian 16/32-bit values,
// tells its logical position and seeks; a writing object collects bytes and
// writes them in blocks. A disk file is never loaded whole; a stream that
// cannot seek (a pipe) can be, up to a bound, so that it can be read again.
// Positions and sizes are 64-bit: a file may pass 2 GiB.
#pragma once

#include <cstdint>
#include <cstring>

#include "support/os.h"

class CPVFile {
 public:
  static const uint32_t kBufferSize = 8192;

  // Open flags: bit 0 writes; bit 1 (with bit 0) keeps an existing file.
  // kCreateNew asks for a new file and fails when the name exists.
  enum { kRead = 0, kWrite = 1, kKeep = 2, kCreateNew = 4 };

  CPVFile();
  ~CPVFile();
  CPVFile(const CPVFile&) = delete;
  CPVFile& operator=(const CPVFile&) = delete;

  // Returns 1 when opened, 0 when the file could not be opened or created.
  int Open(const char* path, uint32_t flags);
  // Opens a handle of its own on a standard stream (PVOsStandard), for
  // reading or writing as flags say. Returns 1, or 0.
  int OpenStandard(int which, uint32_t flags);
  // Nonzero when the open file can seek (a disk file, not a pipe).
  int CanSeek() { return kind == 0 && PVOs()->seek(handle, 0, kPVOsSeekCur) >= 0; }
  // Reads the whole of a reading object's stream, from where it stands, into
  // memory, from where every later read and seek is served. Returns 1; 0 when
  // the stream holds more than limit bytes (limit below 2^31); -1 when it
  // cannot be read or the memory cannot be had.
  int LoadWhole(uint32_t limit);
  // Writes what is waiting and makes the file's data durable. Returns 1 when
  // both succeeded.
  int Sync();
  // Gives the file the permission bits (and, where allowed, the owner) of the
  // file at like. Returns 1, also when like does not exist.
  int KeepAttributesOf(const char* like) { return PVOs()->keepAttributes(handle, like); }
  // Writes what is waiting and closes. Returns 1 when closed; 0 when the final
  // write failed, in which case the object stays open with its bytes waiting.
  int Close();
  // Closes without writing what is waiting (after a failed final write).
  void Discard();
  int IsOpen() const { return handle != kPVOsNoFile; }
  // The size of the file when it was opened (or of the stream held in memory).
  uint64_t Size() const { return fileSize; }
  // A write of this object has failed since it was opened.
  int WriteFailed() const { return writeFailed; }

  // The logical position: what the next read returns or the next write fills.
  int64_t Tell();
  // Moves the logical position (origin 0 start, 1 current, 2 end). Returns
  // nonzero unless the platform refused. A step that stays inside the bytes
  // already read keeps the buffer.
  int Seek(int64_t offset, int origin) {
    if (origin == kPVOsSeekCur && StepInBuffer(offset)) return 1;
    return SeekFile(offset, origin);
  }

  // Returns 1 when all count bytes were delivered.
  int Read(void* dst, uint32_t count);
  // Returns the next byte, or 0 when nothing could be read.
  int ReadByte() {
    uint8_t byte;
    return NextByte(&byte) ? byte : 0;
  }
  // Stores the next byte and returns 1, or returns 0 at the end of the file.
  int NextByte(uint8_t* byte) {
    if (bufferedBytes == 0 && !Refill()) return 0;
    *byte = *bufferPos++;
    --bufferedBytes;
    --dataBytes;
    return 1;
  }
  // For a reader that walks the buffered bytes itself: stores where the next
  // byte waits and returns how many wait there, refilling an empty buffer
  // first (0 at the end of the file). Deliver(n) then takes n of them, as n
  // ReadByte calls would.
  uint32_t Peek(const uint8_t** next) {
    if (bufferedBytes == 0) Refill();
    *next = bufferPos;
    return bufferedBytes;
  }
  void Deliver(uint32_t n) {
    bufferPos += n;
    bufferedBytes -= n;
    dataBytes -= n;
  }
  uint32_t ReadWord(int bigEndian);
  uint32_t ReadDword(int bigEndian);

  // Returns 1 when every byte was accepted, 0 when a block write failed.
  int Write(const void* src, uint32_t count) {
    // The common case: the bytes fit in the room left in the buffer.
    if ((openFlags & kWrite) && count <= kBufferSize - bufferedBytes) {
      std::memcpy(bufferPos, src, count);
      bufferPos += count;
      bufferedBytes += count;
      dataBytes += count;
      return 1;
    }
    return WriteBlocks(static_cast<const uint8_t*>(src), count);
  }
  // For a writer that fills the buffer itself: stores where the next byte
  // goes and returns how many bytes fit in the buffer as it stands (0 when
  // the object is not open for writing; Write then takes the bytes).
  // Commit(n) counts the first n bytes put there as written, as Write would.
  uint32_t Room(uint8_t** at) {
    *at = bufferPos;
    return (openFlags & kWrite) ? kBufferSize - bufferedBytes : 0;
  }
  void Commit(uint32_t n) {
    bufferPos += n;
    bufferedBytes += n;
    dataBytes += n;
  }
  int Flush();
  int Refill();

 private:
  // A relative step of a reading object that stays inside the block already
  // read moves within the buffer: the same bytes come back without a re-read.
  bool StepInBuffer(int64_t offset) {
    if ((openFlags & kWrite) || !buffer) return false;
    if (offset < 0 ? bufferPos - buffer < -offset : offset > static_cast<int64_t>(bufferedBytes))
      return false;
    bufferPos += offset;
    bufferedBytes -= static_cast<uint32_t>(offset);
    return true;
  }
  int Adopt(PVOsFile opened, uint32_t flags);
  int SeekFile(int64_t offset, int origin);
  int SeekMemory(int64_t offset, int origin);
  int WriteBlocks(const uint8_t* src, uint32_t count);
  void Release();

  int32_t kind;  // -1 closed, 0 a file read or written through the buffer, 1 held in memory
  PVOsFile handle;
  uint32_t openFlags;
  uint8_t* buffer;  // in memory: the whole stream
  uint64_t fileSize;
  int64_t dataBytes;
  uint8_t* bufferPos;
  uint32_t bufferedBytes;
  int writeFailed;
};
