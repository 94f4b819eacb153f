#!/usr/bin/env python3
"""Runs OBS Classic's own OBS.exe, built from its source, under Wine on a virtual X display, with
a song-list plugin DLL and the companion simulator beside it, and checks what OBS composes.

    obs_run.py BUILD_DIR [--plugin DLL] [--name NAME] [--short | --stops | --hostile] [--picture PNG]

BUILD_DIR is build/win, or build/win32 for OBS Classic's 32-bit OBS.exe with the 32-bit plugin
(the architecture is OBS.exe's own; x264's DLL of the same bits goes beside it). The run happens in BUILD_DIR/obs-classic-run/NAME, in a Wine prefix of its
own (BUILD_DIR/obs-prefix, X11 graphics, our fonts) and an Xvfb display of its own. OBS starts in
portable mode from a configuration written before start: a profile with no audio device that
records to a file, two scenes, the first holding one song-list source as adding it through OBS
leaves it, the second empty, with scene hotkeys F2 and F3. The plugin starts the companion
simulator (plugins\\TavikMusic\\RunMusic.exe) when OBS activates the scene; the simulator writes
a settings line (宋体 42, orange text, a white background at 50 %, hotkey F1) and three songs.

The full run records while the list changes to four songs, F1 is pressed and released, and the
scenes are switched (F3, then F2); then OBS exits on its own exit command. Checked: the plugin is
in OBS's module list and nothing failed to load; the recorded frames show the list (every line
inside the frame, ink in the settings line's colour, the background box), then four lines, then
no list in the second scene, then the list again; the simulator got 1230 once; OBS counted no
late frame beyond a small share; OBS called the plugin's unload and freed it, wrote the scene
back with the source's size and settings, and left no process behind. --short only records a
few seconds and checks the module list and the first frames.

--stops: both scenes hold a song-list source. Three times: recording starts, F3 switches to the
second scene and F4 (OBS's stop-recording hotkey) is pressed right after it; each stop must end
within STOP_LIMIT seconds with no thread killed, and the recording must decode to its end; F2
goes back to the first scene. --hostile: the settings line turns the outline on at the widest
width the block allows and the list changes every second while OBS records 15 seconds; OBS must
render at least 90 % of the frames due (its count of frames encoded, less those it duplicated
for want of a rendered one). Exit 0 when every check passed.
"""
import argparse
import os
import pathlib
import re
import shutil
import signal
import subprocess
import sys
import time

# OBS.h's command ids.
ID_TOGGLERECORDING = 5002
ID_EXIT = 5004

WIDTH, HEIGHT, FPS = 640, 360, 10
SOURCE_X, SOURCE_Y = 20, 20
LINE_HEIGHT = 42  # 宋体 42: lines 42 px apart
ORANGE = (255, 144, 0)  # -28672 = 0xFFFF9000
BOX = (127, 127, 127)  # white at 50 % over OBS's black
SETTINGS = "Set|宋体|42|-28672|100|-1|50|0|0|0|0|2|-16777216|100|112"
VK_F1, VK_F2, VK_F3, VK_F4 = 112, 113, 114, 115
# The outline on, at the widest width the block can carry.
HOSTILE_SETTINGS = "Set|宋体|42|-28672|100|-1|50|0|0|0|1|2147483647|-16777216|100|112"
STOP_LIMIT = 10  # seconds; a stop here takes about 3 s, one that waits for a frozen video thread 33 s
SONGS = ["第一首 晴天", "Second song", "第三首 后来"]
ADDED = "Fourth 第四首"

BOM = "\ufeff"
# Debian's Wine for 64-bit programs, whatever else is installed (scripts/wine64).
WINE = str(pathlib.Path(__file__).resolve().parents[2] / "scripts" / "wine64")


class Failure(Exception):
    pass


def write(path, text, encoding="utf-8"):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(text.encode(encoding))


def ini(sections):
    lines = []
    for name, values in sections.items():
        lines.append(f"[{name}]")
        lines += [f"{key}={value}" for key, value in values.items()]
    return BOM + "\r\n".join(lines) + "\r\n"


