#!/usr/bin/env python3
"""The setup program as a streamer and an administrator use it, under Wine on a virtual X display:

    setup_test.py BUILD_DIR SETUP VERSION DLL32 [--picture PNG]

BUILD_DIR is build/win; SETUP the setup program built there, which holds the 64-bit plugin and
DLL32, the 32-bit one (built in build/win32); VERSION the project's.
A second setup program, with the 64-bit plugin alone, is built here from the same script, to show
what a setup without the 32-bit plugin does with a 32-bit OBS. In a fresh Wine prefix of the
test's own (BUILD_DIR/setup-test/prefix):

- with no OBS anywhere, silent setup ends with 4 and writes nothing; given a folder without OBS.exe
  (/D=), with 5; the English pages, on an English system, refuse that folder on the folder page;
- OBS Classic laid out as its setup program lays it out: OBS Classic's own OBS.exe, built from its
  source, in "Program Files\\OBS"; a 32-bit OBS (an OBS.exe with an x86 header) in the folder the
  registry names (HKLM\\Software\\Open Broadcaster Software, 32-bit view) and another in
  "Program Files (x86)\\OBS", which the key's folder takes the place of;
- silent setup with the 64-bit plugin alone puts it into the 64-bit OBS, leaves the 32-bit OBS
  alone, records itself in "Programs and Features" (name, publisher, version, size) and its note
  and licence as the zip holds them;
- while OBS.exe runs: silent setup ends with 3 and writes nothing, the Chinese pages (on a Chinese
  system) say what they will install and where and, at Install, that OBS runs; the uninstaller
  ends with 3 and removes nothing; OBS then lists the plugin in its log and shows the list;
- while another program (the stand-in host) has the plugin loaded, setup and uninstaller end with 3;
- the shipped setup puts the 32-bit plugin into the key's folder (not the default one) and the
  64-bit one where it was;
- the uninstaller, run as "Programs and Features" runs it quietly, removes both plugins, its
  folder and its entries, and nothing of OBS's: every other file of the three folders, OBS's log,
  scenes and recording included, is as it was;
- a plugin that cannot be written ends setup with 7 and is not recorded.
The setup program built again from the same inputs is the same bytes.

--picture PNG saves the Chinese welcome page (the picture in docs/setup.md). Exit 0 when all passed.
"""
import argparse
import contextlib
import hashlib
import pathlib
import shutil
import struct
import subprocess
import sys
import time
import zipfile

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parents[1]
sys.path.insert(0, str(ROOT / "tests" / "obs-classic"))
import obs_run  # noqa: E402

PLUGIN = "TavikSongList.dll"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TavikSongList"
FILES_KEY = r"HKLM\Software\TavikSongList\InstalledPlugins"
OWN_KEY = r"HKLM\Software\TavikSongList"
OBS_KEY_32 = r"HKLM\Software\Wow6432Node\Open Broadcaster Software"
OWN_FOLDER = r"C:\Program Files\TavikSongList"
OBS64 = r"C:\Program Files\OBS"
OBS32 = r"C:\Streaming\OBS 32"          # named by the registry
OBS32_DEFAULT = r"C:\Program Files (x86)\OBS"
EXIT_RUNNING, EXIT_NO_OBS, EXIT_NOT_OBS_FOLDER, EXIT_WRITE_FAILED = 3, 4, 5, 7
NEXT, CANCEL, OK = "1", "2", "1"
DIR_EDIT = "1019"  # NSIS's folder field


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def pe_image(machine, dll, marker):
    """The headers of a Windows image for a machine, and a marker that tells it from any other."""
    image = bytearray(1024)
    image[0:2] = b"MZ"
    struct.pack_into("<I", image, 0x3C, 0x80)
    image[0x80:0x84] = b"PE\0\0"
    struct.pack_into("<HH", image, 0x84, machine, 0)
    struct.pack_into("<H", image, 0x96, 0x2102 if dll else 0x0102)
    image[0x200:0x200 + len(marker)] = marker
    return bytes(image)


def unquote(text, start):
    """The string quoted at text[start] in a .reg file, and the index after its closing quote."""
    out, i = [], start + 1
    while text[i] != '"':
        if text[i] == "\\":
            i += 1
        out.append(text[i])
        i += 1
    return "".join(out), i + 1


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def snapshot(folders):
    return {str(p): sha256(p) for folder in folders for p in sorted(folder.rglob("*")) if p.is_file()}


