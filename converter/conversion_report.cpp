#include "converter/conversion_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

const char* const kReasonNames[kLossReasonCount] = {
    "chord",          "range",         "drum_key",       "unended",        "no_length",
    "part_limit",     "tempo_conflict", "tempo_limit",   "tempo_zero",     "tempo_unplaced",
    "meter_conflict", "meter_limit",   "moved",          "end_moved",
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
    Format("%s -> %s\n", source, target);
    return;
  }
  Put("{\"source\":");
  PutQuoted(source);
  Put(",\"target\":");
  PutQuoted(target);
  Put(",\"losses\":[");
}

void ReportWriter::AddLoss(const Loss& loss, const BarPosition& at) {
  const char* reason = LossReasonName(loss.reason);
  const char letter = static_cast<char>('A' + loss.part);
  if (json_) {
    Format("%s{\"track\":%d,\"part\":", losses_ ? "," : "", loss.track);
    if (loss.part >= 0) Format("\"%c\"", letter);
    else Put("null");
    Format(",\"tick\":%d,\"bar\":%d,\"beat\":%d,\"offset\":%d,\"key\":", loss.tick, at.bar, at.beat,
           at.offset);
    if (loss.key >= 0) Format("%d", loss.key);
    else Put("null");
    Format(",\"reason\":\"%s\"", reason);
  } else {
    Format("  loss: track %d", loss.track);
    if (loss.part >= 0) Format(", part %c", letter);
    Format(", tick %d, bar %d beat %d", loss.tick, at.bar, at.beat);
    if (at.offset) Format("+%d", at.offset);
    if (loss.key >= 0) Format(", key %d", loss.key);
    Format(", %s", reason);
  }
  ++losses_;
  const char* const shiftFormat = json_ ? ",\"shift\":%d" : ", shift %+d";
  switch (loss.reason) {
    case kLossMoved:
      Format(shiftFormat, loss.shift);
      Format(json_ ? ",\"stretch\":%d" : ", stretch %+d", loss.stretch);
      break;
    case kLossEndMoved:
      Format(shiftFormat, loss.shift);
      break;
    case kLossTempoConflict:
    case kLossTempoLimit:
    case kLossTempoUnplaced:
      Format(json_ ? ",\"bpm\":%d" : ", %d bpm", loss.value);
      break;
    case kLossPartLimit:
      Format(json_ ? ",\"notes\":%d" : ", %d notes", loss.count);
      break;
    default:
      break;
  }
  Put(json_ ? "}" : "\n");
}

void ReportWriter::AddPart(const PartSummary& part) {
  if (partCount_ < 6) parts_[partCount_++] = part;
  if (json_) return;
  Format("  part %c: track %d, channel %d, %s, notes in %d, notes out %d, %d bytes, ends at tick %d\n",
         'A' + part.part, part.track, part.channel, part.rhythm ? "rhythm" : "melodic", part.notesIn,
         part.notesOut, part.bytes, part.endTick);
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
    Format("%s{\"part\":\"%c\",\"track\":%d,\"channel\":%d,\"rhythm\":%s,\"notes_in\":%d,"
           "\"notes_out\":%d,\"bytes\":%d,\"end_tick\":%d}",
           i ? "," : "", 'A' + p.part, p.track, p.channel, p.rhythm ? "true" : "false", p.notesIn,
           p.notesOut, p.bytes, p.endTick);
  }
  Put("]");
  if (checked_) {
    Put(fault_[0] ? ",\"check\":\"failed\",\"fault\":" : ",\"check\":\"passed\"");
    if (fault_[0]) PutQuoted(fault_);
  }
  Format(",\"converted\":%s}\n", converted ? "true" : "false");
}
