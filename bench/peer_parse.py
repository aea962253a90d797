"""The peer: Debian's python3-mido parsing a Standard MIDI File.

    python3 peer_parse.py FILE.mid

Times the parse alone (mido.MidiFile over the whole file, every track read
into message objects), after the interpreter and the module have started.
Prints the seconds and the number of messages.
"""
import sys
import time

import mido


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: peer_parse.py FILE.mid")
    start = time.perf_counter()
    song = mido.MidiFile(sys.argv[1])
    seconds = time.perf_counter() - start
    messages = sum(len(track) for track in song.tracks)
    print("%.6f seconds %d messages" % (seconds, messages))


if __name__ == "__main__":
    main()
