#!/usr/bin/env python3
"""The fault soak's driver (scripts/soak.sh starts it on a virtual X display).

Runs the real program against the simulated radio with the link open, clicks
every key of the table below once, then puts the simulator's faults on the line
in turn and keeps clicking. A private sound server with a null sink and source
(when pulseaudio is installed) lets the recorder record and play and the CQ
caller call; without one the CQ key is left out. The run ends with the transmit
key on and SIGTERM to the program. Fails when the program crashes, a click puts
no frame on the line within a second while the link is up, a key that opens a
window opens none, the menu key's panels cannot be told apart on the screen,
no CQ call is made though a sound server is there, the program does not end on
SIGTERM, the simulator is left transmitting, or the program's memory grows by
more than SOAK_MAX_GROWTH_MB after the first minute of the faults (a third of
them for runs shorter than three minutes). Prints the figures.

usage: soak.py BUILD_DIR SECONDS
"""

import ctypes
import datetime
import math
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import wave

# The keys the soak clicks, one a line: name, x and y on the panel picture, and
# what the click must bring: the command byte (hex) of the first frame it puts
# on the line, "-" for nothing to check (it opens a list that the next line
# clicks, or changes nothing on the line), or the title of a window it opens
# (closed again at once). Then, in any order: a number of clicks (2 for a
# double click, 0 for a pointer move without a click) and words:
#   rec / sat   the recorder keys / the satellite panel must show (the menu
#               key brings them, and the soak looks at the panel to know)
#   sound       only with a sound server
#   noflood     not while the transceive flood moves the radio across bands
#               (the memo pad lists the notes of the band the radio is in)
#   after=S     wait S seconds after the click
# A line that begins with "+" belongs to the group of the line above; a group
# runs whole, never cut by a fault's turn. A key that works is added with one
# line here.
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
+cmbStep 573 150  10
cmSSB    270 233  06
cmRTTY   312 233  06
cmFM     354 233  06
cmStep   572 124  -
+cmbStep 573 124  10
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
cmMPW    474 125  -   noflood
+cmMPR   526 123  -   noflood
+cmbBandStack 528 123 05 noflood
cmAF     126 200  -
+Slider1 330 147  14
+Image1   20 180  -   0
cmRFSQL  104 200  -
+Slider1 250 147  14
+Image1   20 180  -   0
cmNRLevel 126 98  -
+Slider1 380 147  14
+Image1   20 180  -   0
cmNotchLevel 104 98 -
+Slider1 300 147  14
+Image1   20 180  -   0
cmMicGain 135 262 -
+Slider1 270 147  14
+Image1   20 180  -   0
cmRFGain 171 264  -
+Slider1 350 147  14
+Image1   20 180  -   0
cmCHUp   279 264  -
cmCHDown 243 264  -
cmCWMem  351 264  1A
+Image1   20 180  -   0
cmSatSelect 227 128 - sat
+cmbSatellite 300 66 06 sat
cmRec    229 128  -   rec  after=1.0
+cmStop  317 128  -   rec
cmPlay   359 128  -   rec
+LCDWav  300 66   -   rec  after=0.2
+cmPause 272 128  -   rec
+cmStop  317 128  -   rec
cmCQ     398 128  -   rec  sound
+LCDWav  300 66   1C  rec  sound  after=0.3
+cmStop  317 128  1C  rec  sound
cmMEM    616  92  Memory
"""
MENU = (226, 233)
POWER = (64, 48)
TX = (64, 91)
# A bare spot of the panel picture: moving there hides the pop-up lists.
BARE = (20, 180)

# The faults in turn. Frequencies for the flood lie inside the band rows of
# the settings file, so the flood itself raises no band-limit message.
FAULTS = ["garbage", "corrupt", "drop", "split", "late", "foreign", "silent", "flood", "unplug", "kill"]
FLOOD_HZ = [7050000, 14074000, 21074000, 28074000, 50110000]

ANSWER_WITHIN = 1.0       # a click's frame must be on the line by then
PANEL_WITHIN = 5.0        # the menu key's next panel must show by then
PUSH_FRAMES = 16          # frames of the power key's state push
MAX_GROWTH_MB = float(os.environ.get("SOAK_MAX_GROWTH_MB", "5"))


def groups():
    """The key table as groups of keys, in order."""
    out = []
    for line in KEYS.strip().splitlines():
        joins = line.startswith("+")
        f = line.lstrip("+").split()
        key = {"name": f[0], "x": int(f[1]), "y": int(f[2]), "expect": None, "window": None,
               "clicks": 1, "panel": None, "sound": False, "noflood": False, "after": 0.0}
        if f[3] != "-":
            try:
                key["expect"] = int(f[3], 16)
            except ValueError:
                key["window"] = f[3]
        for word in f[4:]:
            if word.isdigit():
                key["clicks"] = int(word)
            elif word in ("rec", "sat"):
                key["panel"] = word
            elif word in ("sound", "noflood"):
                key[word] = True
            elif word.startswith("after="):
                key["after"] = float(word[len("after="):])
            else:
                raise ValueError("key table: %r in %r" % (word, line))
        if joins and out:
            out[-1].append(key)
        else:
            out.append([key])
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


class XClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("message", XClientMessage), ("pad", ctypes.c_long * 24)]


class X11:
    """What xdotool cannot do: ask a window to close as a window manager's
    close button does."""

    def __init__(self):
        self.lib = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.lib.XInternAtom.restype = ctypes.c_ulong
        self.lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.lib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
        self.lib.XFlush.argtypes = [ctypes.c_void_p]
        self.display = self.lib.XOpenDisplay(None)
        if not self.display:
            raise RuntimeError("no X display")

    def close_window(self, window):
        e = XEvent()
        e.message.type = 33  # ClientMessage
        e.message.window = int(window)
        e.message.message_type = self.lib.XInternAtom(self.display, b"WM_PROTOCOLS", 0)
        e.message.format = 32
        e.message.data[0] = self.lib.XInternAtom(self.display, b"WM_DELETE_WINDOW", 0)
        self.lib.XSendEvent(self.display, int(window), 0, 0, ctypes.byref(e))
        self.lib.XFlush(self.display)


def pixels(window, x, y, w, h):
    """The window's pixels in a rectangle, rows of (r, g, b); None if unreadable."""
    r = subprocess.run(["import", "-window", str(window), "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                        "-depth", "8", "rgb:-"], capture_output=True)
    if r.returncode != 0 or len(r.stdout) != w * h * 3:
        return None
    b = r.stdout
    return [[tuple(b[(row * w + col) * 3:(row * w + col) * 3 + 3]) for col in range(w)] for row in range(h)]


def ink(patch):
    """Which pixels of a patch differ from its commonest colour: the text on it."""
    counts = {}
    for row in patch:
        for px in row:
            counts[px] = counts.get(px, 0) + 1
    ground = max(counts, key=counts.get)
    return [max(abs(a - b) for a, b in zip(px, ground)) > 48 for row in patch for px in row]


class SoundServer:
    """A private PulseAudio with a null sink and a null source, in a runtime
    folder of its own, as the tests of the wave device start one."""

    def __init__(self):
        self.runtime = None
        self.keep_awake = None
        self.why = ""
        if not shutil.which("pulseaudio"):
            self.why = "pulseaudio is not installed"
            return
        self.runtime = tempfile.mkdtemp(prefix="quelm-soak-sound-")
        os.chmod(self.runtime, 0o700)
        env = self.env()
        del env["PULSE_SERVER"]
        r = subprocess.run(["pulseaudio", "-D", "-n", "--exit-idle-time=20", "--load=module-null-sink",
                            "--load=module-null-source", "--load=module-native-protocol-unix auth-anonymous=1"],
                           env=env, capture_output=True, text=True, timeout=30)
        # The daemon answers once it is up; the socket may still come a little
        # later on a loaded machine, and a sound server given up on too soon
        # would quietly leave the CQ key out.
        socket = os.path.join(self.runtime, "pulse", "native")
        deadline = time.time() + 30
        while r.returncode == 0 and not os.path.exists(socket) and time.time() < deadline:
            time.sleep(0.05)
        if r.returncode != 0 or not os.path.exists(socket):
            self.why = "pulseaudio did not start: " + (r.stdout + r.stderr).strip()[-300:]
            self.stop()
            return
        # A null sink left without a stream renders in two-second blocks; a quiet
        # low-latency stream keeps it running as a sound card does.
        if shutil.which("pacat"):
            self.keep_awake = subprocess.Popen(["pacat", "--playback", "--raw", "--latency-msec=10", "/dev/zero"],
                                               env=self.env(), stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL)
            time.sleep(0.3)

    def running(self):
        return self.runtime is not None and not self.why

    def env(self):
        return dict(os.environ, XDG_RUNTIME_DIR=self.runtime, XDG_CONFIG_HOME=os.path.join(self.runtime, "config"),
                    HOME=self.runtime, PULSE_SERVER="unix:" + os.path.join(self.runtime, "pulse", "native"))

    def stop(self):
        if self.keep_awake:
            self.keep_awake.terminate()
            self.keep_awake.wait(5)
            self.keep_awake = None
        if self.runtime:
            try:
                pid = int(open(os.path.join(self.runtime, "pulse", "pid")).read().strip())
                os.kill(pid, signal.SIGTERM)
                for _ in range(100):
                    os.kill(pid, 0)
                    time.sleep(0.02)
            except (OSError, ValueError):
                pass
            shutil.rmtree(self.runtime, ignore_errors=True)
            self.runtime = None


def write_tone(path, seconds=0.3, rate=8000):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(b"".join(int(8000 * math.sin(2 * math.pi * 440 * i / rate)).to_bytes(2, "little", signed=True)
                               for i in range(int(seconds * rate))))


def cq_files(ini):
    """The wave files the [CQ] section of a settings file names."""
    names, section = [], None
    for line in open(ini, encoding="latin-1"):
        line = line.strip()
        if line.startswith("["):
            section = line
        elif section == "[CQ]" and not line.startswith("#") and line.count(",") >= 2:
            names.append(line.split(",")[1])
    return names


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

    def windows(self, title="Quelm"):
        out = xdo("search", "--all", "--onlyvisible", "--pid", self.proc.pid, "--name", "^%s$" % title, check=False)
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
        if clicks:
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
    # Where the recorder's REC and the satellite panel's SAT key sit: what
    # shows there tells which panel the menu key has brought.
    PANEL_PATCH = (212, 121, 31, 15)

    def __init__(self, build, seconds):
        self.seconds = seconds
        self.work = tempfile.mkdtemp(prefix="quelm-soak-")
        shutil.copy(os.path.join(build, "bin", "quelm"), self.work)
        link = os.path.join(self.work, "ic746")
        here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        ini = os.path.join(self.work, "quelm.ini")
        with open(os.path.join(here, "quelm.ini")) as src, open(ini, "w") as dst:
            for line in src:
                dst.write("port %s\n" % link if line.startswith("port ") else line)
        for name in cq_files(ini):
            write_tone(os.path.join(self.work, name))
        self.log = SimLog(os.path.join(self.work, "sim.log"))
        self.sim = Simulator(os.path.join(build, "bin", "quelm-sim"), link, self.log.path)
        self.sound = SoundServer()
        self.with_sound = self.sound.running()
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(self.work, "config"), HOME=self.work,
                   QT_QPA_PLATFORM="xcb")
        if self.with_sound:
            env.update(XDG_RUNTIME_DIR=self.sound.runtime, PULSE_SERVER=self.sound.env()["PULSE_SERVER"])
        else:
            # Never the desktop's own sound server: the recorder reports that it has none.
            env["PULSE_SERVER"] = "unix:" + os.path.join(self.work, "no-sound-server")
        self.x11 = X11()
        self.program = Program(self.work, env)
        self.link_up = False
        self.panels = None  # the patch's ink with no panel, the recorder's, the satellite panel's
        self.figures = {"clicks": 0, "answered": 0, "unanswered": 0, "blocked by a message": 0,
                        "not counted (link down)": 0, "messages dismissed": 0, "link openings": 0,
                        "windows opened": 0, "CQ calls": 0, "groups left out": 0}
        self.failures = []
        self.rss = []  # (seconds into the faults, MB)
        self.phase = None

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

    # ---- the menu key's panels

    def panel_ink(self):
        patch = pixels(self.program.window, *self.PANEL_PATCH)
        return ink(patch) if patch else None

    def settled_ink(self, unlike=None):
        """The patch's ink once it differs from `unlike` and two looks in a row
        agree (a loaded machine paints late and in steps); None if it has not
        settled so within PANEL_WITHIN seconds."""
        deadline = time.time() + PANEL_WITHIN
        last = None
        while time.time() < deadline:
            now = self.panel_ink()
            if now is not None and now != unlike and now == last:
                return now
            last = now
            time.sleep(0.1)
        return None

    def learn_panels(self):
        """With the link just opened, no panel shows: the menu key brings the
        recorder keys, then the satellite panel, then neither again. Each click
        is waited out until the patch has changed, so a slow paint is no reason
        to leave the panels' keys out; panels that still cannot be told apart
        fail the soak."""
        seen = [self.settled_ink()]
        for _ in range(3):
            self.program.click(*MENU)
            seen.append(self.settled_ink(unlike=seen[-1]))
        self.panels = seen[:3]
        distinct = all(seen) and len({tuple(i) for i in seen[:3]}) == 3 and self.nearest(seen[3]) == "none"
        if not distinct:
            self.panels = None
            self.failures.append("the panels of the menu key cannot be told apart on the screen "
                                 "(each click waited out for %.0f s); their keys are left out" % PANEL_WITHIN)

    def nearest(self, now):
        distance = [sum(a != b for a, b in zip(now, ref)) for ref in self.panels]
        return ("none", "rec", "sat")[distance.index(min(distance))]

    def panel_now(self):
        now = self.panel_ink()
        if not now or not self.panels:
            return None
        return self.nearest(now)

    def show_panel(self, wanted):
        for _ in range(4):
            if self.program.dialogs():
                self.figures["messages dismissed"] += self.program.dismiss_dialogs()
            before = self.panel_ink()
            if before and self.panels and self.nearest(before) == wanted:
                return True
            self.program.click(*MENU)
            self.settled_ink(unlike=before)
        return self.panel_now() == wanted

    # ---- clicks

    def left_out(self, group):
        """Why a group is not clicked now, or None."""
        if any(k["sound"] for k in group) and not self.with_sound:
            return "sound"
        if any(k["noflood"] for k in group) and self.phase == "flood":
            return "flood"
        if any(k["panel"] for k in group) and not self.panels:
            return "panel"
        return None

    def click_group(self, group):
        if self.left_out(group):
            self.figures["groups left out"] += 1
            return
        panel = next((k["panel"] for k in group if k["panel"]), None)
        if panel and self.link_up and not self.show_panel(panel):
            self.failures.append("the menu key did not bring the %s panel at %.1f s" % (panel, self.elapsed()))
            return
        for key in group:
            self.click(key)
            if not self.program.alive():
                return

    def elapsed(self):
        return time.time() - self.start

    def click(self, key):
        if self.program.dialogs():
            self.figures["messages dismissed"] += self.program.dismiss_dialogs()
        t0 = time.time()
        self.program.click(key["x"], key["y"], key["clicks"])
        if key["window"]:
            self.window_opened(key, t0)
        elif key["expect"] is not None:
            self.answered(key, t0)
        else:
            time.sleep(0.3)
        if key["after"]:
            time.sleep(key["after"])

    def answered(self, key, t0):
        counted = self.link_up
        self.figures["clicks"] += 1
        deadline = t0 + ANSWER_WITHIN
        while True:
            if any(len(f) > 4 and f[4] == key["expect"] for f in self.log.since(t0)):
                if counted:
                    self.figures["answered"] += 1
                    if key["expect"] == 0x1C and key["sound"] and key["name"] == "LCDWav":
                        self.figures["CQ calls"] += 1
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

    def window_opened(self, key, t0):
        """A key that opens a window: it must show within two seconds; it is closed again."""
        deadline = t0 + 2 * ANSWER_WITHIN
        while time.time() < deadline:
            shown = self.program.windows(key["window"])
            if shown:
                self.figures["windows opened"] += 1
                for w in shown:
                    self.x11.close_window(w)
                end = time.time() + 3
                while time.time() < end and self.program.windows(key["window"]):
                    time.sleep(0.05)
                if self.program.windows(key["window"]):
                    self.failures.append("the %s window did not close" % key["window"])
                return
            time.sleep(0.05)
        if self.link_up and not self.program.dialogs():
            self.failures.append("%s at %.1f s: no %s window" % (key["name"], t0 - self.start, key["window"]))

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
        if self.program.alive():
            self.rss.append((time.time() - self.faults_start, self.program.rss_mb()))

    def run(self):
        self.start = time.time()
        self.open_link()
        self.learn_panels()
        # Every key once before the faults: what a key allocates on first use
        # (the sound system, the memory editor) is no growth.
        order = groups()
        for group in order:
            if not self.program.alive():
                break
            self.click_group(group)
        self.faults_start = time.time()
        self.sample()
        k = 0
        phase_len = max(self.seconds / len(FAULTS), 3.0)
        phase = 0
        # Every fault gets its turn at least once, however short the run.
        while (phase < len(FAULTS) or time.time() - self.faults_start < self.seconds) and self.program.alive():
            self.phase = FAULTS[phase % len(FAULTS)]
            phase += 1
            stop = threading.Event()
            worker = threading.Thread(target=self.fault, args=(self.phase, stop))
            worker.start()
            if self.phase in ("unplug", "kill"):
                self.pull(self.phase)
            phase_end = time.time() + phase_len
            while time.time() < phase_end and self.program.alive():
                self.click_group(order[k % len(order)])
                k += 1
                self.sample()
            stop.set()
            worker.join()
        self.phase = None
        self.sample()
        return self.finish()

    def end_keyed(self):
        """The transmit key on, then SIGTERM: the program must end through its
        stop-signal path and leave the radio in receive. Returns the simulator's
        status once the program has ended."""
        if not self.link_up:
            self.open_link()
        self.figures["messages dismissed"] += self.program.dismiss_dialogs()
        xdo("mousemove", "--window", self.program.window, *BARE)
        self.program.click(*TX)
        deadline = time.time() + 2
        while ", TX," not in self.sim.control("status") and time.time() < deadline:
            time.sleep(0.05)
        keyed = self.sim.control("status")
        if ", TX," not in keyed:
            self.failures.append("the transmit key did not key the radio before SIGTERM: " + keyed)
        self.program.proc.send_signal(signal.SIGTERM)
        try:
            code = self.program.proc.wait(15)
            if code != 128 + signal.SIGTERM:
                self.failures.append("the program ended on SIGTERM with exit code %s, not %d"
                                     % (code, 128 + signal.SIGTERM))
        except subprocess.TimeoutExpired:
            self.failures.append("the program did not end on SIGTERM")
            self.program.proc.kill()
        return self.sim.control("status")

    def finish(self):
        crashed = not self.program.alive()
        if crashed:
            self.failures.append("the program ended during the soak (exit %s)" % self.program.proc.returncode)
            self.faults_start = getattr(self, "faults_start", time.time())
        cpu = self.program.cpu_percent() if not crashed else float("nan")
        first = min(60.0, self.seconds / 3.0)
        if not self.rss:
            self.rss.append((0.0, float("nan")))
        base = next((mb for t, mb in self.rss if t >= first), self.rss[-1][1])
        end = self.rss[-1][1]
        if end - base > MAX_GROWTH_MB:
            self.failures.append("memory grew by %.1f MB after %.0f s (limit %.0f MB)"
                                 % (end - base, first, MAX_GROWTH_MB))
        if self.with_sound and not self.figures["CQ calls"]:
            self.failures.append("no CQ call was made, though a sound server was there")
        status = self.end_keyed() if not crashed else self.sim.control("status")
        if ", TX," in status or not status.startswith("ok"):
            self.failures.append("the transmitter is keyed at the end: " + status)
        self.sim.stop()
        self.sound.stop()

        f = self.figures
        print("soak: %.0f s (every key once, then %.0f s of faults in turn: %s)"
              % (time.time() - self.start, time.time() - self.faults_start, ", ".join(FAULTS)))
        print("soak: sound: " + ("a private sound server with a null sink and source; CQ calls %d" % f["CQ calls"]
                                 if self.with_sound else "none (%s): the CQ key is left out" % self.sound.why))
        print("soak: clicks %d, answered within %.1f s %d, unanswered %d, blocked by a message %d, "
              "not counted while the link was down %d; windows opened %d; key groups left out %d"
              % (f["clicks"], ANSWER_WITHIN, f["answered"], f["unanswered"], f["blocked by a message"],
                 f["not counted (link down)"], f["windows opened"], f["groups left out"]))
        print("soak: link openings %d, messages dismissed %d, frames on the line %d"
              % (f["link openings"], f["messages dismissed"], len(self.log.frames)))
        print("soak: CPU %.1f %%, memory when the faults began %.1f MB, after %.0f s %.1f MB, at the end %.1f MB, "
              "peak %.1f MB" % (cpu, self.rss[0][1], first, base, end, max(mb for _, mb in self.rss)))
        by_minute = []
        for t, mb in self.rss:
            if t >= 60.0 * len(by_minute):
                by_minute.append("%.1f" % mb)
        print("soak: memory at each minute of the faults (MB): " + " ".join(by_minute))
        print("soak: ended with the transmit key on and SIGTERM; simulator afterwards: " + status)
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
    soak = Soak(sys.argv[1], float(sys.argv[2]))
    try:
        return soak.run()
    finally:
        soak.sound.stop()
        if soak.program.alive():
            soak.program.proc.kill()


if __name__ == "__main__":
    sys.exit(main())
