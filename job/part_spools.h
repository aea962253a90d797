// The spools a conversion that shares its parts keeps each part's notes in
// between its length pass and its emission: temporary files beside the
// target, created when the converter first asks for one and removed with
// the object (an interruption removes them as it removes every temporary
// file of the job).
#pragma once

#include "job/record_spool.h"
#include "support/record_queue.h"
#include "support/text_facts.h"

class PartSpools final : public PVQueueSource {
 public:
  PartSpools(const PVTextFacts& facts, const char* target) : facts_(facts), target_(target) {}
  PartSpools(const PartSpools&) = delete;
  PartSpools& operator=(const PartSpools&) = delete;

  PVRecordQueue* Queue(int index) override;
  // A spool could not be created, written or read back.
  bool Failed() const { return failed_; }

 private:
  // Stands for a spool in the converter's hands: tells the object of a
  // failure, so that the job can name it.
  struct Watched final : PVRecordQueue {
    int Append(const void* record, uint32_t size) override { return Note(spool.Append(record, size)); }
    int StartReading() override { return Note(spool.StartReading()); }
    int Next(void* record, uint32_t size) override { return spool.Next(record, size); }
    int Note(int ok) {
      if (!ok) *failed = true;
      return ok;
    }
    RecordSpool spool;
    bool* failed = nullptr;
    bool asked = false;  // the converter has asked for it
    bool open = false;   // and it was created
  };
  static const int kSpools = 6;

  const PVTextFacts& facts_;
  const char* target_;
  bool failed_ = false;
  Watched spools_[kSpools];
};
