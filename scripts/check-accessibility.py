"""Reads the main window through AT-SPI and checks what a screen reader would announce."""
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
    "Spiller A: 0 minutter 0 sekunder",
    "Spiller B: 0 minutter 0 sekunder",
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
