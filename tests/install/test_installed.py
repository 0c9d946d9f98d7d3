"""The program as `cmake --install` lays it out: the installed files, their validation, and the
installed executable run as an unprivileged user with a home and XDG folders of its own.

The program runs on Qt's offscreen platform. It is started with SIGTERM blocked and sent SIGTERM at
once: the program takes the pending signal when it starts and closes its window as the close button
does, so every run ends by itself after one start and one close, with nothing timed.
"""

import grp
import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import unittest
from pathlib import Path

BUILD_DIR = Path(os.environ["QUILLORY_BUILD_DIR"])
CMAKE = os.environ["QUILLORY_CMAKE"]
BUILT_EXE = Path(os.environ["QUILLORY_BUILT_EXE"])
APP_ID = "cz.quillory.Quillory"
RUN_TIMEOUT = 60
BLOCKS = [f"blok{n}.txt" for n in range(1, 9)]


def as_root():
    return os.geteuid() == 0


def user_kwargs(user):
    """Popen arguments that run the child as `user` (only root can switch)."""
    if not as_root() or user == "root":
        return {}
    account = pwd.getpwnam(user)
    return {"user": account.pw_uid, "group": account.pw_gid, "extra_groups": []}


def snapshot(folder):
    """Every path under `folder` with its size, time of change and mode."""
    result = {}
    for path in sorted(Path(folder).rglob("*")):
        info = path.lstat()
        result[str(path.relative_to(folder))] = (info.st_size, info.st_mtime_ns, info.st_mode)
    return result


