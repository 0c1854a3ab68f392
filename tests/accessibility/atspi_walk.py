"""The windows as a screen reader sees them: the real program on a private desktop with the
accessibility bus (see desktop_session.py), read and driven only through AT-SPI.

The walk checks that every control a user acts on says what it is (its role) and which one it is
(its name), that the four looks are radio buttons of one group, and that a message box's text can
be read. It goes from the main window through a real generation to the preview, opens the save
dialog, cancels it, reads the "Done." box, and goes back. Then the mail merge window, opened on a
list: its controls, the recipients as a table of rows and columns, and the preview as a picture
that names its recipient.

    atspi_walk.py PROGRAM
"""

import os
import signal
import subprocess
import sys
import tempfile

from desktop_session import DesktopSession, wait_for

# Roles of what a user acts on: each of them needs a name.
ACTED_ON = {"push button", "radio button", "check box", "text", "entry", "password text",
            "spin button", "combo box", "scroll bar", "slider", "image", "menu item"}

FIELDS = ["Title/Headline", "Subtitle", "Issue/Edition No.", "Volume No.", "Sender Name",
          "Company Name", "Street Address", "City, State Zip", "Phone No", "Fax No",
          "Email Address", "Website", "Recipient Name", "Company Name", "Street Address",
          "City, State Zip"]
LOOKS = ["Classic", "Executive", "Professional", "Elegant"]
FORM1 = sorted([("text", name) for name in FIELDS] +
               [("spin button", "Issue Date")] +
               [("radio button", name) for name in LOOKS] +
               [("push button", name) for name in
                ("Start Creating Template", "Clear/Reset Data", "Load Sample/Example Data")])
FORM2 = sorted([("push button", name) for name in
                ("Zoom In", "Zoom Out", "Back", "Save Results To Word File")] +
               [("scroll bar", "Scroll Up and Down"), ("scroll bar", "Scroll Left and Right"),
                ("image", "Newsletter Preview")])

failures = []


def check(condition, message):
    print(("ok     " if condition else "FAILED ") + message, flush=True)
    if not condition:
        failures.append(message)


class Walk:
    def __init__(self, pid):
        # Imported only now: the library finds its bus when it is first loaded.
        import pyatspi
        from gi.repository import Atspi
        self.pyatspi = pyatspi
        self.desktop = pyatspi.Registry.getDesktop(0)
        # Every question goes to the program: a cached answer could describe a window since gone.
        self.desktop.set_cache_mask(Atspi.Cache.NONE)
        self.app = wait_for("the program on the accessibility bus", lambda: self._app(pid), 120)

    def _app(self, pid):
        for i in range(self.desktop.childCount):
            app = self.desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == pid:
                return app
        return None

    def showing(self, node):
        return node.getState().contains(self.pyatspi.STATE_SHOWING)

    def descendants(self, node):
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is None:
                continue
            yield child
            yield from self.descendants(child)

    def controls(self, window):
        """Every showing control of `window` that a user acts on."""
        return [node for node in self.descendants(window)
                if node.getRoleName() in ACTED_ON and self.showing(node)]

    def window_with(self, role, name):
        """The showing top-level window holding a showing `role` named `name`."""
        def find():
            for i in range(self.app.childCount):
                window = self.app.getChildAtIndex(i)
                if window is None or not self.showing(window):
                    continue
                for node in self.descendants(window):
                    if node.getRoleName() == role and node.name == name and self.showing(node):
                        return window
            return None
        try:
            return wait_for(f"a window with the {role} {name!r}", find, 120, interval=0.25)
        except TimeoutError:
            print("showing instead:", self.on_screen(), flush=True)
            raise

    def on_screen(self):
        """The showing windows with their names and texts, to say what came up instead."""
        windows = []
        for i in range(self.app.childCount):
            window = self.app.getChildAtIndex(i)
            if window is not None and self.showing(window):
                texts = [node.name for node in self.descendants(window)
                         if node.getRoleName() == "label" and node.name]
                windows.append((window.getRoleName(), window.name, texts))
        return windows

    def find(self, window, role, name):
        for node in self.descendants(window):
            if node.getRoleName() == role and node.name == name and self.showing(node):
                return node
        raise LookupError(f"no {role} {name!r}")

    def press(self, window, name):
        button = self.find(window, "push button", name)
        action = button.queryAction()
        names = [action.getName(i).lower() for i in range(action.nActions)]
        action.doAction(names.index("press") if "press" in names else 0)


def check_window(walk, window, expected, title):
    controls = walk.controls(window)
    said = sorted((node.getRoleName(), node.name) for node in controls)
    check(said == expected, f"{title}: every control has its role and name: {said}")
    unnamed = [node.getRoleName() for node in controls if not node.name.strip()]
    check(not unnamed, f"{title}: no control without a name: {unnamed}")


