"""Runs the benchmark that scripts/bench sets up and prints one table.

    run_bench.py --build BUILD_DIR --dir SCRATCH_DIR [--peer-max-mb N]

For each size (1, 16 and 128 MB, MB = 2^20 bytes) it generates a song with
trelvio-bench-gen, then times on a warm page cache:
  - trelvio-cli -q -o OUT SONG, end to end (process start to exit), and its
    peak resident memory in a separate run under /usr/bin/time;
  - trelvio-bench-floor SONG, the least work a reader must do;
the cli and the floor run in turn (RUNS times for each size) and each
reported time is the fastest of its runs: the work is the same every time,
and the load of a shared machine only ever adds to it (a single timing here
can be a third over, and more on the short runs);
  - the peer, Debian's python3-mido, parsing the song (its parse alone); on
    songs above --peer-max-mb the peer's time is scaled from the largest song
    it parsed, since it holds every message as an object and would need
    gigabytes.
The event counts of the generator, the floor and the peer must agree.
On the 16 MB song it also times trelvio-cli with --report, with --check and
with --keep-notes (also on a 16 MB song of chords, whose parts are shared),
each taking turns with the plain conversion, against the same targets of
speed and a memory budget of its own.
"""
import argparse
import os
import subprocess
import sys
import time

SIZES_MB = (1, 16, 128)
MB = 1 << 20
RUNS = {1: 15, 16: 15, 128: 9}

# Targets of the speed and memory budget.
MIN_MB_PER_S_AT_16 = 100.0
SCALING_TOLERANCE = 0.15
MAX_RSS_MB = 8.0
MIN_PEER_RATIO = 100.0
MAX_FLOOR_RATIO = 4.0
MAX_WATCHED_RSS_MB = 16.0
# The options of the rows that convert the 16 MB song with a report or a check.
# The last also on the song of chords, whose eleven voices share the parts.
WATCHED = (("--report", ["--report", "{dir}/report.txt"]), ("--check", ["--check"]),
           ("--keep-notes", ["--keep-notes"]), ("--keep-notes, chords", ["--keep-notes"]))


def run(argv, scratch):
    """Runs argv; returns (wall seconds, stdout).

    The child writes its output to a file, so that nothing but the child
    runs between the two clock readings.
    """
    out_path = os.path.join(scratch, "stdout.txt")
    with open(out_path, "wb") as out, open(os.devnull, "wb") as sink:
        actions = [(os.POSIX_SPAWN_DUP2, out.fileno(), 1),
                   (os.POSIX_SPAWN_DUP2, sink.fileno(), 2)]
        start = time.perf_counter()
        pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=actions)
        _, status = os.waitpid(pid, 0)
        seconds = time.perf_counter() - start
    with open(out_path) as out:
        text = out.read()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("bench: %s failed" % " ".join(argv))
    return seconds, text


def peak_rss_mb(argv, scratch):
    """Runs argv once more under /usr/bin/time and returns its peak resident
    set size in MB. (A child started from this interpreter would report the
    interpreter's own pages as its peak.)"""
    report = os.path.join(scratch, "time.txt")
    run(["/usr/bin/time", "-f", "%M", "-o", report] + argv, scratch)
    with open(report) as f:
        return int(f.read().split()[-1]) / 1024.0


