#include "converter/keep_notes.h"

#include "converter/messages.h"
#include "converter/rhythm_kit.h"
#include "converter/shared_parts.h"
#include "support/os.h"

int AllocateVoiceTallies(ConversionState& s, uint16_t trackCount) {
  if (trackCount == 0) return 1;
  s.voices = static_cast<VoiceTally*>(PVOs()->allocBlock(static_cast<uint32_t>(trackCount * sizeof(VoiceTally))));
  return s.voices != nullptr;
}

void ReleaseVoiceTallies(ConversionState& s) {
  if (!s.voices) return;
  PVOs()->freeBlock(s.voices);
  s.voices = nullptr;
}

namespace {

struct Candidate {
  int32_t notes;
  int32_t track;
  int32_t voice;
};

// Whether a ranks before b: more notes, then the earlier track and voice.
bool Ranks(const Candidate& a, const Candidate& b) {
  if (a.notes != b.notes) return a.notes > b.notes;
  if (a.track != b.track) return a.track < b.track;
  return a.voice < b.voice;
}

}  // namespace

void ChooseVoiceParts(ConversionState& s, MessageLog& log, uint16_t trackCount) {
  Candidate best[kMaxParts];
  int count = 0;
  bool dropped = false;  // a voice ranks after the sixth
  bool overflow = false;  // a chord of more notes than voices
  for (int i = 0; i < trackCount; ++i) {
    VoiceTally& tally = s.voices[i];
    overflow = overflow || tally.notes[kOverflowVoice] > 0;
    for (int v = 0; v < kMaxVoices; ++v) {
      tally.part[v] = -1;
      const Candidate c{tally.notes[v], i, v};
      if (c.notes == 0) continue;
      if (count == kMaxParts && !Ranks(c, best[count - 1])) {
        dropped = true;
        continue;
      }
      if (count == kMaxParts) dropped = true;
      int at = count < kMaxParts ? count++ : count - 1;
      for (; at > 0 && Ranks(c, best[at - 1]); --at) best[at] = best[at - 1];
      best[at] = c;
    }
  }
  if (dropped) {
    int rhythm = 0;
    for (int i = 0; i < count; ++i) rhythm += s.tracks[best[i].track].isRhythm != 0;
    PlanSharedParts(s, trackCount, rhythm, count);
    return;
  }
  if (overflow) log.AddLog(msg::kPartLimit, 1);
  for (int i = 0; count == 0 && i < trackCount; ++i)
    if (s.voices[i].hasNotes) best[count++] = Candidate{0, i, 0};
  // Parts follow the tracks and, within a track, the voices.
  for (int i = 0; i < count; ++i) {
    int part = 0;
    for (int j = 0; j < count; ++j)
      part += best[j].track < best[i].track || (best[j].track == best[i].track && best[j].voice < best[i].voice);
    s.voices[best[i].track].part[best[i].voice] = static_cast<int8_t>(part);
    ActivateTrack(s, s.tracks[best[i].track]);
  }
}

void ActivateTrack(ConversionState& s, TrackInfo& track) {
  if (track.active) return;
  track.active = 1;
  if (track.endTick > s.maxEndTick) s.maxEndTick = track.endTick;
  if (track.maxVolume > s.maxVolume) s.maxVolume = track.maxVolume;
  if (track.isRhythm && track.maxVolume > s.rhythmVolume) s.rhythmVolume = track.maxVolume;
}

int32_t KeptDrumKey(int32_t key) { return DrumMacro(key) >= 0 ? key : MacroKey(FamilyMacro(key)); }
