"""Reads the main window through AT-SPI and checks what a screen reader would announce."""
import subprocess
import sys
import time

import pyatspi

EXPECTED = {
    "Spiller A, minutter: 0",
    "Spiller A, sekunder: 0",
    "Spiller B, minutter: 0",
    "Spiller B, sekunder: 0",
    "Tid per spiller i minutter",
    "Navn på spiller A",
    "Navn på spiller B",
    "Spiller A begynner",
    "Spiller B begynner",
    "Pause",
    "Spiller A: 0 sekunder",
    "Spiller B: 0 sekunder",
}


seen_roles = []


def walk(node, depth, seen):
    try:
        name, role = node.name, node.getRoleName()
    except Exception:
        return
    seen.add(name)
    seen_roles.append(f"{'  ' * depth}{role}: {name!r}")
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), depth + 1, seen)


def find_app():
    desktop = pyatspi.Registry.getDesktop(0)
    found = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
    return [a for a in found if a is not None and a.name.lower() == "partivakt" and a.childCount > 0]


# The program may still be starting, on a busy machine for a good while.
deadline = time.monotonic() + 60
missing = sorted(EXPECTED)
while time.monotonic() < deadline:
    apps = find_app()
    if apps:
        seen = set()
        seen_roles.clear()
        walk(apps[0], 0, seen)
        missing = sorted(EXPECTED - seen)
        if not missing:
            break
    time.sleep(0.5)
print("\n".join(seen_roles[-60:]))
if missing:
    print("missing:", missing)
    sys.exit(1)
print(f"all {len(EXPECTED)} names are read out")

# The board view (F11): each half reads its own player's side, under the view's own name.
BOARD = {"Spiller A: 0 sekunder", "Spiller B: 0 sekunder", "Spiller A begynner",
         "Spiller B begynner", "Vanlig visning"}


def find_named(node, name):
    try:
        if node.name == name:
            return node
        for i in range(node.childCount):
            found = find_named(node.getChildAtIndex(i), name)
            if found is not None:
                return found
    except Exception:
        pass
    return None


subprocess.run(["xdotool", "search", "--name", "Partivakt v", "windowfocus", "--sync", "key", "F11"], check=False)
deadline = time.monotonic() + 30
missing = sorted(BOARD)
while time.monotonic() < deadline:
    apps = find_app()
    board = find_named(apps[0], "Begge klokkene, tavlevisning") if apps else None
    if board is not None:
        seen = set()
        seen_roles.clear()
        walk(board, 0, seen)
        missing = sorted(BOARD - seen)
        if not missing:
            break
    time.sleep(0.5)
if missing:
    print("\n".join(seen_roles[-30:]))
    print("missing in the board view:", missing)
    sys.exit(1)
print(f"the board view reads out all {len(BOARD)} names")
