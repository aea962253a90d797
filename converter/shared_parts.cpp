#include "converter/shared_parts.h"

#include "converter/change_walk.h"
#include "converter/conversion_watch.h"
#include "converter/keep_notes.h"
#include "converter/length_count.h"
#include "converter/messages.h"
#include "converter/part_pool.h"
#include "converter/part_writer.h"
#include "converter/rhythm_kit.h"
#include "converter/song_merge.h"

void PlanSharedParts(ConversionState& s, uint16_t trackCount, int rhythmRanked, int ranked) {
  bool melodic = false;
  bool rhythm = false;
  for (int i = 0; i < trackCount; ++i) {
    if (!s.voices[i].hasNotes) continue;
    if (s.tracks[i].isRhythm) rhythm = true;
    else melodic = true;
  }
  SharedPlan& plan = s.shared;
  plan = SharedPlan();
  plan.on = 1;
  plan.rhythmParts = rhythmRanked;
  // Parts the ranking left free go to the melodic pool, or to the rhythm
  // pool in a song of drums alone.
  const int free = kMaxParts - ranked;
  if (melodic) plan.melodicParts = ranked - rhythmRanked + free;
  else plan.rhythmParts += free;
  if (!rhythm) plan.rhythmParts = 0;
  for (int p = 0; p < kMaxParts; ++p) plan.parts[p].firstTrack = -1;
  for (int i = 0; i < trackCount; ++i) {
    TrackInfo& track = s.tracks[i];
    const int parts = track.isRhythm ? plan.rhythmParts : plan.melodicParts;
    if (s.voices[i].hasNotes && parts != 0) ActivateTrack(s, track);
  }
}

namespace {

enum { kMelodicPool = 0, kRhythmPool = 1 };

// The part of the plan that a pool's part is.
int PlanPart(const SharedPlan& plan, int pool, int part) {
  return pool == kMelodicPool ? part : plan.melodicParts + part;
}

// The pool a part of the plan belongs to, and its part there.
int PoolOf(const SharedPlan& plan, int p, int* part) {
  const bool melodic = p < plan.melodicParts;
  *part = melodic ? p : p - plan.melodicParts;
  return melodic ? kMelodicPool : kRhythmPool;
}

// The tempo and meter ticks after 0 in order, without repeats: where a
// merged pass stops even when no track has an event there.
class MapTicks {
 public:
  explicit MapTicks(const ConversionState& s) {
    for (int i = 0; i < s.tempoCount; ++i) Add(s.tempos[i].tick);
    for (int i = 0; i < s.meterCount; ++i) Add(s.meters[i].tick);
  }
  int32_t Next() const { return next_ < count_ ? ticks_[next_] : INT32_MAX; }
  void Take() { ++next_; }

