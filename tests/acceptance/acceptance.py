#!/usr/bin/env python3
"""Acceptance checks: the real penmark under Xvfb, driven by real mouse and key events.

    acceptance.py --program PATH/penmark --check NAME [--lang en_US.UTF-8]
                  [--screens DIR] [--keep]

Each check starts its own X server, home, fonts and program. Exit code 0 when every
expectation held, 1 when one failed, 77 (skip) when Xvfb or xdotool is missing and CI
is not set.
"""

import argparse
import os
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import SKIP, HarnessError, Session, center, missing_tools  # noqa: E402

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PICTURE = os.path.join(SOURCE_DIR, "samples", "signature.tif")
FONT = "DejaVu Sans"
PAGE_NAMES = ["intro", "font", "picture", "edit", "select", "glyph", "place", "save", "finish"]
ENGLISH_TITLES = ["Penmark: Intro"] + [f"Penmark: Step {n} of 7" for n in range(1, 8)] + ["Penmark: Finish"]

# Control ids the pages give their controls.
IDC_FONT_LIST = 1056
IDC_SOURCE_FILE = 1019
IDC_IMAGE_PATH = 1010
IDC_VIEW_PLACE = 1031
IDC_SIZE, IDC_VERT_POS, IDC_WIDTH, IDC_POINT_SIZE, IDC_PREVIEW_PLACE = 1038, 1041, 1042, 1040, 1039
IDC_LAYOUT_COMBO, IDC_PLACE_TAB, IDC_UNICODE_TEXT = 1042, 1047, 1049
IDC_SAVE_FILE, IDC_SUFFIX, IDC_INSTALL = 1010, 1051, 1061
IDC_START_OVER = 1063

# Keys of the keyboard picture by index (see its geometry): rows of 14, 12, 11 and 10
# character keys, then the space bar.
KEY_ROWS = [(0, 14, 0.0), (14, 12, 1.5), (26, 11, 11 / 6), (37, 10, 7 / 3)]


class MissingOracle(Exception):
    """A tool a check needs to judge the result is not installed."""


class Verdicts:
    def __init__(self, name):
        self.name = name
        self.failed = []

    def expect(self, ok, what, detail=""):
        print(("PASS  " if ok else "FAIL  ") + what + (f"  [{detail}]" if detail and not ok else ""))
        if not ok:
            self.failed.append(what)
        sys.stdout.flush()
        return ok

    def note(self, text):
        print("NOTE  " + text)
        sys.stdout.flush()


# ---- actions a user takes, by mouse ---------------------------------------------------------

def on_page(s, m=None):
    return s.page(m)


def click_button(s, which):
    m = s.read_map()
    button = s.widget(m, wizardButton=which)
    if not button["enabled"]:
        raise HarnessError(f"the {which} button is disabled on page {s.page(m)}")
    return s.click(button)


def finish_and_wait(s):
    """Clicks Finish and waits for the program to end: its exit code, None if it goes on."""
    click_button(s, "finish")
    try:
        return s.proc.wait(15)
    except subprocess.TimeoutExpired:
        return None


def press_next(s, timeout=40):
    """Clicks Next; returns the map once another page is shown or a message box is up."""
    before = s.page()
    click_button(s, "next")
    return s.wait_for(lambda m: s.page(m) != before or s.message_box(m) is not None,
                      timeout, f"the page after {PAGE_NAMES[before]}")


def choose_font(s, name=FONT):
    lst = s.widget(controlId=IDC_FONT_LIST)
    items = [i for i in lst.get("items", []) if i["text"] == name]
    if not items:
        raise HarnessError(f"{name} is not in the font list: {[i['text'] for i in lst.get('items', [])]}")
    if "rect" not in items[0]:
        raise HarnessError(f"{name} is not visible in the font list")
    s.click_at(*center(items[0]["rect"]))


def set_picture(s, path=PICTURE):
    radio = s.widget(controlId=IDC_SOURCE_FILE)
    if not radio.get("checked"):
        s.click(radio, dx=8)
    edit = s.widget(controlId=IDC_IMAGE_PATH, page=2)
    if edit.get("text") != path:
        s.replace_text(edit, path)


