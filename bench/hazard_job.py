#!/usr/bin/env python3
"""Writes a job script of OPERATIONS (default 2224) OK clicks across the machining tabs, each
after typing an edge-case value (zero, negative, tiny, huge, past the centre line) into one of
its boxes, which gets its start-up value back after the click: a program full of hazard
warnings, for timing --check against rs274 (scripts/bench-check).
Seeded (default 1), so the same job can be made again: bench/hazard_job.py [OPERATIONS] [SEED]."""
import random
import sys

# tab, OK button, {box: start-up value}
TABS = [
    (2, 305, {130: ".375", 135: ".0625", 140: "0.", 145: "-1.", 155: ".05", 170: "1.", 190: "125."}),
    (3, 470, {325: ".5", 330: ".375", 335: "0.", 340: ".1", 345: "0.", 350: ".005"}),
    (4, 625, {475: ".500", 480: "0.", 485: "-1.", 490: ".1", 495: ".025", 500: ".3", 505: ".1",
              515: "0.", 520: ".005"}),
    (5, 705, {650: "0.", 655: "-1.", 660: ".500", 665: ".1", 670: ".005"}),
    (6, 795, {720: ".375", 725: ".0625", 730: "0.", 735: "-1.", 740: ".3"}),
    (7, 965, {825: "1.", 830: ".5", 835: "0.", 840: ".1", 845: ".05", 850: "1.", 855: ".125",
              860: "80.", 865: ".005", 870: ".01", 875: ".005"}),
    (10, 1260, {1205: "2.", 1210: "0.", 1215: ".05", 1220: "0.", 1225: ".05", 1230: ".005",
                1235: ".01", 1240: ".005", 1245: ".1", 1250: ".05"}),
    (11, 1380, {1315: "2.", 1320: "1.5", 1325: "0.", 1330: "-1.", 1335: ".05", 1340: ".01",
                1345: ".005", 1350: ".01", 1355: ".005", 1360: ".03", 1365: ".05"}),
    (12, 1460, {1405: "2.", 1410: "0.", 1415: "-1.", 1420: ".125", 1425: "0.", 1430: ".003",
                1435: ".25", 1440: ".0015", 1445: "0.", 1450: ".05"}),
]
EDGES = ["0", "-.0001", ".0001", "-.5", "-1", "2", "5", "-3.5", ".001", "1E-5", ".25", "-.0625",
         "3"]


def main():
    operations = int(sys.argv[1]) if len(sys.argv) > 1 else 2224
    rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 1)
    out = ["# %d OK clicks with edge-case values (bench/hazard_job.py)" % operations]
    for _ in range(operations):
        tab, ok, boxes = rng.choice(TABS)
        box = rng.choice(sorted(boxes))
        out += ["tab %d" % tab, "type %d %s" % (box, rng.choice(EDGES)), "click %d" % ok,
                "type %d %s" % (box, boxes[box])]
    sys.stdout.write("\n".join(out) + "\n")


main()
