#!/usr/bin/env python3
"""The fault soak's driver (scripts/soak.sh starts it on a virtual X display).

Runs the real program against the simulated radio with the link open, puts the
simulator's faults on the line in turn and keeps clicking panel keys. Fails when
the program crashes, a click puts no frame on the line within a second while
the link is up, the transmitter is keyed at the end, or the program's memory
grows by more than SOAK_MAX_GROWTH_MB after the first minute (a third of the run
for runs shorter than three minutes). Prints the figures.

usage: soak.py BUILD_DIR SECONDS
"""

import datetime
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

# The keys the soak clicks, one a line: name, x and y on the panel picture, the
# command byte (hex) of the first frame the click must put on the line ("-":
# none of its own: it opens a list that the next line clicks, or stops the scan
# that the line before started), and the number of clicks (2 for a double
# click). A key that works is added with one line here.
KEYS = """
cm160m   464  38  05
cm80m    500  38  05
cm40m    536  38  05
cm30m    464  60  05
cm20m    500  60  05
cm17m    536  60  05
cm15m    464  82  05
cm12m    500  82  05
cm10m    536  82  05
cm6m     500 102  05
cm2m     536 102  05
cmVFO    571 103  07
cmVFO    571 103  07  2
cmStep   572 124  -
cmbStep  573 150  10
cmSSB    270 233  06
cmRTTY   312 233  06
cmFM     354 233  06
cmStep   572 124  -
cmbStep  573 124  10
cmNR     109 151  16
cmNotch  147 151  16
cmNB     315 264  16
cmMonitor 387 264 16
LCDComp  226 156  16
LCDAGC   282 144  16
LCDDUP   345 144  0F
cmSplit  571  81  0F
VFOUpClick   548 255  05
VFOUpClick   548 255  -
VFODownClick 490 255  05
VFODownClick 490 255  -
"""
POWER = (64, 48)
EXIT = (671, 23)

# The faults in turn. Frequencies for the flood lie inside the band rows of
# the settings file, so the flood itself raises no band-limit message.
FAULTS = ["garbage", "corrupt", "drop", "split", "late", "foreign", "silent", "flood", "unplug", "kill"]
FLOOD_HZ = [7050000, 14074000, 21074000, 28074000, 50110000]

ANSWER_WITHIN = 1.0       # a click's frame must be on the line by then
PUSH_FRAMES = 15          # frames of the power key's state push
MAX_GROWTH_MB = float(os.environ.get("SOAK_MAX_GROWTH_MB", "5"))


def keys():
    out = []
    for line in KEYS.strip().splitlines():
        f = line.split()
        out.append({"name": f[0], "x": int(f[1]), "y": int(f[2]),
                    "expect": None if f[3] == "-" else int(f[3], 16),
                    "clicks": int(f[4]) if len(f) > 4 else 1})
    return out


def xdo(*args, check=True):
    r = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if check and r.returncode != 0:
        raise RuntimeError("xdotool %s: %s" % (" ".join(map(str, args)), r.stderr.strip()))
    return r.stdout.strip()


class SimLog:
    """The simulator's log of received frames, read as it grows."""

    def __init__(self, path):
        self.path = path
        self.offset = 0
        self.frames = []  # (epoch seconds, bytes)

    def poll(self):
        if not os.path.exists(self.path):
            return
        with open(self.path, "rb") as f:
            f.seek(self.offset)
            data = f.read()
        end = data.rfind(b"\n") + 1
        self.offset += end
        for line in data[:end].decode("ascii", "replace").splitlines():
            parts = line.split(" ", 2)
            if len(parts) < 3:
                continue
            try:
                t = datetime.datetime.strptime(parts[0] + " " + parts[1], "%Y-%m-%d %H:%M:%S.%fZ")
                t = t.replace(tzinfo=datetime.timezone.utc).timestamp()
                frame = bytes.fromhex(parts[2])
            except ValueError:
                continue
            self.frames.append((t, frame))

    def since(self, t0):
        self.poll()
        return [f for t, f in self.frames if t >= t0]