class InstalledProgram(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory(prefix="quillory-install-")
        cls.root = Path(cls.tmp.name)
        cls.root.chmod(0o755)  # the unprivileged user reaches the prefix and its own folders
        cls.prefix = cls.root / "prefix"
        subprocess.run([CMAKE, "--install", str(BUILD_DIR), "--prefix", str(cls.prefix)],
                       check=True, stdout=subprocess.DEVNULL)
        cls.exe = cls.prefix / "bin" / "quillory"
        cls.user = "nobody" if as_root() else pwd.getpwuid(os.geteuid()).pw_name

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def folders_for(self, name, user):
        """A home with XDG folders of its own, owned by `user`; returns the environment to run in."""
        home = self.root / name
        for sub in ("", "data", "config", "cache", "runtime"):
            (home / sub).mkdir(mode=0o700)
            if as_root():
                account = pwd.getpwnam(user)
                os.chown(home / sub, account.pw_uid, account.pw_gid)
        return {
            "PATH": "/usr/bin:/bin",
            "HOME": str(home),
            "XDG_DATA_HOME": str(home / "data"),
            "XDG_CONFIG_HOME": str(home / "config"),
            "XDG_CACHE_HOME": str(home / "cache"),
            "XDG_RUNTIME_DIR": str(home / "runtime"),
            "QT_QPA_PLATFORM": "offscreen",
            "LANG": "C.UTF-8",
        }

    def start_and_close(self, exe, env, user):
        """Starts the program, has it close at once, returns what it wrote on its error output."""
        old_mask = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGTERM})
        try:
            process = subprocess.Popen([str(exe)], env=env, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                       **user_kwargs(user))
        finally:
            signal.pthread_sigmask(signal.SIG_SETMASK, old_mask)
        process.send_signal(signal.SIGTERM)
        try:
            _, errors = process.communicate(timeout=RUN_TIMEOUT)
        except subprocess.TimeoutExpired:
            process.kill()
            process.communicate()
            self.fail(f"{exe} did not close on SIGTERM")
        errors = errors.decode("utf-8", "replace")
        self.assertEqual(process.returncode, 0, errors)
        return [line for line in errors.splitlines() if line.startswith("quillory: ")]

    def test_install_lays_out_the_program_its_files_and_icons(self):
        expected = [
            "bin/quillory",
            "share/quillory/Skins/Wood/Options.dat",
            "share/quillory/help/napoveda.html",
            "share/quillory/help/okno.png",
            "share/quillory/providers.ini",
            f"share/applications/{APP_ID}.desktop",
            f"share/metainfo/{APP_ID}.metainfo.xml",
            f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
            f"share/icons/hicolor/48x48/apps/{APP_ID}.png",
            f"share/icons/hicolor/128x128/apps/{APP_ID}.png",
            f"share/icons/hicolor/256x256/apps/{APP_ID}.png",
            "share/man/man1/quillory.1.gz",
            "share/doc/quillory/copyright",
        ]
        for name in expected:
            self.assertTrue((self.prefix / name).is_file(), name)
        for size in (48, 128, 256):
            png = (self.prefix / f"share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png").read_bytes()
            self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
            self.assertEqual((int.from_bytes(png[16:20], "big"), int.from_bytes(png[20:24], "big")),
                             (size, size))
        entry = (self.prefix / f"share/applications/{APP_ID}.desktop").read_text(encoding="utf-8")
        for line in ("Exec=quillory", f"Icon={APP_ID}", "Name[cs]=Quillory", "Comment[cs]="):
            self.assertIn(line, entry)

    def test_desktop_entry_and_metainfo_validate(self):
        for command in (
            [os.environ["DESKTOP_FILE_VALIDATE"], str(self.prefix / f"share/applications/{APP_ID}.desktop")],
            [os.environ["APPSTREAMCLI"], "validate", "--no-net",
             str(self.prefix / f"share/metainfo/{APP_ID}.metainfo.xml")],
        ):
            result = subprocess.run(command, capture_output=True, text=True)
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
            self.assertNotIn("error", (result.stdout + result.stderr).lower())

    def test_command_line_answers_without_a_window(self):
        env = {"PATH": "/usr/bin:/bin", "HOME": str(self.root), "LANG": "C.UTF-8"}  # no display at all
        cases = [(["--version"], 0, "Quillory 1.01\n", ""),
                 (["--help"], 0, "--version", ""),
                 (["--nonsense"], 2, "", "nonsense"),
                 (["--version", "extra"], 2, "", "extra"),
                 (["--help"], 0, "--resume-merge", ""),
                 (["--resume-merge", "--maybe-sent=maybe"], 2, "", "maybe"),
                 (["--maybe-sent=again"], 2, "", "--resume-merge")]
        for arguments, status, out, err in cases:
            with self.subTest(arguments=arguments):
                result = subprocess.run([str(self.exe), *arguments], env=env, capture_output=True,
                                        text=True, timeout=RUN_TIMEOUT)
                self.assertEqual(result.returncode, status, result.stderr)
                self.assertIn(out, result.stdout)
                self.assertIn(err, result.stderr)
                if status == 2:
                    self.assertIn("quillory --help", result.stderr)

    def test_installed_copy_keeps_the_data_in_xdg_data_home(self):
        env = self.folders_for("user", self.user)
        data = Path(env["XDG_DATA_HOME"]) / "quillory"
        before = snapshot(self.prefix)

        # The first start makes the data folder with eight empty blocks: no error.
        self.assertEqual(self.start_and_close(self.exe, env, self.user), [])
        self.assertEqual(sorted(p.name for p in data.iterdir()), sorted(BLOCKS + ["Backups"]))
        for name in BLOCKS:
            self.assertEqual((data / name).read_bytes(), b"", name)
        self.assertTrue((Path(env["XDG_CONFIG_HOME"]) / "quillory.INI").is_file())

        # The next start reads the blocks back, the close writes them (with CR LF line ends).
        (data / "blok2.txt").write_bytes(b"Dobr\xfd den\nnov\xe1 \xf8\xe1dka")
        self.assertEqual(self.start_and_close(self.exe, env, self.user), [])
        self.assertEqual((data / "blok2.txt").read_bytes(), b"Dobr\xfd den\r\nnov\xe1 \xf8\xe1dka")

        # A block missing from the existing folder is reported with its real path; the close makes it.
        (data / "blok5.txt").unlink()
        errors = self.start_and_close(self.exe, env, self.user)
        self.assertEqual(len(errors), 1, errors)
        self.assertIn(f'Cannot open file "{data / "blok5.txt"}"', errors[0])
        self.assertEqual((data / "blok5.txt").read_bytes(), b"")
        self.assertEqual((data / "blok2.txt").read_bytes(), b"Dobr\xfd den\r\nnov\xe1 \xf8\xe1dka")

        self.assertEqual(snapshot(self.prefix), before, "the program wrote into its prefix")

    @unittest.skipUnless(as_root(), "only root can write into any prefix")
    def test_installed_copy_run_by_root_writes_nothing_into_the_prefix(self):
        env = self.folders_for("root-user", "root")
        before = snapshot(self.prefix)
        self.assertEqual(self.start_and_close(self.exe, env, "root"), [])
        self.assertEqual(snapshot(self.prefix), before)
        self.assertEqual(sorted(p.name for p in (Path(env["XDG_DATA_HOME"]) / "quillory").iterdir()),
                         sorted(BLOCKS + ["Backups"]))

    def test_copy_outside_a_prefix_keeps_its_files_beside_itself(self):
        folder = self.root / "portable"
        folder.mkdir()
        shutil.copy2(BUILT_EXE, folder / "quillory")
        if as_root():
            account = pwd.getpwnam(self.user)
            os.chown(folder, account.pw_uid, account.pw_gid)
        env = self.folders_for("portable-user", self.user)
        # No block files yet: the first one is reported beside the executable, as always.
        errors = self.start_and_close(folder / "quillory", env, self.user)
        self.assertEqual(len(errors), 1, errors)
        self.assertIn(f'Cannot open file "{folder / "blok1.txt"}"', errors[0])
        for name in BLOCKS:
            self.assertTrue((folder / name).is_file(), name)
        self.assertFalse((Path(env["XDG_DATA_HOME"]) / "quillory").exists())


if __name__ == "__main__":
    unittest.main()