def select_area(s):
    view = s.widget(controlId=IDC_VIEW_PLACE, page=4)
    x, y, w, h = view["rect"]
    s.drag((x + 6, y + 6), (x + w - 8, y + h - 8))


def set_save_file(s, path):
    edit = s.widget(controlId=IDC_SAVE_FILE, page=7)
    if edit.get("text") != path:
        s.replace_text(edit, path)


def set_check(s, control_id, on):
    box = s.widget(controlId=control_id)
    if bool(box.get("checked")) != on:
        s.click(box, dx=8)  # on the box itself: the empty space beside the label is not a target
    return bool(s.widget(controlId=control_id).get("checked")) == on


def out_path(s, name):
    return os.path.join(s.root, "out", name)


def advance_to(s, target, shots=None, save_file="Signature.ttf", install=False):
    """Walks forward by mouse with the usual choices until page target is shown."""
    while True:
        m = s.read_map()
        page = s.page(m)
        if s.message_box(m):
            raise HarnessError(f"message on page {PAGE_NAMES[page]}: {s.box_text(s.message_box(m))!r}")
        if page == target:
            return m
        if page == 1:
            choose_font(s)
        elif page == 2:
            set_picture(s)
        elif page == 4:
            select_area(s)
        elif page == 6 and not s.widget(wizardButton="next")["enabled"]:
            click_key(s, 26)  # A
        elif page == 7:
            set_save_file(s, out_path(s, save_file))
            set_check(s, IDC_INSTALL, install)
        if shots is not None:
            shots(page)
        press_next(s)


