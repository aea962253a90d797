#include "converter/shared_parts.h"

#include "converter/keep_notes.h"
#include "converter/length_count.h"
#include "converter/messages.h"
#include "converter/mml_writer.h"
#include "converter/part_pool.h"
#include "converter/shared_part_events.h"
#include "converter/song_merge.h"
#include "support/record_queue.h"

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

using namespace shared_parts;

// The length pass's visitor of the pools: each part's count, volume and
// tracks, and its events queued.
struct SharedLengths {
  ConversionState& s;
  LengthCount* counts;  // by part of the plan
  PVRecordQueue* queues[kMaxParts] = {};
  int64_t volumes[kMaxParts] = {};
  int32_t notes[kMaxParts] = {};
  bool told[kMaxParts] = {};  // the part tells of losses
  int32_t lost = 0;           // notes that found every part starting a note
  int32_t now = 0;
  bool failed = false;        // a queue did not take an event

  void Put(int p, PartEventKind kind, int32_t track, int32_t key, int channel, int32_t tick) {
    const PartEvent e(tick, track, key, kind, channel);
    if (!queues[p]->Append(&e, sizeof e)) failed = true;
  }
  // The part that tells of a pool's losses: its first, or the other pool's
  // first when it has none.
  int Teller(int pool) const {
    const int parts = pool == kMelodicPool ? s.shared.melodicParts : s.shared.rhythmParts;
    return PlanPart(s.shared, parts ? pool : 1 - pool, 0);
  }
  void On(int pool, int part, int32_t track, int32_t key, int channel, int32_t tick) {
    const int p = PlanPart(s.shared, pool, part);
    if (RestsBefore(s, counts[p].WrittenTick(), tick)) counts[p].CloseAt(tick);
    volumes[p] += s.tracks[track].maxVolume;
    ++notes[p];
    SharedPart& plan = s.shared.parts[p];
    if (plan.firstTrack < 0 || track < plan.firstTrack) plan.firstTrack = track;
    if (track > plan.lastTrack) plan.lastTrack = track;
    Put(p, kEventOn, track, key, channel, tick);
  }
  void Off(int pool, int part, int32_t tick) {
    const int p = PlanPart(s.shared, pool, part);
    counts[p].CloseAt(WrittenEnd(s, counts[p].WrittenTick(), tick));
    Put(p, kEventOff, 0, 0, 0, tick);
  }
  void Unended(int pool, int part) { Put(PlanPart(s.shared, pool, part), kEventUnended, 0, 0, 0, now); }
  void Lost(int pool, int32_t track, int32_t key, int channel, int32_t tick) {
    ++lost;
    told[Teller(pool)] = true;
    Put(Teller(pool), kEventLost, track, key, channel, tick);
  }
  // A melodic key no part can write: a loss of the melodic pool's first part.
  void Range(int32_t track, int32_t key, int channel, int32_t tick) {
    if (!s.shared.melodicParts) return Lost(kMelodicPool, track, key, channel, tick);
    told[Teller(kMelodicPool)] = true;
    Put(Teller(kMelodicPool), kEventRange, track, key, channel, tick);
  }
  // The clock moves on to tick; a tempo or meter tick (onMap) may change
  // the measures the parts are cut in.
  void Step(int32_t tick, bool onMap) {
    now = tick;
    if (!onMap) return;
    for (int p = 0; p < PartCount(); ++p) counts[p].AtTick(tick, 1);
  }
  bool Stopped() const {
    for (int p = 0; p < PartCount(); ++p)
      if (counts[p].StopReason() != kRunning) return true;
    return failed;
  }
  int PartCount() const { return s.shared.melodicParts + s.shared.rhythmParts; }
};