class Simulator:
    def __init__(self, binary, link, log):
        self.binary, self.link, self.log = binary, link, log
        self.proc = None
        self.lock = threading.Lock()
        self.start()

    def start(self):
        self.proc = subprocess.Popen([self.binary, "--link", self.link, "--log", self.log],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, bufsize=1)
        self.proc.stdout.readline()  # the device path

    def control(self, command):
        with self.lock:
            if self.proc.poll() is not None:
                return "dead"
            self.proc.stdin.write(command + "\n")
            self.proc.stdin.flush()
            return self.proc.stdout.readline().strip()

    def kill(self):
        self.proc.kill()
        self.proc.wait()

    def stop(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write("quit\n")
                self.proc.stdin.flush()
                self.proc.wait(5)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()


class Program:
    def __init__(self, folder, env):
        self.proc = subprocess.Popen([os.path.join(folder, "quelm")], cwd=folder, env=env,
                                     stdout=subprocess.DEVNULL, stderr=open(os.path.join(folder, "quelm.err"), "w"))
        self.window = None
        deadline = time.time() + 20
        while time.time() < deadline and not self.window:
            ids = self.windows()
            if ids:
                self.window = ids[0]
            else:
                time.sleep(0.2)
        if not self.window:
            raise RuntimeError("the program's window did not appear")
        self.ticks0 = self.cpu_ticks()
        self.t0 = time.time()

    def alive(self):
        return self.proc.poll() is None

    def windows(self):
        out = xdo("search", "--onlyvisible", "--pid", self.proc.pid, "--name", "^Quelm$", check=False)
        return out.split() if out else []

    def dialogs(self):
        return [w for w in self.windows() if w != self.window]

    def dismiss_dialogs(self):
        """Closes every message box with its default button; returns how many were open."""
        shown = self.dialogs()
        for w in shown:
            xdo("windowfocus", "--sync", w, check=False)
            xdo("key", "--window", w, "Return", check=False)
            xdo("key", "Return", check=False)
        if shown:
            time.sleep(0.3)
        return len(shown)

    def click(self, x, y, clicks=1):
        xdo("mousemove", "--window", self.window, x, y)
        xdo("click", "--repeat", clicks, "--delay", 80, "1")

    def rss_mb(self):
        with open("/proc/%d/status" % self.proc.pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) / 1024.0
        return 0.0

    def cpu_ticks(self):
        with open("/proc/%d/stat" % self.proc.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])

    def cpu_percent(self):
        return 100.0 * (self.cpu_ticks() - self.ticks0) / os.sysconf("SC_CLK_TCK") / (time.time() - self.t0)


