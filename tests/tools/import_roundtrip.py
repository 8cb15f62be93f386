#!/usr/bin/python3
"""Logs of tools nobody here wrote, imported and replayed.

Import: python-can writes ASC, BLF and candump logs of the same frames (CAN data and remote
frames on three channels, CAN FD and error frames); can-utils asc2log turns the ASC log into a
candump log and log2asc the candump log into an ASC log. `zvdconv --import` reads each into a
data file; its CSV conversion must list the frames of channels 1 and 2 (the log's first two)
with their identifiers, types, DLCs, data and times (to the millisecond the list shows), its
candump export the same times to the 0.2 ms step; what a data file cannot hold is counted.

Replay: zvsim replays a candump, an ASC and a BLF log written by python-can; an upload of the
capture memory and a monitor run, each exported by zvdconv, begin with the log's frames at its
relative times exactly.

usage: import_roundtrip.py ZVDCONV ZVSIM ZVREMOTE WORKDIR   (exit 0 when all match)
"""
import csv
import io
import os
import random
import socket
import subprocess
import sys
import time

import can

START_EPOCH = 1709280000  # 2024-03-01 08:00:00 UTC
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, text=True, **kw)


def messages(n, seed, step_choices):
    rnd = random.Random(seed)
    t = float(START_EPOCH)
    out = []
    for i in range(n):
        t += rnd.choice(step_choices)
        channel = 2 if i % 50 == 7 else rnd.choice([0, 1])
        ext = rnd.random() < 0.3
        ident = rnd.randrange(0x20000000 if ext else 0x800)
        if i % 40 == 3:
            out.append(can.Message(timestamp=t, arbitration_id=ident, is_extended_id=ext, is_fd=True,
                                   data=bytes(rnd.randrange(256) for _ in range(12)), channel=channel))
        elif i % 60 == 5:
            out.append(can.Message(timestamp=t, is_error_frame=True, channel=channel))
        elif rnd.random() < 0.1:
            out.append(can.Message(timestamp=t, arbitration_id=ident, is_extended_id=ext, is_remote_frame=True,
                                   dlc=rnd.randrange(9), channel=channel))
        else:
            out.append(can.Message(timestamp=t, arbitration_id=ident, is_extended_id=ext, channel=channel,
                                   data=bytes(rnd.randrange(256) for _ in range(rnd.randrange(9)))))
    return out


def write_logs(msgs, stem):
    for ext, writer in (("asc", can.ASCWriter), ("blf", can.BLFWriter), ("log", can.CanutilsLogWriter)):
        w = writer(f"{stem}.{ext}")
        for m in msgs:
            w.on_message_received(m)
        w.stop()


def classic(msgs):
    """The frames a data file holds: classic CAN frames of the log's first two channels."""
    return [m for m in msgs if not m.is_fd and not m.is_error_frame and m.channel in (0, 1)]


def frame_key(channel, ident, ext, remote, dlc, data):
    return (channel, ident, ext, remote, dlc, bytes(data))


def key_of(m, remote_dlc=True):
    """remote_dlc False: the log lost the DLC of remote frames (python-can's candump writer
    writes "#R" alone)."""
    dlc = m.dlc if remote_dlc or not m.is_remote_frame else 0
    return frame_key(m.channel + 1, m.arbitration_id, m.is_extended_id, m.is_remote_frame, dlc,
                     b"" if m.is_remote_frame else m.data)


def step(seconds):
    """A time to the nearest 0.2 ms step."""
    return round(seconds / 0.0002) * 0.0002


def csv_frames(zvdconv, data_file):
    """The rows of the CSV conversion: the frame and its stamp in milliseconds within the hour."""
    text = run([zvdconv, "--csv", data_file, "-o", "-"]).stdout
    rows = []
    for row in csv.DictReader(io.StringIO(text)):
        ident = row["ID"]
        data = bytes(int(row[f"D{i}"], 16) for i in range(8) if row[f"D{i}"])
        minutes, seconds = row["TM"].split(":")
        ms = int(minutes) * 60000 + round(float(seconds) * 1000)
        remote = row["TYPE"] == "REMOTE"
        rows.append((frame_key(int(row["CH"]), int(ident, 16), len(ident) == 8, remote, int(row["DLC"]), data), ms))
    return rows


def relative(times):
    return [t - times[0] for t in times]


def check_import(zvdconv, log, msgs, what, leftout, remote_dlc=True):
    out = os.path.splitext(log)[0] + ".DT"
    result = subprocess.run([zvdconv, "--import", log, "-o", out], capture_output=True, text=True)
    if not check(result.returncode == 0, f"{what}: zvdconv --import exit {result.returncode}: {result.stderr}"):
        return
    for words in leftout:
        check(words in result.stderr, f"{what}: standard error lacks '{words}': {result.stderr}")
    want = classic(msgs)
    rows = csv_frames(zvdconv, out)
    if not check(len(rows) == len(want), f"{what}: {len(rows)} rows, expected {len(want)}"):
        return
    for i, ((key, _), m) in enumerate(zip(rows, want)):
        if not check(key == key_of(m, remote_dlc), f"{what}: row {i} is {key}, expected {key_of(m, remote_dlc)}"):
            return
    # The list shows milliseconds (cut, not rounded): within 1.2 ms of the log's times.
    hour = 3600000
    shown, wraps, last = [], 0, None
    for _, ms in rows:
        if last is not None and ms < last:
            wraps += hour
        last = ms
        shown.append(ms + wraps)
    for i, (g, m) in enumerate(zip(relative(shown), relative([m.timestamp for m in want]))):
        if not check(abs(g / 1000 - m) <= 0.0012, f"{what}: row {i} at {g} ms, expected {m * 1000:.3f} ms"):
            return
    # The 0.2 ms steps, through our candump export.
    exported = os.path.splitext(log)[0] + ".export.log"
    run([zvdconv, "--format", "candump", out, "-o", exported])
    got = [m.timestamp for m in can.CanutilsLogReader(exported)]
    for i, (g, m) in enumerate(zip(relative(got), relative([m.timestamp for m in want]))):
        # Each time is rounded to the nearest step: at most 0.1 ms away (and the float error of
        # python-can's absolute times).
        if not check(abs(g - m) <= 0.0001 + 1e-6, f"{what}: frame {i} at {g:.6f} s, expected {m:.6f} s"):
            return


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def exported_frames(zvdconv, data_file):
    exported = data_file + ".log"
    run([zvdconv, "--format", "candump", data_file, "-o", exported])
    return list(can.CanutilsLogReader(exported))


