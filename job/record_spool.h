// A temporary file of fixed-size records beside the target: what a
// conversion meets in one pass and needs in a later one, kept out of memory
// so that a song of any size is worked in bounded memory. Records are
// appended, then read back once from the first, in order.
#pragma once

#include <cstdint>
#include <cstring>

#include "job/temp_file.h"
#include "support/file.h"
#include "support/record_queue.h"
#include "support/text_facts.h"

class RecordSpool : public PVRecordQueue {
 public:
  RecordSpool() = default;
  ~RecordSpool() { Remove(); }
  RecordSpool(const RecordSpool&) = delete;
  RecordSpool& operator=(const RecordSpool&) = delete;

  // Creates a new, empty spool under a temporary name beside target. Returns 1.
  int Create(const PVTextFacts& facts, const char* target);
  int Append(const void* record, uint32_t size) override { return file_.Write(record, size); }
  // Ends the appending and reads from the first record on. Returns 1 when
  // every record reached the file.
  int StartReading() override;
  // Returns 1 with the next record in *record, 0 at the end. A record that
  // lies whole in the file's buffer is copied from there.
  int Next(void* record, uint32_t size) override {
    const uint8_t* at = nullptr;
    if (file_.Peek(&at) < size) return file_.Read(record, size);
    std::memcpy(record, at, size);
    file_.Deliver(size);
    return 1;
  }
  // Closes and deletes the file (also done when the spool is destroyed).
  void Remove();

 private:
  CPVFile file_;
  TempFile temp_;
};
