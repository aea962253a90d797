#include "converter/song_merge.h"

#include <new>

#include "support/os.h"

namespace {

const uint32_t kChunkMTrk = 0x6B72544D;  // "MTrk" read as a little-endian dword
// The buffers of all cursors together stay near this, each between the two
// bounds: a song of many tracks reads each in smaller blocks.
const uint32_t kAllBuffers = 1u << 20;
const uint32_t kLargestBuffer = 8192;
const uint32_t kSmallestBuffer = 64;

}  // namespace

int SongMerge::Open(ConversionState& s, uint16_t trackCount, int64_t firstTrackPos) {
  Release();
  source_ = &s.sourceFile;
  int32_t taking = 0;
  for (int i = 0; i < trackCount; ++i) taking += s.tracks[i].active != 0;
  if (taking == 0) return 1;
  uint32_t bufferSize = kAllBuffers / static_cast<uint32_t>(taking);
  if (bufferSize > kLargestBuffer) bufferSize = kLargestBuffer;
  if (bufferSize < kSmallestBuffer) bufferSize = kSmallestBuffer;
  const uint64_t each = sizeof(TrackCursor) + sizeof(Head) + bufferSize;
  if (each * static_cast<uint64_t>(taking) > 0x7FFFFFFFu) return -1;
  block_ = PVOs()->allocBlock(static_cast<uint32_t>(each * static_cast<uint64_t>(taking)));
  if (!block_) return -1;
  cursors_ = static_cast<TrackCursor*>(block_);
  heap_ = reinterpret_cast<Head*>(cursors_ + taking);
  uint8_t* buffers = reinterpret_cast<uint8_t*>(heap_ + taking);

  CPVFile& in = s.sourceFile;
  in.Seek(firstTrackPos, 0);
  for (int i = 0; i < trackCount; ++i) {
    if (in.ReadDword(0) != kChunkMTrk) return 0;
    const int32_t bytes = static_cast<int32_t>(in.ReadDword(1));
    const int64_t start = in.Tell();
    if (bytes > 0) in.Seek(bytes, 1);
    if (!s.tracks[i].active) continue;
    TrackCursor* cursor = new (&cursors_[count_]) TrackCursor();
    cursor->Start(start, bytes, buffers + static_cast<uint64_t>(count_) * bufferSize, bufferSize);
    heap_[count_] = Head{0, i, count_, kMergedEvent, TrackEvent{}};
    ++count_;
  }
  // The cursors move the source: their first events are read once every
  // chunk has been found.
  for (int c = 0; c < count_; ++c) {
    if (!Load(&heap_[c])) return 0;
    SiftUp(c);
  }
  return 1;
}

int SongMerge::Load(Head* head) {
  TrackCursor& cursor = cursors_[head->cursor];
  const int read = cursor.Next(*source_, &head->ev);
  if (read < 0) return 0;
  head->kind = read ? kMergedEvent : kMergedTrackEnd;
  head->tick = cursor.Tick();
  return 1;
}

int SongMerge::Next(MergedEvent* out) {
  while (count_ > 0) {
    Head& top = heap_[0];
    *out = MergedEvent{top.kind, top.track, top.tick, top.ev};
    if (top.kind == kMergedTrackEnd) {
      heap_[0] = heap_[--count_];
    } else if (!Load(&top)) {
      return -1;
    }
    SiftDown(0);
    return 1;
  }
  return 0;
}

void SongMerge::SiftUp(int at) {
  while (at > 0) {
    const int parent = (at - 1) / 2;
    if (!Before(heap_[at], heap_[parent])) return;
    const Head held = heap_[at];
    heap_[at] = heap_[parent];
    heap_[parent] = held;
    at = parent;
  }
}

void SongMerge::SiftDown(int at) {
  for (;;) {
    int first = at;
    const int left = 2 * at + 1;
    if (left < count_ && Before(heap_[left], heap_[first])) first = left;
    if (left + 1 < count_ && Before(heap_[left + 1], heap_[first])) first = left + 1;
    if (first == at) return;
    const Head held = heap_[at];
    heap_[at] = heap_[first];
    heap_[first] = held;
    at = first;
  }
}

void SongMerge::Release() {
  if (block_) PVOs()->freeBlock(block_);
  block_ = nullptr;
  cursors_ = nullptr;
  heap_ = nullptr;
  count_ = 0;
}
