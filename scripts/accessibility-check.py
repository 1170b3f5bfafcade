#!/usr/bin/python3
# What a screen reader is told of the program, read through AT-SPI as one
# reads it: started by scripts/check-accessibility, which runs the program
# under Xvfb on a private session bus with the toolkit's accessibility on.
# Prints the main window's tree, opens the other windows and dialogs through
# the controls' own actions (as a screen reader's user would), and checks
# that every control has a name and the role it should have.
#
#   accessibility-check.py DUMP_FILE HAS_ICONS(0|1)
#
# Ends with "accessibility: N passed, M failed"; exits 1 on a failure.
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

# An action that opens a modal dialog (a menu entry's) is answered only once
# the dialog has closed; the check goes on without waiting for that answer.
Atspi.set_timeout(3000, -1)

dump_file = sys.argv[1]
has_icons = sys.argv[2] == "1"
passed = 0
failed = 0

# Roles that a user works with: each must have a name.
NAMED_ROLES = {
    "push button", "combo box", "list", "list item", "menu item", "page tab",
    "text", "check box", "radio button", "spin button", "slider", "animation",
    "dialog", "alert", "frame", "window", "status bar", "image",
}


def check(what, ok, detail=""):
    global passed, failed
    if ok:
        passed += 1
        print("ok    " + what)
    else:
        failed += 1
        print("FAIL  " + what + (": " + detail if detail else ""))


def states(acc):
    return {pyatspi.stateToString(s) for s in acc.getState().getStates()}


def walk(acc, depth=0, limit=40):
    """Every object under acc with its depth, lists cut after limit items."""
    yield acc, depth
    count = acc.childCount
    for i in range(min(count, limit)):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1, limit)


def describe(acc):
    text = "[%s] %r" % (acc.getRoleName(), acc.name)
    if acc.description:
        text += " (%s)" % acc.description
    if "showing" not in states(acc):
        text += " hidden"
    return text


def dump(acc):
    return "\n".join("  " * depth + describe(a) for a, depth in walk(acc))


def find(acc, role, name=None, pattern=None):
    for a, _ in walk(acc, limit=400):
        if a.getRoleName() != role:
            continue
        if name is not None and a.name != name:
            continue
        if pattern is not None and not re.fullmatch(pattern, a.name or ""):
            continue
        return a
    return None