def check_look_group(walk, form1):
    options = [walk.find(form1, "radio button", look) for look in LOOKS]
    parent = options[0].parent
    check(all(option.parent == parent for option in options), "the looks share one parent")
    check(parent.name == "Newsletter Look",
          f"the looks' group is named: {parent.name!r} ({parent.getRoleName()})")
    radios = [child.name for child in walk.descendants(parent)
              if child.getRoleName() == "radio button"]
    check(radios == LOOKS, f"the group holds the four looks and nothing else: {radios}")
    checked = [option.name for option in options
               if option.getState().contains(walk.pyatspi.STATE_CHECKED)]
    check(checked == ["Classic"], f"exactly one look is chosen: {checked}")


def walk(pid):
    """The walk itself, in a process of its own: the AT-SPI library ends its process outright when
    a bus fails it, and the session must still be taken down after that."""
    walker = Walk(pid)
    form1 = walker.window_with("push button", "Start Creating Template")
    check_window(walker, form1, FORM1, "main window")
    check_look_group(walker, form1)

    walker.press(form1, "Start Creating Template")
    form2 = walker.window_with("push button", "Save Results To Word File")
    check_window(walker, form2, FORM2, "preview")

    walker.press(form2, "Save Results To Word File")
    dialog = walker.window_with("push button", "Cancel")
    check(dialog.name == "Save File", f"the save dialog says what it is: {dialog.name!r}")
    walker.press(dialog, "Cancel")
    box = walker.window_with("label", "Done.")
    check(box.getRoleName() in ("alert", "dialog"),
          f"the message box is a box: {box.getRoleName()}")
    check(walker.find(box, "label", "Done.") is not None, "the box's text is read out")
    walker.press(box, "OK")
    walker.press(form2, "Back")
    wait_for("the main window back", lambda: walker.showing(form1), 60)
    check(not walker.showing(form2), "the preview is gone after Back")
    return 1 if failures else 0


MERGE_LIST = "Name,Company,Email\nDana Hollis,Hollis & Co,dana@example.org\n" \
             "Ravi Menon,Menon Ltd,ravi@example.org\n"


def walk_merge(pid):
    walker = Walk(pid)
    window = walker.window_with("push button", "Make Files…")
    controls = walker.controls(window)
    unnamed = [node.getRoleName() for node in controls if not node.name.strip()]
    check(not unnamed, f"mail merge: no control without a name: {unnamed}")
    for name in ("Open List…", "First", "Previous", "Next", "Last", "Zoom In", "Zoom Out",
                 "Combined PDF…", "Send…"):
        check(any(node.name == name for node in controls), f"mail merge: {name} is there")
    check(any(node.getRoleName() == "text" and node.name == "Filter" for node in controls),
          "mail merge: the filter is a named text field")
    table = walk_table(walker, window)
    if table is not None:
        cells = table.queryTable()
        check((cells.nRows, cells.nColumns) == (2, 5),
              f"mail merge: the table has a row per recipient and the number, the three "
              f"columns and the notes: {cells.nRows} rows, {cells.nColumns} columns")
        header = [cells.getColumnDescription(i) for i in range(cells.nColumns)]
        check(header[1:4] == ["Name", "Company", "Email"], f"mail merge: column names: {header}")
    picture = wait_for("the first recipient's preview", lambda: next(
        (node for node in walker.descendants(window)
         if node.getRoleName() == "image" and "Dana Hollis" in node.name), None), 180)
    check(picture is not None, f"mail merge: the preview is a picture named for its recipient")
    return 1 if failures else 0


def walk_table(walker, window):
    for node in walker.descendants(window):
        if node.getRoleName() == "table" and node.name == "Recipients":
            return node
    check(False, "mail merge: the recipients are a table named Recipients")
    return None


def start_and_walk(session, env, command, walk_argument):
    program = session.start(command, env=env)
    try:
        return subprocess.run([sys.executable, __file__, walk_argument, str(program.pid)],
                              env=session.env, timeout=480).returncode
    except subprocess.TimeoutExpired:
        print("FAILED the walk did not finish", flush=True)
        return 1
    finally:
        # Ended as the session ends it, which also ends its engine.
        if program.poll() is None:
            program.terminate()
            try:
                program.wait(timeout=30)
            except subprocess.TimeoutExpired:
                print("FAILED the program did not end when asked to", flush=True)
                os.killpg(program.pid, signal.SIGKILL)
                program.wait()


def run(program_path):
    with tempfile.TemporaryDirectory(prefix="brindlecast-atspi-") as home, \
            DesktopSession(accessibility=True) as session:
        for name in ("temp", "home", "config"):
            os.mkdir(os.path.join(home, name))
        env = {**session.env,
               "TEMP": os.path.join(home, "temp"),
               "HOME": os.path.join(home, "home"),
               "XDG_CONFIG_HOME": os.path.join(home, "config"),
               "QT_QPA_PLATFORM": "xcb",
               "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
        main = start_and_walk(session, env, [program_path], "--walk")
        listed = os.path.join(home, "list.csv")
        with open(listed, "w") as out:
            out.write(MERGE_LIST)
        merge = start_and_walk(session, env, [program_path, "mail-merge", listed], "--walk-merge")
        return main or merge


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--walk":
        sys.exit(walk(int(sys.argv[2])))
    if len(sys.argv) == 3 and sys.argv[1] == "--walk-merge":
        sys.exit(walk_merge(int(sys.argv[2])))
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(run(sys.argv[1]))