class Soak:
    def __init__(self, build, seconds):
        self.seconds = seconds
        self.work = tempfile.mkdtemp(prefix="quelm-soak-")
        shutil.copy(os.path.join(build, "bin", "quelm"), self.work)
        link = os.path.join(self.work, "ic746")
        here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        with open(os.path.join(here, "quelm.ini")) as src, open(os.path.join(self.work, "quelm.ini"), "w") as dst:
            for line in src:
                dst.write("port %s\n" % link if line.startswith("port ") else line)
        self.log = SimLog(os.path.join(self.work, "sim.log"))
        self.sim = Simulator(os.path.join(build, "bin", "quelm-sim"), link, self.log.path)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(self.work, "config"), HOME=self.work,
                   QT_QPA_PLATFORM="xcb")
        self.program = Program(self.work, env)
        self.link_up = False
        self.figures = {"clicks": 0, "answered": 0, "unanswered": 0, "blocked by a message": 0,
                        "not counted (link down)": 0, "messages dismissed": 0, "link openings": 0}
        self.failures = []
        self.rss = []  # (seconds into the run, MB)

    # ---- the link

    def open_link(self):
        """Presses the power key and waits for the push to be on the line."""
        for _ in range(3):
            t0 = time.time()
            self.program.click(*POWER)
            deadline = t0 + 6
            while time.time() < deadline:
                if len(self.log.since(t0)) >= PUSH_FRAMES:
                    time.sleep(0.3)  # the push's last pause and drain
                    self.figures["messages dismissed"] += self.program.dismiss_dialogs()
                    self.link_up = True
                    self.figures["link openings"] += 1
                    return
                if self.program.dialogs():
                    self.figures["messages dismissed"] += self.program.dismiss_dialogs()
                time.sleep(0.05)
        self.failures.append("the power key did not open the link")

    def link_lost(self):
        """After a pulled cable: the program's message, dismissed; the link is down."""
        self.link_up = False
        deadline = time.time() + 5
        while time.time() < deadline and not self.program.dialogs():
            time.sleep(0.05)
        self.figures["messages dismissed"] += self.program.dismiss_dialogs()

    # ---- clicks

    def click(self, key):
        if self.program.dialogs():
            self.figures["messages dismissed"] += self.program.dismiss_dialogs()
        t0 = time.time()
        self.program.click(key["x"], key["y"], key["clicks"])
        if key["expect"] is None:
            time.sleep(0.3)
            return
        counted = self.link_up
        self.figures["clicks"] += 1
        deadline = t0 + ANSWER_WITHIN
        while True:
            if any(len(f) > 4 and f[4] == key["expect"] for f in self.log.since(t0)):
                if counted:
                    self.figures["answered"] += 1
                else:
                    self.figures["not counted (link down)"] += 1
                break
            if time.time() > deadline:
                if not counted:
                    self.figures["not counted (link down)"] += 1
                elif self.program.dialogs():
                    self.figures["blocked by a message"] += 1
                else:
                    self.figures["unanswered"] += 1
                    self.failures.append("%s at %.1f s: no %02X frame within %.1f s"
                                         % (key["name"], t0 - self.start, key["expect"], ANSWER_WITHIN))
                break
            time.sleep(0.02)
        time.sleep(0.5)  # the key's own pauses and read-back end before the next click

    # ---- faults

    def fault(self, name, stop):
        """Puts one fault on the line until `stop` is set (runs on a thread)."""
        sim = self.sim
        if name == "silent":
            sim.control("silent on")
            stop.wait()
            sim.control("silent off")
        elif name == "flood":
            while not stop.is_set():
                sim.control("dial %d" % random.choice(FLOOD_HZ))
        elif name in ("unplug", "kill"):
            return  # done by the main loop: the program's message and the reopening
        else:
            while not stop.wait(0.4):
                sim.control(name if name != "corrupt" and name != "drop" else "%s %d" % (name, random.randint(0, 30)))

    def pull(self, name):
        if name == "unplug":
            self.sim.control("unplug")
            self.link_lost()
            time.sleep(0.5)
            self.sim.control("plug")
        else:
            self.sim.kill()
            self.link_lost()
            time.sleep(0.5)
            self.sim.start()
        self.open_link()

    # ---- the run

    def sample(self):
        self.rss.append((time.time() - self.start, self.program.rss_mb()))

    def run(self):
        self.start = time.time()
        self.open_link()
        self.sample()
        order = keys()
        k = 0
        phase_len = max(self.seconds / len(FAULTS), 3.0)
        phase = 0
        # Every fault gets its turn at least once, however short the run.
        while (phase < len(FAULTS) or time.time() - self.start < self.seconds) and self.program.alive():
            name = FAULTS[phase % len(FAULTS)]
            phase += 1
            stop = threading.Event()
            worker = threading.Thread(target=self.fault, args=(name, stop))
            worker.start()
            if name in ("unplug", "kill"):
                self.pull(name)
            phase_end = time.time() + phase_len
            while time.time() < phase_end and self.program.alive():
                self.click(order[k % len(order)])
                k += 1
                self.sample()
            stop.set()
            worker.join()
        self.sample()
        return self.finish()

    def finish(self):
        crashed = not self.program.alive()
        if crashed:
            self.failures.append("the program ended during the soak (exit %s)" % self.program.proc.returncode)
        status = self.sim.control("status")
        if ", TX," in status or not status.startswith("ok"):
            self.failures.append("the transmitter is keyed at the end: " + status)
        cpu = self.program.cpu_percent() if not crashed else float("nan")
        first = min(60.0, self.seconds / 3.0)
        base = next((mb for t, mb in self.rss if t >= first), self.rss[-1][1])
        end = self.rss[-1][1]
        if end - base > MAX_GROWTH_MB:
            self.failures.append("memory grew by %.1f MB after %.0f s (limit %.0f MB)"
                                 % (end - base, first, MAX_GROWTH_MB))
        if not crashed:
            self.program.dismiss_dialogs()
            self.program.click(*EXIT)
            try:
                self.program.proc.wait(15)
            except subprocess.TimeoutExpired:
                self.failures.append("the program did not end on its exit key")
                self.program.proc.kill()
        self.sim.stop()

        f = self.figures
        print("soak: %.0f s, faults in turn: %s" % (time.time() - self.start, ", ".join(FAULTS)))
        print("soak: clicks %d, answered within %.1f s %d, unanswered %d, blocked by a message %d, "
              "not counted while the link was down %d"
              % (f["clicks"], ANSWER_WITHIN, f["answered"], f["unanswered"], f["blocked by a message"],
                 f["not counted (link down)"]))
        print("soak: link openings %d, messages dismissed %d, frames on the line %d"
              % (f["link openings"], f["messages dismissed"], len(self.log.frames)))
        print("soak: CPU %.1f %%, memory at start %.1f MB, after %.0f s %.1f MB, at the end %.1f MB, peak %.1f MB"
              % (cpu, self.rss[0][1], first, base, end, max(mb for _, mb in self.rss)))
        print("soak: simulator at the end: " + status)
        for problem in self.failures:
            print("soak: FAILED: " + problem)
        if not self.failures:
            print("soak: passed")
        else:
            err = os.path.join(self.work, "quelm.err")
            if os.path.exists(err):
                sys.stdout.write(open(err).read()[-3000:])
        shutil.rmtree(self.work, ignore_errors=True)
        return 0 if not self.failures else 1


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    random.seed(746)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    return Soak(sys.argv[1], float(sys.argv[2])).run()


if __name__ == "__main__":
    sys.exit(main())