def wait_leaving_finish(s, timeout=6.0):
    """After Finish: the map once the finish page is gone or the program has ended."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        if not s.alive():
            return {"windows": []}
        m = s.read_map()
        if s.page(m) not in (8, None):
            time.sleep(0.3)
            return s.settle()
        time.sleep(0.1)
    return s.read_map()


def open_combo(s, combo):
    """Clicks a combo box's arrow; returns the popup's window from the map, or None."""
    x, y, w, h = combo["rect"]
    s.click_at(x + w - 8, y + h // 2)
    try:
        m = s.wait_for(lambda m: s.windows(m, "QComboBoxPrivateContainer"), 2.0, "the drop-down list")
    except HarnessError:
        return None
    return s.windows(m, "QComboBoxPrivateContainer")[0]


def popup_list(popup):
    for wd in popup["widgets"]:
        if "items" in wd and wd["class"] != "QComboBox":
            return wd
    return None


def pick_from_popup(s, popup, match):
    """Scrolls the open list with the wheel until the item is in view, then clicks it."""
    for _ in range(60):
        lst = popup_list(popup)
        if lst is None:
            return False
        items = lst["items"]
        wanted = next((i for i in items if match(i)), None)
        if wanted is None:
            return False
        if "rect" in wanted:
            s.click_at(*center(wanted["rect"]))
            return True
        shown = [i["row"] for i in items if "rect" in i]
        s.move(*center(lst["rect"]))
        s.xdo("click", 5 if not shown or wanted["row"] > max(shown) else 4)
        m = s.settle()
        popups = s.windows(m, "QComboBoxPrivateContainer")
        if not popups:
            return False
        popup = popups[0]
    return False


def key_rect(keyboard, index):
    """Where the keyboard picture draws a character key (indexes 0..46)."""
    x, y, w, h = keyboard["rect"]
    unit, row_h = (w - 1) // 15, (h - 1) // 5
    for row, (first, count, lead) in enumerate(KEY_ROWS):
        if first <= index < first + count:
            left = x + 1 + int(lead * unit) + (index - first) * unit
            return (left, y + 1 + row * row_h, unit, row_h)
    raise ValueError(index)


def click_key(s, index):
    keyboard = s.widget(**{"class": "CKeyboardCtrl"})
    s.click_at(*center(key_rect(keyboard, index)))
    return s.read_map()


def unicode_text(s, m=None):
    return s.widget(m, controlId=IDC_UNICODE_TEXT).get("text", "")


def choose_layout(s, v, name):
    """Picks the keyboard layout named name (xkb name) from the combo box by mouse."""
    combo = s.widget(controlId=IDC_LAYOUT_COMBO, page=6)
    popup = open_combo(s, combo)
    if popup is None:
        v.note("the layout drop-down did not stay open")
        return False
    time.sleep(0.5)
    popups = s.windows(None, "QComboBoxPrivateContainer")
    if not popups:
        v.note("the layout drop-down closed by itself")
        return False
    if not pick_from_popup(s, popups[0], lambda i: i.get("data") == name):
        v.note(f"layout {name} could not be picked from the drop-down")
        return False
    m = s.settle()
    combo = s.widget(m, controlId=IDC_LAYOUT_COMBO, page=6)
    return combo["items"][combo["currentIndex"]]["data"] == name


# ---- the checks -------------------------------------------------------------------------

def type_layout_name(s, name):
    """Chooses a layout on the closed box from the keyboard (the box has the focus after
    a click): its name typed, then arrow keys past similar names, so that what follows
    can be checked even when the drop-down fails."""
    combo = s.widget(controlId=IDC_LAYOUT_COMBO, page=6)
    targets = [n for n, i in enumerate(combo["items"]) if i["data"] == name]
    if not targets or s.windows(None, "QComboBoxPrivateContainer") or s.read_map().get("focusClass") != "QComboBox":
        return False
    text = combo["items"][targets[0]]["text"]
    for _ in range(6):
        # Each search starts after the current entry and the page rebuilds the list after
        # each choice, so a name that begins others' names is typed until it is reached.
        time.sleep(0.5)  # beyond the type-ahead interval: a new search
        s.type_text(text)
        combo = s.widget(controlId=IDC_LAYOUT_COMBO, page=6)
        if combo["items"][combo["currentIndex"]]["data"] == name:
            return True
    return False


def check_walk(s, v, lang):
    """A walk by mouse alone to the finish page; in English it starts over there and
    walks again to the end, installing the font."""
    english = lang.startswith("en")
    sizes = {}

    def arrive(m, page, suffix=""):
        shot = s.screenshot(f"{PAGE_NAMES[page]}{suffix}", m)
        names = s.x_window_names()
        title = s.wizard(m)["title"]
        v.expect(title in names, f"X window name of page {page} is the wizard's title {title!r}", str(names))
        if english:
            v.expect(title == ENGLISH_TITLES[page], f"page {page} title {ENGLISH_TITLES[page]!r}", title)
        sizes[page] = tuple(s.wizard(m)["rect"][2:])
        return shot

    s.launch()
    m = s.read_map()
    v.expect(s.page(m) == 0, "starts on the intro page")
    arrive(m, 0)
    m = press_next(s)
    arrive(m, 1)
    choose_font(s)
    lst = s.widget(controlId=IDC_FONT_LIST)
    v.expect(any(i["selected"] and i["text"] == FONT for i in lst["items"]), f"{FONT} selected by a click")
    m = press_next(s)
    arrive(m, 2)
    set_picture(s)
    typed = s.widget(controlId=IDC_IMAGE_PATH, page=2)["text"]
    v.expect(typed == PICTURE, "picture path typed", repr(typed))
    s.screenshot("picture-typed")
    m = press_next(s)
    if not v.expect(s.page(m) == 3 and not s.message_box(m), "the picture opens (step 3)",
                    s.box_text(s.message_box(m)) if s.message_box(m) else ""):
        return
    arrive(m, 3)
    m = press_next(s)
    arrive(m, 4)
    select_area(s)
    s.screenshot("select-dragged")
    v.expect(s.widget(wizardButton="next")["enabled"], "Next enabled after dragging a selection")
    m = press_next(s)
    if not v.expect(s.page(m) == 5 and not s.message_box(m), "the selection is traced (step 5)",
                    s.box_text(s.message_box(m)) if s.message_box(m) else ""):
        return
    arrive(m, 5)

    # Size slider: drag its handle up by 40 pixels.
    size = s.widget(controlId=IDC_SIZE)
    hx, hy = center(size["handleRect"])
    s.drag((hx, hy), (hx, hy - 40))
    v.expect(s.widget(controlId=IDC_SIZE)["value"] != size["value"], "dragging the Size handle changes it",
             f"{size['value']} -> {s.widget(controlId=IDC_SIZE)['value']}")
    # Preview size drop-down: 128.
    popup = open_combo(s, s.widget(controlId=IDC_POINT_SIZE))
    time.sleep(0.4)
    still = s.windows(None, "QComboBoxPrivateContainer")
    if v.expect(popup is not None and bool(still), "the preview-size drop-down stays open"):
        s.screenshot("glyph-dropdown")
        pick_from_popup(s, still[0], lambda i: i["text"] == "128")
    v.expect(s.widget(controlId=IDC_POINT_SIZE)["text"] == "128", "preview size 128 picked from the list",
             s.widget(controlId=IDC_POINT_SIZE)["text"])
    s.screenshot("glyph-128")
    s.park_pointer()
    m = press_next(s)
    arrive(m, 6)

    # Layout drop-down: German; then keys on the picture.
    german = v.expect(choose_layout(s, v, "de"), "German picked from the layout drop-down")
    if not german:
        german = type_layout_name(s, "de")
        v.note("German chosen by typing its name on the closed box" if german else
               "German could not be chosen from the keyboard either")
    s.screenshot("place-german")
    m = click_key(s, 19)  # Y on a US keyboard, Z on a German one
    if german:
        v.expect(unicode_text(s, m) == "007a", "the German layout's Z key gives U+007A", unicode_text(s, m))
    m = click_key(s, 26)  # A
    v.expect(unicode_text(s, m) == "0061", "clicking A gives U+0061", unicode_text(s, m))
    s.screenshot("place-key-a")
    m = press_next(s)
    arrive(m, 7)
    set_save_file(s, out_path(s, "First.ttf"))
    v.expect(set_check(s, IDC_INSTALL, True), "Install ticked")
    s.screenshot("save-filled")
    m = press_next(s, 90)
    if not v.expect(s.page(m) == 8 and not s.message_box(m), "the font is written (finish page)",
                    s.box_text(s.message_box(m)) if s.message_box(m) else ""):
        return
    arrive(m, 8)
    v.expect(len(set(sizes.values())) == 1, "the window keeps one size on every page",
             ", ".join(f"{p}:{w}x{h}" for p, (w, h) in sorted(sizes.items())))
    if not english:
        code = finish_and_wait(s)
        v.expect(code == 0, "Finish ends the program with code 0", str(code))
        return
    v.expect(set_check(s, IDC_START_OVER, True), "start over ticked")
    click_button(s, "finish")
    left = wait_leaving_finish(s)
    if v.expect(s.alive(), "Finish with start over keeps the program running",
                f"exit code {s.proc.returncode}"):
        v.expect(s.page(left) == 1, "Finish with start over lands on step 1", f"page {s.page(left)}")
        s.screenshot("font-again", left)
    if s.page(left) != 1:
        v.note("the second walk starts the program again")
        s.close_program()
        s.launch()
        advance_to(s, 1)

    # Second walk to the end with the same choices, a new file and a new name.
    advance_to(s, 7)
    suffix = s.widget(controlId=IDC_SUFFIX)
    s.replace_text(suffix, " Second")
    set_save_file(s, out_path(s, "Second.ttf"))
    set_check(s, IDC_INSTALL, True)
    m = press_next(s, 90)
    if not v.expect(s.page(m) == 8 and not s.message_box(m), "second walk reaches the finish page",
                    s.box_text(s.message_box(m)) if s.message_box(m) else ""):
        return
    set_check(s, IDC_START_OVER, False)
    code = finish_and_wait(s)
    v.expect(code == 0, "Finish without start over ends the program with code 0", str(code))
    v.expect(os.path.exists(out_path(s, "Second.ttf")), "the second font file is written")

    fonts_dir = os.path.join(s.data_home, "fonts")
    installed = os.listdir(fonts_dir) if os.path.isdir(fonts_dir) else []
    v.expect(bool(installed), "fonts installed into XDG_DATA_HOME/fonts", fonts_dir)
    listed = subprocess.run(["fc-list", "--format", "%{family}|%{file}\n"], env=s.env,
                            capture_output=True, text=True).stdout
    ours = [line for line in listed.splitlines() if line.split("|")[-1].startswith(fonts_dir)]
    v.expect(any("Second" in line.split("|")[0] for line in ours),
             "fontconfig lists the installed font named with the new suffix", "\n".join(ours) or listed)
    for f in installed:
        q = subprocess.run(["fc-query", "--format", "%{family}\n", os.path.join(fonts_dir, f)],
                           capture_output=True, text=True)
        v.expect(q.returncode == 0 and q.stdout.strip(), f"fc-query reads the installed {f}", q.stderr)


def check_idle(s, v, lang):
    """Idle CPU on each of the nine pages, measured over 5 s."""
    s.launch()
    pid = s.gui_pid()
    v.note(f"measuring process {pid} ({os.readlink(f'/proc/{pid}/exe')})")
    for page in range(9):
        advance_to(s, page)
        s.park_pointer()
        time.sleep(0.5)
        before, seq = s.cpu_seconds(pid), s.read_map().get("seq", 0)
        time.sleep(5.0)
        used = (s.cpu_seconds(pid) - before) / 5.0 * 100
        # The map is rewritten only after window and input events: rewrites while
        # nobody touches the program mean its widgets keep changing by themselves.
        rewrites = s.read_map().get("seq", 0) - seq
        v.expect(used < 2.0, f"idle on page {page} ({PAGE_NAMES[page]}) under 2% of a core",
                 f"{used:.1f}%, {rewrites} widget events while idle")


def check_dropdowns(s, v, lang):
    """The preview-size list (step 5) and the layout list (step 6) stay open until a pick."""
    s.launch()
    advance_to(s, 5)
    popup = open_combo(s, s.widget(controlId=IDC_POINT_SIZE))
    time.sleep(1.0)
    still = s.windows(None, "QComboBoxPrivateContainer")
    s.screenshot("glyph-dropdown")
    if v.expect(popup is not None and bool(still), "preview-size drop-down still open after 1 s"):
        pick_from_popup(s, still[0], lambda i: i["text"] == "128")
        v.expect(s.widget(controlId=IDC_POINT_SIZE)["text"] == "128", "128 picked from the preview-size list")
    s.park_pointer()
    advance_to(s, 6)
    popup = open_combo(s, s.widget(controlId=IDC_LAYOUT_COMBO, page=6))
    time.sleep(1.0)
    still = s.windows(None, "QComboBoxPrivateContainer")
    s.screenshot("place-dropdown")
    if v.expect(popup is not None and bool(still), "layout drop-down still open after 1 s"):
        ok = pick_from_popup(s, still[0], lambda i: i.get("data") == "de")
        v.expect(ok, "German picked from the layout list")


def check_tooltip(s, v, lang):
    """Hovering over Next shows its tooltip."""
    s.launch()
    nxt = s.widget(wizardButton="next")
    x, y = center(nxt["rect"])
    s.move(x - 60, y - 60)
    s.move(x, y, steps=8, start=(x - 60, y - 60))
    try:
        m = s.wait_for(lambda m: s.windows(m, "QTipLabel"), 5.0, "a tooltip")
        tips = [w.get("text", "") for w in s.windows(m, "QTipLabel")]
        s.screenshot("tooltip-next", m)
        v.expect(nxt.get("toolTip", "") in tips, "the tooltip over Next shows Next's text",
                 f"{tips} vs {nxt.get('toolTip')}")
        if lang.startswith("en"):
            v.expect("Next Page" in tips, "the English tooltip reads 'Next Page'", str(tips))
    except HarnessError:
        s.screenshot("tooltip-none")
        v.expect(False, "a tooltip appears within 5 s of hovering over Next")


def check_start_over(s, v, lang):
    """Finish with start over ticked goes back to step 1 and keeps the choices."""
    s.launch()
    advance_to(s, 8)
    set_check(s, IDC_START_OVER, True)
    s.screenshot("finish-start-over")
    click_button(s, "finish")
    m = wait_leaving_finish(s)
    if not v.expect(s.alive(), "the program keeps running after Finish with start over",
                    f"exit code {s.proc.returncode}"):
        return
    if not v.expect(s.page(m) == 1, "the wizard shows step 1", f"page {s.page(m)}"):
        s.screenshot("finish-still", m)
        return
    lst = s.widget(m, controlId=IDC_FONT_LIST)
    v.expect(any(i["selected"] and i["text"] == FONT for i in lst["items"]), "the chosen font is still selected")
    s.screenshot("font-after-start-over", m)


def check_width_slider(s, v, lang):
    """The Width handle stays where it is dragged; Right and Page Up add up."""
    s.launch()
    advance_to(s, 5)
    width = s.widget(controlId=IDC_WIDTH)
    v0 = width["value"]
    hx, hy = center(width["handleRect"])
    s.drag((hx, hy), (hx + 60, hy))
    time.sleep(0.5)
    after = s.settle()
    moved = s.widget(after, controlId=IDC_WIDTH)
    v.expect(moved["value"] > v0, "dragging the Width handle right raises its value",
             f"{v0} -> {moved['value']}")
    v.expect(moved["handleRect"][0] > width["handleRect"][0] + 20, "the Width handle stays where it was dropped",
             f"handle x {width['handleRect'][0]} -> {moved['handleRect'][0]}")
    s.screenshot("glyph-width-dragged", after)
    values = [moved["value"]]
    for key in ("Right", "Right", "Right", "Prior"):
        m = s.key(key)
        values.append(s.widget(m, controlId=IDC_WIDTH)["value"])
    steps_ok = all(b > a for a, b in zip(values, values[1:]))
    v.expect(steps_ok, "each of Right, Right, Right, Page Up raises the Width value", str(values))
    s.screenshot("glyph-width-keys")


def ink(s, rect, threshold=128):
    """Dark pixel count and their mean row in a screen rectangle."""
    rows = s.grey_pixels(rect)
    count = total = 0
    for y, row in enumerate(rows):
        n = sum(1 for p in row if p < threshold)
        count += n
        total += n * y
    return count, (total / count if count else 0.0)


def check_vertical_sliders(s, v, lang):
    """Up on Size moves its handle up and grows the symbol; Up on Position raises it."""
    s.launch()
    advance_to(s, 5)
    preview = s.widget(controlId=IDC_PREVIEW_PLACE)["rect"]
    for control, name in ((IDC_SIZE, "Size"), (IDC_VERT_POS, "Position")):
        slider = s.widget(controlId=control)
        s.click_at(*center(slider["handleRect"]))  # focus, without moving it
        before = s.widget(controlId=control)
        ink_before = ink(s, preview)
        m = s.key(*["Up"] * 5)
        after = s.widget(m, controlId=control)
        time.sleep(0.3)
        ink_after = ink(s, preview)
        s.screenshot(f"glyph-{name.lower()}-up")
        v.expect(after["handleRect"][1] < before["handleRect"][1], f"Up moves the {name} handle up",
                 f"handle y {before['handleRect'][1]} -> {after['handleRect'][1]}, value "
                 f"{before['value']} -> {after['value']}")
        if name == "Size":
            v.expect(ink_after[0] > ink_before[0], "Up on Size grows the symbol in the preview",
                     f"ink pixels {ink_before[0]} -> {ink_after[0]}")
        else:
            v.expect(ink_after[1] < ink_before[1], "Up on Position moves the symbol up in the preview",
                     f"mean ink row {ink_before[1]:.1f} -> {ink_after[1]:.1f}")


def try_save_to(s, path):
    """Sets the destination, presses Next; returns the first message box's text or None."""
    set_save_file(s, path)
    before_boxes = []
    m = press_next(s, 60)
    box = s.message_box(m)
    if box is None:
        return None, s.page(m), before_boxes
    texts = [s.box_text(box)]
    s.screenshot("save-message", m)
    # Answer: the default button of a question (Yes to replace) or OK.
    for _ in range(3):
        box = s.message_box()
        if box is None:
            break
        buttons = [w for w in box["widgets"] if w["class"] == "QPushButton"]
        s.click(buttons[0] if len(buttons) > 1 else buttons[-1])
        time.sleep(0.3)
        m = s.settle()
        nxt = s.message_box(m)
        if nxt:
            texts.append(s.box_text(nxt))
            s.screenshot("save-message-next", m)
    return texts, s.page(), before_boxes


