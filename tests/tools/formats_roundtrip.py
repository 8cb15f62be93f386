#!/usr/bin/python3
"""The export formats read back by tools nobody here wrote.

Builds a data file from literal records (CAN frames on both channels, LIN frames clean,
error-marked, without response and incomplete, markers, trigger marks, hour wraps, and a few
thousand generated frames), exports it with zvdconv in every format, and checks:
  - python-can reads the ASC, BLF and candump logs back with the same channels, identifiers,
    flags, DLCs, data and relative times (to the 0.2 ms step), and the absolute start;
  - can-utils log2asc reads the candump log, and python-can reads its ASC with the same frames;
  - tshark reads the pcapng with the same frame count, interfaces, identifiers and times.

usage: formats_roundtrip.py ZVDCONV WORKDIR   (run with TZ=UTC; exit 0 when all match)
"""
import os
import random
import struct
import subprocess
import sys

import can

START = "2024-03-01 08:00:00"
START_EPOCH = 1709280000  # the same instant in UTC
STEP = 0.0002

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def stamp(minutes, seconds, hundredths, fraction):
    return minutes << 24 | seconds << 16 | hundredths << 8 | fraction


def record(source, stamp_, byte_count=0, frame_info=0, identifier=0, data=b"", lines=0, status=0):
    data = bytes(data) + bytes(10 - len(data))
    return struct.pack("<BBHIhbBI10shhh", source, lines, status, stamp_, 0, byte_count, frame_info, identifier,
                       data, 0, 0, 0)


def can_rec(source, t, ident, data=b"", extended=False, remote=False, dlc=None, lines=0):
    dlc = len(data) if dlc is None else dlc
    word = ident if extended else ident << 18
    fi = (0x80 if extended else 0) | (0x40 if remote else 0) | dlc
    return record(source, t, 0 if remote else len(data), fi, word, data, lines)


def lin_rec(source, t, pid, data, checksum=True, status=0, byte_count=None, lines=0):
    body = bytes(data)
    if checksum:
        s = pid
        for b in body:
            s += b
            s = s - 255 if s > 255 else s
        body += bytes([~s & 0xFF])
    n = len(body) if byte_count is None else byte_count
    return record(source, t, n, 0 if checksum else 1, 0x55 << 24 | 0x55 << 16 | pid << 8, body, lines, status)


def fixed_records():
    return [
        can_rec(1, stamp(59, 58, 0, 0), 0x7FF, b"\x12\x34", lines=0x80),   # trigger mark
        can_rec(2, stamp(59, 59, 99, 49), 0x1ABCDEF0, bytes(range(1, 9)), extended=True),
        can_rec(1, stamp(0, 0, 0, 0), 0x123, remote=True, dlc=3),           # after the hour wraps
        lin_rec(4, stamp(0, 0, 1, 0), 0x50, b"\xA1\xA2"),
        lin_rec(4, stamp(0, 0, 2, 0), 0x50, b"\xA1\xA2", status=0x0004),     # data byte 0 marked
        lin_rec(4, stamp(0, 0, 3, 0), 0x50, b"", checksum=False, byte_count=-1),  # no response
        lin_rec(4, stamp(0, 0, 4, 0), 0x00, b"", checksum=False, byte_count=-2),  # no PID
        record(0x40, stamp(0, 0, 5, 0)),                                  # overrun marker
        record(0x41, 0),                                                  # lost data, made on the PC
        can_rec(2, stamp(0, 0, 6, 0), 0x000, b""),
        can_rec(1, stamp(0, 1, 0, 25), 0x00000001, b"\xFF" * 8, extended=True),
        can_rec(2, stamp(0, 1, 0, 30), 0x7E8, remote=True, dlc=0),
    ]


def generated_records(n):
    rnd = random.Random(16)
    out = []
    t = stamp(0, 2, 0, 0)
    ticks = ((t >> 24) * 60 + ((t >> 16) & 0xFF)) * 5000
    for i in range(n):
        ticks += rnd.choice([1, 2, 5, 50, 500, 5000, 600000]) if i % 700 else 15_000_000  # wraps now and then
        ticks %= 18_000_000
        t = stamp(ticks // 300000, ticks // 5000 % 60, ticks // 50 % 100, ticks % 50)
        kind = rnd.randrange(10)
        if kind < 6:
            ext = rnd.random() < 0.3
            ident = rnd.randrange(0x20000000 if ext else 0x800)
            if rnd.random() < 0.1:
                out.append(can_rec(rnd.choice([1, 2]), t, ident, extended=ext, remote=True, dlc=rnd.randrange(9)))
            else:
                data = bytes(rnd.randrange(256) for _ in range(rnd.randrange(9)))
                out.append(can_rec(rnd.choice([1, 2]), t, ident, data, extended=ext, lines=0x80 if i % 97 == 0 else 0))
        else:
            pid = rnd.randrange(256)
            out.append(lin_rec(rnd.choice([3, 4]), t, pid, bytes(rnd.randrange(256) for _ in range(rnd.randrange(1, 9)))))
    return out


def data_file(records):
    body = b"".join(records)
    return b"ZEVRONA DATA   \0" + b"MDCL" + struct.pack("<i", len(body)) + body


def expected(records):
    """The frames each format holds, with their monotonic times (seconds after the first record)."""
    events = []
    first = last = None
    hours = 0
    now = 0
    for r in records:
        source, _, _, ts, _, bc, fi, ident = struct.unpack_from("<BBHIhbBI", r)
        data = r[16:26]
        if source not in (0x40, 0x41):
            tick = ((ts >> 24) * 60 + ((ts >> 16) & 0xFF)) * 5000 + ((ts >> 8) & 0xFF) * 50 + (ts & 0xFF)
            if first is None:
                first = last = tick
            if tick < last:
                hours += 18_000_000
            last = tick
            now = max(now, hours + tick - first)
        if source in (1, 2):
            ext, remote = bool(fi & 0x80), bool(fi & 0x40)
            events.append(dict(kind="can", channel=source, t=now * STEP, extended=ext, remote=remote, dlc=fi & 15,
                               id=ident & 0x1FFFFFFF if ext else (ident >> 18) & 0x7FF,
                               data=b"" if remote else bytes(data[:max(0, min(bc, 8))])))
        elif source in (3, 4) and bc >= -1 and fi != 2:
            n = max(0, min(bc - 1 if fi == 0 else bc, 8))
            events.append(dict(kind="lin", channel=source - 2, t=now * STEP, id=(ident >> 8) & 0x3F,
                               data=bytes(data[:n])))
    return events


def same_times(got, want, what):
    for i, (g, w) in enumerate(zip(got, want)):
        if not check(abs((g - got[0]) - (w - want[0])) < STEP / 2, f"{what}: frame {i} at {g - got[0]:.6f} s, "
                                                                      f"expected {w - want[0]:.6f} s"):
            return


def compare_can(messages, frames, what, channel_of, dlc_is_count=False):
    if not check(len(messages) == len(frames), f"{what}: {len(messages)} frames, expected {len(frames)}"):
        return
    for i, (m, f) in enumerate(zip(messages, frames)):
        dlc = len(f["data"]) if dlc_is_count and not f["remote"] else f["dlc"]
        got = (m.channel, m.arbitration_id, m.is_extended_id, m.is_remote_frame, m.dlc,
               b"" if m.is_remote_frame else bytes(m.data))
        want = (channel_of(f["channel"]), f["id"], f["extended"], f["remote"], dlc, f["data"])
        if not check(got == want, f"{what}: frame {i} is {got}, expected {want}"):
            return
    same_times([m.timestamp for m in messages], [f["t"] for f in frames], what)


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, text=True, **kw)


