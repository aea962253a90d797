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
  const uint64_t each = sizeof(TrackCursor) + sizeof(Head) + sizeof(uint64_t) + bufferSize;
  if (each * static_cast<uint64_t>(taking) > 0x7FFFFFFFu) return -1;
  block_ = PVOs()->allocBlock(static_cast<uint32_t>(each * static_cast<uint64_t>(taking)));
  if (!block_) return -1;
  // The widest alignment first: the heap's keys, then the cursors (their
  // positions are 64-bit too), the heads, the bytes.
  heap_ = static_cast<uint64_t*>(block_);
  cursors_ = reinterpret_cast<TrackCursor*>(heap_ + taking);
  heads_ = reinterpret_cast<Head*>(cursors_ + taking);
  uint8_t* buffers = reinterpret_cast<uint8_t*>(heads_ + taking);

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
    heads_[count_].track = i;
    ++count_;
  }
  // The cursors move the source: their first events are read once every
  // chunk has been found.
  for (int c = 0; c < count_; ++c) {
    if (!Load(c, &heap_[c])) return 0;
    SiftUp(c);
  }
  return 1;
}

int SongMerge::Load(int32_t cursor, uint64_t* key) {
  TrackCursor& reader = cursors_[cursor];
  Head& head = heads_[cursor];
  int read = 0;
  do {
    read = reader.Next(*source_, &head.ev);
  } while (read > 0 && (head.ev.status >> 4) != 0x8 && (head.ev.status >> 4) != 0x9);
  if (read < 0) return 0;
  head.kind = read ? kMergedEvent : kMergedTrackEnd;
  *key = static_cast<uint64_t>(reader.Tick()) << 32 | static_cast<uint32_t>(cursor);
  return 1;
}

int SongMerge::Next(MergedEvent* out) {
  if (count_ == 0) return 0;
  const uint64_t top = heap_[0];
  const int32_t cursor = static_cast<int32_t>(top & 0xFFFFFFFFu);
  const Head& head = heads_[cursor];
  *out = MergedEvent{head.kind, head.track, static_cast<int32_t>(top >> 32), head.ev};
  if (head.kind == kMergedTrackEnd) {
    heap_[0] = heap_[--count_];
  } else if (!Load(cursor, &heap_[0])) {
    return -1;
  }
  SiftDown(0);
  return 1;
}

void SongMerge::SiftUp(int at) {
  while (at > 0) {
    const int parent = (at - 1) / 2;
    if (heap_[at] >= heap_[parent]) return;
    const uint64_t held = heap_[at];
    heap_[at] = heap_[parent];
    heap_[parent] = held;
    at = parent;
  }
}

void SongMerge::SiftDown(int at) {
  for (;;) {
    int first = at;
    const int left = 2 * at + 1;
    if (left < count_ && heap_[left] < heap_[first]) first = left;
    if (left + 1 < count_ && heap_[left + 1] < heap_[first]) first = left + 1;
    if (first == at) return;
    const uint64_t held = heap_[at];
    heap_[at] = heap_[first];
    heap_[first] = held;
    at = first;
  }
}

void SongMerge::Release() {
  if (block_) PVOs()->freeBlock(block_);
  block_ = nullptr;
  cursors_ = nullptr;
  heads_ = nullptr;
  heap_ = nullptr;
  count_ = 0;
}
