// SongMerge: the note events of several tracks in one stream in time order,
// for the pass that gives a part the notes of more than one track. Each
// track is read through a TrackCursor of its own; a heap keeps the tracks in
// the order of their next note event.
#pragma once

#include <cstdint>

#include "converter/conversion_state.h"
#include "converter/track_cursor.h"

// What a merged event is: a note event of a track (note-on or note-off), or
// the end of a track's data (at the tick of its last event).
enum MergedKind { kMergedEvent, kMergedTrackEnd };

struct MergedEvent {
  int kind;
  int32_t track;  // index of the track in the file, from 0
  int32_t tick;
  TrackEvent ev;  // for kMergedEvent
};

class SongMerge {
 public:
  SongMerge() = default;
  ~SongMerge() { Release(); }
  SongMerge(const SongMerge&) = delete;
  SongMerge& operator=(const SongMerge&) = delete;

  // Finds the chunks of the tracks whose entry in the track table is active,
  // from the first track's chunk at firstTrackPos, and reads the first note
  // event of each. Returns 1; 0 when a chunk header is not "MTrk" or a
  // track's data is damaged; -1 when the memory cannot be had.
  int Open(ConversionState& s, uint16_t trackCount, int64_t firstTrackPos);

  // The next event: the earliest tick first, then the lower track, then the
  // order of the track's own events. Returns 1; 0 when every track has ended;
  // -1 when a track's data is damaged.
  int Next(MergedEvent* out);

 private:
  // A cursor's next event, read ahead.
  struct Head {
    int32_t track;
    int kind;
    TrackEvent ev;
  };
  // Reads the cursor's next note event into its head and sets its key;
  // returns 0 when the data is damaged.
  int Load(int32_t cursor, uint64_t* key);
  void SiftDown(int at);
  void SiftUp(int at);
  void Release();

  CPVFile* source_ = nullptr;
  void* block_ = nullptr;  // the cursors, heads, heap and buffers, in one block
  TrackCursor* cursors_ = nullptr;
  Head* heads_ = nullptr;
  // The heap: a cursor's next tick above its index, so that one comparison
  // orders by tick and then by track (cursors go in track order).
  uint64_t* heap_ = nullptr;
  int32_t count_ = 0;
};