class SetupRun(obs_run.Run):
    def __init__(self, build):
        super().__init__(build, build / "bin" / "plugins" / PLUGIN, "setup")
        self.work = build / "setup-test"
        self.prefix = self.work / "prefix"
        self.drive = self.prefix / "drive_c"
        self.dir = self.unix(OBS64)  # where lay_out puts OBS Classic

    def lay_out(self):
        # OBS's folder holds the home of the run's Wine (with its null sound card), made with the
        # display; laying OBS out empties the folder.
        home = self.dir / "home" / ".asoundrc"
        asoundrc = home.read_bytes()
        super().lay_out()
        home.parent.mkdir()
        home.write_bytes(asoundrc)

    def unix(self, windows_path):
        return self.drive / windows_path[3:].replace("\\", "/")

    def prefix_ready(self):
        subprocess.run([str(ROOT / "scripts" / "wine-prefix-init"), str(self.prefix),
                        str(self.build.parent / "fonts"), "x11"], check=True)

    def wine(self, *args, locale="zh_CN.UTF-8", timeout=120):
        env = dict(self.env, WINEDEBUG="-all", LC_ALL=locale)
        output = self.work / "wine-output.txt"
        with open(output, "w") as sink:
            code = subprocess.run([obs_run.WINE, *map(str, args)], env=env, stdout=sink, stderr=subprocess.STDOUT,
                                  timeout=timeout).returncode
        return code, output.read_text(encoding="utf-8", errors="replace")

    def start(self, *args, locale):
        env = dict(self.env, WINEDEBUG="-all", LC_ALL=locale)
        return subprocess.Popen([obs_run.WINE, *map(str, args)], env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def drive_windows(self, *actions):
        code, output = self.wine(self.bin / "window_driver.exe", *actions)
        check(code == 0, f"window_driver {' '.join(actions)}: {output.strip()}")
        return output

    def registry(self, key):
        """The values of a key ({name: text or int}, "" for the default), None when it is missing."""
        exported = self.work / "key.reg"
        exported.unlink(missing_ok=True)
        code, _ = self.wine("reg", "export", key, exported, "/y")
        if code != 0:
            return None
        values = {}
        for line in exported.read_text(encoding="utf-16").splitlines():
            if line.startswith("@="):
                name, rest = "", line[2:]
            elif line.startswith('"'):
                name, end = unquote(line, 0)
                rest = line[end + 1:]
            else:
                continue
            values[name] = int(rest[6:], 16) if rest.startswith("dword:") else unquote(rest, 0)[0]
        return values

    def nothing_installed(self, what):
        check(not self.unix(OWN_FOLDER).exists(), f"{what}: {OWN_FOLDER} was made")
        for key in (UNINSTALL_KEY, OWN_KEY):
            check(self.registry(key) is None, f"{what}: {key} was written")


def build_setups(build, work, setup, version, dll32):
    """The shipped setup program built again from the same inputs, which must give the same bytes,
    and the same script with the 64-bit plugin alone."""
    inputs = [str(build / "bin" / "plugins" / PLUGIN), str(ROOT / "docs" / "install-note.txt"), str(ROOT / "LICENSE")]
    again = work / "setup-again.exe"
    subprocess.run([str(ROOT / "scripts" / "make-setup.py"), str(again), version, *inputs, "--dll32", str(dll32)],
                   check=True)
    check(again.read_bytes() == setup.read_bytes(), "building the setup program again gave other bytes")
    alone = work / "setup-64-bit-alone.exe"
    subprocess.run([str(ROOT / "scripts" / "make-setup.py"), str(alone), version, *inputs], check=True)
    return alone


def lay_out_32(run, windows_path, marker):
    folder = run.unix(windows_path)
    (folder / "plugins").mkdir(parents=True)
    (folder / "OBS.exe").write_bytes(pe_image(0x14C, False, marker))
    (folder / "OBSApi.dll").write_bytes(pe_image(0x14C, True, marker))
    (folder / "plugins" / "DShowPlugin.dll").write_bytes(pe_image(0x14C, True, marker))
    (folder / "LICENSE").write_bytes(b"OBS Classic's own licence\r\n")
    return folder


def texts(output):
    return output.replace("\\n", "\n")


def page(run, needle, owned=False, seconds=30):
    """The texts of the setup program's wizard (or, owned, its message box) once they hold needle:
    a page's controls come a moment after its window."""
    end = time.time() + seconds
    while True:
        shown = texts(run.drive_windows("window", "Tavik", "owned" if owned else "top", str(seconds * 1000), "texts"))
        if needle in shown or time.time() > end:
            check(needle in shown, f"the {'message' if owned else 'page'} shown lacks {needle!r}:\n{shown[:3000]}")
            return shown
        time.sleep(0.3)


def press(run, button, owned=False):
    run.drive_windows("window", "Tavik", "owned" if owned else "top", "5000", "click", button)


def answer(run, needle):
    """Reads the message box the setup program shows, which must say needle, and presses OK."""
    page(run, needle, owned=True)
    run.drive_windows("window", "Tavik", "owned", "5000", "click", OK, "gone", "5000")


@contextlib.contextmanager
def pages(run, setup, locale, cancelled_what):
    """The setup program with its pages, on a system of locale; the pages are cancelled at the
    end, which must end the program with 1 and leave nothing behind."""
    process = run.start(setup, locale=locale)
    try:
        yield
        press(run, CANCEL)
        process.wait(timeout=30)
    finally:
        if process.poll() is None:
            process.kill()
    check(process.returncode == 1, f"setup cancelled {cancelled_what} ended with {process.returncode}, not 1")


def uninstall_in_place(run):
    # NSIS reads the folder after _?= to the end of the command line, unquoted.
    return run.wine(OWN_FOLDER + r"\uninstall.exe", "/S", *("_?=" + OWN_FOLDER).split(" "))[0]


def no_obs_anywhere(run, setup):
    code, _ = run.wine(setup, "/S")
    check(code == EXIT_NO_OBS, f"silent setup with no OBS anywhere ended with {code}, not {EXIT_NO_OBS}")
    run.nothing_installed("setup with no OBS")
    run.unix(r"C:\Streaming").mkdir(parents=True)
    code, _ = run.wine(setup, "/S", r"/D=C:\Streaming")
    check(code == EXIT_NOT_OBS_FOLDER, f"silent setup into a folder without OBS.exe ended with {code}")
    run.nothing_installed("setup into a folder without OBS.exe")

    # The English pages, on an English system: the folder page refuses a folder without OBS.exe.
    with pages(run, setup, "C.UTF-8", "on its folder page"):
        page(run, "Setup puts the song-list plugin")
        press(run, NEXT)
        page(run, "Using it asks you to accept nothing")
        press(run, NEXT)
        page(run, "Setup found no OBS Classic")
        run.drive_windows("window", "Tavik", "top", "5000", "set-text", DIR_EDIT, r"C:\Streaming", "click", NEXT)
        answer(run, r"C:\Streaming holds no OBS.exe")
    run.nothing_installed("setup cancelled on its folder page")
    print("setup_test: no OBS anywhere: exit 4, a folder without OBS.exe: exit 5 and refused on the "
          "English folder page, nothing written")


def while_obs_runs(run, setup, setup_alone, version, picture):
    installed = run.unix(OBS64) / "plugins" / PLUGIN
    stamp = installed.stat().st_mtime_ns
    records = run.registry(FILES_KEY)
    code, _ = run.wine(setup_alone, "/S")
    check(code == EXIT_RUNNING, f"silent setup while OBS runs ended with {code}, not {EXIT_RUNNING}")

    # The Chinese pages, on a Chinese system: the welcome page, the licence, what goes where, and
    # at Install, that OBS runs.
    with pages(run, setup, "zh_CN.UTF-8", "after OBS was found running"):
        page(run, f"本程序把点歌列表插件 Tavik直播点歌 {version} 安装到这台电脑上的 OBS Classic 里：64 位的 OBS 和 32 位的 OBS 都装")
        if picture:
            time.sleep(1)
            x, y, width, height = map(int, run.drive_windows("window", "Tavik", "top", "5000", "rect").split()[1:5])
            picture.parent.mkdir(parents=True, exist_ok=True)
            subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "x11grab", "-video_size", f"{width}x{height}",
                            "-draw_mouse", "0", "-i", f"{run.display}+{x},{y}", "-frames:v", "1", str(picture)],
                           env=run.env, check=True)
        press(run, NEXT)
        licence = page(run, "GNU GENERAL PUBLIC LICENSE")
        check("使用它不需要同意任何条款" in licence, f"the licence page says:\n{licence[:3000]}")
        press(run, NEXT)
        summary = page(run, "安装程序将把 TavikSongList.dll 安装到：")
        for line in [OBS64 + r"\plugins\（64 位的 OBS Classic）", OWN_FOLDER,
                     OBS32 + r"\plugins\（32 位的 OBS Classic）"]:
            check(line in summary, f"the summary page lacks {line!r}:\n{summary}")
        check(OBS32_DEFAULT not in summary, f"the summary names {OBS32_DEFAULT}, which the registry's folder replaces")
        press(run, NEXT)
        answer(run, "OBS Classic 正在运行。请关闭 OBS 后再试")

    code = uninstall_in_place(run)
    check(code == EXIT_RUNNING, f"the silent uninstaller while OBS runs ended with {code}, not {EXIT_RUNNING}")
    check(installed.stat().st_mtime_ns == stamp, "the plugin was written or removed while OBS ran")
    check(not (run.unix(OBS32) / "plugins" / PLUGIN).exists(), "a plugin went into the 32-bit OBS while OBS ran")
    check(run.registry(FILES_KEY) == records, "what setup recorded changed while OBS ran")
    check((run.unix(OWN_FOLDER) / "uninstall.exe").exists(), "the uninstaller removed itself while OBS ran")
    print("setup_test: while OBS.exe runs: silent setup exit 3, the Chinese pages list what goes where and "
          "say OBS runs, the uninstaller exit 3; nothing written or removed")


