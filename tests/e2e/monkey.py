#!/usr/bin/python3
"""The monkey: the real program driven for thousands of steps by random but
valid actions of a person, each drawn from a seeded generator so that a run
can be repeated.

Guards against the faults that only long, unplanned use finds: a crash, a
hang (no answer on the accessibility bus for HANG_TIMEOUT seconds), a report
of AddressSanitizer, UndefinedBehaviorSanitizer or LeakSanitizer on the
program's output, an end of the program nobody asked for, a modal window no
answer closes, and an image it saved that does not open again (`kri info` on
every image file the program wrote, and on the image inside every recovery
file it wrote).

A person's actions here: menu commands by key and by mouse, the class
selector, drags and clicks in the image window (with Shift, with the right
button), the figure keys (Delete, Ctrl+C/X/V, Ctrl+Z/Y), edits of the
panel's lists, number fields, texts and buttons, the object list and its
toolbar, clipboard contents offered by another program (xclip), and every
modal window answered at random: its buttons, Escape, Return, its controls,
and in file dialogs names of new files, saved files, damaged files, missing
files and third-party pictures. A Quit starts the program again; now and
then the monkey kills it, as a crash would, and starts it again (sometimes
with its recovery file damaged) to meet the offer of the unsaved drawing.

Usage: monkey.py KRESTA KRI --seed N [--actions M] [--minutes T] [--keep]
Needs what draw_save_reopen.py needs (run-monkey provides it) and xclip.
Every action is written with its index to monkey.log in the work folder; the
same seed makes the same choices while the program answers the same way, so
a failure at action K repeats with --actions K. The work folder is kept when
the run fails (or with --keep).
"""

import argparse
import collections
import os
import random
import re
import shutil
import signal
import struct
import subprocess
import sys
import time
import zlib

from gi.repository import GLib

sys.dont_write_bytecode = True   # the source folder stays as checked out
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import draw_save_reopen as e2e  # noqa: E402  the session and its accessibility helpers
from draw_save_reopen import centre  # noqa: E402

# Seconds.
HANG_TIMEOUT = 30           # without an answer on the accessibility bus: a hang
STARTUP_TIMEOUT = 30        # for a sanitized program to show its main window
POPUP_TIMEOUT = 3           # for a menu or a list to open after its click
MENU_CLOSE_TIMEOUT = 0.5    # for a menu to close after a click on one of its commands
QUIT_TIMEOUT = 20           # for the program to end (leak check included) after Quit
EXIT_REPORT_TIMEOUT = 20    # for a failing program to finish writing its report
KRI_TIMEOUT = 60
STACKS_TIMEOUT = 120        # for gdb to collect the stacks of a hung program
SETTLE = 0.05               # for the input just sent to reach the program
PROBE_INTERVAL = 0.2
MAX_CRASH_DELAY = 7         # a crash comes this long after the last action at most: the
                            # program writes its recovery file within 5 s of a change
KEY_DELAY_MS = 30
TYPE_DELAY_MS = 12

# Actions.
QUIT_GRACE_ACTIONS = 10     # with no modal window open this long after a Quit: it was cancelled
MAX_HICCUPS = 60            # actions in a row the monkey could not carry out
MAX_DIALOG_STEPS = 150      # actions in a row one modal window may stay on top
MAX_ORPHAN_ACTIONS = 20     # actions in a row with windows shown but not the main one
FINISH_ROUNDS = 8           # Quit attempts at the end of a run
PROGRESS_EVERY = 100
CRASH_SHARE = 0.01          # of the actions with no modal window: a kill, as a crash would

# Pixels.
DRAG_OVERSHOOT = 40         # a drag may end this far beyond the visible image
MAX_DRAG_STEPS = 8
SPIN_TEXT_INSET = 8         # into a number field from its left edge, clear of its arrows

# Bytes.
MAX_CLIPBOARD_BYTES = 4096
MAX_DAMAGED_BYTES = 2048
# The recovery file: signature, format version, name length, name, container
# length, container; integers little-endian.
RECOVERY_HEADER = struct.Struct("<8sII")
RECOVERY_SIGNATURE = b"KRECOVER"
RECOVERY_VERSION = 1
RECOVERY_MAX_NAME_BYTES = 4096
LOG_TAIL_LINES = 30
PROGRAM_OUTPUT_CHARS = 8000

SANITIZER_MARKERS = ("ERROR: AddressSanitizer", "AddressSanitizer:DEADLYSIGNAL", "runtime error:",
                     "ERROR: LeakSanitizer")

MAIN_TITLE = "Kresta"
CLASS_SELECTOR_HINT = "Класс создаваемого объекта"
FILE_NAME_LABEL = "Имя файла"
SAVE_BUTTON = "Сохранить"
QUIT_ITEMS = ("Выход",)
# Answers that let a Quit go on when the program asks about the open image.
DISCARD_BUTTONS = ("Не сохранять",)
# The program's own clipboard formats, by their registered names.
IMAGE_FORMAT = "Kresta Image"
FIGURE_FORMAT = "Kresta Figure"
FIGURE_CLASSES = ("TFigurePolyLine", "TFigureRectangle", "TFigurePolygon", "TFigureRoundRect", "TFigureEllipse",
                  "TFigurePie", "TFigureChord", "TFigureText", "TFigureBitmap", "TFigureUnknown")

DIALOG_ROLES = {"dialog", "alert", "file chooser", "color chooser", "font chooser"}
CONTROL_ROLES = {"push button", "toggle button", "check box", "radio button", "combo box", "spin button", "text",
                 "page tab", "slider", "image"}
# Their rows are reached through the keyboard, the menus through their bar.
OPAQUE_ROLES = {"combo box", "list", "tree", "table", "tree table", "menu bar"}
MENU_ENTRY_ROLES = {"menu item", "check menu item", "radio menu item", "menu"}