def wait_for(fn, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        found = fn()
        if found:
            return found
        time.sleep(0.2)
    return None


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "Glyphor2":
            return app
    return None


def top_level(role, name):
    app = application()
    if app is None:
        return None
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if window is not None and window.getRoleName() == role and window.name == name \
                and "showing" in states(window):
            return window
    return None


def press(acc):
    try:
        acc.queryAction().doAction(0)
    except GLib.GError as error:
        if "reply" not in str(error):
            raise


def unnamed_controls(window):
    missing = []
    for a, _ in walk(window):
        if a.getRoleName() in NAMED_ROLES and "showing" in states(a) and not a.name:
            missing.append(describe(a))
    return missing


app = wait_for(application, 20)
check("the program is on the accessibility bus", app is not None)
if app is None:
    print("accessibility: %d passed, %d failed" % (passed, failed))
    sys.exit(1)

main = wait_for(lambda: top_level("frame", "Glyphor 2"))
check("the main window is a frame named \"Glyphor 2\"", main is not None)
if main is None:
    print("accessibility: %d passed, %d failed" % (passed, failed))
    sys.exit(1)

tree = dump(main)
with open(dump_file, "w") as out:
    out.write(tree + "\n")
print("--- the main window as a screen reader sees it ---")
print(tree)
print("---")

for role, name in [
    ("panel", "Source Drive"), ("panel", "Destination Drive"),
    ("list", "Source folders"), ("list", "Source files"),
    ("list", "Destination folders"), ("list", "Destination files"),
    ("combo box", "Icon picker"),
    ("push button", "Scan Tree"), ("push button", "Scan File"), ("push button", "Save Icon"),
    ("push button", "Create Dir"), ("push button", "Delete Dir"), ("push button", "View Dir"),
    ("push button", "Minimize"), ("push button", "Close"), ("push button", "Window menu"),
    ("status bar", "Status"),
]:
    check("%s \"%s\"" % (role, name), find(main, role, name) is not None)

for description in ("Source drive", "Destination drive"):
    drive = None
    for a, _ in walk(main):
        if a.getRoleName() == "combo box" and a.description == description:
            drive = a
    check("the %s list is named by its drive and label" % description.lower(),
          drive is not None and re.fullmatch(r"/.*, [^,]*(drive|disk).*", drive.name or "") is not None,
          drive.name if drive else "no combo box described \"%s\"" % description)
    if drive is not None:
        items = [a.name for a, _ in walk(drive) if a.getRoleName() == "list item"]
        check("its items say their drive in words, without brackets",
              items and all("[" not in item and ", " in item for item in items), repr(items))

folders = find(main, "list", "Source folders")
if folders is not None:
    descriptions = {a.description for a, _ in walk(folders) if a.getRoleName() == "list item"}
    check("the folder list says where each folder stands",
          "current folder" in descriptions and "open folder" in descriptions, repr(descriptions))

labels = [a for a, _ in walk(main) if a.getRoleName() == "label"
          and a.name in ("Source Drive", "Destination Drive")]
check("the scratch images are out of the tree", not labels, repr([describe(a) for a in labels]))
hidden_lists = [a for a, _ in walk(main) if a.getRoleName() == "list" and not a.name
                and a.parent.getRoleName() != "combo box"]
check("the hidden work list is out of the tree", not hidden_lists,
      repr([describe(a) for a in hidden_lists]))
check("every control of the main window has a name", not unnamed_controls(main),
      "; ".join(unnamed_controls(main)))

if has_icons:
    files = find(main, "list", "Source files")
    first = find(files, "list item") if files else None
    check("the source file list shows the source's executables", first is not None)
    picker = find(main, "combo box", "Icon picker")
    if first is not None and picker is not None:
        # A click on the first file, where AT-SPI says it is.
        box = first.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                        str(box.y + box.height // 2), "click", "1"], check=False)
        items = wait_for(lambda: [a.name for a, _ in walk(picker) if a.getRoleName() == "list item"])
        check("the icon picker's items are \"Icon N of M\"",
              bool(items) and all(re.fullmatch(r"Icon \d+ of \d+", i) for i in items), repr(items))

# The viewer.
press(find(main, "push button", "View Dir"))
viewer = wait_for(lambda: top_level("frame", "Icon View"))
check("View Dir opens a window named \"Icon View\"", viewer is not None)
if viewer is not None:
    icons = find(viewer, "list", "Icon files")
    check("its list is named \"Icon files\"", icons is not None)
    if icons is not None and has_icons:
        items = wait_for(lambda: [a.name for a, _ in walk(icons) if a.getRoleName() == "list item"])
        check("its items are named by their files",
              bool(items) and all(re.fullmatch(r"Icon\d{4}\.ico", i) for i in items),
              repr((items or [])[:5]) + "\n" + dump(viewer))
    check("every control of the viewer has a name", not unnamed_controls(viewer),
          "; ".join(unnamed_controls(viewer)))

# The About box, from the Help menu's entry.
press(find(main, "menu item", "About"))
about = wait_for(lambda: top_level("dialog", "About"))
check("Help > About opens a dialog named \"About\"", about is not None)
if about is not None:
    check("every control of the About box has a name", not unnamed_controls(about),
          "; ".join(unnamed_controls(about)))
    check("the About box shows the count", find(about, "label", pattern=r"\d+") is not None)
    press(find(about, "push button", "OK"))
    wait_for(lambda: top_level("dialog", "About") is None)

# The Create Directory input, and the message box of its answer (last: the
# destination moves into the new folder).
press(find(main, "push button", "Create Dir"))
dialog = wait_for(lambda: top_level("dialog", "Create Directory"))
check("Create Dir opens a dialog named \"Create Directory\"", dialog is not None)
if dialog is not None:
    check("every control of the Create Directory dialog has a name", not unnamed_controls(dialog),
          "; ".join(unnamed_controls(dialog)))
    field = find(dialog, "text")
    check("it has a text field", field is not None)
    if field is not None:
        field.queryEditableText().setTextContents("made-by-a-screen-reader")
    press(find(dialog, "push button", "OK"))
    box = wait_for(lambda: top_level("alert", "Information"))
    check("the answer is an alert named \"Information\"", box is not None)
    if box is not None:
        check("its icon is named \"Information\"", find(box, "image", "Information") is not None)
        check("it says what happened", find(box, "label", "New directory created") is not None)
        press(find(box, "push button", "OK"))
        wait_for(lambda: top_level("alert", "Information") is None)

# The help window, from the Help menu's first entry.
press(find(main, "menu item", "Help Topics"))
helpwin = wait_for(lambda: next((w for w in [application().getChildAtIndex(i)
                                             for i in range(application().childCount)]
                                 if w is not None and w.getRoleName() == "frame"
                                 and w.name not in ("Glyphor 2", "Icon View")
                                 and "showing" in states(w)), None))
check("Help Topics opens a window (a frame) named by the help's title",
      helpwin is not None and bool(helpwin.name), describe(helpwin) if helpwin else "none")
if helpwin is not None:
    check("every control of the help window has a name", not unnamed_controls(helpwin),
          "; ".join(unnamed_controls(helpwin)))

print("accessibility: %d passed, %d failed" % (passed, failed))
sys.exit(1 if failed else 0)
