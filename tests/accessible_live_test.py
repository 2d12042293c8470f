#!/usr/bin/python3
"""accessible_live_test.py VESK_PROGRAM: vesk under Xvfb, in a network namespace
holding only the loopback device, read through pyatspi after Alt+P on an AT-SPI bus of its own."""
import contextlib, ctypes, os, shutil, signal, subprocess, sys, tempfile, time

ENTRY = "127.0.0.1 | localhost"
started = []


def start(*command, **options):
    # A process group each: the bus launcher's bus and registry go with it.
    started.append(subprocess.Popen(command, start_new_session=True, **options))


def wait_for(what, check):
    for _ in range(200):
        if result := check():
            return result
        time.sleep(0.05)
    sys.exit(f"no {what}")


def bus(*call):
    return subprocess.run(["dbus-send", "--session", "--print-reply", *call], capture_output=True, text=True).stdout


def run(work, program):
    os.environ.update(XDG_RUNTIME_DIR=work, HOME=work, GSETTINGS_BACKEND="memory")
    with open(f"{work}/x", "w") as x, open(f"{work}/bus", "w") as address:
        start("Xvfb", "-displayfd", str(x.fileno()), "-screen", "0", "640x480x24", "-nolisten", "tcp",
              pass_fds=[x.fileno()], stderr=subprocess.DEVNULL)
        start("dbus-daemon", "--session", "--nofork", "--print-address=1", stdout=address, stderr=subprocess.DEVNULL)
    read = lambda name: open(f"{work}/{name}").read().strip()
    os.environ["DISPLAY"] = ":" + wait_for("X server", lambda: read("x"))
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = wait_for("session bus", lambda: read("bus"))
    start("/usr/libexec/at-spi-bus-launcher", "--launch-immediately", stderr=subprocess.DEVNULL)
    # Asked before the launcher owns its name, the bus would start another.
    wait_for("AT-SPI bus", lambda: "true" in bus("--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"))
    bus("--dest=org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
        "string:IsEnabled", "variant:boolean:true")
    import pyatspi
    from gi.repository import GLib
    events = []  # Qt sends the object, not its new text, with a change.
    pyatspi.Registry.registerEventListener(lambda e: events.append((e.type.split("-")[-1], e.source)),
                                           "object:property-change:accessible-name",
                                           "object:property-change:accessible-description")
    os.mkdir(f"{work}/p")
    shutil.copy(program, f"{work}/p/vesk")
    open(f"{work}/p/vesk_ip.ini", "w").write(ENTRY + "\r\n")
    isolate = ["unshare", "--net"] if os.getuid() == 0 else ["unshare", "--user", "--map-root-user", "--net"]
    start(*isolate, "sh", "-c", 'ip link set lo up && exec "$0"', f"{work}/p/vesk",
          env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb"))
    apps = lambda: [a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "vesk" and a.childCount]
    frame = wait_for("window", apps)[0][0]
    found = {(c.getRoleName(), c.name): c for c in pyatspi.findAllDescendants(frame, lambda c: True)}
    # The loopback address alone is pinged, namespace or not.
    assert found[("text", "address")].queryText().getText(0, -1) == ENTRY
    for named in ("push button", "set the data string"), ("label", "44 bytes"), ("label", "0 characters"):
        assert named in found, named
    subprocess.run(["xdotool", "search", "--sync", "--name", "^vesk$", "windowfocus", "--sync", "key", "alt+p"],
                   timeout=10)
    button = found[("push button", "single ping")]
    def pinged():
        while GLib.MainContext.default().iteration(False):
            pass
        return "total pings: 4" in button.description
    wait_for("four pings", pinged)
    pinged()

    assert frame.getRole() == pyatspi.ROLE_FRAME and frame.name.endswith(f" ms - {ENTRY} - vesk"), frame.name
    assert ("name", frame) in events, "the caption changed without a word"
    assert found[("text", "ping log")].queryText().getText(0, -1).count(ENTRY) == 4
    cells = [frame[i] for i in range(10)]
    shot = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], capture_output=True, timeout=10).stdout
    box = lambda c: c.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    colours = [shot[3 * ((box(c).y + 5) * 640 + box(c).x + 3):][:3] for c in cells]
    drawn = [i for i, c in enumerate(colours) if colours.count(c) == 1]
    said = [i for i, c in enumerate(cells) if c.description == "last round trip"]
    assert len(said) == 1 and said == drawn, f"said lit {said}, drawn lit {drawn}"
    assert ("description", cells[said[0]]) in events, "the cell lit without a word"
    print(f"{frame.name!r}: {cells[said[0]].name!r} lit")


ctypes.CDLL(None).prctl(36, 1)  # PR_SET_CHILD_SUBREAPER: the orphaned buses are reaped here
work = tempfile.mkdtemp()
try:
    run(work, sys.argv[1])
finally:
    for process in reversed(started):  # vesk before its X server
        with contextlib.suppress(ProcessLookupError):
            os.killpg(process.pid, signal.SIGTERM)
        process.wait()
    while True:
        try:
            os.wait()
        except ChildProcessError:
            break
    shutil.rmtree(work)