IMAGE_KEYS = ("Delete", "Delete", "ctrl+c", "ctrl+x", "ctrl+v", "ctrl+v", "ctrl+z", "ctrl+z", "ctrl+y",
              "ctrl+shift+z", "ctrl+Cyrillic_es", "ctrl+Cyrillic_che", "ctrl+Cyrillic_em", "shift+Delete",
              "ctrl+plus", "ctrl+equal", "ctrl+KP_Add", "ctrl+minus", "ctrl+KP_Subtract", "ctrl+0", "ctrl+8",
              "ctrl+9", "Insert", "Insert", "Tab", "shift+Tab", "ctrl+Tab", "ctrl+shift+Tab", "Left", "Right",
              "shift+Up", "shift+Down", "ctrl+Left", "ctrl+shift+Right", "Prior", "Next", "Escape", "ctrl+g",
              "ctrl+shift+g")
# Modifiers held while the wheel turns over the image: zoom, horizontal and
# vertical scroll.
WHEEL_MODIFIERS = ("ctrl", "ctrl", "shift", "")
# (weight, key): the menu commands and the undo keys.
COMMAND_KEYS = ((3, "ctrl+n"), (3, "ctrl+o"), (5, "ctrl+s"), (2, "ctrl+shift+s"), (1, "ctrl+w"), (1, "ctrl+q"),
                (1, "F1"), (3, "ctrl+z"), (3, "ctrl+y"), (1, "ctrl+shift+z"))
OPEN_KEYS = ((3, "ctrl+n"), (1, "ctrl+o"))
QUIT_KEYS = ("ctrl+q",)
STRAY_KEYS = ("Escape", "Return", "Tab", "shift+Tab", "space", "Up", "Down", "Left", "Right", "Home", "End",
              "Page_Up", "Page_Down", "BackSpace", "a", "Cyrillic_ya")
LIST_MOVES = ("Down", "Down", "Up", "Page_Down", "Page_Up", "Home", "End")
NUMBER_TEXTS = ("0", "-1", "1", "5", "9", "10", "500", "501", "2000", "2001", "5000", "5001", "32767", "32768",
                "-32769", "2147483648", "99999999999999999999", "", "-", "+", "abc", " 42 ", "1e3", "0x10")
TEXTS = ("Hello", "Привет, мир", " ", "<b>&amp;</b>", "%s%n%d", "€ № „“", "漢字", "x" * 60, "Ёж ёлка", "'\"`\\")
BASE_NAMES = ("Рисунок", "image", "a b", "x", "длинное имя файла", "-dash", "#hash", ".hidden", "v1.2")

XWININFO_CHILD = re.compile(r"^\s*(0x[0-9a-f]+) .*\s(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+[+-]-?\d+[+-]-?\d+\s*$")

Window = collections.namedtuple("Window", "kind node name xid box")   # kind: main, image or dialog
Control = collections.namedtuple("Control", "node role name box enabled")


class Fault(Exception):
    """What the program did wrong: the run fails with it."""


def pick(rng, weighted):
    """One of the (weight, item) pairs' items, in proportion to the weights."""
    total = sum(weight for weight, _ in weighted)
    point = rng.uniform(0, total)
    for weight, item in weighted:
        point -= weight
        if point <= 0:
            return item
    return weighted[-1][1]


def inside(point, box):
    x, y, w, h = box
    return x <= point[0] < x + w and y <= point[1] < y + h


def intersection(a, b):
    x0, y0 = max(a[0], b[0]), max(a[1], b[1])
    x1, y1 = min(a[0] + a[2], b[0] + b[2]), min(a[1] + a[3], b[1] + b[3])
    return (x0, y0, x1 - x0, y1 - y0) if x1 > x0 and y1 > y0 else None


