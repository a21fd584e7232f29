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
    "Klokke for spiller A",
    "Klokke for spiller B",
}


def walk(node, depth, seen):
    try:
        name, role = node.name, node.getRoleName()
    except Exception:
        return
    states = node.getState()
    if states.contains(pyatspi.STATE_SHOWING) or depth < 3:
        print(f"{'  ' * depth}{role}: {name!r}")
        seen.add(name)
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), depth + 1, seen)


def find_app():
    desktop = pyatspi.Registry.getDesktop(0)
    found = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
    return [a for a in found if a is not None and a.name.lower() == "partivakt" and a.childCount > 0]


apps = []
for _ in range(40):  # the program may still be starting
    apps = find_app()
    if apps:
        break
    time.sleep(0.25)
if not apps:
    print("fant ikke programmet på tilgjengelighetsbussen")
    sys.exit(1)
seen = set()
walk(apps[0], 0, seen)
missing = sorted(EXPECTED - seen)
if missing:
    print("mangler:", missing)
    sys.exit(1)
print(f"alle {len(EXPECTED)} navn blir lest opp")
