#!/usr/bin/env python3
"""Measures Mevra.exe against the bare reference programs under Wine; run by scripts/bench.

Rounds are interleaved (reference, Mevra, reference, Mevra, ...). Every figure is reported
as median, minimum and maximum, and the ratio of the two medians; nothing is asserted.
Expects DISPLAY and WINEPREFIX set up, the Wine server running, and a virtual desktop.
"""
import argparse
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import time

TICK = os.sysconf("SC_CLK_TCK")
WM_CLOSE = 0x10
NIM_ADD_LINE = re.compile(rb"^\s*(\d+)\.(\d+):.*Shell_NotifyIconW dwMessage = 0,", re.M)
POPUP_LINE = re.compile(rb"^\s*(\d+)\.(\d+):[^\n]*trace:menu:draw_popup_menu wnd=", re.M)


def now_ms():
    """The clock Wine's +timestamp trace uses."""
    return time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1000.0


class Bench:
    def __init__(self, args):
        self.a = args
        self.build = args.build
        self.progs = args.programs
        self.tmp = os.path.join(args.out, "tmp")  # the traces of this run only
        shutil.rmtree(self.tmp, ignore_errors=True)
        os.makedirs(self.tmp)
        self.results = {}  # name -> {"ref": [...], "before": [...], "mevra": [...], "unit": str}
        self.whos = ["ref"] + (["before"] if args.before else []) + ["mevra"]
        self.notes = []
        self.runs = 0
        self.misses = 0

    # --- Wine helpers --------------------------------------------------------------

    def wine(self, *argv, **kw):
        return subprocess.run([self.a.wine, *argv], stdin=subprocess.DEVNULL,
                              capture_output=True, **kw)

    def probe(self, *argv):
        out = self.wine(os.path.join(self.build, "probe.exe"), *argv).stdout
        return out.decode(errors="replace").replace("\r", "")

    def window(self, cls):
        for line in self.probe("windows").splitlines():
            if f" class={cls} " in line + " ":
                return line.split()[1].split("=")[1]
        return None

    def wait_for(self, what, test, limit=30.0, step=0.02):
        end = time.monotonic() + limit
        while time.monotonic() < end:
            got = test()
            if got:
                return got
            time.sleep(step)
        raise RuntimeError(f"timed out waiting for {what}")

    def start(self, exe, *argv, debug="-all", cwd=None, tag="run"):
        self.runs += 1
        log = os.path.join(self.tmp, f"{tag}-{self.runs}.log")
        env = dict(os.environ, WINEDEBUG=debug)
        f = open(log, "wb")
        t0 = now_ms()
        p = subprocess.Popen([self.a.wine, exe, *argv], stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=f, env=env, cwd=cwd)
        p.log, p.t0, p.logfile = log, t0, f
        return p

    def trace(self, p):
        with open(p.log, "rb") as f:
            return f.read()

    def close(self, p, cls):
        h = self.window(cls)
        if h:
            self.probe("post", h, str(WM_CLOSE))
        try:
            p.wait(timeout=20)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()
        p.logfile.close()

    def key(self, *keys):
        w = subprocess.run(["xdotool", "search", "--name", "Wine desktop"],
                           capture_output=True).stdout.split()
        if w:
            subprocess.run(["xdotool", "windowfocus", "--sync", w[0]], capture_output=True)
        subprocess.run(["xdotool", "key", "--delay", "80", *keys], check=True)

    # --- process figures -----------------------------------------------------------

    @staticmethod
    def ticks(pid):
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])  # utime + stime

    @staticmethod
    def status(pid, key):
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(key + ":"):
                    return int(line.split()[1])
        return 0

    def wineserver_pid(self):
        st = os.stat(os.environ["WINEPREFIX"])
        want = f"server-{st.st_dev:x}-{st.st_ino:x}"
        for d in os.listdir("/proc"):
            if not d.isdigit():
                continue
            try:
                with open(f"/proc/{d}/comm") as f:
                    if not f.read().startswith("wineserver"):
                        continue
                if os.readlink(f"/proc/{d}/cwd").endswith(want):
                    return int(d)
            except OSError:
                continue
        return None

    def cpu(self, pid, seconds):
        """Share of one core used by pid and by the Wine server over seconds."""
        srv = self.wineserver_pid()
        t0, a0, s0 = time.monotonic(), self.ticks(pid), self.ticks(srv) if srv else 0
        time.sleep(seconds)
        t1, a1, s1 = time.monotonic(), self.ticks(pid), self.ticks(srv) if srv else 0
        dt = t1 - t0
        return 100.0 * (a1 - a0) / TICK / dt, 100.0 * (s1 - s0) / TICK / dt

    def add(self, name, who, value, unit):
        r = self.results.setdefault(name, {"ref": [], "before": [], "mevra": [], "unit": unit})
        r[who].append(value)

    # --- measures ------------------------------------------------------------------

    def start_to_tray(self, who, exe, cls):
        p = self.start(exe, debug="-all,+timestamp,+systray", tag=f"start-{who}")
        m = self.wait_for("the tray icon", lambda: NIM_ADD_LINE.search(self.trace(p)), step=0.005)
        seen = now_ms()
        stamp = int(m.group(1)) * 1000 + int(m.group(2))
        # The trace's stamp and ours must be the same clock: it falls between the two.
        if not (p.t0 - 1 <= stamp <= seen + 1):
            raise RuntimeError(f"trace clock differs: launch {p.t0:.0f}, NIM_ADD {stamp}, seen {seen:.0f}")
        self.add("start to tray icon", who, stamp - p.t0, "ms")
        self.wait_for("the window", lambda: self.window(cls), step=0.2)
        time.sleep(1.5)  # Mevra's start-up balloon
        self.close(p, cls)

    def popup(self, who, exe, cls):
        p = self.start(exe, debug="-all,+timestamp,+menu", tag=f"popup-{who}")
        self.wait_for("the window", lambda: self.window(cls), step=0.2)
        time.sleep(2.0)
        for _ in range(self.a.popups):
            before = len(POPUP_LINE.findall(self.trace(p)))
            subprocess.run(["xdotool", "mousemove", "--sync", *self.a.tray_xy.split()], check=True)
            t0 = now_ms()
            subprocess.run(["xdotool", "click", "3"], check=True)
            try:
                self.wait_for("the popup", lambda: len(POPUP_LINE.findall(self.trace(p))) > before,
                              limit=15, step=0.005)
                stamp = POPUP_LINE.findall(self.trace(p))[before]
                self.add("popup shown after right click", who,
                         int(stamp[0]) * 1000 + int(stamp[1]) - t0, "ms")
            except RuntimeError:
                self.misses += 1  # the click was lost (a busy machine): not a figure
            time.sleep(0.4)
            # A click on an empty part of the desktop closes the menu, as a user would.
            subprocess.run(["xdotool", "mousemove", "--sync", "600", "300", "click", "1"], check=True)
            self.wait_for("the popup to close", lambda: "rect=" not in self.probe("menus"), step=0.2)
            time.sleep(0.3)
        self.close(p, cls)

    def play(self, who):
        film = self.a.film
        winfilm = "Z:" + film.replace("/", "\\")
        if who == "ref":
            exe, cls = self.progs["benchplay"], "BenchPlay"
            p = self.start(exe, winfilm, debug="-all,+debugstr", tag="play-ref")
        else:
            exe, cls = self.mevra(who), "MevraForm1"
            p = self.start(exe, debug="-all,+debugstr", cwd=os.path.dirname(film), tag=f"play-{who}")
            self.wait_for("Mevra's window", lambda: self.window(cls), step=0.2)
            time.sleep(1.5)
            self.key("ctrl+o")
            self.wait_for("the open dialog", lambda: "OPEN MEDIA FILE" in self.probe("windows"),
                          step=0.3)
            time.sleep(1.0)
            subprocess.run(["xdotool", "type", "--delay", "40", winfilm], check=True)
            time.sleep(0.5)
            subprocess.run(["xdotool", "key", "Return"], check=True)
        self.wait_for("play", lambda: b"play MYPLAYER] -> 0" in self.trace(p), step=0.1)
        time.sleep(self.a.settle)
        self.add("memory: peak (VmHWM)", who, self.status(p.pid, "VmHWM") / 1024, "MiB")
        self.add("memory: steady (VmRSS)", who, self.status(p.pid, "VmRSS") / 1024, "MiB")
        own, srv = self.cpu(p.pid, self.a.play_seconds)
        self.add("CPU while playing", who, own, "% core")
        self.add("  Wine server meanwhile", who, srv, "% core")
        # A maximised window over the whole desktop.
        c = self.start(self.progs["benchcover"], tag="cover")
        self.wait_for("the covering window", lambda: self.window("BenchCover"), step=0.2)
        time.sleep(2.0)
        own, srv = self.cpu(p.pid, self.a.cover_seconds)
        self.add("CPU while the desktop is covered", who, own, "% core")
        paused = b"pause MYPLAYER" in self.trace(p)
        self.close(c, "BenchCover")
        if who != "ref":
            time.sleep(1.5)
            tail = self.trace(p).rsplit(b"pause MYPLAYER", 1)[-1]
            self.notes.append(f"covered: Mevra ({who}) {'paused' if paused else 'did NOT pause'} the film, "
                              f"{'and resumed it' if b'resume MYPLAYER' in tail else 'no resume seen'} "
                              "after the window closed")
        self.close(p, cls)

    def play_mf(self, who):
        """The H.264 MP4 through Media Foundation: Mevra with Player=mf against bare MFPlay."""
        film = self.a.mp4
        winfilm = "Z:" + film.replace("/", "\\")
        # Wine draws MFPlay's picture with its GL renderer only: for these two programs, this row.
        for exe in ("Mevra.exe", "benchmfplay.exe"):
            self.wine("reg", "add", f"HKCU\\Software\\Wine\\AppDefaults\\{exe}\\Direct3D",
                      "/v", "renderer", "/d", "gl", "/f")
        try:
            if who == "ref":
                exe, cls = self.progs["benchmfplay"], "BenchMfPlay"
                p = self.start(exe, winfilm, debug="-all,+debugstr", tag="mfplay-ref")
            else:
                self.wine("reg", "add", "HKCU\\Software\\Mevra", "/v", "Player", "/d", "mf", "/f")
                exe, cls = self.mevra(who), "MevraForm1"
                p = self.start(exe, debug="-all,+debugstr", cwd=os.path.dirname(film), tag=f"mfplay-{who}")
                self.wait_for("Mevra's window", lambda: self.window(cls), step=0.2)
                time.sleep(1.5)
                self.key("ctrl+o")
                self.wait_for("the open dialog", lambda: "OPEN MEDIA FILE" in self.probe("windows"), step=0.3)
                time.sleep(1.0)
                subprocess.run(["xdotool", "type", "--delay", "40", winfilm], check=True)
                time.sleep(0.5)
                subprocess.run(["xdotool", "key", "Return"], check=True)
            self.wait_for("Media Foundation's play", lambda: b"mf [play] -> 0x00000000" in self.trace(p),
                          step=0.1)
            time.sleep(self.a.settle)
            self.add("memory: steady (VmRSS), MP4 (Media Foundation)", who, self.status(p.pid, "VmRSS") / 1024,
                     "MiB")
            own, _ = self.cpu(p.pid, self.a.play_seconds)
            self.add("CPU while playing MP4 (Media Foundation)", who, own, "% core")
            self.close(p, cls)
        finally:
            self.wine("reg", "delete", "HKCU\\Software\\Mevra", "/v", "Player", "/f")
            for exe in ("Mevra.exe", "benchmfplay.exe"):
                self.wine("reg", "delete", f"HKCU\\Software\\Wine\\AppDefaults\\{exe}", "/f")

    # --- the run -------------------------------------------------------------------

    def mevra(self, who):
        return self.a.before if who == "before" else self.progs["Mevra"]

    def run(self):
        pairs = [("ref", self.progs["benchtray"], "BenchTray")] + \
            [(w, self.mevra(w), "MevraForm1") for w in self.whos[1:]]
        menus = [("ref", self.progs["benchmenu"], "BenchTray")] + pairs[1:]
        for r in range(self.a.rounds):
            print(f"bench: round {r + 1} of {self.a.rounds}", flush=True)
            for who, exe, cls in pairs:
                self.start_to_tray(who, exe, cls)
            for who, exe, cls in menus:
                self.popup(who, exe, cls)
            if r < self.a.play_rounds:
                for who in self.whos:
                    self.play(who)
                for who in self.whos:
                    self.play_mf(who)
        self.sizes()

    def sizes(self):
        for who in self.whos:
            exe = self.progs["benchtray"] if who == "ref" else self.mevra(who)
            self.add("exe size", who, os.path.getsize(exe) / 1024, "KiB")
            out = subprocess.run([self.a.objdump, "-p", exe], capture_output=True, text=True).stdout
            dlls = sorted(set(re.findall(r"DLL Name: (\S+)", out)), key=str.lower)
            self.add("imported DLLs", who, len(dlls), "")
            if who == "mevra":
                self.notes.append("Mevra.exe imports: " + " ".join(dlls))