def check_replay_prefix(got, want, what, remote_dlc):
    if not check(len(got) >= len(want), f"{what}: {len(got)} frames, expected at least {len(want)}"):
        return
    got = got[:len(want)]
    for i, (g, m) in enumerate(zip(got, want)):
        gk = frame_key(int(g.channel[-1]) + 1, g.arbitration_id, g.is_extended_id, g.is_remote_frame, g.dlc,
                       b"" if g.is_remote_frame else g.data)
        mk = key_of(m, remote_dlc)
        if not check(gk == mk, f"{what}: frame {i} is {gk}, expected {mk}"):
            return
    for i, (g, m) in enumerate(zip(relative([g.timestamp for g in got]), relative([m.timestamp for m in want]))):
        # The log's times are steps of 0.2 ms, written by python-can with the float error of
        # its absolute times: the replay must give exactly the steps.
        if not check(abs(g - step(m)) < 1e-6, f"{what}: frame {i} at {g:.6f} s, expected {step(m):.6f} s"):
            return


def check_replay(zvdconv, zvsim, zvremote, log, msgs, work, monitor):
    data, control = free_port(), free_port()
    name = os.path.basename(log)
    sim = subprocess.Popen([zvsim, "--data-port", str(data), "--control-port", str(control), "--replay", log],
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    lan = ["--lan", f"127.0.0.1:{data}:{control}"]
    try:
        for _ in range(100):
            if subprocess.run([zvremote] + lan + ["info"], capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        want = classic(msgs)
        run([zvremote] + lan + ["start"])
        time.sleep(1.0)
        run([zvremote] + lan + ["stop"])
        upload = os.path.join(work, f"replay-{name}.DT")
        run([zvremote] + lan + ["upload", "-o", upload])
        remote_dlc = not log.endswith(".log")
        check_replay_prefix(exported_frames(zvdconv, upload), want, f"replay of {name}, upload", remote_dlc)
        if monitor:
            folder = os.path.join(work, f"monitor-{name}")
            run([zvremote] + lan + ["monitor", "--seconds", "1", "--dir", folder])
            check_replay_prefix(exported_frames(zvdconv, os.path.join(folder, "00000000.DT")), want,
                                f"replay of {name}, monitor", remote_dlc)
    except subprocess.CalledProcessError as e:
        check(False, f"replay of {name}: {' '.join(e.cmd)} failed: {e.stderr}")
    finally:
        sim.terminate()
        sim.wait(10)


def main():
    zvdconv, zvsim, zvremote, work = sys.argv[1:5]
    msgs = messages(3000, 16, [0.0002, 0.001, 0.0013, 0.000123, 0.05, 1.7, 0.0000004])
    stem = os.path.join(work, "py")
    write_logs(msgs, stem)
    run(["asc2log", "-I", f"{stem}.asc", "-O", os.path.join(work, "asc2log.log")])
    run(["log2asc", "-I", f"{stem}.log", "-O", os.path.join(work, "log2asc.asc"), "can0", "can1"])
    fd = sum(1 for m in msgs if m.is_fd and m.channel in (0, 1))
    errors = sum(1 for m in msgs if m.is_error_frame and m.channel in (0, 1))
    third = sum(1 for m in msgs if m.channel == 2)
    everything = [f"{third} frames of log channel 3 left out", f"{fd} CAN FD frames left out",
                  f"{errors} error frames left out"]
    check_import(zvdconv, f"{stem}.asc", msgs, "python-can ASC", everything)
    check_import(zvdconv, f"{stem}.blf", msgs, "python-can BLF", everything)
    check_import(zvdconv, f"{stem}.log", msgs, "python-can candump", everything, remote_dlc=False)
    check_import(zvdconv, os.path.join(work, "asc2log.log"), msgs, "can-utils asc2log", [])
    # log2asc was given can0 and can1 only: the frames of can2 are not in its log.
    check_import(zvdconv, os.path.join(work, "log2asc.asc"), [m for m in msgs if m.channel != 2], "can-utils log2asc", [],
                 remote_dlc=False)

    # Replay: 1 ms and 0.2 ms steps, half a second of frames.
    replay = [m for m in messages(400, 7, [0.0002, 0.001, 0.0006, 0.002]) if not m.is_fd and not m.is_error_frame]
    for m in replay:
        m.channel = m.channel % 2
    rstem = os.path.join(work, "replay")
    write_logs(replay, rstem)
    for ext in ("log", "asc", "blf"):
        check_replay(zvdconv, zvsim, zvremote, f"{rstem}.{ext}", replay, work, monitor=ext == "log")

    for failure in failures[:20]:
        print("FAILED:", failure)
    print(f"{len(classic(msgs))} frames imported from 5 logs of python-can and can-utils; "
          f"{len(replay)} frames replayed from 3 logs")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
