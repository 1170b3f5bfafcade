#!/usr/bin/env python3
"""The window's Scan Tree against glyphor2-cli scan-tree, and the window's
answer to a stop click; run by bench/window-scan.sh inside Xvfb.

    window_scan.py PROGRAM CLI CORPUS WORK ROUNDS COPIES

Every tree lives under WORK, which should be a RAM file system, so that the
disk is not what is measured.

Scan times. The source is COPIES copies of CORPUS (hard links within WORK).
Each round starts the program on SOURCE and a fresh destination, gives it the
keyboard (a click on its status bar: there is no window manager), presses
Alt+T with xdotool and reads the end from the disk: the Temp folder that the
run makes at its start has gone again, which the run does as its very last
step, after the merge and the clean-up. The clock starts when xdotool is started
to send the key, so the window's time includes xdotool's own start. In the same round glyphor2-cli scan-tree runs on the same source into
a fresh destination, timed from its start to its exit; the two destinations
must end up with the same files. The order of the two alternates from round
to round. Both are also timed from their Temp folder appearing to its going,
which leaves out the start of the process and the key. Medians are printed.

Paints. One more window round runs with the toolkit's painting log on, which
names every time the window paints (each paint of the window is one "Painting
and flushing" line); the paints between the Temp folder's appearing and its
going give the paints per second during the scan.

Stop latency. A click with xdotool on "&Stop" at three moments: during the
captures (the source above, once Temp holds some hundreds of icons), during the
merge (an empty source, a destination and a Temp folder filled with thousands
of different icons, once the first copy has reached the destination) and during
a long stretch without executables (a source of thousands of empty folders).
The mouse is put on the button with xdotool; the click itself is given by
this script through the XTest extension, as xdotool gives it, so that the
moment the X server has taken the button's release (the click) is known to a
fraction of a millisecond: a separate xdotool process exits some milliseconds
after its click, often after the question is already up. The clock runs from
that moment to the stop question's window being mapped, which the X server
reports to this script as a MapNotify event (polling with xdotool search would
cost tens of milliseconds a call on a busy machine, more than what is
measured).
"""

import ctypes
import os
import random
import select
import shutil
import statistics
import subprocess
import sys
import time

TITLE = b"Glyphor 2"
MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class XServer:
    """Top-level windows as the X server maps them, with the time each map
    was read, and clicks given through XTest. Without a window manager every
    top-level window is a child of the root window."""

    def __init__(self):
        x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        xtst = ctypes.CDLL("libXtst.so.6")
        xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.xtst = xtst
        self.x = x
        self.display = x.XOpenDisplay(None)
        if not self.display:
            sys.exit("window_scan: no X display")
        x.XSelectInput(self.display, x.XDefaultRootWindow(self.display), SUBSTRUCTURE_NOTIFY_MASK)
        x.XFlush(self.display)
        self.fd = x.XConnectionNumber(self.display)
        self.event = ctypes.create_string_buffer(192)  # sizeof(XEvent)
        self.mapped = []  # (time read, window)

    def name(self, window):
        text = ctypes.c_char_p()
        if not self.x.XFetchName(self.display, window, ctypes.byref(text)) or not text.value:
            return b""
        value = text.value
        self.x.XFree(text)
        return value

    def read(self, timeout):
        """Reads the maps that arrive within timeout seconds."""
        if not self.x.XPending(self.display):
            select.select([self.fd], [], [], timeout)
        now = time.perf_counter()
        while self.x.XPending(self.display):
            self.x.XNextEvent(self.display, self.event)
            if int.from_bytes(self.event.raw[0:4], "little") == MAP_NOTIFY:
                # XMapEvent: type, serial, send_event, display, event, window.
                window = int.from_bytes(self.event.raw[40:48], "little")
                self.mapped.append((now, window))

    def click(self):
        """A left click where the mouse is; returns when the server has
        taken the release."""
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1, 0)
        self.x.XSync(self.display, 0)
        time.sleep(0.01)
        self.xtst.XTestFakeButtonEvent(self.display, 1, 0, 0)
        self.x.XSync(self.display, 0)
        return time.perf_counter()

    def forget(self):
        self.read(0)
        self.mapped.clear()

    def wait(self, title, exclude=(), timeout=10.0):
        """The first window named title (not in exclude) mapped from now on:
        (time, window)."""
        end = time.perf_counter() + timeout
        while True:
            for when, window in self.mapped:
                if window not in exclude and self.name(window) == title:
                    self.mapped.clear()
                    return when, window
            self.mapped.clear()
            left = end - time.perf_counter()
            if left <= 0:
                return None, None
            self.read(min(left, 0.05))


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, stdout=subprocess.DEVNULL)


