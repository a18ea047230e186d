#!/usr/bin/python3
"""The real program driven from outside, as a person would: a new 300 x 200
image, a rectangle drawn with the mouse, its line colour changed in the
property panel, the image saved and opened again and copied for other
programs, read back as PNG through xclip; exported as PDF through "Save
as..." with the PDF filter picked from the keyboard, and printed to a PDF
file through the print dialog, both drawn by poppler; then one more change
left unsaved, the program killed once its recovery file is written,
started again and the image restored and saved; zoomed in with Ctrl and the
wheel, a rectangle drawn there and saved; back at 100 %, an ellipse drawn,
Tab pressed, a figure deleted, one raised, the figures sorted and every
step undone, the drawing surface's accessible children checked against
the figures after each (and after the first drawing and the reopening);
a PNG that another program (xclip) offers pasted through the menu as a
picture figure, undone, redone and saved; and the program quit. Last, the sample image opened on a screen of two
device pixels to a pixel, shown exactly at 100 % and at 200 %.

Guards against what only the whole program shows: keys that do not reach
the menu commands, dialog values that never reach the new image, mouse
coordinates that are not image pixels (also zoomed in), a zoomed or
high-density view that blurs or shifts pixels, a property edit that misses the new
figure, a file dialog whose name is not the file written, an opened image
whose object list or caption does not follow the file, a copy whose
picture is not the image as drawn (or shows selection markers), an export
that ignores the filter or its extension, a printed page that does not
show the image centred at its size on paper turned to fit it, a recovery file
never written or restored to other bytes, figures a screen reader cannot
reach (missing, misnamed, misplaced or out of the list's order, a Tab that
does not move the selection and focus it), another program's picture
pasted elsewhere than the top-left corner, with other pixels or as more
than one step of undo, and a program that does not end cleanly.

Usage: draw_save_reopen.py KRESTA KRI [ru|en]: the program speaks the
language given (LANGUAGE), Russian by default. It needs an X display with no
window manager and a session bus (run-e2e provides both); it starts the
accessibility bus itself and then the program, found on that bus by its
process id. Controls are found by role with their caption, hint, label or
size, never by their place in the tree.
"""

import json
import os
import struct
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
import zlib

# Seconds. Generous: a step takes well under one even in an instrumented
# build, but the machine may be busy with other suites.
STARTUP_TIMEOUT = 20
UI_TIMEOUT = 10
EXIT_TIMEOUT = 5
POLL_INTERVAL = 0.05
# Tab presses allowed to reach a control: more than the controls of a window.
MAX_TABS = 40

IMAGE_WIDTH, IMAGE_HEIGHT = 300, 200
# Image pixels: the surface shows the raster at its own size, scrolled home.
PRESS_AT = (20, 20)
RELEASE_AT = (120, 90)
DRAG_STEPS = 10
# A name as a user of the Russian interface types it: Cyrillic, with a blank.
FILE_NAME = "Рисунок 1.kri"
RESTORED_FILE_NAME = "Рисунок 1 (восстановлен).kri"
ZOOMED_FILE_NAME = "Рисунок 1 (увеличен).kri"
# The program writes it at most 5 s after a change; the rest is slack for a
# busy machine.
RECOVERY_TIMEOUT = 15

# The zoomed drawing: the wheel turned over this image point, and a
# rectangle drawn between these two, image pixels.
ZOOM_POINT = (150, 100)
ZOOMED_FROM, ZOOMED_TO = (160, 110), (200, 140)
# The sample image on a screen of this many device pixels to a pixel; the
# image window's viewport starts 35 x 35 pixels into the window (the top
# strip, the vertical track bar).
SCALE_FACTOR = 2
VIEWPORT_INSET = 35
STATUS_BAR_HEIGHT = 20

# 0x00BBGGRR. Dark red is the standard colour after black; sky blue the
# panel's fill colour at start.
DARK_RED = 0x000080
SKY_BLUE = 0xF0CAA6
# What the line style's first item ("Сплошная") writes.
PS_INSIDE_FRAME = 6

# The interface's texts the test finds controls by, in each language it
# runs in (the program's own and those of the toolkit's file dialog): the
# window title of a new image, the object list's item for the first
# rectangle, class and colour names, the hints (accessible descriptions) of
# the main window's controls, dialog titles, labels, buttons and menu items,
# and the accessible description of a figure's box.
TEXTS = {
    "ru": {
        "new image": "Новый", "rectangle item": "Прямоугольник 0", "rectangle": "Прямоугольник",
        "dark red": "Тёмно-красный", "black": "Чёрный",
        "hint class selector": "Класс создаваемого объекта", "hint line color": "Цвет линии",
        "hint object list": "Выбор объекта для изменения",
        "new dialog": "Создать", "width": "Ширина:", "height": "Высота:",
        "select mode": "Режим: Выбор фигуры", "file name field": "Имя файла", "save as": "Сохранить как",
        "open file": "Открыть файл", "close": "Закрыть", "close question": "Закрыть текущий файл?",
        "file menu": "Файл", "copy image": "В буфер",
        "restore question": "Восстановить несохранённое изображение?", "restore": "Восстановить",
        "zoom 200": "Масштаб 200 %", "zoom 100": "Масштаб 100 %",
        "ellipse": "Эллипс", "box": "x {}, y {}, ширина {}, высота {}",
        "hint delete": "Удалить фигуру", "hint raise": "Передвинуть вперёд", "hint sort": "Сортировать фигуры",
        "export dialog": "Сохранить файл как изображение", "print dialog": "Печать",
        "paste image": "Из буфера", "picture": "Картинка", "yes": "Да",
        "paste question": "В буфере обмена картинка другой программы. Вставить её в открытое изображение "
                          "фигурой «Картинка»?",
    },
    "en": {
        "new image": "Untitled", "rectangle item": "Rectangle 0", "rectangle": "Rectangle",
        "dark red": "Maroon", "black": "Black",
        "hint class selector": "Class of new objects", "hint line color": "Line color",
        "hint object list": "Choose the object to change",
        "new dialog": "New Image", "width": "Width:", "height": "Height:",
        "select mode": "Mode: Select figure", "file name field": "File name", "save as": "Save As",
        "open file": "Open File", "close": "Close", "close question": "Close the current file?",
        "file menu": "File", "copy image": "Copy Image",
        "restore question": "Restore the unsaved image?", "restore": "Restore",
        "zoom 200": "Zoom 200 %", "zoom 100": "Zoom 100 %",
        "ellipse": "Ellipse", "box": "x {}, y {}, width {}, height {}",
        "hint delete": "Delete the figure", "hint raise": "Bring forward", "hint sort": "Sort the figures",
        "export dialog": "Save File as Picture", "print dialog": "Print",
        "paste image": "Paste Image", "picture": "Picture", "yes": "Yes",
        "paste question": "The clipboard holds a picture from another program. Paste it into the open image "
                          "as a Picture figure?",
    },
}
# The language of the run, set by main(); T its texts.
LANGUAGE = "ru"
T = TEXTS[LANGUAGE]


class Failure(Exception):
    pass


def centre(box):
    """The middle of an (x, y, width, height) box."""
    x, y, w, h = box
    return x + w // 2, y + h // 2