SONG_LIST_SOURCE = """      "%s" : {
        render : 1
        class : "Tavik直播点歌插件"
        x : %d
        y : %d
        cx : 546
        cy : 42
        data : {
          baseSizeCX : 546
          baseSizeCY : 42
        }
      }
"""


def scenes(both=False):
    """Two scenes with hotkeys F2 and F3: the first holds a song-list source as adding it through
    OBS leaves it (the configure callback measured the hint text, 546 x 42 in 宋体 42, into the
    source's size and base size); the second is empty, or holds another such source."""
    second = SONG_LIST_SOURCE % ("歌单 2", SOURCE_X, SOURCE_Y) if both else ""
    return """scenes : {
  "场景 1" : {
    class : Scene
    hotkey : %d
    sources : {
%s    }
  }
  "场景 2" : {
    class : Scene
    hotkey : %d
    sources : {
%s    }
  }
}
global sources : {
}
""" % (VK_F2, SONG_LIST_SOURCE % ("歌单", SOURCE_X, SOURCE_Y), VK_F3, second)


class Run:
    def __init__(self, build, plugin, name, scenario="full"):
        self.scenario = scenario
        self.build = build
        self.bin = build / "bin"
        self.fixture = build / "tests" / "obs-classic" / "src"
        self.plugin = plugin
        self.dir = build / "obs-classic-run" / name
        self.prefix = build / "obs-prefix"
        self.display = None
        self.xvfb = None
        self.obs = None
        self.env = None
        # 64 or 32, from OBS.exe's machine field.
        exe = (self.bin / "obs-classic" / "exe" / "OBS.exe").read_bytes()
        machine = int.from_bytes(exe[int.from_bytes(exe[0x3C:0x40], "little") + 4:][:2], "little")
        self.bits = 32 if machine == 0x14C else 64

    # ---------------------------------------------------------------- set-up

    def lay_out(self):
        shutil.rmtree(self.dir, ignore_errors=True)
        d = self.dir
        (d / "plugins" / "TavikMusic").mkdir(parents=True)
        for f in [self.bin / "obs-classic" / "exe" / "OBS.exe", self.bin / "obs-classic" / "OBSApi.dll",
                  self.fixture / "x264" / "libs" / f"{self.bits}bit" / "libx264-146.dll",
                  self.fixture / "rundir" / "services.xconfig"]:
            shutil.copy2(f, d)
        for folder in ["locale", "shaders"]:
            shutil.copytree(self.fixture / "rundir" / folder, d / folder)
        (d / "obs_portable_mode").touch()
        shutil.copy2(self.plugin, d / "plugins" / "TavikSongList.dll")
        shutil.copy2(self.bin / "companion_sim.exe", d / "plugins" / "TavikMusic" / "RunMusic.exe")
        if self.scenario == "hostile":
            options = "--list songs.txt\n--rewrite-ms 1000\n--rotate\n--record companion.txt\n--settings " + HOSTILE_SETTINGS
        else:
            options = "--list songs.txt\n--rewrite-ms 200\n--record companion.txt\n--settings " + SETTINGS
        write(d / "plugins" / "TavikMusic" / "RunMusic.options", options + "\n")
        self.songs(SONGS)
        write(d / "global.ini", ini({"General": {
            "LastAppVersion": 0x659FF, "Profile": "Test", "SceneCollection": "scenes",
            "DisablePreviewEncoding": 1, "OverwriteRecordings": 1, "ShowWebrootTooltip": 0}}))
        write(d / "profiles" / "Test.ini", ini({
            "Audio": {"Device": "Disable", "InputDevicesForDesktopSound": 1},
            "Video": {"BaseWidth": WIDTH, "BaseHeight": HEIGHT, "FPS": FPS, "Downscale": 1},
            "Video Encoding": {"Preset": "veryfast", "BufferSize": 1000, "MaxBitrate": 1000, "Quality": 8},
            "Audio Encoding": {"Format": 1, "Bitrate": 128, "isStereo": 1},
            "Publish": {"Mode": 1, "Service": 0, "SavePath": self.windows(d / "recording.flv"),
                        "StopRecordingHotkey": VK_F4},
        }))
        write(d / "sceneCollection" / "scenes.xconfig", scenes(both=self.scenario == "stops"))

    def songs(self, songs):
        write(self.dir / "songs.txt", "\n".join(songs) + "\n")

    @staticmethod
    def windows(path):
        return "Z:" + str(path).replace("/", "\\")

    def prefix_ready(self):
        if (self.prefix / ".ready").exists():
            return
        root = pathlib.Path(__file__).resolve().parents[2]
        subprocess.run([str(root / "scripts" / "wine-prefix-init"), str(self.prefix),
                        str(self.build.parent / "fonts"), "x11"], check=True)

    def start_display(self):
        for number in range(90, 190):
            if not pathlib.Path(f"/tmp/.X{number}-lock").exists() and not pathlib.Path(f"/tmp/.X11-unix/X{number}").exists():
                self.xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x900x24", "-nolisten", "tcp"],
                                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                for _ in range(50):
                    if pathlib.Path(f"/tmp/.X11-unix/X{number}").exists():
                        self.display = f":{number}"
                        break
                    time.sleep(0.1)
                if self.display:
                    break
                self.xvfb.kill()
        if not self.display:
            raise Failure("no X display could be started")
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEARCH="win64", WINEDEBUG="fixme-all,+loaddll,warn+module",
                        DISPLAY=self.display, LC_ALL="zh_CN.UTF-8")
        # ALSA with no sound card: a null device serves OBS's desktop-audio input.
        home = self.dir / "home"
        write(home / ".asoundrc", "pcm.!default { type null }\nctl.!default { type null }\n")
        self.env["HOME"] = str(home)

    # ---------------------------------------------------------------- driving

    def remote(self, *actions, timeout=90):
        # Output to a file, not a pipe: Wine's own processes may inherit the pipe and hold it open.
        output = self.dir / "remote.txt"
        with open(output, "w") as sink:
            code = subprocess.run([WINE, str(self.bin / "obs-classic" / "obs_remote.exe"), *map(str, actions)],
                                  cwd=self.dir, env=self.env, timeout=timeout, stdout=sink,
                                  stderr=subprocess.STDOUT).returncode
        if code != 0:
            raise Failure("obs_remote " + " ".join(map(str, actions)) + ": " + output.read_text(errors="replace").strip())

    def key(self, *vks, delay=150):
        names = {VK_F1: "F1", VK_F2: "F2", VK_F3: "F3", VK_F4: "F4"}
        windows = subprocess.run(["xdotool", "search", "--name", "Open Broadcaster Software"], env=self.env,
                                 stdout=subprocess.PIPE, text=True).stdout.split()
        if not windows:
            raise Failure("OBS's window is not on the X display")
        subprocess.run(["xdotool", "windowactivate", "--sync", windows[0]], env=self.env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["xdotool", "key", "--delay", str(delay), *[names[vk] for vk in vks]], env=self.env, check=True)

    def start_obs(self):
        self.obs_output = open(self.dir / "wine.txt", "w")
        self.obs = subprocess.Popen([WINE, "OBS.exe"], cwd=self.dir, env=self.env, stdout=self.obs_output,
                                    stderr=subprocess.STDOUT)

    def companion_record(self):
        path = self.dir / "companion.txt"
        return path.read_text(encoding="utf-8", errors="replace") if path.exists() else ""

    def wait_for(self, what, condition, seconds):
        end = time.time() + seconds
        while time.time() < end:
            if condition():
                return
            time.sleep(0.2)
        raise Failure(what)

    def stop(self):
        if self.obs and self.obs.poll() is None:
            self.obs.kill()
        if self.env:
            subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.send_signal(signal.SIGTERM)
            self.xvfb.wait(timeout=10)

    # ---------------------------------------------------------------- checks

    def log(self):
        logs = sorted((self.dir / "logs").glob("*.log"))
        if not logs:
            raise Failure("OBS wrote no log")
        return logs[-1].read_text(encoding="utf-8-sig", errors="replace")

    def frames(self):
        """Every recorded frame, as rows of RGB bytes."""
        raw = subprocess.run(["ffmpeg", "-loglevel", "error", "-i", str(self.dir / "recording.flv"), "-vsync", "0",
                              "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], stdout=subprocess.PIPE, check=True).stdout
        size = WIDTH * HEIGHT * 3
        return [raw[i:i + size] for i in range(0, len(raw) - size + 1, size)]


def near(pixel, colour, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def look(frame):
    """What a frame shows of the list: the background box's rectangle and the ink inside it."""
    box = None
    orange = []
    for y in range(HEIGHT):
        row = frame[y * WIDTH * 3:(y + 1) * WIDTH * 3]
        for x in range(0, WIDTH):
            p = row[x * 3:x * 3 + 3]
            if near(p, BOX, 10):
                box = (min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y)) if box else (x, y, x, y)
            elif p[0] > 225 and p[2] < 50 and 100 < p[1] < 190:
                orange.append((x, y, p[1]))
    return box, orange


def classify(frame):
    """'none', or how many lines of the list a frame shows, from the height of the background
    box, sampled along every row of the frame's left half."""
    rows = []
    for y in range(HEIGHT):
        start = y * WIDTH * 3
        gray = 0
        for x in range(0, WIDTH // 2, 3):
            i = start + x * 3
            if abs(frame[i] - BOX[0]) <= 10 and abs(frame[i + 1] - BOX[1]) <= 10 and abs(frame[i + 2] - BOX[2]) <= 10:
                gray += 1
        if gray >= 5:
            rows.append(y)
    if not rows:
        return "none"
    return f"{round((rows[-1] - rows[0] + 1) / LINE_HEIGHT)} lines"


def check_frame(frame, expected_lines):
    state = classify(frame)
    if state != f"{expected_lines} lines":
        raise Failure(f"a frame shows {state} where {expected_lines} lines were expected")
    box, orange = look(frame)
    if len(orange) < 100:
        raise Failure("the list's box holds no ink of the settings line's colour")
    left, top, right, bottom = box
    if abs(left - SOURCE_X) > 1 or abs(top - SOURCE_Y) > 1:
        raise Failure(f"the background box starts at {left},{top}, not at the source's corner {SOURCE_X},{SOURCE_Y}")
    if right >= WIDTH - 1 or bottom >= HEIGHT - 1:
        raise Failure(f"the list reaches the frame's edge ({right},{bottom})")
    if any(not (left <= x <= right and top <= y <= bottom) for x, y, _ in orange):
        raise Failure("ink outside the background box")
    greens = sorted(g for _, _, g in orange)
    median = greens[len(greens) // 2]
    if abs(median - ORANGE[1]) > 12:
        raise Failure(f"the ink's colour is (255, {median}, 0) where the settings line asks for (255, 144, 0)")
    return box


def start_recording(run, first=True):
    """Starts recording (once OBS is up, the first time) and waits for the plugin to have started
    the companion simulator."""
    if first:
        run.remote("wait", 60000, "sleep", 2000)
    run.remote("command", ID_TOGGLERECORDING)
    run.wait_for("the plugin did not start the companion simulator",
                 lambda: "launch arguments" in run.companion_record(), 30)


def full_run(run):
    start_recording(run)
    time.sleep(4)
    run.songs(SONGS + [ADDED])
    time.sleep(4)
    run.key(VK_F1)
    run.wait_for("the companion did not get 1230 after F1 was released",
                 lambda: "1230" in run.companion_record(), 10)
    time.sleep(1)
    run.key(VK_F3)
    time.sleep(3)
    run.key(VK_F2)
    time.sleep(4)
    run.remote("command", ID_TOGGLERECORDING, "sleep", 2000, "command", ID_EXIT, "gone", 60000)


def stops_run(run):
    """Three stops of recording, each right after a scene switch that destroys one song-list
    source and shows another. Returns how long each took."""
    took = []
    for attempt in range(3):
        start_recording(run, first=attempt == 0)
        time.sleep(4)
        ends = run.log().count("=====Stream End")
        # The scene key and the stop-recording key back to back, both within one of OBS's frames
        # (100 ms here): the stop then begins before the new scene's first frame.
        run.key(VK_F3, VK_F4, delay=10)
        pressed = time.time()
        run.wait_for(f"stop {attempt + 1} did not end within 60 s",
                     lambda: run.log().count("=====Stream End") > ends, 60)
        took.append(time.time() - pressed)
        if "Forcibly terminating" in run.log():
            raise Failure(f"stop {attempt + 1} killed OBS's video thread: " + re.search(r".*Forcibly.*", run.log()).group(0))
        decoded = subprocess.run(["ffmpeg", "-v", "error", "-i", str(run.dir / "recording.flv"), "-f", "null", "-"],
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if decoded.returncode != 0 or decoded.stdout.strip():
            raise Failure(f"the recording of stop {attempt + 1} does not decode to its end: {decoded.stdout.strip()[:500]}")
        run.key(VK_F2)
        time.sleep(2)
    run.remote("command", ID_EXIT, "gone", 60000)
    return took


def hostile_run(run):
    start_recording(run)
    time.sleep(15)
    run.remote("command", ID_TOGGLERECORDING, "sleep", 2000, "command", ID_EXIT, "gone", 60000)


def check_scenario(run, took):
    try:
        run.obs.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("OBS.exe did not end after its exit command")
    log = run.log()
    if not re.search(r"^\S+: \s*[0-9A-F]{16} TavikSongList\.dll$", log, re.M):
        raise Failure("TavikSongList.dll is not in OBS's module list")
    if "Forcibly terminating" in log:
        raise Failure("OBS killed one of its threads")
    if run.scenario == "stops":
        print("obs_run: stops right after a scene switch took " + ", ".join(f"{t:.1f} s" for t in took))
        if any(t > STOP_LIMIT for t in took):
            raise Failure(f"a stop took more than {STOP_LIMIT} s")
        return
    counts = re.findall(r"Total frames encoded: (\d+), total frames duplicated: (\d+)", log)
    if not counts:
        raise Failure("OBS did not count its frames")
    encoded, duplicated = map(int, counts[-1])
    rendered = encoded - duplicated
    print(f"obs_run: with the outline at its widest, OBS rendered {rendered} of {encoded} frames due")
    if rendered < 0.9 * encoded:
        raise Failure(f"OBS rendered {rendered} of {encoded} frames due, less than 90 %")
    frames = run.frames()
    if not any(classify(f) != "none" for f in frames):
        raise Failure("no recorded frame shows the list")


def short_run(run):
    start_recording(run)
    time.sleep(5)
    run.remote("command", ID_TOGGLERECORDING, "sleep", 2000, "command", ID_EXIT, "gone", 60000)


def check(run, short, picture):
    # OBS has gone; so must the simulator (it ends with the host process) and every other
    # program of the run.
    try:
        run.obs.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("OBS.exe did not end after its exit command")
    time.sleep(2)
    left = subprocess.run(["pgrep", "-f", r"OBS\.exe|RunMusic\.exe"], stdout=subprocess.PIPE, text=True).stdout.split()
    left = [pid for pid in left if pid != str(os.getpid())]
    if left:
        raise Failure("processes left behind: " + " ".join(left))

    log = run.log()
    if f" - {run.bits}bit" not in log:
        raise Failure(f"OBS's log does not say it is the {run.bits}-bit OBS")
    if not re.search(r"^\S+: \s*[0-9A-F]{8,16} TavikSongList\.dll$", log, re.M):
        raise Failure("TavikSongList.dll is not in OBS's module list")
    for bad in ["Failed to load plugin", "Failed to initialize plugin", "failed:"]:
        if bad in log:
            raise Failure(f"OBS's log says {bad!r}")
    wine_output = (run.dir / "wine.txt").read_text(errors="replace")
    if "No implementation for" in wine_output or "unimplemented function" in wine_output:
        raise Failure("an import of the plugin has no implementation:\n" + wine_output[-2000:])
    if not re.search(r"Unloaded module .*TavikSongList\.dll", wine_output):
        raise Failure("OBS did not unload the plugin at exit")
    late = re.search(r"Total frames rendered: (\d+), number of late frames: (\d+)", log)
    if not late:
        raise Failure("OBS did not count its frames")
    rendered, late_frames = int(late.group(1)), int(late.group(2))

    frames = run.frames()
    states = [classify(f) for f in frames]
    runs = []
    for s in states:
        if not runs or runs[-1][0] != s:
            runs.append([s, 0])
        runs[-1][1] += 1
    summary = ", ".join(f"{s} x{n}" for s, n in runs)
    print(f"obs_run: {len(frames)} frames recorded: {summary}")
    print(f"obs_run: OBS rendered {rendered} frames, {late_frames} of them late")

    # The list appears once the companion has written it, and then stays.
    shown = [i for i, s in enumerate(states) if s != "none"]
    if not shown:
        raise Failure("no recorded frame shows the list")
    box = check_frame(frames[shown[0] + 2 if shown[0] + 2 < len(frames) else shown[0]], 3)
    if picture:
        save_picture(frames[shown[0] + 2 if shown[0] + 2 < len(frames) else shown[0]], picture)
    if short:
        return
    # Frames recorded before the companion's first write show nothing: the sequence starts at the
    # list's first appearance.
    sequence = [s for s, _ in runs]
    sequence = sequence[sequence.index(states[shown[0]]):]
    expected = ["3 lines", "4 lines", "none", "4 lines"]
    seen = [s for s in sequence if s in expected]
    compact = [s for i, s in enumerate(seen) if i == 0 or seen[i - 1] != s]
    if compact != expected:
        raise Failure(f"the recorded frames show {compact}, not {expected} (the list, the changed list, "
                      f"the second scene, the first scene again)")
    check_frame(frames[-1], 4)
    if any(s not in expected for s in sequence[sequence.index("3 lines"):]):
        raise Failure("a frame between the list's first appearance and the end shows something else")
    if late_frames > max(2, rendered // 20):
        raise Failure(f"{late_frames} of {rendered} frames were late")

    record = run.companion_record()
    if record.count("1230") != 1:
        raise Failure(f"the simulator recorded 1230 {record.count('1230')} times for one release of F1")

    saved = (run.dir / "sceneCollection" / "scenes.xconfig").read_text(encoding="utf-8-sig")
    for expected_text in ["cx : 546", "cy : 42", "font : 宋体", "color : -28672", "backgroundOpacity : 50",
                          "hotkey : 112"]:
        if expected_text not in saved:
            raise Failure(f"the scene OBS wrote back lacks {expected_text!r}")


def save_picture(frame, path):
    """Writes a frame as a PNG file (through ffmpeg)."""
    path.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24", "-s",
                    f"{WIDTH}x{HEIGHT}", "-i", "-", str(path)], input=frame, check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", type=pathlib.Path)
    parser.add_argument("--plugin", type=pathlib.Path)
    parser.add_argument("--name", default="shipped")
    parser.add_argument("--short", action="store_true")
    parser.add_argument("--stops", action="store_true")
    parser.add_argument("--hostile", action="store_true")
    parser.add_argument("--picture", type=pathlib.Path)
    args = parser.parse_args()
    build = args.build.resolve()
    plugin = args.plugin or build / "bin" / "plugins" / "TavikSongList.dll"
    scenario = "stops" if args.stops else "hostile" if args.hostile else "full"
    run = Run(build, plugin, args.name, scenario)
    started = time.time()
    try:
        run.lay_out()
        run.prefix_ready()
        run.start_display()
        run.start_obs()
        if scenario == "stops":
            check_scenario(run, stops_run(run))
        elif scenario == "hostile":
            hostile_run(run)
            check_scenario(run, [])
        else:
            (short_run if args.short else full_run)(run)
            check(run, args.short, args.picture)
    except (Failure, subprocess.CalledProcessError, subprocess.TimeoutExpired) as failure:
        print(f"FAILED: obs_run {args.name}: {failure}")
        wine_output = run.dir / "wine.txt"
        if wine_output.exists():
            for line in wine_output.read_text(errors="replace").splitlines():
                if "No implementation for" in line or "unimplemented function" in line:
                    print("obs_run: Wine said: " + line.strip())
        try:
            print("obs_run: the end of OBS's log:\n" + "\n".join(run.log().splitlines()[-25:]))
        except Failure:
            pass
        return 1
    finally:
        run.stop()
    print(f"obs_run {args.name}: passed in {time.time() - started:.0f} s ({plugin})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