def check_save_errors(s, v, lang):
    """A destination that cannot be written: a message that names it, no %d, no 'damaged'."""
    s.launch()
    advance_to(s, 7)
    folder = os.path.join(s.root, "out", "a-folder")
    os.makedirs(folder)
    cases = [(os.path.join(s.root, "no-such-folder", "x.ttf"), "a missing folder"),
             ("/proc/x.ttf", "/proc/x.ttf"),
             (folder, "a folder as the file name")]
    for path, what in cases:
        texts, page, _ = try_save_to(s, path)
        if not v.expect(texts is not None, f"saving to {what} is refused with a message", f"page {page}"):
            if page != 7:
                return
            continue
        joined = " | ".join(texts)
        v.expect("%d" not in joined, f"{what}: no literal %d in the message", joined)
        v.expect("damaged" not in joined and "cannot be read" not in joined,
                 f"{what}: the message does not blame the font", joined)
        v.expect(path in joined or os.path.basename(path) in joined, f"{what}: the message names the destination",
                 joined)
        if path == folder:
            v.expect(not any("already exists" in t for t in texts), f"{what}: no replace question", joined)
        v.expect(s.page() == 7, f"{what}: the wizard stays on the save page", str(s.page()))


def check_suffix_names(s, v, lang):
    """A non-ASCII suffix typed on the save page arrives exactly in the Windows name records."""
    try:
        from fontTools.ttLib import TTFont
    except ImportError:
        raise MissingOracle("fontTools (Debian's python3-fonttools)")
    suffix = " Unterschrift äöü€"
    s.launch()
    advance_to(s, 7)
    edit = s.widget(controlId=IDC_SUFFIX)
    m = s.replace_text(edit, suffix)
    typed = s.widget(m, controlId=IDC_SUFFIX)["text"]
    if not v.expect(typed == suffix, "the suffix arrives in the field as typed", repr(typed)):
        return
    target = out_path(s, "Suffix.ttf")
    set_save_file(s, target)
    s.screenshot("save-suffix")
    m = press_next(s, 90)
    if not v.expect(s.page(m) == 8 and not s.message_box(m), "the font is written",
                    s.box_text(s.message_box(m)) if s.message_box(m) else ""):
        return
    font = TTFont(target)
    records = [r for r in font["name"].names if r.platformID == 3 and r.nameID in (1, 4, 16)]
    v.expect(bool(records), "the font has Windows family and full names")
    for r in records:
        text = r.toUnicode()
        v.expect(suffix in text, f"Windows name {r.nameID} (language 0x{r.langID:04x}) carries the suffix",
                 repr(text))
    family = [r.toUnicode() for r in records if r.nameID == 1]
    v.expect(FONT + suffix in family, f"the Windows family name is {FONT + suffix!r}", repr(family))


