#include "mml/round_trip_check.h"

#include <cstdio>

#include "converter/bar_clock.h"
#include "mml/mml_reader.h"

namespace {

// One item in words, for the fault's text.
void Describe(int32_t kind, int32_t tick, int32_t length, int32_t key, bool rhythm, char* text,
              size_t size) {
  switch (kind) {
    case kMmlPartStart:
      std::snprintf(text, size, "the start of part %c", static_cast<char>(key));
      break;
    case kMmlTempo:
      std::snprintf(text, size, "tempo %d at tick %d", key, tick);
      break;
    case kMmlNote:
      std::snprintf(text, size, "%s %d at tick %d for %d ticks", rhythm ? "drum macro" : "key", key, tick,
                    length);
      break;
    case kMmlPartEnd:
      std::snprintf(text, size, "the part's end at tick %d", tick);
      break;
    default:
      std::snprintf(text, size, "the end of the text");
      break;
  }
}

class RoundTrip {
 public:
  RoundTrip(const ConversionState& s, int32_t division, CPVFile& mml, PVRecordQueue& intended)
      : clock_(s, division), intended_(intended) {
    reader_.Start(&mml, s.lengthTicks);
  }

  int Run(char* fault, size_t size) {
    IntendedItem want;
    while (intended_.Next(&want, sizeof want)) {
      if (!Take(fault, size)) return 0;
      if (!Matches(want)) return Disagree(want, fault, size);
      if (want.kind == kMmlPartStart) {
        part_ = static_cast<char>(want.key);
        rhythm_ = want.length != 0;
      }
      if (want.kind == kMmlNote && rhythm_ && !TakeDrumHits(want, fault, size)) return 0;
    }
    if (!Take(fault, size)) return 0;
    if (result_ == 0) return 1;
    IntendedItem none{0, got_.tick, 0, 0};
    return Disagree(none, fault, size);
  }

 private:
  // Reads the next item that plays (macro definitions only name the drums).
  int Take(char* fault, size_t size) {
    do result_ = reader_.Next(&got_);
    while (result_ == 1 && got_.kind == kMmlMacro);
    if (result_ >= 0) return 1;
    const MmlError& e = reader_.error();
    std::snprintf(fault, size, "the MML cannot be read back: line %d, column %d: %s", e.line, e.column,
                  e.text);
    return 0;
  }

  bool Matches(const IntendedItem& want) const {
    if (result_ != 1 || got_.kind != want.kind) return false;
    switch (want.kind) {
      case kMmlPartStart:
        return got_.part == static_cast<char>(want.key) && (got_.rhythm != 0) == (want.length != 0);
      case kMmlTempo:
        return got_.tick == want.tick && got_.value == want.key;
      case kMmlNote:
        // A drum hit of several pieces comes back as hits back to back.
        return got_.tick == want.tick && got_.key == want.key &&
               (rhythm_ ? got_.length <= want.length : got_.length == want.length);
      default:
        return got_.tick == want.tick;
    }
  }

  int TakeDrumHits(const IntendedItem& want, char* fault, size_t size) {
    int32_t end = got_.tick + got_.length;
    while (end < want.tick + want.length) {
      if (!Take(fault, size)) return 0;
      if (result_ != 1 || got_.kind != kMmlNote || got_.key != want.key || got_.tick != end)
        return Disagree(want, fault, size);
      end += got_.length;
    }
    if (end == want.tick + want.length) return 1;
    return Disagree(want, fault, size);
  }

  int Disagree(const IntendedItem& want, char* fault, size_t size) {
    char expected[96];
    char found[96];
    Describe(want.kind, want.tick, want.length, want.key, rhythm_, expected, sizeof expected);
    Describe(result_ == 1 ? got_.kind : 0, got_.tick, got_.length,
             got_.kind == kMmlTempo ? got_.value : got_.kind == kMmlPartStart ? got_.part : got_.key,
             rhythm_, found, sizeof found);
    const BarPosition at = clock_.At(want.tick);
    std::snprintf(fault, size, "part %c, bar %d beat %d: expected %s, found %s", part_, at.bar, at.beat,
                  expected, found);
    return 0;
  }

  BarClock clock_;
  PVRecordQueue& intended_;
  MmlReader reader_;
  MmlItem got_;
  int result_ = 0;
  char part_ = '-';
  bool rhythm_ = false;
};

}  // namespace

int CheckRoundTrip(const ConversionState& s, int32_t division, const char* mmlPath,
                   PVRecordQueue& intended, char* fault, size_t faultSize) {
  CPVFile mml;
  if (!mml.Open(mmlPath, CPVFile::kRead)) {
    std::snprintf(fault, faultSize, "the MML cannot be opened again");
    return 0;
  }
  if (!intended.StartReading()) {
    std::snprintf(fault, faultSize, "the notes meant to be written cannot be read back");
    return 0;
  }
  int passed = 0;
  {
    RoundTrip check(s, division, mml, intended);
    passed = check.Run(fault, faultSize);
  }
  mml.Close();
  return passed;
}