def warm(path):
    with open(path, "rb") as f:
        while f.read(1 << 20):
            pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--peer-max-mb", type=int, default=16)
    args = parser.parse_args()
    cli = os.path.join(args.build, "cli", "trelvio-cli")
    gen = os.path.join(args.build, "bench", "trelvio-bench-gen")
    floor = os.path.join(args.build, "bench", "trelvio-bench-floor")
    peer = [sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                         "peer_parse.py")]

    # All songs first, written out to the disk, so that no writing back of
    # a song's pages runs while another is timed.
    songs = []
    for size in SIZES_MB:
        song = os.path.join(args.dir, "song-%d.mid" % size)
        _, text = run([gen, str(size), song], args.dir)
        words = text.split()  # "N bytes M events"
        songs.append((size, song, int(words[0]), int(words[2])))
    os.sync()
    # One unmeasured run of each program loads it into the page cache, as
    # the songs are.
    run([cli, "-q", "-o", os.path.join(args.dir, "warm-up.mml"), songs[0][1]], args.dir)
    run([floor, songs[0][1]], args.dir)

    rows = []
    peer_rate = None  # seconds per byte of the largest song the peer parsed
    for size, song, nbytes, events in songs:
        warm(song)
        mml = os.path.join(args.dir, "song-%d.mml" % size)
        cli_argv = [cli, "-q", "-o", mml, song]
        cli_times, floor_times = [], []
        for _ in range(RUNS[size]):
            seconds, _ = run(cli_argv, args.dir)
            cli_times.append(seconds)
            seconds, text = run([floor, song], args.dir)
            floor_times.append(seconds)
            if int(text.split()[0]) != events:
                sys.exit("bench: the floor counts %s events in %s, the generator %d"
                         % (text.split()[0], song, events))
        cli_s, floor_s = min(cli_times), min(floor_times)
        cli_rss = peak_rss_mb(cli_argv, args.dir)
        if size <= args.peer_max_mb:
            _, text = run(peer + [song], args.dir)
            words = text.split()  # "S seconds M messages"
            peer_s, messages = float(words[0]), int(words[2])
            if messages != events:
                sys.exit("bench: the peer counts %d messages in %s, the generator %d"
                         % (messages, song, events))
            peer_rate = peer_s / nbytes
            peer_scaled = False
        else:
            peer_s, peer_scaled = peer_rate * nbytes, True
        rows.append(dict(size=size, bytes=nbytes, events=events, cli=cli_s, rss=cli_rss,
                         floor=floor_s, peer=peer_s, scaled=peer_scaled,
                         mml=os.path.getsize(mml)))

    print("trelvio-cli (native Release) on generated songs: 16 tracks, six with notes (one on")
    print("channel 10), running status, a tempo map and meter changes on bar lines.")
    print("Times are wall clock, each the fastest of %s runs of trelvio-cli and the floor"
          % "/".join(str(RUNS[s]) for s in SIZES_MB))
    print("taken in turn; programs and songs in the page cache; MB = 2^20 bytes.")
    print()
    head = ("size", "events", "MML out", "cli time", "MB/s", "Mevents/s", "peak RSS",
            "floor", "cli/floor", "peer parse", "cli x peer")
    print("| " + " | ".join(head) + " |")
    print("|" + "|".join("---:" for _ in head) + "|")
    for r in rows:
        mb = r["bytes"] / MB
        cells = ("%d MB" % r["size"], "{:,}".format(r["events"]), "%.1f MB" % (r["mml"] / MB),
                 "%.3f s" % r["cli"], "%.0f" % (mb / r["cli"]), "%.1f" % (r["events"] / r["cli"] / 1e6),
                 "%.1f MB" % r["rss"], "%.3f s" % r["floor"], "%.1f" % (r["cli"] / r["floor"]),
                 ("~%.0f s" if r["scaled"] else "%.2f s") % r["peer"],
                 ("~%.0f" if r["scaled"] else "%.0f") % (r["peer"] / r["cli"]))
        print("| " + " | ".join(cells) + " |")
    if any(r["scaled"] for r in rows):
        print()
        print("~ peer time scaled by size from the %d MB song (the peer keeps every message in"
              % max(r["size"] for r in rows if not r["scaled"]))
        print("  memory; it is not run on the larger songs).")

    # The report and the check on the 16 MB song, in turns with the plain run.
    size, plain_song, nbytes, _ = songs[SIZES_MB.index(16)]
    chords = os.path.join(args.dir, "chords-16.mid")
    chord_bytes = int(run([gen, "16", chords, "chords"], args.dir)[1].split()[0])
    warm(chords)
    mml = os.path.join(args.dir, "watched.mml")
    watched = []
    for name, extra in WATCHED:
        song = chords if name.endswith("chords") else plain_song
        argv = [cli, "-q"] + [a.format(dir=args.dir) for a in extra] + ["-o", mml, song]
        times, plain = [], []
        for _ in range(RUNS[size]):
            times.append(run(argv, args.dir)[0])
            plain.append(run([cli, "-q", "-o", mml, song], args.dir)[0])
        size_bytes = chord_bytes if song == chords else nbytes
        watched.append((name, min(times), min(plain), peak_rss_mb(argv, args.dir), size_bytes))
    print()
    print("The 16 MB song with a report or a check, each the fastest of %d runs taken in"
          % RUNS[size])
    print("turns with the plain conversion:")
    print()
    print("| option | cli time | MB/s | peak RSS | plain time | x plain |")
    print("|---|---:|---:|---:|---:|---:|")
    for name, seconds, plain_s, rss, size_bytes in watched:
        print("| %s | %.3f s | %.0f | %.1f MB | %.3f s | %.2f |"
              % (name, seconds, size_bytes / MB / seconds, rss, plain_s, seconds / plain_s))

    by_size = {r["size"]: r for r in rows}
    mb_per_s_16 = by_size[16]["bytes"] / MB / by_size[16]["cli"]
    scaling = by_size[128]["cli"] / (8 * by_size[16]["cli"])
    worst_rss = max(r["rss"] for r in rows)
    worst_peer = min(r["peer"] / r["cli"] for r in rows)
    worst_floor = max(r["cli"] / r["floor"] for r in rows)
    checks = (
        ("16 MB end to end >= %.0f MB/s" % MIN_MB_PER_S_AT_16, "%.0f MB/s" % mb_per_s_16,
         mb_per_s_16 >= MIN_MB_PER_S_AT_16),
        ("128 MB time within 15% of 8 x 16 MB", "%.2f x" % scaling,
         abs(scaling - 1) <= SCALING_TOLERANCE),
        ("peak RSS <= %.0f MB at every size" % MAX_RSS_MB, "%.1f MB" % worst_rss,
         worst_rss <= MAX_RSS_MB),
        ("at least %.0f x the peer" % MIN_PEER_RATIO, "%.0f x" % worst_peer,
         worst_peer >= MIN_PEER_RATIO),
        ("within %.0f x the floor" % MAX_FLOOR_RATIO, "%.1f x" % worst_floor,
         worst_floor <= MAX_FLOOR_RATIO),
    )
    for name, seconds, _, rss, size_bytes in watched:
        rate = size_bytes / MB / seconds
        checks += (("16 MB with %s >= %.0f MB/s" % (name, MIN_MB_PER_S_AT_16), "%.0f MB/s" % rate,
                    rate >= MIN_MB_PER_S_AT_16),
                   ("16 MB with %s: peak RSS <= %.0f MB" % (name, MAX_WATCHED_RSS_MB),
                    "%.1f MB" % rss, rss <= MAX_WATCHED_RSS_MB))
    print()
    for name, value, met in checks:
        print("%-40s %-10s %s" % (name, value, "met" if met else "NOT MET"))


if __name__ == "__main__":
    main()
