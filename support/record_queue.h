// PVRecordQueue: fixed-size records appended in one pass and read back once,
// from the first, in a later one. What the report, the round-trip check and
// the shared parts need of a spool; the job's spool (a temporary file)
// implements it.
#pragma once

#include <cstdint>

class PVRecordQueue {
 public:
  // Returns 1 when the record was taken.
  virtual int Append(const void* record, uint32_t size) = 0;
  // Ends the appending and reads from the first record on. Returns 1 when
  // every record was kept.
  virtual int StartReading() = 0;
  // Returns 1 with the next record in *record, 0 at the end.
  virtual int Next(void* record, uint32_t size) = 0;

 protected:
  ~PVRecordQueue() = default;
};

// Where a conversion gets queues of its own, one per index from 0 (the job:
// a temporary file each, created when first asked for).
class PVQueueSource {
 public:
  // The queue of index, or null when it cannot be had.
  virtual PVRecordQueue* Queue(int index) = 0;

 protected:
  ~PVQueueSource() = default;
};