def png_bytes(rng):
    """A small valid PNG of random pixels."""
    width, height = rng.randint(1, 32), rng.randint(1, 32)
    rows = b"".join(b"\0" + rng.randbytes(width * 3) for _ in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def damage(rng, data):
    """The bytes of a file broken one of the ways files break."""
    how = rng.randrange(4)
    if how == 0 or not data:
        return rng.randbytes(rng.randint(1, MAX_DAMAGED_BYTES))
    if how == 1:
        return data[:rng.randrange(len(data))]
    if how == 2:
        broken = bytearray(data)
        for _ in range(rng.randint(1, 8)):
            broken[rng.randrange(len(broken))] = rng.randrange(256)
        return bytes(broken)
    return b""


class ProgramSession(e2e.Session):
    """The program under test, started again on the same buses after it ends."""

    def start_program(self, log_path):
        """The program on its own log; its recovery files in the work folder."""
        self.program_log_path = log_path
        env = self.program_environment(self.recovery_home)
        with open(log_path, "wb") as log:
            self.program = subprocess.Popen([self.kresta], cwd=self.files, env=env, stdin=subprocess.DEVNULL,
                                            stdout=log, stderr=subprocess.STDOUT)
        self.attach()
        # The main window, or a question at the start (an unsaved drawing).
        self.wait_for("a window", self.windows, timeout=STARTUP_TIMEOUT, seen=self.window_listing)

    @property
    def recovery_home(self):
        return os.path.join(self.work, "state")

    def answers(self):
        """Whether the program's event loop answers a question now (a call
        to a program that does not answer returns -1 after a timeout)."""
        try:
            return self.app.childCount > 0
        except Exception:
            return False

    def enabled(self, node):
        try:
            return node.getState().contains(self.pyatspi.STATE_ENABLED)
        except Exception:
            return False


class Clipboard:
    """Clipboard contents owned by another program, as a person copies them
    elsewhere: one xclip process serves them until something else is copied."""

    def __init__(self):
        self.owner = None

    def offer(self, target, data):
        self.stop()
        self.owner = subprocess.Popen(["xclip", "-selection", "clipboard", "-quiet", "-t", target],
                                      stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.owner.stdin.write(data)
        self.owner.stdin.close()

    def stop(self):
        if self.owner is not None and self.owner.poll() is None:
            self.owner.terminate()
            self.owner.wait()
        self.owner = None


class Files:
    """The names the monkey gives file dialogs, and the files behind them:
    images it saved and seeds built from the examples, damaged copies,
    missing names, copies of third-party pictures. Every name is safe for
    either kind of dialog: nothing outside the work folder is ever offered,
    so a save dialog taken for an open one overwrites only the monkey's own
    files."""

    def __init__(self, work, rng, kri, testdata, written):
        self.rng = rng
        self.written = written      # told of every file the monkey writes itself
        self.folders = {name: os.path.join(work, name)
                        for name in ("saved", "pictures", "damaged", "seeds", "third-party")}
        for folder in self.folders.values():
            os.mkdir(folder)
        self.count = 0
        self.images = []            # files that open: seeds and images the program saved
        self.image_names = set()    # names given to image saves, whatever their extension
        self.third_party = []
        if testdata and os.path.isdir(testdata):
            for root, _, names in sorted(os.walk(testdata)):
                self.third_party += [os.path.join(root, n) for n in sorted(names)
                                     if n.lower().endswith((".bmp", ".jpg", ".jpeg"))]
        examples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples")
        if os.path.isdir(examples):
            for name in sorted(os.listdir(examples)):
                if name.endswith(".json"):
                    target = os.path.join(self.folders["seeds"], name[:-len(".json")] + ".kri")
                    done = subprocess.run([kri, "build", os.path.join(examples, name), target],
                                          capture_output=True, text=True, timeout=KRI_TIMEOUT)
                    if done.returncode != 0:
                        raise Fault(f"kri build {name} failed: {done.stderr.strip()}")
                    self.images.append(target)
                    written(target)

    def fresh(self, folder, extension):
        self.count += 1
        return os.path.join(self.folders[folder], f"{self.rng.choice(BASE_NAMES)}-{self.count}{extension}")

    def existing(self, folder, fallback):
        folder = self.folders[folder]
        names = sorted(os.listdir(folder))
        return os.path.join(folder, self.rng.choice(names)) if names else fallback

    def damaged(self, extension):
        sources = self.images if extension == ".kri" else self.third_party
        data = b""
        if sources:
            with open(self.rng.choice(sources), "rb") as source:
                data = source.read()
        path = self.fresh("damaged", extension)
        with open(path, "wb") as target:
            target.write(damage(self.rng, data))
        self.written(path)
        return path

    def third_party_copy(self):
        """A copy of one of the third-party pictures (a damaged picture when
        there are none)."""
        if not self.third_party:
            return self.damaged(".bmp")
        self.count += 1
        original = self.rng.choice(self.third_party)
        path = os.path.join(self.folders["third-party"], f"{self.count}-{os.path.basename(original)}")
        shutil.copyfile(original, path)
        return path

    def missing(self, extension):
        return os.path.join(self.folders["saved"], "нет такой папки", f"x{extension}")

    def name_for(self, kind, mode):
        """A name for a file dialog of images (.kri) or pictures, to open or to save."""
        rng = self.rng
        if kind == "image" and mode == "open":
            choices = [(4, lambda: rng.choice(self.images) if self.images else self.damaged(".kri")),
                       (3, lambda: self.damaged(".kri")), (1, lambda: self.missing(".kri")),
                       (1, self.third_party_copy), (1, lambda: self.folders["saved"])]
        elif kind == "image":
            choices = [(5, lambda: self.image_name(self.fresh("saved", rng.choice((".kri", ".kri", "", ".KRI"))))),
                       (3, lambda: self.existing("saved", self.fresh("saved", ".kri"))),
                       (1, lambda: self.missing(".kri")), (1, lambda: self.folders["saved"])]
        elif mode == "open":
            choices = [(6, self.third_party_copy), (1, lambda: self.existing("pictures", self.missing(".bmp"))),
                       (1, lambda: self.damaged(".bmp")), (1, lambda: self.missing(".bmp"))]
        else:
            choices = [(5, lambda: self.fresh("pictures", rng.choice((".bmp", ".jpg", "")))),
                       (2, lambda: self.existing("pictures", self.fresh("pictures", ".bmp"))),
                       (1, lambda: self.missing(".bmp"))]
        return pick(rng, choices)()

    def image_name(self, path):
        """A name for an image save, remembered with the extension the
        dialog adds when it has none, as the program's own file."""
        self.image_names.update((path, path + ".kri"))
        return path

    def program_written(self, path):
        """Whether a file under the work folder is one of the images the
        program writes: any .kri file, any name given to its image saves."""
        return path.lower().endswith(".kri") or path in self.image_names


class Monkey:
    """The person: one seeded generator drives every choice; each action is
    logged before it is done and checked after."""

    def __init__(self, session, seed, testdata):
        self.session = session
        self.seed = seed
        self.rng = random.Random(seed)
        self.file_states = {}       # (inode, size, mtime) of the image files last checked
        self.files = Files(session.work, self.rng, session.kri, testdata, self.remember)
        self.clipboard = Clipboard()
        self.log = open(os.path.join(session.work, "monkey.log"), "w", encoding="utf-8")
        self.log.write(f"seed {seed}\n")
        self.index = 0
        self.launches = 0
        self.output_seen = 0        # characters of the current program log already checked
        self.last_quit = None       # index of the Quit under way: its questions may take many actions
        self.hiccups = 0
        self.dialog_steps = 0
        self.top_dialog = None
        self.orphan_since = None    # index of the first action that found no main window

    # ---------------------------------------------------------------- running

    def run(self, actions, minutes):
        deadline = time.monotonic() + minutes * 60 if minutes else None
        started = time.monotonic()
        self.launch()
        while self.index < actions and (deadline is None or time.monotonic() < deadline):
            self.index += 1
            self.step()
            self.check()
            if self.index % PROGRESS_EVERY == 0:
                print(f"monkey: {self.index} actions in {(time.monotonic() - started) / 60:.1f} min", flush=True)
        self.finish()
        return self.index, time.monotonic() - started

    def launch(self):
        self.launches += 1
        self.output_seen = 0
        log_path = os.path.join(self.session.work, f"kresta-{self.launches}.log")
        try:
            self.session.start_program(log_path)
        except e2e.Failure as failure:
            self.check_output()
            raise Fault(f"the program did not start: {failure}") from None
        self.note(f"program started (run {self.launches}, log {os.path.basename(log_path)})")

    def step(self):
        windows = self.observe()
        dialog = next((w for w in windows if w.kind == "dialog"), None)
        self.track_dialog(dialog)
        self.track_main_window(windows)
        if dialog is None and windows and self.last_quit is not None \
                and self.index - self.last_quit > QUIT_GRACE_ACTIONS:
            self.last_quit = None   # the Quit was cancelled
        state = ", ".join(f"{w.kind} {self.short(w.name)!r}" for w in windows) or "no window"
        self.log.write(f"#{self.index} [{state}]\n")
        try:
            if dialog is not None:
                self.answer(dialog)
            elif windows:
                self.act(windows)
            self.hiccups = 0
        except (e2e.Failure, GLib.Error) as hiccup:
            # The screen changed under the action: a window closed, a control
            # went. The program's part is judged by the checks that follow.
            self.hiccups += 1
            self.note(f"  not done: {hiccup}")
            self.release_input()
            if self.hiccups > MAX_HICCUPS:
                raise Fault(f"the monkey could carry out none of its last {MAX_HICCUPS} actions; "
                            f"windows: {state}") from None

    def note(self, text):
        self.log.write(f"#{self.index} {text}\n")
        self.log.flush()

    def track_dialog(self, dialog):
        key = dialog.xid if dialog is not None else None
        self.dialog_steps = self.dialog_steps + 1 if key is not None and key == self.top_dialog else 0
        self.top_dialog = key
        if self.dialog_steps > MAX_DIALOG_STEPS:
            raise Fault(f"the modal window {dialog.name!r} stayed open through {MAX_DIALOG_STEPS} "
                        f"answers (buttons, Escape, Return, its controls)")

    def track_main_window(self, windows):
        """The menus live in the main window: a program that shows other
        windows but not it for long is one a person can no longer steer."""
        orphaned = windows and not any(w.kind == "main" for w in windows)
        self.orphan_since = (self.orphan_since or self.index) if orphaned else None
        if orphaned and self.index - self.orphan_since >= MAX_ORPHAN_ACTIONS:
            raise Fault(f"the program runs on without its main window since action #{self.orphan_since}")

    # ----------------------------------------------------------------- checks

    def check(self):
        """After every action: alive (or ended on request), answering, no
        sanitizer report, every image it saved opens."""
        time.sleep(SETTLE)
        if self.wait_for_answer():
            self.check_output()
            self.check_saved_files()
            return
        self.check_ended()
        self.launch()

    def wait_for_answer(self):
        """True once the program answers; False if it ended meanwhile."""
        deadline = time.monotonic() + HANG_TIMEOUT
        while self.session.program.poll() is None:
            if self.session.answers():
                return True
            if time.monotonic() > deadline:
                self.check_output()
                raise Fault(f"the program gave no answer for {HANG_TIMEOUT} s (a hang); "
                            f"its stacks:\n{self.stacks()}")
            time.sleep(PROBE_INTERVAL)
        return False

    def check_ended(self):
        status = self.session.program.wait()
        self.check_output()
        asked = self.last_quit is not None
        if status == 0 and asked:
            self.last_quit = None
            self.note("program ended after Quit with status 0")
            self.check_saved_files()
            return
        if status < 0:
            what = f"was killed by {signal.Signals(-status).name}"
        else:
            what = f"ended with status {status}"
        raise Fault(f"the program {what}" + ("" if asked else " without being asked to quit"))

    def check_output(self):
        output = self.session.program_log()
        fresh, self.output_seen = output[self.output_seen:], len(output)
        for marker in SANITIZER_MARKERS:
            if marker in fresh:
                raise Fault(f"a sanitizer report ({marker!r}) on the program's output")

    def remember(self, path):
        st = os.stat(path)
        self.file_states[path] = (st.st_ino, st.st_size, st.st_mtime_ns)

    def check_saved_files(self):
        """Every image file the program wrote since the last check opens;
        so does the image in every recovery file it wrote."""
        for root, folders, names in os.walk(self.session.work):
            folders[:] = sorted(f for f in folders if os.path.join(root, f) != self.session.runtime)
            for name in sorted(names):
                path = os.path.join(root, name)
                recovery = name.endswith(".krr")
                if not os.path.isfile(path) or not (recovery or self.files.program_written(path)):
                    continue
                state = self.file_states.get(path)
                self.remember(path)
                if state == self.file_states[path]:
                    continue
                if recovery:
                    self.check_recovery_file(path)
                else:
                    self.check_image_file(path, path)
                    if path not in self.files.images:
                        self.files.images.append(path)

    def check_image_file(self, path, what):
        done = subprocess.run([self.session.kri, "info", path], capture_output=True, text=True,
                              timeout=KRI_TIMEOUT)
        if done.returncode != 0 or any(m in done.stderr for m in SANITIZER_MARKERS):
            raise Fault(f"the image the program saved as {what} does not open: kri info ended with "
                        f"status {done.returncode}: {done.stderr.strip()[:2000]}")
        self.note(f"  saved image {self.short(what)} opens")

    def check_recovery_file(self, path):
        with open(path, "rb") as file:
            data = file.read()
        if len(data) < RECOVERY_HEADER.size:
            raise Fault(f"the recovery file {path} the program wrote has {len(data)} bytes")
        signature, version, name_length = RECOVERY_HEADER.unpack_from(data)
        rest = data[RECOVERY_HEADER.size + name_length:]
        container_length = struct.unpack_from("<I", rest)[0] if len(rest) >= 4 else None
        if (signature != RECOVERY_SIGNATURE or version != RECOVERY_VERSION
                or name_length > RECOVERY_MAX_NAME_BYTES or container_length != len(rest) - 4):
            raise Fault(f"the recovery file {path} the program wrote is not whole: signature {signature!r}, "
                        f"version {version}, a name of {name_length} bytes, a container of {container_length} "
                        f"bytes in {len(data)} bytes")
        container = os.path.join(self.session.work, "recovered.kri")
        with open(container, "wb") as file:
            file.write(rest[4:])
        self.remember(container)
        self.check_image_file(container, path)

    def stacks(self):
        """The main thread's stack of the program, by the debugger; every
        thread's goes to hang-stacks.txt in the work folder."""
        try:
            done = subprocess.run(["gdb", "-p", str(self.session.program.pid), "-batch", "-nx",
                                   "-ex", "thread apply all bt"], capture_output=True, text=True,
                                  timeout=STACKS_TIMEOUT)
            text = done.stdout
        except (OSError, subprocess.TimeoutExpired) as error:
            return f"(no stacks: {error})"
        with open(os.path.join(self.session.work, "hang-stacks.txt"), "w") as out:
            out.write(text)
        main_thread = text.find("\nThread 1 ")
        return text[main_thread:][:PROGRAM_OUTPUT_CHARS] if main_thread >= 0 else text[-PROGRAM_OUTPUT_CHARS:]

    # -------------------------------------------------------------- observing

    def observe(self):
        """The program's shown windows, topmost first."""
        self.session.pump()
        tops = []
        for node in self.session.windows():
            try:
                tops.append((node, node.getRoleName(), node.name, self.session.extents(node)))
            except Exception:
                continue
        windows = []
        for xid, box in self.x_stack():
            for node, role, name, node_box in tops:
                if node_box == box:
                    kind = ("dialog" if role in DIALOG_ROLES else
                            "main" if role == "frame" and name == MAIN_TITLE else "image")
                    windows.append(Window(kind, node, name, xid, box))
                    break
        return windows

    def x_stack(self):
        """The program's mapped X windows, topmost first: (id, box). Menus,
        lists and tooltips are among them but have no accessible window."""
        search = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.session.program.pid)],
                                capture_output=True, text=True, timeout=e2e.UI_TIMEOUT)
        shown = {int(w) for w in search.stdout.split()}
        tree = subprocess.run(["xwininfo", "-root", "-children"], capture_output=True, text=True,
                              timeout=e2e.UI_TIMEOUT).stdout
        stack = []
        for line in tree.splitlines():
            found = XWININFO_CHILD.match(line)
            if found and int(found[1], 16) in shown:
                w, h, x, y = (int(v) for v in found.group(2, 3, 4, 5))
                stack.append((str(int(found[1], 16)), (x, y, w, h)))
        return stack

    def controls(self, window):
        """The shown controls of a window that a person can reach with the
        mouse (inside the window), enabled or not."""
        found = []

        def walk(node):
            for child in self.session.children(node):
                if not self.session.showing(child):
                    continue
                role = child.getRoleName()
                if role in CONTROL_ROLES:
                    box = self.session.extents(child)
                    if box[2] > 0 and box[3] > 0 and inside(centre(box), window.box):
                        found.append(Control(child, role, child.name, box, self.session.enabled(child)))
                if role not in OPAQUE_ROLES:
                    walk(child)

        walk(window.node)
        return found

    def pick_control(self, controls):
        """An enabled control, its kind chosen first: the few text fields and
        page buttons come up as often as the many lists."""
        usable = [c for c in controls if c.enabled]
        if not usable:
            raise e2e.Failure("no enabled control")
        role = self.rng.choice(sorted({c.role for c in usable}))
        return self.rng.choice([c for c in usable if c.role == role])

    def surface_area(self, image):
        """The visible part of the drawing surface: the child of the image
        window's sunken frame, clipped by that frame."""
        for node in self.session.descendants(image.node):
            if node.getRoleName() != "frame":
                continue
            frame = self.session.extents(node)
            for child in self.session.children(node):
                area = intersection(self.session.extents(child), frame)
                if area is not None:
                    return area
            return frame
        return image.box

    def short(self, path):
        return path.replace(self.session.work, "WORK")

    # ------------------------------------------------------------------ input

    def xdotool(self, *args):
        return self.session.xdotool(*args)

    def keys(self, window, *keys):
        self.xdotool("windowfocus", window.xid, "key", "--delay", KEY_DELAY_MS, *keys)

    def click(self, point, button=1, repeat=1):
        self.xdotool("mousemove", point[0], point[1], "click", "--repeat", repeat, "--delay", 80, button)

    def point_in(self, box):
        x, y, w, h = box
        return x + self.rng.randrange(max(w, 1)), y + self.rng.randrange(max(h, 1))

    def release_input(self):
        try:
            self.xdotool("keyup", "shift", "keyup", "ctrl")
        except e2e.Failure:
            pass

    def wait_until(self, probe, timeout):
        deadline = time.monotonic() + timeout
        while not probe():
            if time.monotonic() > deadline:
                return False
            time.sleep(PROBE_INTERVAL / 4)
            self.session.pump()
        return True

    def asked_to_quit(self):
        """Waits for a Quit to end the program or to ask something first."""
        self.last_quit = self.index
        self.wait_until(lambda: self.session.program.poll() is not None
                        or any(w.kind == "dialog" for w in self.observe()), QUIT_TIMEOUT)

    # ---------------------------------------------------------------- actions

    def act(self, windows):
        """One action of a person when no modal window is open."""
        if self.rng.random() < CRASH_SHARE:
            self.simulate_crash()
            return
        main = next((w for w in windows if w.kind == "main"), None)
        image = next((w for w in windows if w.kind == "image"), None)
        normal = [w for w in windows if w.kind != "dialog"]
        choices = [(8, lambda: self.command_key(normal, COMMAND_KEYS)),
                   (3, lambda: self.set_clipboard()),
                   (2, lambda: self.stray_key(normal))]
        if main is not None:
            choices += [(7, lambda: self.menu(main)), (18, lambda: self.edit_control(main))]
        if image is not None:
            choices += [(26, lambda: self.drag(image)), (12, lambda: self.click_image(image)),
                        (10, lambda: self.image_key(image)), (3, lambda: self.edit_control(image)),
                        (5, lambda: self.wheel(image))]
        if image is not None and main is not None:
            choices.append((7, lambda: self.choose_class(main)))
        else:
            # Most of what there is to do needs an image.
            choices.append((20, lambda: self.command_key(normal, OPEN_KEYS)))
        pick(self.rng, choices)()

    def drag(self, image):
        rng = self.rng
        area = self.surface_area(image)
        x0, y0 = self.point_in(area)
        x, y, w, h = area
        x1, y1 = self.point_in((x - DRAG_OVERSHOOT, y - DRAG_OVERSHOOT, w + 2 * DRAG_OVERSHOOT,
                                h + 2 * DRAG_OVERSHOOT))
        x1, y1 = max(x1, 0), max(y1, 0)
        steps = rng.randint(1, MAX_DRAG_STEPS)
        shift = rng.random() < 0.25
        button = 3 if rng.random() < 0.1 else 1
        self.note(f"drag{' with Shift' if shift else ''}, button {button}, from {(x0, y0)} to {(x1, y1)} in "
                  f"{steps} steps (visible image at {area})")
        path = ["mousemove", x0, y0] + (["keydown", "shift"] if shift else []) + ["mousedown", button]
        for step in range(1, steps + 1):
            path += ["mousemove", x0 + (x1 - x0) * step // steps, y0 + (y1 - y0) * step // steps]
        path += ["mouseup", button] + (["keyup", "shift"] if shift else [])
        self.xdotool(*path)

    def click_image(self, image):
        area = self.surface_area(image)
        point = self.point_in(area)
        how = self.rng.choice(("left", "left", "left", "Shift+left", "right", "double"))
        self.note(f"{how} click at {point} (visible image at {area})")
        if how == "Shift+left":
            self.xdotool("mousemove", *point, "keydown", "shift", "click", 1, "keyup", "shift")
        else:
            self.click(point, button=3 if how == "right" else 1, repeat=2 if how == "double" else 1)

    def wheel(self, image):
        point = self.point_in(self.surface_area(image))
        modifier = self.rng.choice(WHEEL_MODIFIERS)
        button = self.rng.choice((4, 5))
        notches = self.rng.randint(1, 4)
        self.note(f"wheel {'up' if button == 4 else 'down'} {notches} notches{' with ' + modifier if modifier else ''} "
                  f"at {point}")
        held = ["keydown", modifier] if modifier else []
        self.xdotool("mousemove", *point, *held, "click", "--repeat", notches, "--delay", 30, button,
                     *(["keyup", modifier] if modifier else []))

    def image_key(self, image):
        key = self.rng.choice(IMAGE_KEYS)
        self.note(f"key {key} in the image window")
        self.keys(image, key)

    def command_key(self, windows, keys):
        window = self.rng.choice(windows)
        key = pick(self.rng, keys)
        self.note(f"key {key} in the {window.kind} window")
        self.keys(window, key)
        if key in QUIT_KEYS:
            self.asked_to_quit()

    def stray_key(self, windows):
        window = self.rng.choice(windows)
        key = self.rng.choice(STRAY_KEYS)
        self.note(f"key {key} in the {window.kind} window")
        self.keys(window, key)

    def menu(self, main):
        """A menu command by mouse: a title of the bar, then items down to a
        command (or Escape half way)."""
        bar = next((c for c in self.session.children(main.node) if c.getRoleName() == "menu bar"), None)
        titles = [c for c in self.session.children(bar)] if bar is not None else []
        titles = [c for c in titles if self.session.showing(c)]
        if not titles:
            raise e2e.Failure("no menu bar")
        item = self.rng.choice(titles)
        path = [item.name]
        self.note(f"menu {item.name!r} by mouse")
        self.click(centre(self.session.extents(item)))
        opened = []
        while len(opened) < 3:
            popup = next((c for c in self.session.children(item) if c.getRoleName() == "popup menu"), None)
            if popup is None or not self.wait_until(lambda: self.session.showing(popup), POPUP_TIMEOUT):
                break
            opened.append(popup)
            entries = [c for c in self.session.children(popup)
                       if c.getRoleName() in MENU_ENTRY_ROLES and self.session.showing(c)]
            if not entries or self.rng.random() < 0.1:
                self.note(f"  menu {' > '.join(path)}: Escape")
                break
            item = self.rng.choice(entries)
            path.append(item.name)
            self.note(f"  menu {' > '.join(path)}{'' if self.session.enabled(item) else ' (disabled)'}")
            self.click(centre(self.session.extents(item)))
            if path[-1] in QUIT_ITEMS:
                self.asked_to_quit()
                return
        # A disabled item leaves its menu open, as does Escape half way.
        still_open = [p for p in opened if self.session.program.poll() is None
                      and not self.wait_until(lambda: not self.session.showing(p), MENU_CLOSE_TIMEOUT)]
        if still_open:
            self.xdotool("key", "--delay", KEY_DELAY_MS, *["Escape"] * len(still_open))

    def choose_class(self, main):
        selector = next((c for c in self.controls(main) if c.enabled and c.node.description == CLASS_SELECTOR_HINT),
                        None)
        if selector is None:
            raise e2e.Failure("no enabled class selector")
        self.use_list(main, selector)

    def edit_control(self, window):
        self.use_control(window, self.pick_control(self.controls(window)))

    def use_control(self, window, control):
        if control.role == "combo box":
            self.use_list(window, control)
        elif control.role == "spin button":
            self.type_number(window, control)
        elif control.role == "text":
            self.type_text(window, control)
        elif control.role == "slider":
            point = self.point_in(control.box)
            self.note(f"click on the slider {control.name!r} at {point}")
            self.click(point)
        else:
            repeat = 2 if self.rng.random() < 0.1 else 1
            self.note(f"{'double ' if repeat == 2 else ''}click on the {control.role} {control.name!r} "
                      f"({control.node.description!r})")
            self.click(centre(control.box), repeat=repeat)

    def use_list(self, window, control):
        """A drop-down list opened by mouse, moved through by keys and closed
        by Return (the choice), Escape or Space."""
        moves = [self.rng.choice(LIST_MOVES) for _ in range(self.rng.randint(0, 6))]
        close = pick(self.rng, ((7, "Return"), (2, "Escape"), (1, "space")))
        self.note(f"list {control.name!r} ({control.node.description!r}): {' '.join(moves + [close])}")
        before = {xid for xid, _ in self.x_stack()}
        self.click(centre(control.box))
        self.wait_until(lambda: any(xid not in before for xid, _ in self.x_stack()), POPUP_TIMEOUT)
        self.xdotool("key", "--delay", KEY_DELAY_MS, *moves, close)

    def type_number(self, window, control):
        rng = self.rng
        how = rng.random()
        if how < 0.15:
            wheel = rng.choice((4, 5))
            count = rng.randint(1, 5)
            self.note(f"number field {control.name!r}: wheel {'up' if wheel == 4 else 'down'} x{count}")
            self.xdotool("mousemove", *centre(control.box), "click", "--repeat", count, wheel)
            return
        text = str(rng.randint(-50, 6000)) if how < 0.55 else rng.choice(NUMBER_TEXTS)
        end = rng.choice(("Return", "Tab", None))
        self.note(f"number field {control.name!r} ({control.node.description!r}): type {text!r}, {end}")
        x, y, _, h = control.box
        self.click((x + SPIN_TEXT_INSET, y + h // 2))
        self.keys(window, "ctrl+a", "BackSpace")
        if text:
            self.xdotool("type", "--delay", TYPE_DELAY_MS, "--", text)
        if end:
            self.xdotool("key", end)

    def type_text(self, window, control):
        text = self.rng.choice(TEXTS)
        end = self.rng.choice(("Return", "Tab", None))
        self.note(f"text {control.name!r} ({control.node.description!r}): type {text!r}, {end}")
        self.click(centre(control.box))
        self.keys(window, "ctrl+a", "BackSpace")
        self.xdotool("type", "--delay", TYPE_DELAY_MS, "--", text)
        if end:
            self.xdotool("key", end)

    def set_clipboard(self):
        """Clipboard contents from another program: text, a picture, or the
        program's own formats holding real, broken or random bytes."""
        rng = self.rng
        kind = rng.choice(("text", "png", "image", "figure"))
        if kind == "text":
            target, data = "UTF8_STRING", rng.choice(TEXTS).encode()
        elif kind == "png":
            target, data = "image/png", png_bytes(rng)
        elif kind == "image":
            target, data = IMAGE_FORMAT, rng.randbytes(rng.randint(0, MAX_CLIPBOARD_BYTES))
            if self.files.images and rng.random() < 0.7:
                with open(rng.choice(self.files.images), "rb") as image:
                    whole = image.read()
                data = whole if rng.random() < 0.4 else damage(rng, whole)
        else:
            name = rng.choice(FIGURE_CLASSES).encode()
            length = pick(rng, ((6, len(name)), (1, -1), (1, 0), (1, 0x7FFFFFFF), (1, len(name) + 5)))
            record = rng.randbytes(rng.randint(0, 200))
            target, data = FIGURE_FORMAT, struct.pack("<i", length) + name + record
            if rng.random() < 0.2:
                data = rng.randbytes(rng.randint(0, 64))
        self.note(f"clipboard from another program: {target!r}, {len(data)} bytes ({kind})")
        self.clipboard.offer(target, data)

    def simulate_crash(self):
        """Kills the program as a crash or a power loss would, damages its
        recovery file now and then, and starts it again."""
        delay = round(self.rng.uniform(0, MAX_CRASH_DELAY), 1)
        damage_it = self.rng.random() < 0.3
        self.note(f"in {delay} s kill the program (SIGKILL){', damage its recovery file' if damage_it else ''}; "
                  f"start again")
        time.sleep(delay)
        self.session.program.kill()
        self.session.program.wait()
        self.check_output()
        if damage_it:
            folder = os.path.join(self.session.recovery_home, "kresta")
            leftovers = sorted(n for n in os.listdir(folder) if n.endswith(".krr")) if os.path.isdir(folder) else []
            if leftovers:
                path = os.path.join(folder, self.rng.choice(leftovers))
                with open(path, "rb") as file:
                    data = file.read()
                with open(path, "wb") as file:
                    file.write(damage(self.rng, data))
                self.remember(path)
                self.note(f"  damaged {self.short(path)}")
        self.launch()

    # ---------------------------------------------------------------- dialogs

    def answer(self, dialog):
        """A modal window answered at random: a name in a file dialog, one
        of its buttons, Escape, Return, or one of its controls."""
        controls = self.controls(dialog)
        field = next((c for c in controls if c.enabled and c.role == "text" and c.name.startswith(FILE_NAME_LABEL)),
                     None)
        buttons = [c for c in controls if c.enabled and c.role == "push button"]
        choices = [(15, lambda: self.dialog_key(dialog, "Escape")), (10, lambda: self.dialog_key(dialog, "Return"))]
        if buttons:
            choices.append((40, lambda: self.use_control(dialog, self.rng.choice(buttons))))
        if any(c.enabled for c in controls):
            choices.append((25, lambda: self.use_control(dialog, self.pick_control(controls))))
        if field is not None:
            choices.append((110, lambda: self.give_file_name(dialog, field, controls)))
        pick(self.rng, choices)()

    def dialog_key(self, dialog, key):
        self.note(f"key {key} in {dialog.name!r}")
        self.keys(dialog, key)

    def give_file_name(self, dialog, field, controls):
        kind = "image" if any(c.role == "combo box" and "*.kri" in c.name for c in controls) else "picture"
        # The accept button reads "Открыть" in a save dialog too while a folder is chosen.
        saving = dialog.name.startswith(SAVE_BUTTON) or any(c.role == "push button" and c.name == SAVE_BUTTON
                                                            for c in controls)
        mode = "save" if saving else "open"
        path = self.files.name_for(kind, mode)
        self.note(f"file dialog {dialog.name!r} ({kind}, {mode}): name {self.short(path)}")
        if not field.node.queryEditableText().setTextContents(path):
            raise e2e.Failure("the file name field refused the name")
        self.click(centre(field.box))
        self.keys(dialog, "Return")

    # ------------------------------------------------------------------- end

    def finish(self):
        """Ends the program as a person would, so that its exit status and
        leak report are checked too."""
        self.index += 1
        for _ in range(FINISH_ROUNDS):
            if self.session.program.poll() is not None:
                break
            windows = self.observe()
            dialog = next((w for w in windows if w.kind == "dialog"), None)
            if dialog is None and windows:
                self.note("end: key ctrl+q")
                self.keys(windows[0], "ctrl+q")
                self.asked_to_quit()
                continue
            discard = [c for c in self.controls(dialog) if c.enabled and c.name in DISCARD_BUTTONS] \
                if dialog is not None else []
            if discard:
                self.note(f"end: {discard[0].name!r} in {dialog.name!r}")
                self.click(centre(discard[0].box))
                self.wait_until(lambda: self.session.program.poll() is not None, QUIT_TIMEOUT)
            elif dialog is not None:
                self.dialog_key(dialog, "Escape")
                self.wait_until(lambda: self.session.program.poll() is not None, 1)
        if self.session.program.poll() is None:
            raise Fault(f"the program did not end after {FINISH_ROUNDS} attempts to quit it")
        self.last_quit = self.index
        self.check_ended()

    def close(self):
        self.clipboard.stop()
        self.log.close()

    def log_tail(self):
        with open(os.path.join(self.session.work, "monkey.log"), encoding="utf-8") as log:
            return "".join(collections.deque(log, LOG_TAIL_LINES))


def program_output_excerpt(text):
    """The sanitizer report when there is one, else the end of the output."""
    starts = [text.find(m) for m in SANITIZER_MARKERS if m in text]
    if starts:
        start = text.rfind("\n", 0, min(starts)) + 1
        return text[start:start + PROGRAM_OUTPUT_CHARS]
    return text[-PROGRAM_OUTPUT_CHARS:]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("kresta")
    parser.add_argument("kri")
    parser.add_argument("--seed", type=int, required=True)
    parser.add_argument("--actions", type=int, default=10 ** 9)
    parser.add_argument("--minutes", type=float)
    parser.add_argument("--testdata", default=os.environ.get("KRESTA_TESTDATA", "/work/shared/testdata"),
                        help="folder of third-party pictures (bmpsuite, jpeg) offered to picture dialogs")
    parser.add_argument("--keep", action="store_true", help="keep the work folder after a passing run")
    args = parser.parse_args()

    # UBSan prints its stack and stops the program; ASan stops it at the
    # first error and checks for leaks at a normal end, except the ones the
    # accessibility bus leaves (see the program's environment).
    os.environ.setdefault("ASAN_OPTIONS", "detect_leaks=1:halt_on_error=1")
    os.environ.setdefault("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1")

    # Stopped from outside (a test run's time limit), the program and the
    # buses are still stopped and the work folder kept.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
    session = ProgramSession(os.path.abspath(args.kresta), os.path.abspath(args.kri))
    monkey = None
    failed = True
    try:
        session.start_bus()
        monkey = Monkey(session, args.seed, args.testdata)
        actions, seconds = monkey.run(args.actions, args.minutes)
        failed = False
        print(f"monkey: seed {args.seed} passed: {actions} actions in {seconds / 60:.1f} min, "
              f"{monkey.launches} program runs")
        return 0
    except Fault as fault:
        index = monkey.index if monkey is not None else 0
        print(f"monkey: FAIL at action #{index} with seed {args.seed}: {fault}", file=sys.stderr)
        print(f"monkey: to repeat: run-monkey KRESTA KRI {args.seed} {max(index, 1)}", file=sys.stderr)
        if monkey is not None:
            print(f"monkey: the last actions:\n{monkey.log_tail()}", file=sys.stderr)
        if session.program is not None:
            try:
                session.program.wait(timeout=EXIT_REPORT_TIMEOUT)
            except subprocess.TimeoutExpired:
                pass
        print(f"monkey: the program's output:\n{program_output_excerpt(session.program_log())}", file=sys.stderr)
        return 1
    finally:
        if monkey is not None:
            monkey.close()
        session.stop()
        if failed or args.keep:
            print(f"monkey: work folder kept: {session.work}", file=sys.stderr)
        else:
            shutil.rmtree(session.work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