 private:
  void Add(int32_t tick) {
    if (tick <= 0) return;
    int at = count_;
    for (int i = 0; i < count_; ++i)
      if (ticks_[i] == tick) return;
    for (; at > 0 && ticks_[at - 1] > tick; --at) ticks_[at] = ticks_[at - 1];
    ticks_[at] = tick;
    ++count_;
  }
  int32_t ticks_[2 * kMapCapacity];
  int count_ = 0;
  int next_ = 0;
};

// Whether the rest before a note of a shared part that starts at tick is
// written: a gap of less than half the shortest piece would still be
// written as that piece and carry the part past the note's start (a part
// takes turns of several tracks, whose notes seldom meet end to start), so
// the note takes that time instead.
bool RestsBefore(const ConversionState& s, int32_t writtenTick, int32_t tick) {
  return static_cast<int64_t>(tick) - writtenTick >= s.lengthTicks[5] / 2;
}

// Where a note of a shared part that ends at tick is written up to: a note
// the part's written time has just passed (by less than half the shortest
// piece) still gets the shortest piece, where it would get no length; one
// passed by more gets none, so that a run of such notes cannot carry the
// part ever further ahead.
int32_t WrittenEnd(const ConversionState& s, int32_t writtenTick, int32_t tick) {
  if (tick > writtenTick || static_cast<int64_t>(writtenTick) - tick >= s.lengthTicks[5] / 2) return tick;
  return writtenTick == INT32_MAX ? tick : writtenTick + 1;
}

// Hands a pool's placements to the pass's visitor, with the pool's name.
template <class Visitor>
struct PoolSink {
  Visitor& v;
  int pool;
  void On(int part, int32_t track, int32_t key, int channel, int32_t tick) {
    v.On(pool, part, track, key, channel, tick);
  }
  void Off(int part, int32_t tick) { v.Off(pool, part, tick); }
  void Unended(int part) { v.Unended(pool, part); }
  void Lost(int32_t track, int32_t key, int channel, int32_t tick) { v.Lost(pool, track, key, channel, tick); }
};

// Reads the song as one stream and hands every note to its pool; the
// visitor hears of each placement and of every tick the clock stops at
// (Step, after the notes of the tick before were placed), the tempo and
// meter ticks up to the song's end among them. The notes of a pool the
// visitor does not want are not placed. Returns 1, or 0 when the
// data cannot be read, the memory cannot be had or the visitor stopped.
template <class Visitor>
int WalkSharedSong(ConversionState& s, MessageLog& log, uint16_t trackCount, Visitor& v) {
  SongMerge merge;
  const int opened = merge.Open(s, trackCount, s.sourceFile.Tell());
  if (opened < 0) log.AddLog(msg::kNoMemory, 1);
  if (opened == 0) TrackDataDamaged(log);
  if (opened != 1) return 0;
  PartPool pools[2] = {PartPool(s.shared.melodicParts), PartPool(s.shared.rhythmParts)};
  PoolSink<Visitor> sinks[2] = {{v, kMelodicPool}, {v, kRhythmPool}};
  MapTicks maps(s);
  int32_t now = 0;
  auto stepTo = [&](int32_t tick) {
    pools[0].Flush(sinks[0]);
    pools[1].Flush(sinks[1]);
    now = tick;
    v.Step(tick);
  };
  for (;;) {
    MergedEvent e;
    const int read = merge.Next(&e);
    if (read < 0) return TrackDataDamaged(log);
    if (read == 0) break;
    for (; maps.Next() <= e.tick; maps.Take())
      if (maps.Next() > now) stepTo(maps.Next());
    if (e.tick > now) stepTo(e.tick);
    const int pool = s.tracks[e.track].isRhythm ? kRhythmPool : kMelodicPool;
    if (!v.Wants(pool)) continue;
    if (e.kind == kMergedTrackEnd) {
      pools[pool].EndTrack(e.track, sinks[pool]);
      continue;
    }
    const int kind = e.ev.status >> 4;
    const int key = e.ev.data[0];
    if (kind == 0x8 || (kind == 0x9 && e.ev.data[1] == 0)) {
      pools[pool].Off(e.track, key, e.tick, sinks[pool]);
    } else if (kind == 0x9) {
      const int channel = e.ev.status & 0x0F;
      if (pool == kMelodicPool && !IsWritableKey(s.tracks[e.track], key)) v.Range(e.track, key, channel, e.tick);
      else if (!pools[pool].On(e.track, key, channel, e.tick, sinks[pool])) v.Lost(pool, e.track, key, channel, e.tick);
    }
    if (v.Stopped()) return 0;
  }
  pools[0].Flush(sinks[0]);
  pools[1].Flush(sinks[1]);
  for (; maps.Next() < s.maxEndTick; maps.Take())
    if (maps.Next() > now) stepTo(maps.Next());
  return !v.Stopped();
}

// The length pass's visitor: each part's count, volume and tracks.
struct SharedLengths {
  ConversionState& s;
  LengthCount* counts;  // by part of the plan
  int64_t volumes[kMaxParts] = {};
  int32_t notes[kMaxParts] = {};
  int32_t lost = 0;  // notes that found every part starting a note

  void On(int pool, int part, int32_t track, int32_t, int, int32_t tick) {
    const int p = PlanPart(s.shared, pool, part);
    if (RestsBefore(s, counts[p].WrittenTick(), tick)) counts[p].CloseAt(tick);
    volumes[p] += s.tracks[track].maxVolume;
    ++notes[p];
    SharedPart& plan = s.shared.parts[p];
    if (plan.firstTrack < 0 || track < plan.firstTrack) plan.firstTrack = track;
    if (track > plan.lastTrack) plan.lastTrack = track;
  }
  void Off(int pool, int part, int32_t tick) {
    LengthCount& count = counts[PlanPart(s.shared, pool, part)];
    count.CloseAt(WrittenEnd(s, count.WrittenTick(), tick));
  }
  bool Wants(int) const { return true; }
  void Unended(int, int) {}
  void Lost(int, int32_t, int32_t, int, int32_t) { ++lost; }
  void Range(int32_t, int32_t, int, int32_t) {}
  void Step(int32_t tick) {
    for (int p = 0; p < PartCount(); ++p) counts[p].AtTick(tick, 1);
  }
  bool Stopped() const {
    for (int p = 0; p < PartCount(); ++p)
      if (counts[p].StopReason() != kRunning) return true;
    return false;
  }
  int PartCount() const { return s.shared.melodicParts + s.shared.rhythmParts; }
};

}  // namespace

int RunSharedLengthPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division) {
  const uint32_t budget = s.pieceBudget;
  LengthCount counts[kMaxParts] = {
      LengthCount(s, division, s.meterCount, budget), LengthCount(s, division, s.meterCount, budget),
      LengthCount(s, division, s.meterCount, budget), LengthCount(s, division, s.meterCount, budget),
      LengthCount(s, division, s.meterCount, budget), LengthCount(s, division, s.meterCount, budget),
  };
  SharedLengths lengths{s, counts};
  const int read = WalkSharedSong(s, log, trackCount, lengths);
  uint64_t used = 0;
  const int parts = lengths.PartCount();
  for (int p = 0; p < parts; ++p) {
    if (counts[p].StopReason() != kRunning) s.stopReason = counts[p].StopReason();
    used += budget - counts[p].PiecesLeft();
  }
  if (!read || s.stopReason != kRunning) return 0;
  if (lengths.lost) log.AddLog(msg::kPartLimit, 1);
  if (used > budget) {
    s.stopReason = kTooManyPieces;
    return 0;
  }
  // Parts no note reached are not written: parts fill from each pool's
  // first, so they are the last of their pool, and a pool without them
  // places its notes as before.
  int inUse[2] = {0, 0};
  for (int p = 0; p < parts; ++p) {
    int part = 0;
    const int pool = PoolOf(s.shared, p, &part);
    if (lengths.notes[p]) inUse[pool] = part + 1;
  }
  if (inUse[0] + inUse[1] == 0) inUse[s.shared.melodicParts ? kMelodicPool : kRhythmPool] = 1;
  int kept = 0;
  for (int p = 0; p < parts; ++p) {
    int part = 0;
    const int pool = PoolOf(s.shared, p, &part);
    if (part >= inUse[pool]) continue;
    s.shared.parts[kept] = s.shared.parts[p];
    lengths.notes[kept] = lengths.notes[p];
    lengths.volumes[kept] = lengths.volumes[p];
    counts[kept++] = counts[p];
  }
  s.shared.melodicParts = inUse[kMelodicPool];
  s.shared.rhythmParts = inUse[kRhythmPool];
  for (int p = 0; p < kept; ++p) {
    SharedPart& part = s.shared.parts[p];
    part.rhythm = p >= s.shared.melodicParts;
    part.lengthIndex = static_cast<int8_t>(counts[p].Choose());
    part.volume = lengths.notes[p] ? static_cast<int32_t>(lengths.volumes[p] / lengths.notes[p]) : 1;
    if (part.firstTrack < 0) part.firstTrack = part.lastTrack = 0;
  }
  s.maxEndTick = CommonEnd(counts, kept, RoundUpToGrid(s.maxEndTick, s.lengthTicks[5]));
  return 1;
}

namespace {

// The emission of one shared part: its pool's placements into this part are
// written; the pool's notes that no part plays (and melodic keys no part can
// write) are told to the watch by the pool's first part.
struct SharedNotes {
  ConversionState& s;
  PartWriter& out;
  ConversionWatch* watch;
  int pool;
  int part;
  bool writesTempo;
  bool tellsLosses[2];  // by pool: this part tells of the pool's lost notes
  int32_t division;
  ChangeWalk<TempoMap> tempos;
  ChangeWalk<MeterMap> meters;
  int curNote = -1;
  int32_t curTrack = 0;
  int32_t noteStart = 0;