class Session:
    """The program under test and what the test started for it."""

    def __init__(self, kresta, kri):
        self.kresta = kresta
        self.kri = kri
        self.work = tempfile.mkdtemp(prefix="kresta-e2e-")
        self.runtime = os.path.join(self.work, "runtime")
        os.mkdir(self.runtime, 0o700)
        self.files = os.path.join(self.work, "files")
        os.mkdir(self.files)
        # Recovery files go here, never to the user's own state folder.
        self.state = os.path.join(self.work, "state")
        self.program_log_path = os.path.join(self.work, "kresta.log")
        self.bus_log_path = os.path.join(self.work, "at-spi-bus.log")
        self.step = "setting up"
        self.bus_launcher = None
        self.program = None
        self.app = None
        self.main_xid = None
        self.image = None
        self.pyatspi = None
        self.glib = None

    # ------------------------------------------------------------ processes

    def start(self):
        self.start_bus()
        self.launch()

    def start_bus(self):
        """The accessibility bus the program will speak on, and the bindings
        that reach it."""
        os.environ["XDG_RUNTIME_DIR"] = self.runtime
        # Its own log: a helper process left holding the test's output would
        # keep CTest waiting.
        with open(self.bus_log_path, "wb") as log:
            self.bus_launcher = subprocess.Popen(
                ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        # The bindings reach the accessibility bus through the launcher, so
        # they are loaded once it runs.
        import pyatspi
        from gi.repository import GLib
        self.pyatspi = pyatspi
        self.glib = GLib

    def program_environment(self, state):
        """The program's environment: accessible, on X, its recovery files
        and settings under state, never the user's; in an instrumented build,
        leak reports of the accessibility bus's library left out (see
        lsan.supp)."""
        suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsan.supp")
        return dict(os.environ,
                    LSAN_OPTIONS=os.environ.get("LSAN_OPTIONS", "suppressions=" + suppressions),
                    QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                    QT_QPA_PLATFORM="xcb",
                    LANGUAGE=LANGUAGE,
                    XDG_RUNTIME_DIR=self.runtime,
                    XDG_STATE_HOME=state,
                    XDG_CONFIG_HOME=os.path.join(state, "config"))

    def launch(self):
        env = self.program_environment(self.state)
        with open(self.program_log_path, "ab") as log:
            self.program = subprocess.Popen([self.kresta], cwd=self.files, env=env,
                                            stdin=subprocess.DEVNULL, stdout=log,
                                            stderr=subprocess.STDOUT)

    def stop(self):
        for process in (self.program, self.bus_launcher):
            if process is None or process.poll() is not None:
                continue
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def program_log(self):
        try:
            with open(self.program_log_path, "rb") as log:
                return log.read().decode("utf-8", "replace")
        except OSError:
            return ""

    # ----------------------------------------------------------- reporting

    def fail(self, what):
        raise Failure(what)

    def wait_for(self, what, probe, timeout=UI_TIMEOUT, seen=None):
        """Polls probe until it returns something true and returns that;
        fails with what and, when given, what seen() says was there."""
        deadline = time.monotonic() + timeout
        while True:
            self.pump()
            if self.program is not None and self.program.poll() is not None:
                self.fail(f"{what}: the program ended with status {self.program.returncode}")
            result = probe()
            if result:
                return result
            if time.monotonic() > deadline:
                detail = f"; seen: {seen()}" if seen is not None else ""
                self.fail(f"{what}: not within {timeout:g} s{detail}")
            time.sleep(POLL_INTERVAL)

    def pump(self):
        """Dispatches what the buses sent meanwhile (applications and windows
        coming and going), which keeps the bindings' own records current."""
        context = self.glib.MainContext.default()
        while context.iteration(False):
            pass

    # ------------------------------------------------- the accessibility tree

    def find_application(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            try:
                if app is not None and app.get_process_id() == self.program.pid and app.childCount > 0:
                    return app
            except Exception:
                continue
        return None

    def attach(self):
        self.app = self.wait_for("the program on the accessibility bus", self.find_application,
                                 timeout=STARTUP_TIMEOUT)
        # Every read goes to the program: cached names would lag its changes.
        self.app.setCacheMask(0)

    def showing(self, node):
        try:
            return node.getState().contains(self.pyatspi.STATE_SHOWING)
        except Exception:
            return False

    def windows(self):
        """The program's top-level windows now shown."""
        return [w for w in self.children(self.app) if self.showing(w)]

    def window(self, name):
        for candidate in self.windows():
            if candidate.name == name:
                return candidate
        return None

    def children(self, node):
        result = []
        try:
            for index in range(node.childCount):
                child = node.getChildAtIndex(index)
                if child is not None:
                    result.append(child)
        except Exception:
            pass
        return result

    def descendants(self, node):
        """Depth first, shown controls only; a combo box's rows are left out."""
        for child in self.children(node):
            if not self.showing(child):
                continue
            yield child
            if child.getRoleName() != "combo box":
                yield from self.descendants(child)

    def find(self, root, role, name=None, description=None):
        for node in self.descendants(root):
            if node.getRoleName() != role:
                continue
            if name is not None and node.name != name:
                continue
            if description is not None and node.description != description:
                continue
            return node
        return None

    def listing(self, root, roles=None):
        """A short description of the controls under root, for messages."""
        items = []
        for node in self.descendants(root):
            role = node.getRoleName()
            if roles is None or role in roles:
                items.append(f"{role} {node.name!r}" + (f" ({node.description!r})" if node.description else ""))
        return ", ".join(items) or "nothing"

    def window_listing(self):
        parts = []
        for w in self.windows():
            parts.append(f"{w.getRoleName()} {w.name!r}")
            if w.getRoleName() in ("alert", "dialog"):
                labels = [n.name for n in self.descendants(w) if n.getRoleName() == "label" and n.name]
                if labels:
                    parts[-1] += f" saying {labels!r}"
        return "; ".join(parts) or "no window"

    def extents(self, node):
        box = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    def focused(self, node):
        try:
            return node.getState().contains(self.pyatspi.STATE_FOCUSED)
        except Exception:
            return False

    def focused_control(self, root):
        for node in self.descendants(root):
            if self.focused(node):
                return node
        return None

    def actions(self, node):
        try:
            action = node.queryAction()
        except NotImplementedError:
            return []
        return [action.getName(index) for index in range(action.nActions)]

    def focus(self, node, window, xid):
        """Gives the X window the input focus, then the control the
        program's focus: through its focus action where it has one, else
        with Tab, as a keyboard user would (Qt offers combo boxes no focus
        action)."""
        self.xdotool("windowfocus", "--sync", xid)
        what = f"{node.getRoleName()} {node.name!r}"
        if "SetFocus" in self.actions(node):
            if not node.queryComponent().grabFocus():
                self.fail(f"the program refused to focus {what}")
            self.wait_for(f"the focus on {what}", lambda: self.focused(node))
            return
        visited = []
        for _ in range(MAX_TABS):
            if self.focused(node):
                return
            before = self.focused_control(window)
            visited.append(f"{before.getRoleName()} {before.name!r}" if before is not None else "none")
            self.keys(xid, "Tab")
            self.wait_for(f"the focus to leave {visited[-1]} after Tab",
                          lambda: self.focused(node) or not self.same(self.focused_control(window), before))
        self.fail(f"{what} never got the focus in {MAX_TABS} presses of Tab; visited: {', '.join(visited)}")

    def same(self, a, b):
        if a is None or b is None:
            return a is b
        return a.path == b.path

    # ------------------------------------------------------------------ X

    def xdotool(self, *args, timeout=UI_TIMEOUT):
        try:
            done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail(f"xdotool {' '.join(map(str, args))}: no answer within {timeout:g} s")
        if done.returncode != 0:
            self.fail(f"xdotool {' '.join(map(str, args))} failed: {done.stderr.strip()}")
        return done.stdout

    def x_window(self, title):
        """The X window of the program's shown top-level whose title starts
        with title (the X title adds the program's name)."""
        pattern = "^" + re.sub(r"([.^$*+?()\[\]{}|\\])", r"\\\1", title)
        found = self.xdotool("search", "--sync", "--all", "--onlyvisible", "--pid", self.program.pid,
                             "--name", pattern).split()
        if len(found) != 1:
            self.fail(f"X windows titled {title!r}: expected one, found {found}")
        return found[0]

    def keys(self, xid, *keys):
        self.xdotool("windowfocus", "--sync", xid, "key", "--delay", "20", *keys)


# --------------------------------------------------------------------- steps

def start_program(s):
    s.start()
    s.attach()
    s.wait_for("the main window 'Kresta'", lambda: s.window("Kresta"), timeout=STARTUP_TIMEOUT,
               seen=s.window_listing)
    s.main_xid = s.x_window("Kresta")


def spin_beside(s, dialog, label_text):
    """The spin button on the line of the label that names it."""
    label = s.find(dialog, "label", name=label_text)
    if label is None:
        s.fail(f"no label {label_text!r} in the dialog; seen: {s.listing(dialog)}")
    _, ly, _, lh = s.extents(label)
    middle = ly + lh / 2
    for spin in s.descendants(dialog):
        if spin.getRoleName() != "spin button":
            continue
        _, y, _, h = s.extents(spin)
        if y <= middle < y + h:
            return spin
    s.fail(f"no spin button on the line of {label_text!r}; seen: {s.listing(dialog)}")


def type_into_spin(s, dialog, dialog_xid, spin, value, label_text):
    s.focus(spin, dialog, dialog_xid)
    s.keys(dialog_xid, "ctrl+a", *str(value))
    s.wait_for(f"{label_text} showing {value}",
               lambda: spin.queryValue().currentValue == value,
               seen=lambda: spin.queryValue().currentValue)


def new_image(s):
    s.keys(s.main_xid, "ctrl+n")
    title = T["new dialog"]
    dialog = s.wait_for(f"the dialog {title!r} after Ctrl+N", lambda: s.window(title), seen=s.window_listing)
    dialog_xid = s.x_window(title)
    width = spin_beside(s, dialog, T["width"])
    height = spin_beside(s, dialog, T["height"])
    type_into_spin(s, dialog, dialog_xid, width, IMAGE_WIDTH, T["width"])
    type_into_spin(s, dialog, dialog_xid, height, IMAGE_HEIGHT, T["height"])
    ok = s.find(dialog, "push button", name="OK")
    if ok is None:
        s.fail(f"no button 'OK' in {title!r}; seen: {s.listing(dialog, ('push button',))}")
    ok.queryAction().doAction(0)
    s.wait_for(f"the dialog {title!r} to close", lambda: s.window(title) is None, seen=s.window_listing)
    s.image = s.wait_for(f"the image window {T['new image']!r}", lambda: s.window(T["new image"]),
                      seen=s.window_listing)


def main_control(s, role, hint):
    main = s.window("Kresta")
    control = s.find(main, role, description=hint)
    if control is None:
        s.fail(f"no {role} with the hint {hint!r} in the main window; seen: {s.listing(main, (role,))}")
    return control


def enabled(s, node):
    return node.getState().contains(s.pyatspi.STATE_ENABLED)


def choose_class(s, downs, caption):
    """The class selector's item downs rows below its first, which reads
    caption."""
    selector = main_control(s, "combo box", T["hint class selector"])
    s.wait_for("the class selector enabled once an image is open", lambda: enabled(s, selector))
    s.focus(selector, s.window("Kresta"), s.main_xid)
    s.keys(s.main_xid, "Home", *["Down"] * downs)
    s.wait_for(f"the class selector showing {caption!r}", lambda: selector.name == caption,
               seen=lambda: repr(selector.name))


def choose_rectangle(s):
    choose_class(s, 2, T["rectangle"])


def drawing_surface(s, image):
    """The drawing surface: the image window's only canvas of the image's
    size (the raster is shown at its own size, scrolled home)."""
    def probe():
        for node in s.descendants(image):
            if node.getRoleName() == "canvas" and s.extents(node)[2:] == (IMAGE_WIDTH, IMAGE_HEIGHT):
                return node
        return None

    def seen():
        return ", ".join(f"{n.getRoleName()} {s.extents(n)}" for n in s.descendants(image))

    return s.wait_for(f"a {IMAGE_WIDTH} x {IMAGE_HEIGHT} drawing surface in the image window", probe, seen=seen)


def draw_rectangle(s):
    image = s.image
    surface = drawing_surface(s, image)
    sx, sy, _, _ = s.extents(surface)
    image_xid = s.x_window(T["new image"])
    wx, wy = (int(v) for v in re.findall(r"Position: (-?\d+),(-?\d+)",
                                         s.xdotool("getwindowgeometry", image_xid))[0])
    ix, iy, _, _ = s.extents(image)
    if (wx, wy) != (ix, iy):
        s.fail(f"the image window is at {(wx, wy)} for X but at {(ix, iy)} for the accessibility tree")

    (x0, y0), (x1, y1) = PRESS_AT, RELEASE_AT
    path = ["mousemove", sx + x0, sy + y0, "mousedown", 1]
    for step in range(1, DRAG_STEPS + 1):
        path += ["mousemove", sx + x0 + (x1 - x0) * step // DRAG_STEPS, sy + y0 + (y1 - y0) * step // DRAG_STEPS]
    path += ["mouseup", 1]
    s.xdotool(*path)

    object_list = main_control(s, "combo box", T["hint object list"])
    s.wait_for(f"the object list showing {T['rectangle item']!r} after the drag", lambda: object_list.name == T["rectangle item"],
               seen=lambda: repr(object_list.name))
    mode = s.find(image, "label", name=T["select mode"])
    if mode is None:
        s.fail(f"the image window is not back in the select mode after the release; "
               f"status bar: {s.listing(image, ('label',))}")


def change_line_color(s):
    color = main_control(s, "combo box", T["hint line color"])
    if color.name != T["black"]:
        s.fail(f"the line colour of a new figure is {color.name!r}, not {T['black']!r}")
    s.focus(color, s.window("Kresta"), s.main_xid)
    s.keys(s.main_xid, "Down")
    s.wait_for(f"the line colour showing {T['dark red']!r}", lambda: color.name == T["dark red"],
               seen=lambda: repr(color.name))


def run_file_dialog(s, title, path):
    dialog = s.wait_for(f"the file dialog {title!r}", lambda: s.window(title), seen=s.window_listing)
    field = None
    for node in s.descendants(dialog):
        if node.getRoleName() == "text" and node.name.startswith(T["file name field"]):
            field = node
            break
    if field is None:
        s.fail(f"no file name field in {title!r}; seen: {s.listing(dialog, ('text', 'label'))}")
    field.queryEditableText().setTextContents(path)
    s.wait_for(f"the file name field of {title!r} holding the path",
               lambda: field.queryText().getText(0, -1) == path,
               seen=lambda: repr(field.queryText().getText(0, -1)))
    dialog_xid = s.x_window(title)
    s.focus(field, dialog, dialog_xid)
    s.keys(dialog_xid, "Return")
    s.wait_for(f"the file dialog {title!r} to close", lambda: s.window(title) is None, seen=s.window_listing)


def save_image(s, path):
    s.keys(s.main_xid, "ctrl+s")
    run_file_dialog(s, T["save as"], path)
    s.wait_for(f"the image window titled {path!r} after saving", lambda: s.window(path), seen=s.window_listing)
    if not os.path.isfile(path):
        s.fail(f"the image window is titled {path!r} but no such file exists; "
               f"the folder holds {os.listdir(os.path.dirname(path))}")


def check_file(s, path):
    done = subprocess.run([s.kri, "dump", path], capture_output=True, text=True, timeout=UI_TIMEOUT)
    if done.returncode != 0:
        s.fail(f"kri dump {path} ended with status {done.returncode}: {done.stderr.strip()}")
    try:
        image = json.loads(done.stdout)
    except json.JSONDecodeError as error:
        s.fail(f"kri dump {path} wrote no JSON ({error}): {done.stdout[:200]!r}")
    problems = []

    def expect(what, actual, expected):
        if actual != expected:
            problems.append(f"{what} is {actual!r}, expected {expected!r}")

    expect("rect", image.get("rect"), [0, 0, IMAGE_WIDTH, IMAGE_HEIGHT])
    figures = image.get("figures", [])
    expect("the number of figures", len(figures), 1)
    if figures:
        figure = figures[0]
        expect("class", figure.get("class"), "TFigureRectangle")
        expect("points", figure.get("points"), [list(PRESS_AT), list(RELEASE_AT)])
        expect("penColor", figure.get("penColor"), DARK_RED)
        expect("penStyle", figure.get("penStyle"), PS_INSIDE_FRAME)
        expect("penWidth", figure.get("penWidth"), 1)
        expect("brushColor", figure.get("brushColor"), SKY_BLUE)
        expect("angle", figure.get("angle"), 0)
        expect("scale", figure.get("scale"), 0)
    if problems:
        s.fail(f"the saved file {path}: " + "; ".join(problems))


def reopen_image(s, path):
    s.keys(s.main_xid, "ctrl+o")
    close = T["close"]
    question = s.wait_for(f"the question {close!r} after Ctrl+O", lambda: s.window(close), seen=s.window_listing)
    text = s.find(question, "label", name=T["close question"])
    if text is None:
        s.fail(f"the box {close!r} does not ask {T['close question']!r}; seen: {s.listing(question)}")
    ok = s.find(question, "push button", name="OK")
    if ok is None:
        s.fail(f"no button 'OK' in the box {close!r}; seen: {s.listing(question, ('push button',))}")
    ok.queryAction().doAction(0)
    s.wait_for(f"the box {close!r} to close", lambda: s.window(close) is None, seen=s.window_listing)
    run_file_dialog(s, T["open file"], path)
    s.wait_for(f"the image window titled {path!r} after opening", lambda: s.window(path), seen=s.window_listing)
    object_list = main_control(s, "combo box", T["hint object list"])
    s.wait_for(f"the object list showing {T['rectangle item']!r} after opening", lambda: object_list.name == T["rectangle item"],
               seen=lambda: repr(object_list.name))
    color = main_control(s, "combo box", T["hint line color"])
    if color.name != T["dark red"]:
        s.fail(f"the opened figure's line colour shows as {color.name!r}, not {T['dark red']!r}")


def png_pixels(s, what, data):
    """Width, height and the RGB bytes of an 8-bit, non-interlaced RGB or
    RGBA PNG (what Qt writes for an opaque raster), rows top to bottom."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        s.fail(f"{what} is not a PNG: {data[:16]!r}")
    at, header, compressed = 8, None, b""
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
        at += 12 + length
    if header is None or header[2] != 8 or header[3] not in (2, 6) or header[6] != 0:
        s.fail(f"{what} has a PNG header this test does not read: {header}")
    width, height, channels = header[0], header[1], 3 if header[3] == 2 else 4
    raw, stride = zlib.decompress(compressed), width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, row = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = row[i - channels] if i >= channels else 0
            up, corner = previous[i], previous[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + left) & 0xFF
            elif kind == 2:
                row[i] = (row[i] + up) & 0xFF
            elif kind == 3:
                row[i] = (row[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                nearest = min((abs(p - left), 0, left), (abs(p - up), 1, up), (abs(p - corner), 2, corner))[2]
                row[i] = (row[i] + nearest) & 0xFF
        rows.append(bytes(row) if channels == 3 else bytes(b for j, b in enumerate(row) if j % 4 != 3))
        previous = row
    return width, height, b"".join(rows)


def click_file_menu_item(s, name):
    """The File menu opened and its item clicked with the mouse (a modal
    dialog the item opens would block an action called on the bus)."""
    main = s.window("Kresta")
    bar = next((c for c in s.children(main) if c.getRoleName() == "menu bar"), None)
    menu = next((c for c in s.children(bar) if c.name == T["file menu"]), None) if bar is not None else None
    if menu is None:
        s.fail(f"no menu {T['file menu']!r} in the main window's menu bar; seen: {s.listing(main)}")
    s.xdotool("mousemove", *centre(s.extents(menu)), "click", 1)
    item = s.wait_for(f"the menu item {name!r}", lambda: s.find(menu, "menu item", name=name),
                      seen=lambda: s.listing(menu))
    s.xdotool("mousemove", *centre(s.extents(item)), "click", 1)


def copy_for_other_programs(s, path):
    """'Copy Image' ("В буфер"): another program pastes the image as drawn, without the
    selected rectangle's markers, as PNG."""
    click_file_menu_item(s, T["copy image"])

    def pasted():
        done = subprocess.run(["xclip", "-selection", "clipboard", "-t", "image/png", "-o"], capture_output=True,
                              timeout=UI_TIMEOUT)
        return done.stdout if done.returncode == 0 and done.stdout else None

    copied = s.wait_for(f"image/png on the clipboard after {T['copy image']!r}", pasted)
    rendered_path = os.path.join(s.work, "rendered.png")
    done = subprocess.run([s.kri, "render", path, rendered_path], capture_output=True, text=True,
                          timeout=UI_TIMEOUT)
    if done.returncode != 0:
        s.fail(f"kri render {path} ended with status {done.returncode}: {done.stderr.strip()}")
    with open(rendered_path, "rb") as file:
        expected = png_pixels(s, "kri render's picture", file.read())
    actual = png_pixels(s, "the clipboard's image/png", copied)
    if actual[:2] != expected[:2]:
        s.fail(f"the pasted picture is {actual[0]} x {actual[1]}, the image {expected[0]} x {expected[1]}")
    differing = sum(actual[2][i:i + 3] != expected[2][i:i + 3] for i in range(0, len(expected[2]), 3))
    if differing:
        s.fail(f"{differing} pixels of the pasted picture differ from the image as kri renders it")


def page_pixels(s, pdf, what):
    """The page of a PDF as poppler draws it at 96 dots per inch."""
    done = subprocess.run(["pdftoppm", "-r", "96", "-png", "-singlefile", pdf], capture_output=True,
                          timeout=UI_TIMEOUT)
    if done.returncode != 0:
        s.fail(f"pdftoppm could not draw {what} {pdf}: {done.stderr.decode(errors='replace').strip()}")
    return png_pixels(s, f"poppler's drawing of {what}", done.stdout)


def rendered_pixels(s, path):
    rendered_path = os.path.join(s.work, "rendered.png")
    done = subprocess.run([s.kri, "render", path, rendered_path], capture_output=True, text=True,
                          timeout=UI_TIMEOUT)
    if done.returncode != 0:
        s.fail(f"kri render {path} ended with status {done.returncode}: {done.stderr.strip()}")
    with open(rendered_path, "rb") as file:
        return png_pixels(s, "kri render's picture", file.read())


def drawn_box(pixels):
    """Left, top, right, bottom (exclusive) of the pixels that are not white."""
    width, height, rgb = pixels
    xs, ys = [], []
    for y in range(height):
        row = rgb[y * width * 3:(y + 1) * width * 3]
        for x in range(width):
            if row[3 * x:3 * x + 3] != b"\xff\xff\xff":
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


def check_page_shows_image(s, what, page, image):
    """The page shows the image at one page pixel an image pixel: every
    pixel of the image has a pixel of the page within one pixel whose
    channels are within half the range of it (vectors are antialiased), the
    drawings lined up by the boxes of what is not white."""
    page_box, image_box = drawn_box(page), drawn_box(image)
    if page_box is None or image_box is None:
        s.fail(f"{what} shows nothing ({page_box}) or the image is blank ({image_box})")
    dx, dy = page_box[0] - image_box[0], page_box[1] - image_box[1]
    (pw, ph, prgb), (iw, ih, irgb) = page, image
    unmatched = 0
    for y in range(ih):
        for x in range(iw):
            a = irgb[3 * (y * iw + x):3 * (y * iw + x) + 3]
            near = (prgb[3 * (v * pw + u):3 * (v * pw + u) + 3]
                    for v in range(max(y + dy - 1, 0), min(y + dy + 2, ph))
                    for u in range(max(x + dx - 1, 0), min(x + dx + 2, pw)))
            unmatched += not any(all(abs(a[c] - b[c]) <= 128 for c in range(3)) for b in near)
    if unmatched > iw * ih // 200:
        s.fail(f"{unmatched} of the image's {iw * ih} pixels have no match on {what}")
    return dx, dy


def export_as_pdf(s, path):
    """"Save as..." with the PDF filter picked from the keyboard and a name
    typed without an extension: the PDF lands under the name with ".pdf"
    and poppler draws it as kri renders the saved image."""
    title = T["export dialog"]
    s.keys(s.main_xid, "ctrl+shift+s")
    dialog = s.wait_for(f"the file dialog {title!r}", lambda: s.window(title), seen=s.window_listing)
    types = next((n for n in s.descendants(dialog) if n.getRoleName() == "combo box" and "(*.bmp)" in n.name), None)
    if types is None:
        s.fail(f"no list of file types in {title!r}; seen: {s.listing(dialog, ('combo box',))}")
    dialog_xid = s.x_window(title)
    s.focus(types, dialog, dialog_xid)
    s.keys(dialog_xid, "End")
    s.wait_for("the PDF filter chosen", lambda: types.name == "PDF (*.pdf)", seen=lambda: repr(types.name))
    exported = os.path.join(s.files, "exported")
    run_file_dialog(s, title, exported)
    pdf = s.wait_for(f"the file {exported}.pdf", lambda: os.path.isfile(exported + ".pdf") and exported + ".pdf",
                     seen=lambda: repr(os.listdir(s.files)))
    page, image = page_pixels(s, pdf, "the exported PDF"), rendered_pixels(s, path)
    if page[:2] != image[:2]:
        s.fail(f"the exported page is {page[0]} x {page[1]} pixels at 96 dpi, the image {image[0]} x {image[1]}")
    check_page_shows_image(s, "the exported PDF", page, image)


def print_to_pdf(s, path):
    """Ctrl+P, the print dialog's output file set to a path, Return: poppler
    draws the printed page with the image centred on it at its own size."""
    title = T["print dialog"]
    s.keys(s.main_xid, "ctrl+p")
    dialog = s.wait_for(f"the print dialog {title!r}", lambda: s.window(title), seen=s.window_listing)
    field = next((n for n in s.descendants(dialog)
                  if n.getRoleName() == "text" and n.queryText().getText(0, -1).endswith(".pdf")), None)
    if field is None:
        s.fail(f"no output file field in {title!r}; seen: {s.listing(dialog, ('text', 'label'))}")
    printed = os.path.join(s.files, "printed.pdf")
    field.queryEditableText().setTextContents(printed)
    s.wait_for("the output file field holding the path", lambda: field.queryText().getText(0, -1) == printed,
               seen=lambda: repr(field.queryText().getText(0, -1)))
    s.keys(s.x_window(title), "Return")
    s.wait_for(f"the print dialog {title!r} to close", lambda: s.window(title) is None, seen=s.window_listing)
    s.wait_for(f"the file {printed}", lambda: os.path.isfile(printed), seen=lambda: repr(os.listdir(s.files)))
    page, image = page_pixels(s, printed, "the printed page"), rendered_pixels(s, path)
    if page[0] <= page[1]:
        s.fail(f"the page of a wide image is {page[0]} x {page[1]} pixels, not turned")
    dx, dy = check_page_shows_image(s, "the printed page", page, image)
    left, top = dx, dy
    right, bottom = page[0] - dx - image[0], page[1] - dy - image[1]
    if abs(left - right) > 2 or abs(top - bottom) > 2:
        s.fail(f"the image is not centred on the page: margins {left}, {top}, {right}, {bottom} pixels")


def make_unsaved_change(s, path):
    """The rectangle dragged 10 pixels right and down by its inside."""
    surface = drawing_surface(s, s.window(path))
    sx, sy, _, _ = s.extents(surface)
    x, y = PRESS_AT[0] + 30, PRESS_AT[1] + 30
    s.xdotool("mousemove", sx + x, sy + y, "mousedown", 1, "mousemove", sx + x + 5, sy + y + 5,
              "mousemove", sx + x + 10, sy + y + 10, "mouseup", 1)
    s.wait_for(f"the image window titled {path + ' *'!r} after moving the rectangle",
               lambda: s.window(path + " *"), seen=s.window_listing)


# ------------------------------------------------- the figures on the bus

# The figures of the zoomed image: the first rectangle as moved, the one
# drawn at 200 %, and an ellipse drawn into the free top-right corner,
# image pixels.
MOVED_FROM, MOVED_TO = ((p[0] + 10, p[1] + 10) for p in (PRESS_AT, RELEASE_AT))
ELLIPSE_FROM, ELLIPSE_TO = (220, 20), (280, 70)


def box_of(a, b):
    """A figure's box as the program describes it: that of its two control
    points, right and bottom edges exclusive, as left, top, width, height in
    image pixels."""
    return min(a[0], b[0]), min(a[1], b[1]), abs(a[0] - b[0]) + 1, abs(a[1] - b[1]) + 1


def list_rows(s):
    """The object list's rows, top of the drawing order first."""
    def rows(node):
        for child in s.children(node):
            if child.getRoleName() == "list item":
                yield child.name
            else:
                yield from rows(child)
    return list(rows(main_control(s, "combo box", T["hint object list"])))


def check_figures(s, image, expected):
    """The drawing surface's children on the bus are the figures in the
    object list's order, expected as (name, box) pairs top first: each named
    as its row of the list, described by its box and placed over it on the
    screen (at 100 %, scrolled home)."""
    surface = drawing_surface(s, image)
    sx, sy, _, _ = s.extents(surface)
    wanted = [(name, T["box"].format(*box), (sx + box[0], sy + box[1], box[2], box[3])) for name, box in expected]
    seen = []

    def shown():
        try:
            seen.append([(c.name, c.description, s.extents(c)) for c in s.children(surface)])
        except NotImplementedError:
            # A child read while the figures change may be gone already.
            return False
        return seen[-1] == wanted

    s.wait_for(f"the drawing surface's children {wanted}", shown, seen=lambda: seen[-1] if seen else "nothing")
    rows = list_rows(s)
    if rows != [name for name, _ in expected]:
        s.fail(f"the object list holds {rows}, the drawing surface's children are named {[n for n, _ in expected]}")


def press_list_button(s, hint):
    button = main_control(s, "push button", hint)
    s.wait_for(f"the button {hint!r} enabled", lambda: enabled(s, button))
    button.queryAction().doAction(0)


def figures_through_commands(s, path):
    """The zoomed image back at 100 %: an ellipse drawn, Tab in the image
    window, the selected figure deleted, the bottom one raised, the figures
    sorted, each followed by the surface's children on the bus; then every
    step undone."""
    image = s.wait_for(f"the image window {path!r}", lambda: s.window(path), seen=s.window_listing)
    xid = s.x_window(path)
    s.keys(xid, "ctrl+0")
    s.wait_for("the zoom panel showing '100 %'", lambda: s.find(image, "label", name=T["zoom 100"]),
               seen=lambda: s.listing(image, ("label",)))
    sx, sy, _, _ = s.extents(drawing_surface(s, image))
    rectangle, ellipse = T["rectangle"], T["ellipse"]
    moved, zoomed, oval = box_of(MOVED_FROM, MOVED_TO), box_of(ZOOMED_FROM, ZOOMED_TO), box_of(ELLIPSE_FROM,
                                                                                                ELLIPSE_TO)
    choose_class(s, 5, ellipse)
    (x0, y0), (x1, y1) = ELLIPSE_FROM, ELLIPSE_TO
    s.xdotool("mousemove", sx + x0, sy + y0, "mousedown", 1, "mousemove", sx + (x0 + x1) // 2,
              sy + (y0 + y1) // 2, "mousemove", sx + x1, sy + y1, "mouseup", 1)
    object_list = main_control(s, "combo box", T["hint object list"])
    s.wait_for(f"the object list showing '{ellipse} 2' after the drag", lambda: object_list.name == f"{ellipse} 2",
               seen=lambda: repr(object_list.name))
    check_figures(s, image, [(f"{ellipse} 2", oval), (f"{rectangle} 1", zoomed), (f"{rectangle} 0", moved)])

    # Tab selects the next figure down the list, and the reader is told it
    # has the focus.
    surface = drawing_surface(s, image)

    def states():
        return [(c.getState().contains(s.pyatspi.STATE_SELECTED), s.focused(c)) for c in s.children(surface)]

    s.keys(xid, "Tab")
    s.wait_for("the second figure selected and focused after Tab",
               lambda: states() == [(False, False), (True, True), (False, False)], seen=states)

    press_list_button(s, T["hint delete"])
    check_figures(s, image, [(f"{ellipse} 2", oval), (f"{rectangle} 0", moved)])
    # A delete selects the bottom figure.
    press_list_button(s, T["hint raise"])
    check_figures(s, image, [(f"{rectangle} 0", moved), (f"{ellipse} 2", oval)])
    press_list_button(s, T["hint sort"])
    check_figures(s, image, [(f"{ellipse} 1", oval), (f"{rectangle} 0", moved)])

    # Drawing, delete, raise and sort undone: the image as saved.
    s.keys(s.main_xid, *["ctrl+z"] * 4)
    s.wait_for(f"the image window titled {path!r} after undoing every step", lambda: s.window(path),
               seen=s.window_listing)
    check_figures(s, image, [(f"{rectangle} 1", zoomed), (f"{rectangle} 0", moved)])


# Another program's picture: each pixel a colour of its own, opaque.
PICTURE_WIDTH, PICTURE_HEIGHT = 12, 8


def picture_png(width, height):
    """An 8-bit RGB PNG of width x height distinct pixels, and its RGB
    bytes, rows top to bottom."""
    rgb = bytes(c for y in range(height) for x in range(width) for c in (20 * x, 30 * y, 250 - 9 * x - 7 * y))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    rows = b"".join(b"\0" + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")), rgb


def paste_other_picture(s, path, pasted_path):
    """A PNG that xclip offers, 'Paste Image' ("Из буфера") chosen from the
    menu and the question answered: one step of undo puts a picture figure
    on top at the top-left corner, and the image saved then renders as
    before with the PNG's pixels there."""
    image = s.wait_for(f"the image window {path!r}", lambda: s.window(path), seen=s.window_listing)
    before = rendered_pixels(s, path)
    png, rgb = picture_png(PICTURE_WIDTH, PICTURE_HEIGHT)
    png_path = os.path.join(s.work, "other.png")
    with open(png_path, "wb") as file:
        file.write(png)
    below = [(f"{T['rectangle']} 1", box_of(ZOOMED_FROM, ZOOMED_TO)),
             (f"{T['rectangle']} 0", box_of(MOVED_FROM, MOVED_TO))]
    pasted = [(f"{T['picture']} 2", box_of((0, 0), (PICTURE_WIDTH, PICTURE_HEIGHT)))] + below
    # In the foreground, xclip serves the clipboard until it is stopped.
    server = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard", "-t", "image/png", "-i", png_path],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        s.wait_for("xclip offering image/png", lambda: b"image/png" in subprocess.run(
            ["xclip", "-selection", "clipboard", "-t", "TARGETS", "-o"], capture_output=True,
            timeout=UI_TIMEOUT).stdout)
        click_file_menu_item(s, T["paste image"])
        question = s.wait_for(f"the question {T['paste question']!r}",
                              lambda: next((w for w in s.windows()
                                            if s.find(w, "label", name=T["paste question"]) is not None), None),
                              seen=s.window_listing)
        yes = s.find(question, "push button", name=T["yes"])
        if yes is None:
            s.fail(f"no button {T['yes']!r} in the question; seen: {s.listing(question, ('push button',))}")
        # The answer returns before the program reads the clipboard: xclip
        # serves until the figure is there.
        yes.queryAction().doAction(0)
        check_figures(s, image, pasted)
    finally:
        server.terminate()
        server.wait()
    s.keys(s.main_xid, "ctrl+z")
    s.wait_for(f"the image window titled {path!r} after undoing the paste", lambda: s.window(path),
               seen=s.window_listing)
    check_figures(s, image, below)
    s.keys(s.main_xid, "ctrl+y")
    check_figures(s, image, pasted)
    save_image(s, pasted_path)
    width, height, expected = before[0], before[1], bytearray(before[2])
    for y in range(PICTURE_HEIGHT):
        row = rgb[y * PICTURE_WIDTH * 3:(y + 1) * PICTURE_WIDTH * 3]
        expected[y * width * 3:y * width * 3 + len(row)] = row
    after = rendered_pixels(s, pasted_path)
    differing = [(i // 3 % width, i // 3 // width) for i in range(0, len(expected), 3)
                 if after[2][i:i + 3] != expected[i:i + 3]]
    if after[:2] != (width, height) or differing:
        s.fail(f"the image saved after the paste renders {after[0]} x {after[1]}, {len(differing)} pixels "
               f"differing from the image before with the PNG at the top-left corner, first {differing[:5]}")


def recovery_file(s, path):
    """The image container of the one recovery file, once it is written."""
    folder = os.path.join(s.state, "kresta")

    def written():
        names = [n for n in os.listdir(folder) if n.endswith(".krr")] if os.path.isdir(folder) else []
        return names[0] if len(names) == 1 else None

    name = s.wait_for("a recovery file within 5 s of the change", written, timeout=RECOVERY_TIMEOUT,
                      seen=lambda: os.listdir(folder) if os.path.isdir(folder) else "no folder")
    with open(os.path.join(folder, name), "rb") as file:
        data = file.read()
    # Signature, version, the file's name with its length, the container's
    # length, the container.
    if data[:8] != b"KRECOVER":
        s.fail(f"the recovery file {name} starts with {data[:8]!r}")
    name_length = int.from_bytes(data[12:16], "little")
    original = data[16:16 + name_length].decode("utf-8")
    if original != path:
        s.fail(f"the recovery file names {original!r}, not {path!r}")
    return data[20 + name_length:]


def kill_and_restore(s, path):
    s.program.kill()
    s.program.wait()
    s.launch()
    s.attach()
    question = s.wait_for(f"the question {T['restore question']!r} at the start",
                          lambda: next((w for w in s.windows()
                                        if s.find(w, "label", name=T["restore question"]) is not None), None),
                          timeout=STARTUP_TIMEOUT, seen=s.window_listing)
    restore = s.find(question, "push button", name=T["restore"])
    if restore is None:
        s.fail(f"no button {T['restore']!r} in the question; seen: {s.listing(question, ('push button',))}")
    restore.queryAction().doAction(0)
    s.wait_for(f"the restored image titled {path + ' *'!r}", lambda: s.window(path + " *"),
               timeout=STARTUP_TIMEOUT, seen=s.window_listing)
    s.main_xid = s.x_window("Kresta")


def check_restored_bytes(s, container, path):
    save_image(s, path)
    with open(path, "rb") as file:
        saved = file.read()
    if saved != container:
        s.fail(f"the restored image saved {len(saved)} bytes that differ from the {len(container)} bytes "
               f"of the last recovery write")


def quit_program(s):
    s.keys(s.main_xid, "ctrl+q")
    try:
        status = s.program.wait(timeout=EXIT_TIMEOUT)
    except subprocess.TimeoutExpired:
        s.fail(f"the program still runs {EXIT_TIMEOUT:g} s after Ctrl+Q; windows: {s.window_listing()}")
    if status != 0:
        s.fail(f"the program ended with status {status}")


# ----------------------------------------------------------- the zoomed view

def wheel_zoom(s, xid, at, notches):
    """Ctrl held while the wheel turns away from the user over a screen
    point, as a person zooms in."""
    s.xdotool("windowfocus", "--sync", xid, "mousemove", *at, "keydown", "ctrl",
              *(["click", 4] * notches), "keyup", "ctrl")


def zoomed_drawing(s, path, zoomed_path):
    """Two notches of Ctrl and the wheel over a known image point give 200 %
    around it; a rectangle drawn there with the mouse is stored in image
    pixels."""
    image = s.wait_for(f"the image window {path!r}", lambda: s.window(path), seen=s.window_listing)
    surface = drawing_surface(s, image)
    sx, sy, _, _ = s.extents(surface)
    pointer = (sx + ZOOM_POINT[0], sy + ZOOM_POINT[1])
    choose_rectangle(s)
    wheel_zoom(s, s.x_window(path), pointer, 2)
    s.wait_for("the zoom panel showing '200 %'", lambda: s.find(image, "label", name=T["zoom 200"]),
               seen=lambda: s.listing(image, ("label",)))

    # The image point under the pointer stayed there: image pixel p now
    # starts 2 (p - ZOOM_POINT) screen pixels from it.
    def screen(point):
        return tuple(pointer[i] + 2 * (point[i] - ZOOM_POINT[i]) for i in (0, 1))

    (x0, y0), (x1, y1) = screen(ZOOMED_FROM), screen(ZOOMED_TO)
    s.xdotool("mousemove", x0, y0, "mousedown", 1, "mousemove", (x0 + x1) // 2, (y0 + y1) // 2,
              "mousemove", x1, y1, "mouseup", 1)
    s.wait_for("the image window back in the select mode after the drag",
               lambda: s.find(image, "label", name=T["select mode"]),
               seen=lambda: s.listing(image, ("label",)))
    save_image(s, zoomed_path)
    done = subprocess.run([s.kri, "dump", zoomed_path], capture_output=True, text=True, timeout=UI_TIMEOUT)
    if done.returncode != 0:
        s.fail(f"kri dump {zoomed_path} ended with status {done.returncode}: {done.stderr.strip()}")
    figures = json.loads(done.stdout).get("figures", [])
    last = figures[-1] if figures else {}
    expected = [list(ZOOMED_FROM), list(ZOOMED_TO)]
    if last.get("class") != "TFigureRectangle" or last.get("points") != expected:
        s.fail(f"the figure drawn at 200 % is stored as {last.get('class')} {last.get('points')}, "
               f"expected TFigureRectangle {expected}")


def bmp_pixels(s, path):
    """Width, height and the rows (lists of 0x00RRGGBB) of a 24-bit BMP file,
    top row first."""
    with open(path, "rb") as file:
        data = file.read()
    offset, width, height = struct.unpack("<I", data[10:14])[0], *struct.unpack("<ii", data[18:26])
    if data[:2] != b"BM" or struct.unpack("<H", data[28:30])[0] != 24 or height <= 0:
        s.fail(f"{path} is not a bottom-up 24-bit BMP")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = data[offset + y * stride:offset + y * stride + width * 3]
        rows.append([row[i] | row[i + 1] << 8 | row[i + 2] << 16 for i in range(0, width * 3, 3)])
    return width, height, rows


def screen_rows(s, box):
    """The rows of the screen's pixels (0x00RRGGBB) in an (x, y, width,
    height) box, read with xwd."""
    done = subprocess.run(["xwd", "-root", "-silent"], capture_output=True, timeout=UI_TIMEOUT)
    if done.returncode != 0:
        s.fail(f"xwd ended with status {done.returncode}")
    data = done.stdout
    fields = struct.unpack(">25I", data[:100])
    header_size, bits, line, byte_order, colours = fields[0], fields[11], fields[12], fields[7], fields[19]
    if bits not in (24, 32) or byte_order != 0:
        s.fail(f"xwd wrote {bits}-bit pixels in byte order {byte_order}; this test reads 24 or 32, LSB first")
    pixels, size = header_size + 12 * colours, bits // 8
    x, y, w, h = box
    rows = []
    for row in range(y, y + h):
        start = pixels + row * line + size * x
        line_bytes = data[start:start + size * w]
        rows.append([int.from_bytes(line_bytes[i:i + 3], "little") for i in range(0, size * w, size)])
    return rows


def marker_flips(points, square):
    """The device pixels that the markers of points invert, each as many
    times as markers cover it, at square device pixels to an image pixel:
    squares of 6 view pixels around the view pixel at each point's centre."""
    view = square // SCALE_FACTOR
    flips = {}
    for x, y in points:
        cx, cy = ((2 * x + 1) * view // 2) * SCALE_FACTOR, ((2 * y + 1) * view // 2) * SCALE_FACTOR
        half = 3 * SCALE_FACTOR
        for v in range(cy - half, cy + half):
            for u in range(cx - half, cx + half):
                flips[(u, v)] = flips.get((u, v), 0) ^ 0xFFFFFF
    return flips


def high_density_screen(s, sample):
    """The sample image opened with two device pixels to a pixel: at 100 %
    each image pixel is a 2 x 2 square of the screen, at 200 % a 4 x 4 one,
    with nothing blurred or shifted, and the selected figure's markers at
    their screen size over it."""
    example = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples", "sample.json")
    rendered_path = os.path.join(s.work, "sample.bmp")
    for command in ([s.kri, "build", example, sample], [s.kri, "render", sample, rendered_path]):
        done = subprocess.run(command, capture_output=True, text=True, timeout=UI_TIMEOUT)
        if done.returncode != 0:
            s.fail(f"{' '.join(command)} ended with status {done.returncode}: {done.stderr.strip()}")
    width, height, image = bmp_pixels(s, rendered_path)

    env = dict(s.program_environment(s.state), QT_SCALE_FACTOR=str(SCALE_FACTOR))
    with open(s.program_log_path, "ab") as log:
        s.program = subprocess.Popen([s.kresta, sample], cwd=s.files, env=env, stdin=subprocess.DEVNULL,
                                     stdout=log, stderr=subprocess.STDOUT)
    s.attach()
    object_list = s.wait_for("the main window's object list", lambda: s.window("Kresta") and
                             main_control(s, "combo box", T["hint object list"]), timeout=STARTUP_TIMEOUT)
    # An opened image lists its figures numbered by their place in the file.
    selected = int(object_list.name.rsplit(" ", 1)[1])
    done = subprocess.run([s.kri, "dump", sample], capture_output=True, text=True, timeout=UI_TIMEOUT)
    points = json.loads(done.stdout)["figures"][selected]["points"]
    xid = s.x_window(sample)
    geometry = s.xdotool("getwindowgeometry", xid)
    wx, wy = (int(v) for v in re.findall(r"Position: (-?\d+),(-?\d+)", geometry)[0])
    ww, wh = (int(v) for v in re.findall(r"Geometry: (\d+)x(\d+)", geometry)[0])
    origin = (wx + SCALE_FACTOR * VIEWPORT_INSET, wy + SCALE_FACTOR * VIEWPORT_INSET)
    viewport = (ww - SCALE_FACTOR * VIEWPORT_INSET, wh - SCALE_FACTOR * (VIEWPORT_INSET + STATUS_BAR_HEIGHT))

    def mismatches(square, scroll):
        """Screen pixels of the viewport that differ from the image at square
        device pixels to an image pixel, scrolled by scroll device pixels."""
        sx, sy = scroll
        w, h = min(viewport[0], width * square - sx), min(viewport[1], height * square - sy)
        shown = screen_rows(s, (*origin, w, h))
        flips = marker_flips(points, square)
        expected = (([image[(v + sy) // square][(u + sx) // square] ^ flips.get((u + sx, v + sy), 0)
                      for u in range(w)]) for v in range(h))
        return sum(sum(a != b for a, b in zip(row, want)) for row, want in zip(shown, expected))

    # Zoomed in around an even image point, the view scrolls by exactly that
    # many pixels: the point stays under the pointer. The selected figure's
    # first point keeps its markers in view.
    anchor = tuple(points[0][i] // 2 * 2 for i in (0, 1))
    for zoom, square, scroll in (("100 %", SCALE_FACTOR, (0, 0)),
                                 ("200 %", 2 * SCALE_FACTOR, tuple(SCALE_FACTOR * a for a in anchor))):
        if zoom != "100 %":
            wheel_zoom(s, xid, tuple(origin[i] + SCALE_FACTOR * anchor[i] for i in (0, 1)), 2)
        counted = []
        s.wait_for(f"the screen at {zoom} showing each pixel as a {square} x {square} square",
                   lambda: counted.append(mismatches(square, scroll)) or counted[-1] == 0,
                   seen=lambda: f"{counted[-1]} screen pixels differ" if counted else "nothing")
    s.main_xid = s.x_window("Kresta")
    quit_program(s)


def main():
    global LANGUAGE, T
    if len(sys.argv) not in (3, 4) or (len(sys.argv) == 4 and sys.argv[3] not in TEXTS):
        print(f"usage: draw_save_reopen.py KRESTA KRI [{'|'.join(TEXTS)}]", file=sys.stderr)
        return 2
    if len(sys.argv) == 4:
        LANGUAGE = sys.argv[3]
        T = TEXTS[LANGUAGE]
    s = Session(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))
    path = os.path.join(s.files, FILE_NAME)
    restored_path = os.path.join(s.files, RESTORED_FILE_NAME)
    zoomed_path = os.path.join(s.files, ZOOMED_FILE_NAME)
    sample_path = os.path.join(s.files, "sample.kri")
    pasted_path = os.path.join(s.files, "pasted.kri")
    recovered = {}
    steps = [
        ("1 start", start_program),
        ("2 new image", new_image),
        ("3 rectangle class", choose_rectangle),
        ("4 drawing", draw_rectangle),
        ("4a figures on the bus", lambda s: check_figures(s, s.image, [(T["rectangle item"],
                                                                         box_of(PRESS_AT, RELEASE_AT))])),
        ("5 line colour", change_line_color),
        ("6 save", lambda s: save_image(s, path)),
        ("7 saved file", lambda s: check_file(s, path)),
        ("8 reopen", lambda s: reopen_image(s, path)),
        ("8a figures on the bus", lambda s: check_figures(s, s.window(path), [(T["rectangle item"],
                                                                                 box_of(PRESS_AT, RELEASE_AT))])),
        ("9 copy for other programs", lambda s: copy_for_other_programs(s, path)),
        ("9a export as PDF", lambda s: export_as_pdf(s, path)),
        ("9b print to a PDF file", lambda s: print_to_pdf(s, path)),
        ("10 unsaved change", lambda s: make_unsaved_change(s, path)),
        ("11 recovery file", lambda s: recovered.update(container=recovery_file(s, path))),
        ("12 crash and restore", lambda s: kill_and_restore(s, path)),
        ("13 restored bytes", lambda s: check_restored_bytes(s, recovered["container"], restored_path)),
        ("14 zoomed drawing", lambda s: zoomed_drawing(s, restored_path, zoomed_path)),
        ("14a figures through the list's commands", lambda s: figures_through_commands(s, zoomed_path)),
        ("14b another program's picture pasted", lambda s: paste_other_picture(s, zoomed_path, pasted_path)),
        ("15 quit", quit_program),
        ("16 high-density screen", lambda s: high_density_screen(s, sample_path)),
    ]
    started = time.monotonic()
    try:
        for name, action in steps:
            s.step = name
            action(s)
            print(f"ok   step {name} ({time.monotonic() - started:.1f} s)", flush=True)
    except Exception as failure:
        if isinstance(failure, Failure):
            print(f"FAIL step {s.step}: {failure}", file=sys.stderr)
        else:
            print(f"FAIL step {s.step}: {type(failure).__name__}: {failure}\n{traceback.format_exc()}",
                  file=sys.stderr)
        s.stop()
        log = s.program_log().strip()
        if log:
            print("program output:\n" + log, file=sys.stderr)
        return 1
    finally:
        s.stop()
        shutil.rmtree(s.work, ignore_errors=True)
    print(f"passed in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
