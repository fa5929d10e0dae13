#!/usr/bin/python3
"""The real program driven from outside, as a screen reader or a test robot
drives it: through the desktop's accessibility interface (AT-SPI) and real
keystrokes, on a virtual display of its own.

A copy of the program folder is started on an empty database; 新規 is found
by its name and pressed, the wizard is filled in (the two names through the
text interface, the rate and two history rows typed as keys), 完了 saves the
case, and the main window's list must show it, as must `korvalen-db list` on
the database folder. Nothing of the user's own settings or desktop is used.

Exit 0 when the case came through, 1 on a fault (with what was seen), 77
(skipped) when the display, the accessibility bus or pyatspi cannot be had.
"""

import argparse
import importlib.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
WIZARD_TITLE = "引直計算の入力ウイザード"
CREDITOR = "アコム株式会社"
DEBTOR = "山田　太郎"


class Fault(Exception):
    """What went wrong, in words for the test's log."""


class Skip(Exception):
    """Why the drive cannot run here."""


def wait_for(what, probe, timeout=10.0):
    """The first true answer of probe(), polled; a Fault after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            answer = probe()
        except Exception:  # the tree changes while it is read
            answer = None
        if answer:
            return answer
        if time.monotonic() > deadline:
            raise Fault("waited %.0f s for %s" % (timeout, what))
        time.sleep(0.05)


class Session:
    """Xvfb, a session bus and the accessibility bus, ended in reverse."""

    def __init__(self, root, screenshots):
        self.root = root
        self.screenshots = screenshots
        self.processes = []  # (Popen, own process group)
        self.env = dict(os.environ)

    def start(self, args, group=False, **kw):
        proc = subprocess.Popen(args, env=self.env, start_new_session=group, **kw)
        self.processes.append((proc, group))
        return proc

    def __enter__(self):
        for tool in ("Xvfb", "dbus-launch", "xdotool"):
            if shutil.which(tool) is None:
                raise Skip("%s is not installed" % tool)
        launcher = "/usr/libexec/at-spi-bus-launcher"
        if not os.access(launcher, os.X_OK):
            raise Skip("at-spi-bus-launcher is not installed (at-spi2-core)")
        if importlib.util.find_spec("pyatspi") is None:
            raise Skip("pyatspi is not available to %s (python3-pyatspi)" % sys.executable)

        read_end, write_end = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                   pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as displayfd:
            number = displayfd.readline().strip()
        if not number:
            raise Skip("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number

        bus = subprocess.run(["dbus-launch", "--sh-syntax"], env=self.env, capture_output=True, text=True)
        for line in bus.stdout.splitlines():
            for name in ("DBUS_SESSION_BUS_ADDRESS", "DBUS_SESSION_BUS_PID"):
                if line.startswith(name + "="):
                    self.env[name] = line.split("=", 1)[1].split(";")[0].strip("'")
        if "DBUS_SESSION_BUS_ADDRESS" not in self.env:
            raise Skip("dbus-launch gave no session bus")
        self.bus_pid = int(self.env.get("DBUS_SESSION_BUS_PID", "0"))
        self.start([launcher, "--launch-immediately"], group=True, stderr=subprocess.DEVNULL)

        # pyatspi finds the buses through these when it is first imported.
        os.environ["DISPLAY"] = self.env["DISPLAY"]
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.env["DBUS_SESSION_BUS_ADDRESS"]
        return self

    def __exit__(self, *exc):
        for proc, group in reversed(self.processes):
            if proc.poll() is None:
                try:
                    os.killpg(proc.pid, signal.SIGTERM) if group else proc.terminate()
                    proc.wait(timeout=5)
                except (ProcessLookupError, subprocess.TimeoutExpired):
                    proc.kill()
        if getattr(self, "bus_pid", 0) > 0:
            try:
                os.kill(self.bus_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        return False

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + list(args), env=self.env, check=True, capture_output=True, timeout=10)

    def shot(self, name):
        if self.screenshots and shutil.which("import"):
            subprocess.run(["import", "-window", "root", os.path.join(self.screenshots, name + ".png")],
                           env=self.env, timeout=10)


class Driver:
    """The program's accessible tree, read as AT-SPI shows it."""

    PATIENT_MS = 10000
    HASTY_MS = 1500

    def __init__(self, session):
        import pyatspi  # after the session's buses are known

        from gi.repository import Atspi

        self.pyatspi = pyatspi
        self.atspi = Atspi
        self.session = session
        # Patient calls: a machine shared with builds answers slowly.
        Atspi.set_timeout(self.PATIENT_MS, self.PATIENT_MS)
        self.desktop = pyatspi.Registry.getDesktop(0)

    def application(self, name):
        for app in self.desktop:
            if app is not None and app.name == name:
                return app
        return None

    def find(self, root, role, name):
        """A showing node of `role` named `name`, not looking inside tables
        (a grid of a thousand rows has thousands of cells)."""
        showing = self.pyatspi.STATE_SHOWING
        stack = [root]
        while stack:
            node = stack.pop()
            if node is None:
                continue
            if node is not root and not node.getState().contains(showing):
                continue
            if node.getRoleName() == role and node.name == name:
                return node
            if node is root or node.getRoleName() not in ("table", "tree table", "list"):
                stack.extend(reversed([node.getChildAtIndex(i) for i in range(node.childCount)]))
        return None

    def top_level(self, app, role, name):
        for window in app:
            if window is not None and window.getRoleName() == role and window.name == name:
                return window
        return None

    def press(self, button, opens_modal=False):
        """The button's press action. A tool button runs its click before it
        answers, so one that opens a modal window answers only when that
        window closes: its answer is not waited for."""
        action = button.queryAction()
        for i in range(action.nActions):
            if action.getName(i) in ("Press", "press", "click"):
                if opens_modal:
                    self.atspi.set_timeout(self.HASTY_MS, self.HASTY_MS)
                try:
                    action.doAction(i)
                except Exception as error:
                    if not opens_modal or "reply" not in str(error):
                        raise
                finally:
                    self.atspi.set_timeout(self.PATIENT_MS, self.PATIENT_MS)
                return
        raise Fault("%s has no press action" % button.name)

    def focused(self, node):
        return node.getState().contains(self.pyatspi.STATE_FOCUSED)

    def focus(self, node):
        if not self.focused(node) and not node.queryComponent().grabFocus():
            raise Fault("%s took no focus" % node.name)
        wait_for("the focus on %s" % node.name, lambda: self.focused(node), timeout=5)

    def click(self, node):
        """A mouse click in the middle of what the node covers on the screen."""
        box = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        self.session.xdotool("mousemove", "--sync", str(box.x + box.width // 2), str(box.y + box.height // 2),
                             "click", "1")

    def set_text(self, edit, text):
        edit.queryEditableText().setTextContents(text)
        wait_for("%s to read %s" % (edit.name, text), lambda: self.text_of(edit) == text, timeout=5)

    @staticmethod
    def text_of(node):
        text = node.queryText()
        return text.getText(0, text.characterCount)

    @staticmethod
    def cell(table, row, column):
        return table.queryTable().getAccessibleAt(row, column).name


def drive(args, session, work):
    if not os.access(os.path.join(args.program_folder, "Korvalen"), os.X_OK):
        raise Fault("no program in %s (build the target Korvalen)" % args.program_folder)
    # The program works only inside a "vex" folder.
    program_folder = os.path.join(work, "vex", "Korvalen")
    shutil.copytree(args.program_folder, program_folder)
    for name in ("DBPath.ini", "KorvalenDB"):  # an empty database, whatever the build folder holds
        path = os.path.join(program_folder, name)
        if os.path.isdir(path):
            shutil.rmtree(path)
        elif os.path.exists(path):
            os.remove(path)
    runtime = os.path.join(work, "runtime")
    os.mkdir(runtime, 0o700)
    journal = os.path.join(work, "messages.txt")
    session.env.update({
        "HOME": work,
        "XDG_CONFIG_HOME": os.path.join(work, "config"),
        "XDG_RUNTIME_DIR": runtime,
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        "QT_QPA_PLATFORM": "xcb",
        # Any message box would wait for a user: each is written here instead.
        "KORVALEN_MESSAGE_JOURNAL": journal,
    })
    log = open(os.path.join(work, "program.log"), "w")
    program = session.start([os.path.join(program_folder, "Korvalen")], stdout=log, stderr=subprocess.STDOUT)

    def messages():
        return open(journal, encoding="utf-8").read() if os.path.exists(journal) else ""

    def check_alive():
        if program.poll() is not None:
            raise Fault("the program ended (exit %s); messages: %s" % (program.returncode, messages()))

    try:
        driver = Driver(session)
    except Exception as error:  # no accessibility bus after all
        raise Skip("AT-SPI is not reachable: %s" % error)
    app = wait_for("the program on the accessibility bus", lambda: check_alive() or driver.application("Korvalen"),
                   timeout=15)
    main = wait_for("the main window カドレア", lambda: driver.top_level(app, "frame", "カドレア"))
    cases = wait_for("the case list", lambda: driver.find(main, "table", "事件の一覧"))
    if cases.queryTable().nRows != 0:
        raise Fault("the list of an empty database has %d rows" % cases.queryTable().nRows)
    session.shot("1-main-window")

    driver.press(wait_for("新規", lambda: driver.find(main, "push button", "新規")), opens_modal=True)
    wizard = wait_for("the wizard", lambda: check_alive() or driver.top_level(app, "dialog", WIZARD_TITLE))
    # The keystrokes below go to the window that has the X input focus.
    session.xdotool("search", "--sync", "--name", "^%s$" % WIZARD_TITLE, "windowfocus", "--sync")

    def next_button():
        return driver.find(wizard, "push button", "次へ(N) >") or driver.find(wizard, "push button", "完了")

    def go_to(what, probe):
        driver.press(wait_for("the Next button", next_button))
        return wait_for(what, lambda: check_alive() or probe())

    creditor = wait_for("債権者名", lambda: driver.find(wizard, "text", "債権者名"))
    driver.set_text(creditor, CREDITOR)
    driver.set_text(driver.find(wizard, "text", "債務者名"), DEBTOR)
    session.shot("2-names")

    go_to("the start date page", lambda: driver.find(wizard, "push button", "計算開始年月日"))
    rate = go_to("the rate page", lambda: driver.find(wizard, "text", "利率"))
    driver.focus(rate)
    session.xdotool("type", "--delay", "20", "29.2")
    wait_for("利率 to read 29.2", lambda: driver.text_of(rate).startswith("29.2"), timeout=5)
    session.shot("3-rate")

    grid = go_to("the history grid", lambda: driver.find(wizard, "table", "借入・返済履歴"))
    # A table takes no focus through the interface: the user clicks its first cell.
    driver.click(grid.queryTable().getAccessibleAt(0, 0))
    wait_for("the focus on the grid", lambda: driver.focused(grid), timeout=5)
    # Row 1: 2005-01-10, 300,000 borrowed; row 2: 2005-02-10, 20,000 repaid.
    for keys in (["050110", "Tab", "300000", "Tab", "Tab", "Tab"], ["050210", "Tab", "Tab", "20000", "Tab", "Tab"]):
        for key in keys:
            if key == "Tab":
                session.xdotool("key", "--delay", "30", "Tab")
            else:
                session.xdotool("type", "--delay", "20", key)
    wait_for("two rows in the grid", lambda: driver.cell(grid, 1, 2) == "20,000", timeout=5)
    rows = [[driver.cell(grid, r, c) for c in range(3)] for r in range(2)]
    if rows != [["05/01/10", "300,000", "0"], ["05/02/10", "0", "20,000"]]:
        raise Fault("the grid reads %s" % rows)
    session.shot("4-history")

    # A result table keeps empty rows below the entries, as a printed form does.
    for caption in ("業者計算", "引直計算"):
        table = go_to("the table " + caption, lambda: driver.find(wizard, "table", caption))
        dates = [driver.cell(table, r, 0) for r in range(3)]
        if dates[:2] != ["平17/01/10", "平17/02/10"] or dates[2] != "":
            raise Fault("the table %s begins %s" % (caption, dates))
    session.shot("5-recalculation")

    driver.press(wait_for("完了", lambda: driver.find(wizard, "push button", "完了")))
    wait_for("the wizard to close", lambda: check_alive() or driver.top_level(app, "dialog", WIZARD_TITLE) is None)
    wait_for("the case in the list", lambda: cases.queryTable().nRows == 1)
    listed = [driver.cell(cases, 0, c) for c in range(3)]
    session.shot("6-listed")
    if listed != [CREDITOR, DEBTOR, "2"]:
        raise Fault("the list shows %s" % listed)
    if messages():
        raise Fault("the program said: %s" % messages())

    if args.db_tool:
        stored = subprocess.run([args.db_tool, "list", os.path.join(program_folder, "KorvalenDB")],
                                capture_output=True, text=True, timeout=30)
        if stored.returncode != 0 or stored.stdout.strip() != "0\t%s\t%s\t2" % (CREDITOR, DEBTOR):
            raise Fault("korvalen-db list says: %r %r" % (stored.stdout, stored.stderr))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("program_folder", help="the program folder (build/vex/Korvalen)")
    parser.add_argument("--db-tool", help="korvalen-db, to read the stored case back")
    parser.add_argument("--screenshots", help="a folder for a screenshot of each step")
    parser.add_argument("--keep", action="store_true", help="keep the work folder and say where it is")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="korvalen-atspi-")
    started = time.monotonic()
    try:
        with Session(work, args.screenshots) as session:
            drive(args, session, work)
    except Skip as why:
        print("SKIPPED: " + str(why))
        return SKIPPED
    except Fault as fault:
        print("FAULT: " + str(fault))
        log = os.path.join(work, "program.log")
        if os.path.exists(log):
            print(open(log, encoding="utf-8", errors="replace").read()[-2000:])
        return 1
    finally:
        if args.keep:
            print("work folder: " + work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    print("the case came through in %.1f s" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