  // Writes the sounding note up to writeTo; it sounds up to end.
  void WriteNote(int32_t writeTo, int32_t end, bool last) {
    const int32_t from = out.WrittenTick();
    out.Note(curNote, writeTo);
    if (!watch) return;
    watch->NoteTrack(curTrack);
    watch->NoteWritten(curNote, noteStart, end, from, out.WrittenTick(), last);
  }
  void On(int onPool, int onPart, int32_t track, int32_t key, int channel, int32_t tick) {
    if (onPool != pool || onPart != part) return;
    if (watch) {
      watch->NoteTrack(track);
      watch->SourceNote(channel);
    }
    if (pool == kRhythmPool && DrumMacro(key) < 0) {
      if (watch) watch->Substituted(tick, key, FamilyMacro(key));
      key = KeptDrumKey(key);
    }
    if (RestsBefore(s, out.WrittenTick(), tick)) out.Rest(tick);
    curNote = key;
    curTrack = track;
    noteStart = tick;
  }
  void Off(int offPool, int offPart, int32_t tick) {
    if (offPool != pool || offPart != part || curNote == -1) return;
    WriteNote(WrittenEnd(s, out.WrittenTick(), tick), tick, true);
    curNote = -1;
  }
  void Unended(int endPool, int endPart) {
    if (endPool != pool || endPart != part || curNote == -1) return;
    if (watch) {
      watch->NoteTrack(curTrack);
      watch->NoteUnended(curNote, noteStart);
    }
    curNote = -1;
  }
  void Lost(int lostPool, int32_t track, int32_t, int, int32_t tick) {
    if (tellsLosses[lostPool] && watch) watch->VoiceDropped(track, -1, tick, 1);
  }
  void Range(int32_t track, int32_t key, int channel, int32_t tick) {
    if (!s.shared.melodicParts) return Lost(kMelodicPool, track, key, channel, tick);
    if (pool != kMelodicPool || !tellsLosses[kMelodicPool] || !watch) return;
    watch->NoteTrack(track);
    watch->SourceNote(channel);
    watch->Dropped(tick, key, kLossRange);
  }
  void Step(int32_t tick) {
    if (writesTempo) {
      if (const TempoMap* tempo = tempos.At(tick)) WriteTempoChange(s, out, *tempo);
    }
    if (const MeterMap* m = meters.At(tick)) {
      out.SetMeasure(MeasureTicks(division, m->numerator, m->denominator));
      if (curNote != -1) WriteNote(tick, tick, false);
      else out.Rest(tick);
    }
  }
  bool Wants(int of) const { return of == pool || tellsLosses[of]; }
  bool Stopped() const { return out.StopReason() != kRunning; }
};

int WriteSharedPart(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division, int p,
                    int64_t firstTrackPos) {
  const SharedPart& plan = s.shared.parts[p];
  TrackInfo info = TrackInfo();
  info.active = 1;
  info.isRhythm = plan.rhythm;
  info.maxVolume = plan.volume;
  info.lengthIndex = plan.lengthIndex;
  s.curPart = p;
  s.curTrack = plan.firstTrack;
  if (s.watch) s.watch->StartPart(s, plan.firstTrack, p, info.isRhythm, -1, s.targetFile.Tell());
  WritePartHeader(s, info, static_cast<char>('A' + p));
  StartPartBody(s, division);
  SpareToken spare;
  PartWriter out(s, info, spare);
  int part = 0;
  const int pool = PoolOf(s.shared, p, &part);
  // A pool's first part tells of its lost notes; the song's first part of
  // those of a pool that has no part.
  const bool tellsMelodic = pool == kMelodicPool ? part == 0 : p == 0 && s.shared.melodicParts == 0;
  const bool tellsRhythm = pool == kRhythmPool ? part == 0 : p == 0 && s.shared.rhythmParts == 0;
  SharedNotes notes{s,        out,  s.watch, pool, part, p == 0, {tellsMelodic, tellsRhythm}, division,
                    ChangeWalk<TempoMap>(s.tempos, s.tempoCount), ChangeWalk<MeterMap>(s.meters, s.meterCount)};
  s.sourceFile.Seek(firstTrackPos, 0);
  if (!WalkSharedSong(s, log, trackCount, notes)) return 0;
  if (s.watch && notes.curNote != -1) {
    s.watch->NoteTrack(notes.curTrack);
    s.watch->NoteUnended(notes.curNote, notes.noteStart);
  }
  return FinishPartBody(s, out);
}

}  // namespace

int WriteSharedParts(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division) {
  s.piecesLeft = s.pieceBudget;
  const int64_t firstTrackPos = s.sourceFile.Tell();
  const int parts = s.shared.melodicParts + s.shared.rhythmParts;
  for (int p = 0; p < parts; ++p)
    if (!WriteSharedPart(s, log, trackCount, division, p, firstTrackPos)) return 0;
  return 1;
}