def plugin_in_use(run, setup, obs32):
    """Another program than OBS (the stand-in host) has the installed plugin loaded: setup does not
    replace it, nor does the uninstaller remove it."""
    output = run.work / "standin.txt"
    with open(output, "w") as sink:
        host = subprocess.Popen([obs_run.WINE, "standin_host.exe", "--plugins", OBS64 + r"\plugins", "--sleep", "20000"],
                                cwd=run.bin, env=dict(run.env, WINEDEBUG="-all"), stdout=sink, stderr=subprocess.STDOUT)
    try:
        run.wait_for("the stand-in host did not load the plugin",
                     lambda: "loaded plugin TavikSongList.dll" in output.read_text(errors="replace"), 30)
        code, _ = run.wine(setup, "/S")
        check(code == EXIT_RUNNING, f"silent setup while the plugin is loaded ended with {code}, not {EXIT_RUNNING}")
        check(not (obs32 / "plugins" / PLUGIN).exists(), "setup installed while the plugin was loaded")
        code = uninstall_in_place(run)
        check(code == EXIT_RUNNING, f"the uninstaller while the plugin is loaded ended with {code}, not {EXIT_RUNNING}")
    finally:
        host.kill()
        host.wait()
    print("setup_test: while another program has the plugin loaded: setup exit 3, the uninstaller exit 3")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", type=pathlib.Path)
    parser.add_argument("setup", type=pathlib.Path)
    parser.add_argument("version")
    parser.add_argument("dll32", type=pathlib.Path)
    parser.add_argument("--picture", type=pathlib.Path)
    args = parser.parse_args()
    build = args.build.resolve()
    setup = args.setup.resolve()
    picture = args.picture.resolve() if args.picture else None
    started = time.time()
    run = SetupRun(build)
    shutil.rmtree(run.work, ignore_errors=True)
    run.work.mkdir(parents=True)
    try:
        dll_x86 = args.dll32.resolve()
        setup_alone = build_setups(build, run.work, setup, args.version, dll_x86)
        run.prefix_ready()
        run.start_display()
        # No window manager runs on the display: Wine draws the windows' frames and captions itself.
        code, output = run.wine("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f")
        check(code == 0, f"the X11 driver's setting could not be written: {output}")
        print(f"setup_test: a fresh prefix and setup programs in {time.time() - started:.0f} s")

        no_obs_anywhere(run, setup)

        # OBS Classic as its own setup program lays it out.
        run.lay_out()
        (run.dir / "plugins" / PLUGIN).unlink()
        obs32 = lay_out_32(run, OBS32, b"32-bit OBS named by the registry")
        obs32_default = lay_out_32(run, OBS32_DEFAULT, b"32-bit OBS in its default folder")
        code, output = run.wine("reg", "add", OBS_KEY_32, "/ve", "/d", OBS32 + "\\", "/f")
        check(code == 0, f"the registry key could not be written: {output}")
        folders = [run.dir, obs32, obs32_default]
        before = snapshot(folders)

        code, _ = run.wine(setup_alone, "/S")
        check(code == 0, f"silent setup with the 64-bit plugin alone ended with {code}")
        installed = run.dir / "plugins" / PLUGIN
        check(installed.read_bytes() == run.plugin.read_bytes(), "the 64-bit OBS's plugin is not the one built")
        check(snapshot(folders) == dict(before, **{str(installed): sha256(installed)}),
              "setup wrote more than the 64-bit plugin into OBS's folders")
        entry = run.registry(UNINSTALL_KEY)
        check(entry is not None, "no entry in Programs and Features")
        own = run.unix(OWN_FOLDER)
        size = sum((p.stat().st_size + 1023) // 1024 for p in [installed, *own.iterdir()])
        expected = {"DisplayName": "Tavik直播点歌 (OBS Classic)", "Publisher": "Tavik", "DisplayVersion": args.version,
                    "EstimatedSize": size, "UninstallString": f'"{OWN_FOLDER}\\uninstall.exe"',
                    "QuietUninstallString": f'"{OWN_FOLDER}\\uninstall.exe" /S'}
        for name, value in expected.items():
            check(entry.get(name) == value, f"Programs and Features: {name} is {entry.get(name)!r}, not {value!r}")
        check(run.registry(FILES_KEY) == {OBS64 + "\\plugins\\" + PLUGIN: "64"}, "what setup recorded")
        with zipfile.ZipFile(build / "dist" / (build / "dist" / "package-name.txt").read_text().strip()) as z:
            for name in ["TavikSongList-README.txt", "TavikSongList-LICENSE.txt"]:
                check((own / name).read_bytes() == z.read(name), f"{name} is not the zip's")
        check(sorted(p.name for p in own.iterdir()) ==
              ["TavikSongList-LICENSE.txt", "TavikSongList-README.txt", "uninstall.exe"], f"{own} holds more")
        print("setup_test: silent setup with the 64-bit plugin alone: it goes into Program Files\\OBS\\plugins, the 32-bit OBS "
              "left alone, Programs and Features: " + ", ".join(f"{k} {entry[k]}" for k in expected))

        run.start_obs()
        run.remote("wait", 60000)
        while_obs_runs(run, setup, setup_alone, args.version, picture)
        # OBS goes on: it loads the plugin, which starts the companion and shows the list.
        run.remote("sleep", 2000, "command", obs_run.ID_TOGGLERECORDING)
        run.wait_for("the plugin did not start the companion simulator",
                     lambda: "launch arguments" in run.companion_record(), 30)
        time.sleep(5)
        run.remote("command", obs_run.ID_TOGGLERECORDING, "sleep", 2000, "command", obs_run.ID_EXIT, "gone", 60000)
        obs_run.check(run, True, None)
        print("setup_test: OBS.exe lists TavikSongList.dll among its modules and shows the list")

        after_obs = snapshot(folders)
        plugin_in_use(run, setup, obs32)
        code, _ = run.wine(setup, "/S")
        check(code == 0, f"silent setup with both plugins ended with {code}")
        check((obs32 / "plugins" / PLUGIN).read_bytes() == dll_x86.read_bytes(),
              "the 32-bit plugin did not go into the folder the registry names")
        check(installed.read_bytes() == run.plugin.read_bytes(), "the 64-bit plugin was not kept")
        check(not (obs32_default / "plugins" / PLUGIN).exists(), f"a plugin went into {OBS32_DEFAULT}")
        check(run.registry(FILES_KEY) == {OBS64 + "\\plugins\\" + PLUGIN: "64", OBS32 + "\\plugins\\" + PLUGIN: "32"},
              "what setup with both plugins recorded")
        print("setup_test: setup with both plugins: x86 into the registry's folder, x64 into Program Files\\OBS")

        # As "Programs and Features" runs it: NSIS's uninstaller starts a copy of itself from the
        # temporary folder and returns; that copy does the work.
        code, _ = run.wine(OWN_FOLDER + r"\uninstall.exe", "/S")
        check(code == 0, f"the silent uninstaller could not start ({code})")
        run.wait_for("the uninstaller did not finish", lambda: run.registry(OWN_KEY) is None and not own.exists(), 60)
        time.sleep(1)
        check(run.registry(UNINSTALL_KEY) is None, "the entry in Programs and Features is still there")
        del after_obs[str(installed)]
        check(snapshot(folders) == after_obs, "the uninstaller removed or changed more than the plugins")
        print("setup_test: the silent uninstaller removed both plugins, its folder and its entries, and "
              "nothing of OBS's")

        # A plugin that cannot be written (a folder of its name in the way) is said, not recorded.
        installed.mkdir()
        code, _ = run.wine(setup, "/S")
        check(code == EXIT_WRITE_FAILED, f"silent setup that could not write the plugin ended with {code}")
        check(run.registry(FILES_KEY) == {OBS32 + "\\plugins\\" + PLUGIN: "32"},
              "setup recorded a plugin it could not write, or not the one it wrote")
        check((run.unix(OWN_FOLDER) / "uninstall.exe").exists(), "the plugin setup wrote has no uninstaller")
        print("setup_test: a plugin that cannot be written: exit 7, not recorded; the one written is, with its uninstaller")
    except (Failure, obs_run.Failure, subprocess.CalledProcessError, subprocess.TimeoutExpired) as failure:
        print(f"FAILED: setup_test: {failure}")
        return 1
    finally:
        run.stop()
    print(f"setup_test: passed in {time.time() - started:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
