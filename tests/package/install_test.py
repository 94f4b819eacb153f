#!/usr/bin/python3
"""The package as a streamer uses it:

    install_test.py ZIP BIN WINE_RUN WORK VERSION INSTALL_NOTE LICENSE

ZIP is the built archive, BIN the build's programs (the stand-in host, the host library, the
plugin as built), WINE_RUN the build's Wine runner ("none" where the build's programs cannot run
here: the host is then not started), WORK a folder of this test's own (emptied first). The archive holds what it should, in its order, and packing the same inputs again gives
the same bytes; unzipped into a fresh folder laid out as OBS Classic's installation (OBS.exe,
OBSApi.dll, OBS's own LICENSE, locale, shaders, another plugin), its files land where OBS looks
for them, leave OBS's own alone and match their SHA-256 sums; and the host started there loads
the plugin and draws a source of it.
"""
import hashlib
import os
import shutil
import subprocess
import sys
import zipfile

EXPECTED = [
    "plugins/TavikSongList.dll",
    "TavikSongList-README.txt",
    "TavikSongList-LICENSE.txt",
    "TavikSongList-SHA256SUMS.txt",
]
OBS_LICENSE = b"OBS Classic's own licence, which the package must leave alone\r\n"


def check(condition, message):
    if not condition:
        raise SystemExit("FAILED: " + message)


def main():
    if len(sys.argv) != 8:
        raise SystemExit(__doc__)
    package, bin_dir, wine_run, work, version, note, licence = sys.argv[1:]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    # The archive: its entries in order, the plugin as built, and the same bytes when packed again.
    with zipfile.ZipFile(package) as archive:
        check(archive.namelist() == EXPECTED, f"entries {archive.namelist()}")
        with open(os.path.join(bin_dir, "plugins", "TavikSongList.dll"), "rb") as f:
            check(archive.read(EXPECTED[0]) == f.read(), "the archive's plugin is not the one built")
    again = os.path.join(work, "again.zip")
    packer = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "make-package.py")
    with zipfile.ZipFile(package) as archive:
        plugin = os.path.join(work, "plugin.dll")
        with open(plugin, "wb") as f:
            f.write(archive.read(EXPECTED[0]))
    subprocess.run([packer, again, version, plugin, note, licence], check=True)
    with open(package, "rb") as a, open(again, "rb") as b:
        check(a.read() == b.read(), "packing the same inputs again gave other bytes")

    # A fresh OBS Classic folder: the stand-in host as OBS.exe beside its host library, what the
    # installer puts there, and a plugin of its own.
    obs = os.path.join(work, "OBS")
    for folder in ("plugins", "locale", "shaders"):
        os.makedirs(os.path.join(obs, folder))
    shutil.copy(os.path.join(bin_dir, "standin_host.exe"), os.path.join(obs, "OBS.exe"))
    shutil.copy(os.path.join(bin_dir, "OBSApi.dll"), obs)
    if wine_run != "none":
        shutil.copy(os.path.join(bin_dir, "testplugins", "RectPlugin.dll"), os.path.join(obs, "plugins"))
    with open(os.path.join(obs, "LICENSE"), "wb") as f:
        f.write(OBS_LICENSE)
    for name in ("locale/en.txt", "services.xconfig"):
        with open(os.path.join(obs, name), "wb") as f:
            f.write(b"\xef\xbb\xbf")

    # Unzipped there, as the install note says.
    with zipfile.ZipFile(package) as archive:
        archive.extractall(obs)
    for name in EXPECTED:
        check(os.path.isfile(os.path.join(obs, name)), f"{name} is not where it should be")
    with open(os.path.join(obs, "LICENSE"), "rb") as f:
        check(f.read() == OBS_LICENSE, "OBS's own LICENSE was replaced")
    with open(os.path.join(obs, "TavikSongList-SHA256SUMS.txt"), encoding="ascii") as f:
        sums = [line.split(None, 1) for line in f.read().splitlines() if line]
    check(sorted(name for _, name in sums) == sorted(EXPECTED[:3]), f"sums of {[n for _, n in sums]}")
    for digest, name in sums:
        with open(os.path.join(obs, name), "rb") as f:
            check(hashlib.sha256(f.read()).hexdigest() == digest, f"{name} does not match its SHA-256")

    if wine_run == "none":
        print(f"{os.path.basename(package)}: {len(EXPECTED)} entries, the same when packed again; unzipped into "
              "an OBS Classic folder; the host was not started there (its programs do not run on this machine)")
        return
    # The host started from there loads the plugin from plugins\ and draws a source of it.
    run = subprocess.run([wine_run, "OBS.exe", "--quiet", "--fps", "0", "--source", "Tavik直播点歌插件", "歌单",
                          "--frames", "3"], cwd=obs, capture_output=True, timeout=90)
    output = run.stdout.decode("utf-8", errors="replace")
    check(run.returncode == 0, f"OBS.exe exited with {run.returncode}:\n{output}")
    for line in ('loaded plugin TavikSongList.dll: "Tavik直播点歌插件", "Tavik直播点歌"',
                 'source class "Tavik直播点歌插件" shown as "Tavik直播点歌源"',
                 "loaded plugin RectPlugin.dll"):
        check(line in output, f"no '{line}' in what OBS.exe printed:\n{output}")
    check("cannot load" not in output and "refused" not in output, f"a plugin did not load:\n{output}")
    print(output, end="")
    print(f"{os.path.basename(package)}: {len(EXPECTED)} entries, the same when packed again; "
          "unzipped into an OBS Classic folder, the plugin loaded from plugins\\")


if __name__ == "__main__":
    main()
