#!/usr/bin/env python3
"""Plays raw mono s16le audio into a FIFO microphone in real time, then silence until killed or --max-seconds.

Paced in 20 ms chunks against absolute times from the start, so a late wake-up is made up by the next chunk instead
of drifting. Silence after the data keeps the microphone delivering while the recorder finishes its last buffers;
PulseAudio stops reading the FIFO once nobody records, so the caller must kill this feeder when capture is done
(a writer blocked on a full pipe would otherwise hang).
"""
import argparse
import os
import sys
import time


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("fifo")
    ap.add_argument("raw", help="mono signed 16-bit little-endian samples")
    ap.add_argument("--rate", type=int, required=True)
    ap.add_argument("--max-seconds", type=float, default=120.0,
                    help="stop after this long even if nobody kills the feeder")
    a = ap.parse_args()

    with open(a.raw, "rb") as f:
        data = f.read()
    chunk_samples = a.rate // 50
    chunk_bytes = chunk_samples * 2
    silence = bytes(chunk_bytes)
    limit_chunks = int(a.max_seconds * 50)

    fd = os.open(a.fifo, os.O_WRONLY)
    t0 = time.monotonic()
    try:
        for i in range(limit_chunks):
            off = i * chunk_bytes
            block = data[off:off + chunk_bytes] if off < len(data) else silence
            if len(block) < chunk_bytes:
                block += bytes(chunk_bytes - len(block))
            os.write(fd, block)
            delay = t0 + (i + 1) * chunk_samples / a.rate - time.monotonic()
            if delay > 0:
                time.sleep(delay)
    except BrokenPipeError:
        print("feed_fifo: the microphone went away", file=sys.stderr)
        return 1
    finally:
        os.close(fd)
    return 0


if __name__ == "__main__":
    sys.exit(main())