def geometry(window):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", str(window)], check=True,
                         capture_output=True, text=True).stdout
    g = dict(line.split("=", 1) for line in out.split())
    return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])


def wait_for(test, timeout, step=0.0005):
    end = time.perf_counter() + timeout
    while not test():
        if time.perf_counter() > end:
            return None
        time.sleep(step)
    return time.perf_counter()


def icon_files(folder):
    return sorted(n for n in os.listdir(folder) if n.endswith(".ico"))


def same_files(a, b):
    names = icon_files(a)
    if names != icon_files(b):
        return False
    for n in names:
        with open(os.path.join(a, n), "rb") as fa, open(os.path.join(b, n), "rb") as fb:
            if fa.read() != fb.read():
                return False
    return True


class Window:
    """The program on a source and a destination, focused, the mouse where
    given (relative to the window), ready for Alt+T."""

    def __init__(self, watcher, program, source, dest, config, env=None, stderr=None, mouse=None):
        watcher.forget()
        environment = dict(os.environ, XDG_CONFIG_HOME=config)
        environment.update(env or {})
        self.started = time.perf_counter()
        self.process = subprocess.Popen([program, source, dest], env=environment,
                                        stdout=subprocess.DEVNULL,
                                        stderr=stderr or subprocess.DEVNULL)
        _, self.id = watcher.wait(TITLE, timeout=20)
        if self.id is None:
            self.close()
            sys.exit("window_scan: the window did not appear")
        time.sleep(0.8)  # its first paint and the folder lists
        self.x, self.y, w, h = geometry(self.id)
        # The status bar takes the click that gives the window the keyboard.
        xdotool("mousemove", self.x + w // 2, self.y + h - 8, "click", 1)
        time.sleep(0.2)
        if mouse:
            xdotool("mousemove", self.x + mouse[0], self.y + mouse[1])
            time.sleep(0.1)

    def start_scan(self):
        start = time.perf_counter()
        xdotool("key", "--delay", "0", "alt+t")
        return start

    def close(self):
        self.process.terminate()
        self.process.wait()


# "&Stop" (the Scan Tree button) within the window: the client area lies
# below the 2-pixel frame and the 24-pixel title bar, the button's centre
# 393, 138 into it, under the menu bar.
STOP_BUTTON = (2 + 393, 26 + 138)


def fresh(path):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def timed_cli(cli, source, dest):
    """Start to exit, and Temp's appearing to its going, in seconds."""
    temp = os.path.join(dest, "Temp")
    t0 = time.perf_counter()
    process = subprocess.Popen([cli, "--quiet", "scan-tree", source, dest],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    seen = gone = None
    while process.poll() is None:
        there = os.path.isdir(temp)
        now = time.perf_counter()
        if there and seen is None:
            seen = now
        if not there and seen is not None and gone is None:
            gone = now
        time.sleep(0.0005)
    t1 = time.perf_counter()
    if process.returncode != 0:
        sys.exit(f"window_scan: glyphor2-cli failed ({process.returncode})")
    gone = gone or t1
    return t1 - t0, (gone - seen) if seen else None


def timed_window(watcher, program, source, dest, config, env=None, stderr=None):
    """Key to Temp gone, Temp's appearing to its going, and the window's
    process start, in perf_counter seconds."""
    window = Window(watcher, program, source, dest, config, env, stderr)
    temp = os.path.join(dest, "Temp")
    key = window.start_scan()
    seen = wait_for(lambda: os.path.isdir(temp), 10)
    gone = seen and wait_for(lambda: not os.path.isdir(temp), 600)
    window.close()
    if not seen or not gone:
        sys.exit("window_scan: the window's scan did not start or did not end")
    return gone - key, gone - seen, (window.started, seen, gone)


def scan_rounds(watcher, program, cli, source, work, rounds):
    rows = []
    for r in range(rounds):
        wdest, cdest = fresh(f"{work}/win{r}"), fresh(f"{work}/cli{r}")
        config = fresh(f"{work}/config")
        if r % 2 == 0:
            window, window_run, _ = timed_window(watcher, program, source, wdest, config)
            cli_total, cli_run = timed_cli(cli, source, cdest)
        else:
            cli_total, cli_run = timed_cli(cli, source, cdest)
            window, window_run, _ = timed_window(watcher, program, source, wdest, config)
        if not same_files(wdest, cdest):
            sys.exit(f"window_scan: round {r}: the window and glyphor2-cli wrote different files")
        files = len(icon_files(cdest))
        rows.append((window, cli_total, window_run, cli_run))
        print(f"round {r + 1}: window {window:.3f} s, glyphor2-cli {cli_total:.3f} s"
              f" (runs, Temp to Temp gone: {window_run:.3f} s, {cli_run:.3f} s), {files} icons added",
              flush=True)
        shutil.rmtree(wdest)
        shutil.rmtree(cdest)
    return rows


def paint_rate(watcher, program, source, work):
    dest = fresh(f"{work}/paints")
    log_path = f"{work}/paints.log"
    env = {"QT_LOGGING_RULES": "qt.widgets.painting.info=true",
           "QT_MESSAGE_PATTERN": "%{time process} %{message}"}
    with open(log_path, "w") as log:
        _, _, (started, seen, gone) = timed_window(watcher, program, source, dest,
                                                   fresh(f"{work}/config"), env, log)
    # The log's clock counts from the process's start, which is close to
    # when this script started it.
    first, last = seen - started, gone - started
    paints = []
    with open(log_path, errors="replace") as log:
        for line in log:
            parts = line.split(None, 1)
            if len(parts) == 2 and parts[1].startswith("Painting and flushing"):
                try:
                    paints.append(float(parts[0]))
                except ValueError:
                    pass
    during = [t for t in paints if first <= t <= last]
    shutil.rmtree(dest)
    return len(during), last - first


def write_icons(folder, count, first, rng, header):
    for i in range(count):
        body = rng.randbytes(766 - len(header))
        with open(os.path.join(folder, "Icon%04d.ico" % (first + i)), "wb") as f:
            f.write(header + body)


def program_header(cli, corpus, work):
    """The 126 bytes every icon file of the program begins with."""
    exe = next(os.path.join(d, f) for d, _, files in sorted(os.walk(corpus))
               for f in sorted(files) if f.endswith(".exe"))
    out = os.path.join(work, "header.ico")
    subprocess.run([cli, "capture", exe, "0", out], check=True)
    with open(out, "rb") as f:
        header = f.read(126)
    os.unlink(out)
    return header


def stop_latency(watcher, program, phase, source, dest_maker, ready, work, tries):
    """Click to question, in seconds, once per try."""
    results = []
    for t in range(tries):
        dest = dest_maker(t)
        window = Window(watcher, program, source, dest, fresh(f"{work}/config"), mouse=STOP_BUTTON)
        window.start_scan()
        if not ready(dest):
            window.close()
            sys.exit("window_scan: the moment to click never came")
        watcher.forget()
        click = watcher.click()
        shown, _ = watcher.wait(TITLE, exclude={window.id}, timeout=5)
        running = os.path.isdir(os.path.join(dest, "Temp"))
        window.close()
        if shown is None:
            sys.exit(f"window_scan: no stop question appeared during {phase}"
                     f" ({'the run went on' if running else 'the run had ended'})")
        if not running:
            sys.exit(f"window_scan: the run during {phase} had ended before its question")
        results.append(shown - click)
        shutil.rmtree(dest)
    return results


def main():
    program, cli, corpus, work = sys.argv[1:5]
    rounds, copies = int(sys.argv[5]), int(sys.argv[6])
    watcher = XServer()

    source = fresh(f"{work}/source")
    shutil.copytree(corpus, f"{work}/corpus")
    for i in range(copies):
        shutil.copytree(f"{work}/corpus", f"{source}/copy{i + 1}", copy_function=os.link)
    executables = sum(len(files) for _, _, files in os.walk(source))
    print(f"source: {copies} copies of {corpus}, {executables} files, on {work}", flush=True)

    rows = scan_rounds(watcher, program, cli, source, work, rounds)
    window = statistics.median(r[0] for r in rows)
    cli_total = statistics.median(r[1] for r in rows)
    window_run = statistics.median(r[2] for r in rows)
    cli_run = statistics.median(r[3] for r in rows)

    paints, seconds = paint_rate(watcher, program, source, work)

    # Stop during the captures: once Temp holds a few hundred icons.
    def capturing(dest):
        temp = os.path.join(dest, "Temp")
        return wait_for(lambda: os.path.isdir(temp) and len(os.listdir(temp)) >= 300, 20, 0.002)

    # Stop during the merge: an empty source, 3000 icons in the destination
    # and 3000 others collected in Temp; the click follows the first copy.
    empty = fresh(f"{work}/empty")
    rng = random.Random(7)
    # 766-byte files that share the 126 header bytes of the program's icon
    # files and differ in their pixels, as real captures do (the merge takes
    # only files the program could have written).
    header = program_header(cli, corpus, work)
    merge_seed = fresh(f"{work}/merge-seed")
    write_icons(merge_seed, 3000, 0, rng, header)
    os.makedirs(f"{merge_seed}/Temp")
    write_icons(f"{merge_seed}/Temp", 3000, 0, rng, header)
    # The mark of a Temp the program made: it merges no other folder's files.
    with open(f"{merge_seed}/Temp/.glyphor2-temp", "w") as mark:
        mark.write("m")

    def merge_dest(t):
        dest = f"{work}/merge{t}"
        shutil.rmtree(dest, ignore_errors=True)
        shutil.copytree(merge_seed, dest)
        return dest

    def merging(dest):
        before = os.stat(dest).st_mtime_ns
        return wait_for(lambda: os.stat(dest).st_mtime_ns != before, 20)

    # Stop during a long walk through 100,000 folders without executables,
    # which glyphor2-cli walks in about half a second.
    folders = fresh(f"{work}/folders")
    for a in range(400):
        for b in range(250):
            os.makedirs(f"{folders}/f{a:03d}/g{b:03d}")

    def walking(dest):
        temp = os.path.join(dest, "Temp")
        seen = wait_for(lambda: os.path.isdir(temp), 20)
        time.sleep(0.05)
        return seen

    tries = 3
    latencies = {}
    for phase, tree, dest_maker, ready in (
            ("captures", source, lambda t: fresh(f"{work}/stop{t}"), capturing),
            ("merge", empty, merge_dest, merging),
            ("folders without executables", folders, lambda t: fresh(f"{work}/stop{t}"), walking)):
        latencies[phase] = stop_latency(watcher, program, phase, tree, dest_maker, ready, work, tries)

    print()
    print(f"Scan Tree, median of {rounds} rounds:")
    print(f"  glyphor2-cli scan-tree, start to exit:      {cli_total:.3f} s")
    print(f"  window, Alt+T to Temp gone:                 {window:.3f} s")
    print(f"  ratio window / glyphor2-cli:                {window / cli_total:.2f} (target at most 1.5)")
    print(f"  runs alone, Temp made to Temp gone:         window {window_run:.3f} s, "
          f"glyphor2-cli {cli_run:.3f} s, ratio {window_run / cli_run:.2f}")
    print(f"paints of the window during a scan: {paints} in {seconds:.3f} s, "
          f"{paints / seconds:.0f} a second (with the painting log on)")
    print("stop click to stop question on screen (median, slowest of "
          f"{tries}; target at most 0.050 s):")
    for phase, values in latencies.items():
        print(f"  during {phase + ':':29s} {statistics.median(values):.3f} s, {max(values):.3f} s")


if __name__ == "__main__":
    main()
