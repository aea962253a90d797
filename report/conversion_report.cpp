#include "report/conversion_report.h"

#include "converter/rhythm_kit.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

const char* const kReasonNames[kLossReasonCount] = {
    "chord",          "range",         "drum_key",       "unended",        "no_length",
    "part_limit",     "tempo_conflict", "tempo_limit",   "tempo_zero",     "tempo_unplaced",
    "meter_conflict", "meter_limit",   "moved",          "end_moved",      "voice_limit",
    "substituted",
};

}  // namespace

const char* LossReasonName(int reason) {
  return reason >= 0 && reason < kLossReasonCount ? kReasonNames[reason] : "unknown";
}

bool LossDropsNote(int reason) { return reason <= kLossNoLength; }

void ReportWriter::Put(const char* text) { sink_.Write(text, std::strlen(text)); }

void ReportWriter::Format(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (n > 0) sink_.Write(text, static_cast<size_t>(n) < sizeof text ? n : sizeof text - 1);
}

// A JSON string: quotes, backslashes and control bytes escaped; other bytes
// (paths in the host's encoding) as they are.
void ReportWriter::PutQuoted(const char* text) {
  Put("\"");
  for (const char* p = text; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == '"' || c == '\\') {
      const char escaped[2] = {'\\', static_cast<char>(c)};
      sink_.Write(escaped, 2);
    } else if (c < 0x20) {
      Format("\\u%04x", c);
    } else {
      sink_.Write(p, 1);
    }
  }
  Put("\"");
}

void ReportWriter::Begin(const char* source, const char* target) {
  losses_ = 0;
  partCount_ = 0;
  checked_ = false;
  fault_[0] = 0;
  if (!json_) {
    // Paths may be longer than a formatted line holds.
    Put(source);
    Put(" -> ");
    Put(target);
    Put("\n");
    return;
  }
  Put("{\"source\":");
  PutQuoted(source);
  Put(",\"target\":");
  PutQuoted(target);
  Put(",\"losses\":[");
}

namespace {

// One loss, built in place: a song can have a loss for every note, so its
// lines are put together without a format string.
class LossLine {
 public:
  LossLine& Text(const char* text) {
    while (*text && size_ < sizeof text_) text_[size_++] = *text++;
    return *this;
  }
  LossLine& Char(char c) {
    if (size_ < sizeof text_) text_[size_++] = c;
    return *this;
  }
  // A decimal number; with sign, a plus before one that is not negative.
  LossLine& Number(int32_t value, bool sign = false) {
    int64_t v = value;
    if (v < 0) {
      Char('-');
      v = -v;
    } else if (sign) {
      Char('+');
    }
    char digits[12];
    int n = 0;
    do digits[n++] = static_cast<char>('0' + v % 10);
    while ((v /= 10) != 0);
    while (n > 0) Char(digits[--n]);
    return *this;
  }
  const char* data() const { return text_; }
  size_t size() const { return size_; }

 private:
  char text_[240];
  size_t size_ = 0;
};

}  // namespace