def check_any_character(s, v, lang):
    """The Any Character tab shows the chosen character and refuses FFFF."""
    s.launch()
    advance_to(s, 6)
    m = click_key(s, 26)  # a
    chosen = unicode_text(s, m)
    v.expect(chosen == "0061", "a key chosen on the keyboard picture (U+0061)", chosen)
    tabs = s.widget(controlId=IDC_PLACE_TAB)
    s.click_at(*center(tabs["tabs"][2]["rect"]))
    m = s.settle()
    s.screenshot("place-any-character", m)
    v.expect(unicode_text(s, m) == chosen, "opening the tab keeps the chosen character", unicode_text(s, m))
    edits = [w for w in s.widgets(m, page=6, **{"class": "QLineEdit"})
             if "controlId" not in w and not w.get("readOnly")]
    if not v.expect(bool(edits), "the tab has a code field"):
        return
    code = edits[0]
    v.expect(code["text"].lower() == chosen, "the code field shows the chosen character", code["text"])
    m = s.replace_text(code, "ffff")
    s.screenshot("place-ffff", m)
    v.expect(not s.widget(m, wizardButton="next")["enabled"], "FFFF is refused (Next disabled)",
             f"unicode {unicode_text(s, m)!r}")
    v.expect(unicode_text(s, m) != "ffff", "FFFF does not become the chosen character", unicode_text(s, m))