def fmt(v, unit=""):
    # Memory keeps a tenth of a MiB: the goals are a few per cent of about 100 MiB.
    if unit == "MiB":
        return f"{v:.1f}"
    return f"{v:.0f}" if abs(v) >= 100 else f"{v:.1f}" if abs(v) >= 10 else f"{v:.2f}"


def machine():
    cpu = "?"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    wine = subprocess.run([os.environ.get("BENCH_WINE", "wine"), "--version"],
                          capture_output=True, text=True).stdout.strip()
    arch = os.environ.get("BENCH_ARCH", "win32")
    return f"{os.cpu_count()} cores, {cpu}, {wine}, {platform.system()} {platform.release()}; {arch} build"


def table(b):
    head = {"ref": "reference", "before": "Mevra before", "mevra": "Mevra"}
    rows = [("measure", "unit") + tuple(f"{head[w]} (median, min-max)" for w in b.whos) +
            tuple(f"ratio {head[w]}" for w in b.whos[1:])]
    for name, r in b.results.items():
        cells, ratios = [], []
        ref = statistics.median(r["ref"]) if r["ref"] else None
        for who in b.whos:
            v = r[who]
            u = r["unit"]
            cells.append(f"{fmt(statistics.median(v), u)} ({fmt(min(v), u)}-{fmt(max(v), u)}, n={len(v)})"
                         if v else "-")
            if who != "ref":
                ratios.append(f"{statistics.median(v) / ref:.2f}x" if ref and v else "-")
        rows.append((name, r["unit"], *cells, *ratios))
    n = len(rows[0])
    widths = [max(len(row[i]) for row in rows) for i in range(n)]
    lines = ["| " + " | ".join(c.ljust(w) for c, w in zip(row, widths)) + " |" for row in rows]
    lines.insert(1, "|" + "|".join("-" * (w + 2) for w in widths) + "|")
    return lines