// Hands a pool's placements to the length pass, with the pool's name.
struct PoolSink {
  SharedLengths& v;
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
// meter ticks up to the song's end among them. Limits are looked at when the
// clock moves: a count that has stopped takes no more time. Returns 1, or 0 when the
// data cannot be read, the memory cannot be had or the visitor stopped.
int WalkSharedSong(ConversionState& s, MessageLog& log, uint16_t trackCount, SharedLengths& v) {
  SongMerge merge;
  const int opened = merge.Open(s, trackCount, s.sourceFile.Tell());
  if (opened < 0) log.AddLog(msg::kNoMemory, 1);
  if (opened == 0) TrackDataDamaged(log);
  if (opened != 1) return 0;
  PartPool pools[2] = {PartPool(s.shared.melodicParts), PartPool(s.shared.rhythmParts)};
  PoolSink sinks[2] = {{v, kMelodicPool}, {v, kRhythmPool}};
  MapTicks maps(s);
  int32_t now = 0;
  auto stepTo = [&](int32_t tick, bool onMap) {
    pools[0].Flush(sinks[0]);
    pools[1].Flush(sinks[1]);
    now = tick;
    v.Step(tick, onMap);
    return !v.Stopped();
  };
  for (;;) {
    MergedEvent e;
    const int read = merge.Next(&e);
    if (read < 0) return TrackDataDamaged(log);
    if (read == 0) break;
    for (; maps.Next() <= e.tick; maps.Take())
      if (maps.Next() > now && !stepTo(maps.Next(), true)) return 0;
    if (e.tick > now && !stepTo(e.tick, false)) return 0;
    const int pool = s.tracks[e.track].isRhythm ? kRhythmPool : kMelodicPool;
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
  }
  pools[0].Flush(sinks[0]);
  pools[1].Flush(sinks[1]);
  // The meters after the last event shape the closing rests: the emission
  // pass steps through the same ones (stepEnd).
  s.shared.stepEnd = s.maxEndTick;
  for (; maps.Next() < s.shared.stepEnd; maps.Take())
    if (maps.Next() > now && !stepTo(maps.Next(), true)) return 0;
  return !v.Stopped();
}

}  // namespace

int RunSharedLengthPass(ConversionState& s, MessageLog& log, uint16_t trackCount, int32_t division) {
  const uint32_t budget = s.pieceBudget;
  LengthCount counts[kMaxParts] = {
      LengthCount(s, division, s.meterCount, budget), LengthCount(s, division, s.meterCount, budget),
      LengthCount(s, division, s.meterCount, budget), LengthCount(s, division, s.meterCount, budget),
      LengthCount(s, division, s.meterCount, budget), LengthCount(s, division, s.meterCount, budget),
  };
  SharedLengths lengths{s, counts};
  const int parts = lengths.PartCount();
  // A conversion without queues (or whose queue cannot be had) cannot keep
  // what it placed: the job that gave them tells why.
  for (int p = 0; p < parts; ++p) {
    lengths.queues[p] = s.partQueues ? s.partQueues->Queue(p) : nullptr;
    if (!lengths.queues[p]) return 0;
  }
  const int read = WalkSharedSong(s, log, trackCount, lengths);
  uint64_t used = 0;
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
  // Parts that neither play a note nor tell of a loss are not written: parts
  // fill from each pool's first, so they are the last of their pool.
  int inUse[2] = {0, 0};
  for (int p = 0; p < parts; ++p) {
    int part = 0;
    const int pool = PoolOf(s.shared, p, &part);
    if (lengths.notes[p] || lengths.told[p]) inUse[pool] = part + 1;
  }
  if (inUse[0] + inUse[1] == 0) inUse[s.shared.melodicParts ? kMelodicPool : kRhythmPool] = 1;
  int kept = 0;
  for (int p = 0; p < parts; ++p) {
    int part = 0;
    const int pool = PoolOf(s.shared, p, &part);
    if (part >= inUse[pool]) continue;
    s.shared.parts[kept] = s.shared.parts[p];
    s.shared.parts[kept].queue = static_cast<int8_t>(p);
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