def main():
    zvdconv, work = sys.argv[1], sys.argv[2]
    records = fixed_records() + generated_records(4000)
    path = os.path.join(work, "run.DT")
    with open(path, "wb") as f:
        f.write(data_file(records))
    frames = expected(records)
    can_frames = [f for f in frames if f["kind"] == "can"]
    lin_count = sum(1 for f in frames if f["kind"] == "lin")

    for fmt in ("asc", "blf", "candump", "pcapng"):
        run([zvdconv, "--format", fmt, "--start-time", START, path])

    # ASC: channels counted from 1 in the file, from 0 in python-can.
    asc = list(can.ASCReader(os.path.join(work, "run.asc")))
    compare_can(asc, can_frames, "python-can ASC", lambda c: c - 1)
    absolute = list(can.ASCReader(os.path.join(work, "run.asc"), relative_timestamp=False))
    check(absolute and abs(absolute[0].timestamp - START_EPOCH) < 1e-3, "ASC: the date line is not the start time")

    blf_reader = can.BLFReader(os.path.join(work, "run.blf"))
    check(abs(blf_reader.start_timestamp - START_EPOCH) < 1e-3, "BLF: the header's start is not the start time")
    blf = list(blf_reader)
    compare_can(blf, can_frames, "python-can BLF", lambda c: c - 1)

    candump = list(can.CanutilsLogReader(os.path.join(work, "run.log")))
    compare_can(candump, can_frames, "python-can candump", lambda c: f"can{c - 1}", dlc_is_count=True)
    check(candump and abs(candump[0].timestamp - START_EPOCH) < 1e-6, "candump: the first frame is not at the start")

    # can-utils: log2asc turns the candump log into an ASC log, read back by python-can.
    run(["log2asc", "-I", os.path.join(work, "run.log"), "-O", os.path.join(work, "log2asc.asc"), "can0", "can1"])
    converted = list(can.ASCReader(os.path.join(work, "log2asc.asc")))
    compare_can(converted, can_frames, "log2asc", lambda c: c - 1, dlc_is_count=True)

    # tshark: every CAN and LIN frame a packet, with its interface, identifier and time.
    fields = ["frame.interface_name", "frame.time_epoch", "can.id", "can.flags.xtd", "can.flags.rtr", "lin.frame_id"]
    out = run(["tshark", "-r", os.path.join(work, "run.pcapng"), "-T", "fields", "-E", "separator=|"] +
              sum((["-e", f] for f in fields), [])).stdout.splitlines()
    check(len(out) == len(can_frames) + lin_count, f"tshark: {len(out)} packets, expected {len(can_frames) + lin_count}")
    got, times = [], []
    for line in out:
        name, epoch, can_id, xtd, rtr, lin_id = line.split("|")
        times.append(float(epoch))
        if can_id:
            got.append(("can", name, int(can_id, 0), xtd in ("1", "True"), rtr in ("1", "True")))
        else:
            got.append(("lin", name, int(lin_id, 0)))
    want = [("can", f"CH{f['channel']} CAN", f["id"], f["extended"], f["remote"]) if f["kind"] == "can"
            else ("lin", f"CH{f['channel']} LIN", f["id"]) for f in frames]
    for i, (g, w) in enumerate(zip(got, want)):
        if not check(g == w, f"tshark: packet {i} is {g}, expected {w}"):
            break
    same_times(times, [f["t"] for f in frames], "tshark")
    check(times and abs(times[0] - START_EPOCH) < 1e-6, "pcapng: the first packet is not at the start")

    for failure in failures[:20]:
        print("FAILED:", failure)
    print(f"{len(can_frames)} CAN and {lin_count} LIN frames; ASC {len(asc)}, BLF {len(blf)}, candump {len(candump)}, "
          f"log2asc {len(converted)}, pcapng {len(out)} read back")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