def chart(b, path):
    """Ratio of medians to the reference per measure as bars (grey: the earlier Mevra)."""
    items = []
    for name, r in b.results.items():
        ref = statistics.median(r["ref"]) if r["ref"] else 0
        if ref and r["mevra"]:
            before = statistics.median(r["before"]) / ref if r["before"] else None
            items.append((name.strip(), before, statistics.median(r["mevra"]) / ref))
    w, row, left, scale = 680, 30, 250, 120
    h = 44 + row * len(items)
    top = "Mevra / reference, ratio of medians (line: 1.0" + (", grey: before)" if b.a.before else ")")
    draw = ["-fill", "black", "-pointsize", "13", "-annotate", "+10+20", top]
    cap = (w - left - 60) / scale
    for i, (name, before, ratio) in enumerate(items):
        y = 34 + i * row
        if before is not None:
            draw += ["-fill", "#b0b0b0", "-draw",
                     f"rectangle {left},{y} {left + min(before, cap) * scale:.0f},{y + 8}"]
        length = min(ratio, cap) * scale
        colour = "#3a6ea5" if ratio <= 1.2 else "#c04030"
        draw += ["-fill", colour, "-draw", f"rectangle {left},{y + 10} {left + length:.0f},{y + row - 6}",
                 "-fill", "black", "-annotate", f"+10+{y + 18}", name,
                 "-annotate", f"+{left + length + 6:.0f}+{y + 22}", f"{ratio:.2f}x"]
    draw += ["-stroke", "black", "-draw", f"line {left + scale},30 {left + scale},{h - 4}"]
    subprocess.run(["convert", "-size", f"{w}x{h}", "xc:white", *draw, path], check=False)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--film", required=True)
    ap.add_argument("--mp4", required=True, help="an H.264 MP4 for the Media Foundation rows")
    ap.add_argument("--wine", default="wine")
    ap.add_argument("--objdump", default="objdump")
    ap.add_argument("--quick", action="store_true")
    ap.add_argument("--rounds", type=int)
    ap.add_argument("--tray-xy", default="1013 758")
    ap.add_argument("--before", help="an earlier Mevra.exe, measured in the same rounds")
    a = ap.parse_args()
    a.rounds = a.rounds or (1 if a.quick else 5)
    a.play_rounds = 1 if a.quick else min(3, a.rounds)
    a.popups = 1 if a.quick else 3
    a.settle = 3 if a.quick else 10
    a.play_seconds = 5 if a.quick else 30
    a.cover_seconds = 3 if a.quick else 10
    os.makedirs(a.out, exist_ok=True)
    bp = os.path.join(a.build, "bench-programs")
    a.programs = {n: os.path.join(bp, n + ".exe") for n in ("benchtray", "benchmenu", "benchplay", "benchcover",
                                                          "benchmfplay")}
    a.programs["Mevra"] = os.path.join(a.build, "Mevra.exe")
    os.environ["BENCH_WINE"] = a.wine

    b = Bench(a)
    try:
        b.run()
    except Exception:
        subprocess.run(["import", "-window", "root", os.path.join(a.out, "FAIL.png")], check=False)
        raise
    lines = [f"Machine: {machine()}",
             f"Mode: {'quick' if a.quick else 'full'}, {a.rounds} interleaved rounds; playing "
             f"{a.play_seconds} s after {a.settle} s, covered {a.cover_seconds} s; "
             f"{time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}", ""] + table(b) + [""] + \
            [f"- {n}" + (f" (in {b.notes.count(n)} rounds)" if b.notes.count(n) > 1 else "")
             for n in dict.fromkeys(b.notes)] + \
            ([f"- {b.misses} right click(s) showed no popup within 15 s and were left out"] if b.misses else [])
    text = "\n".join(lines) + "\n"
    with open(os.path.join(a.out, "bench.md"), "w") as f:
        f.write(text)
    chart(b, os.path.join(a.out, "bench.png"))
    print(text)


if __name__ == "__main__":
    sys.exit(main())