def check_dari(s, v, lang):
    """With DejaVu Sans the Dari layout's letters can be chosen on the keyboard picture."""
    s.launch()
    advance_to(s, 6)
    if not v.expect(choose_layout(s, v, "af"), "Dari picked from the layout drop-down"):
        v.expect(type_layout_name(s, "af"), "Dari chosen by typing its name on the closed box")
    m = s.settle()
    combo = s.widget(m, controlId=IDC_LAYOUT_COMBO, page=6)
    v.note(f"layout shown: {combo['text']!r}")
    got = []
    for index in (16, 26, 30, 40):
        m = click_key(s, index)
        got.append(unicode_text(s, m))
    s.screenshot("place-dari", m)
    arabic = [t for t in got if t and 0x0600 <= int(t, 16) <= 0x06FF]
    v.expect(len(arabic) == len(got), "Dari letter keys give Arabic-script characters", str(got))
    v.expect(s.widget(m, wizardButton="next")["enabled"], "a Dari letter can be chosen (Next enabled)")


def check_window_size(s, v, lang):
    """The window keeps one size on all nine pages."""
    s.launch()
    sizes = {}

    def note(page):
        m = s.read_map()
        sizes[page] = tuple(s.wizard(m)["rect"][2:])
        s.screenshot(PAGE_NAMES[page], m)

    advance_to(s, 8, shots=note)
    note(8)
    v.note(", ".join(f"{PAGE_NAMES[p]} {w}x{h}" for p, (w, h) in sorted(sizes.items())))
    v.expect(len(set(sizes.values())) == 1, "the window has one size on every page",
             str(sorted(set(sizes.values()))))