void ReportWriter::AddLoss(const Loss& loss, const BarPosition& at) {
  LossLine line;
  const char letter = static_cast<char>('A' + loss.part);
  if (json_) {
    line.Text(losses_ ? ",{\"track\":" : "{\"track\":").Number(loss.track).Text(",\"part\":");
    if (loss.part >= 0) line.Char('"').Char(letter).Char('"');
    else line.Text("null");
    line.Text(",\"tick\":").Number(loss.tick).Text(",\"bar\":").Number(at.bar);
    line.Text(",\"beat\":").Number(at.beat).Text(",\"offset\":").Number(at.offset).Text(",\"key\":");
    if (loss.key >= 0) line.Number(loss.key);
    else line.Text("null");
    line.Text(",\"reason\":\"").Text(LossReasonName(loss.reason)).Char('"');
  } else {
    line.Text("  loss: track ").Number(loss.track);
    if (loss.part >= 0) line.Text(", part ").Char(letter);
    line.Text(", tick ").Number(loss.tick).Text(", bar ").Number(at.bar).Text(" beat ").Number(at.beat);
    if (at.offset) line.Number(at.offset, true);
    if (loss.key >= 0) line.Text(", key ").Number(loss.key);
    line.Text(", ").Text(LossReasonName(loss.reason));
  }
  ++losses_;
  switch (loss.reason) {
    case kLossMoved:
      line.Text(json_ ? ",\"shift\":" : ", shift ").Number(loss.shift, !json_);
      line.Text(json_ ? ",\"stretch\":" : ", stretch ").Number(loss.stretch, !json_);
      break;
    case kLossEndMoved:
      line.Text(json_ ? ",\"shift\":" : ", shift ").Number(loss.shift, !json_);
      break;
    case kLossTempoConflict:
    case kLossTempoLimit:
    case kLossTempoUnplaced:
      if (json_) line.Text(",\"bpm\":").Number(loss.value);
      else line.Text(", ").Number(loss.value).Text(" bpm");
      break;
    case kLossVoiceLimit:
      if (loss.value < 0) {
        // A note of shared parts: every part started a note at its tick.
      } else if (json_) {
        line.Text(",\"voice\":").Number(loss.value + 1);
      } else {
        line.Text(", voice ").Number(loss.value + 1);
      }
      [[fallthrough]];
    case kLossPartLimit:
      if (json_) line.Text(",\"notes\":").Number(loss.count);
      else line.Text(", ").Number(loss.count).Text(" notes");
      break;
    case kLossSubstituted:
      // The macro's name without its closing blank.
      line.Text(json_ ? ",\"macro\":\"" : ", as ");
      for (int i = 0; i < 3; ++i) line.Char(macroNames[loss.value][i]);
      if (json_) line.Char('"');
      break;
    default:
      break;
  }
  line.Text(json_ ? "}" : "\n");
  sink_.Write(line.data(), line.size());
}

void ReportWriter::AddPart(const PartSummary& part) {
  if (partCount_ < 6) parts_[partCount_++] = part;
  if (json_) return;
  char voice[24] = "";
  if (part.voice >= 0) std::snprintf(voice, sizeof voice, ", voice %d", static_cast<int>(part.voice + 1));
  if (part.lastTrack > part.track) std::snprintf(voice, sizeof voice, " to %d", static_cast<int>(part.lastTrack));
  Format("  part %c: %s %d%s, channel %d, %s, notes in %d, notes out %d, %d bytes, ends at tick %d\n",
         'A' + part.part, part.lastTrack > part.track ? "tracks" : "track", part.track, voice, part.channel, part.rhythm ? "rhythm" : "melodic",
         part.notesIn, part.notesOut, part.bytes, part.endTick);
}

void ReportWriter::AddCheck(const char* fault) {
  checked_ = true;
  std::snprintf(fault_, sizeof fault_, "%s", fault ? fault : "");
  if (json_) return;
  if (fault) Format("  check: failed: %s\n", fault);
  else Put("  check: passed\n");
}

void ReportWriter::End(bool converted, int32_t division) {
  if (!json_) {
    Format("  %s, division %d\n\n", converted ? "converted" : "not converted", division);
    return;
  }
  Format("],\"division\":%d,\"parts\":[", division);
  for (int i = 0; i < partCount_; ++i) {
    const PartSummary& p = parts_[i];
    Format("%s{\"part\":\"%c\",\"track\":%d,", i ? "," : "", 'A' + p.part, p.track);
    if (p.voice >= 0) Format("\"voice\":%d,", p.voice + 1);
    if (p.lastTrack) Format("\"last_track\":%d,", p.lastTrack);
    Format("\"channel\":%d,\"rhythm\":%s,\"notes_in\":%d,\"notes_out\":%d,\"bytes\":%d,\"end_tick\":%d}",
           p.channel, p.rhythm ? "true" : "false", p.notesIn, p.notesOut, p.bytes, p.endTick);
  }
  Put("]");
  if (checked_) {
    Put(fault_[0] ? ",\"check\":\"failed\",\"fault\":" : ",\"check\":\"passed\"");
    if (fault_[0]) PutQuoted(fault_);
  }
  Format(",\"converted\":%s}\n", converted ? "true" : "false");
}