CHECKS = {
    "walk": check_walk,
    "idle": check_idle,
    "dropdowns": check_dropdowns,
    "tooltip": check_tooltip,
    "start_over": check_start_over,
    "width_slider": check_width_slider,
    "vertical_sliders": check_vertical_sliders,
    "save_errors": check_save_errors,
    "suffix_names": check_suffix_names,
    "any_character": check_any_character,
    "dari_layout": check_dari,
    "window_size": check_window_size,
}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--program", required=True, help="the penmark executable")
    ap.add_argument("--check", required=True, choices=sorted(CHECKS))
    ap.add_argument("--lang", default="en_US.UTF-8")
    ap.add_argument("--screens", help="folder for screenshots (a LANG/CHECK folder is made inside)")
    ap.add_argument("--keep", action="store_true", help="keep the session's temporary folder")
    args = ap.parse_args()

    missing = missing_tools()
    if missing:
        print("missing tools: " + ", ".join(missing))
        return 1 if os.environ.get("CI") else SKIP
    if not os.access(args.program, os.X_OK):
        print(f"no program at {args.program}")
        return 1
    screens = os.path.join(args.screens, args.lang.split(".")[0], args.check) if args.screens else None
    if screens and os.path.isdir(screens):
        for f in os.listdir(screens):
            if f.endswith(".png"):
                os.remove(os.path.join(screens, f))
    v = Verdicts(args.check)
    started = time.time()
    with Session(args.program, args.lang, screens, args.check, keep=args.keep) as s:
        try:
            CHECKS[args.check](s, v, args.lang)
        except MissingOracle as e:
            print(f"missing oracle: {e}")
            if not os.environ.get("CI"):
                return SKIP
            v.expect(False, f"the oracle {e} is installed")
        except HarnessError as e:
            v.expect(False, f"the check could go on: {e}")
            s.screenshot("stopped")
        except Exception:  # a fault of the suite itself: show it whole
            traceback.print_exc()
            v.expect(False, "the check ran without an exception")
            s.screenshot("stopped")
        if v.failed and s.program_log().strip():
            print("---- program output (end) ----\n" + s.program_log())
        if args.keep:
            print(f"session folder kept: {s.root}")
    if screens:
        print(f"screenshots: {screens}")
    print(f"{args.check} ({args.lang}): {len(v.failed)} failed, {time.time() - started:.1f} s")
    return 1 if v.failed else 0


if __name__ == "__main__":
    sys.exit(main())
