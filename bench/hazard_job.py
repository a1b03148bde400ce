#!/usr/bin/env python3
"""Writes a job script of OPERATIONS (default 2224) OK clicks across the machining tabs, each
after typing edge-case values (zero, negative, tiny, huge, past the centre line) into some of
its boxes: a program full of hazard warnings for benchmarking --check.
Seeded (default 1), so the same job can be made again: bench/hazard_job.py [OPERATIONS] [SEED]."""
import random
import sys

# tab, OK button, boxes typed into
TABS = [
    (2, 305, [130, 135, 140, 145, 155, 170, 190]),
    (3, 470, [325, 330, 335, 340, 345, 350]),
    (4, 625, [475, 480, 485, 490, 495, 500, 505, 515, 520]),
    (5, 705, [650, 655, 660, 665, 670]),
    (6, 795, [720, 725, 730, 735, 740]),
    (7, 965, [825, 830, 835, 840, 845, 850, 855, 860, 865, 870, 875]),
    (10, 1260, [1205, 1210, 1215, 1220, 1225, 1230, 1235, 1240, 1245, 1250]),
    (11, 1380, [1315, 1320, 1325, 1330, 1335, 1340, 1345, 1350, 1355, 1360, 1365]),
    (12, 1460, [1405, 1410, 1415, 1420, 1425, 1430, 1435, 1440, 1445, 1450]),
]
EDGES = ["0", "-0", ".0001", "-.0001", "-.5", "-1", "1", "2", "99", "-99", "9999", ".5",
         "1E-5", "-3.5", "0.25", ".001", "5000", "-.0625"]


def main():
    operations = int(sys.argv[1]) if len(sys.argv) > 1 else 2224
    rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 1)
    out = ["# %d OK clicks with edge-case values (bench/hazard_job.py)" % operations]
    for _ in range(operations):
        tab, ok, boxes = rng.choice(TABS)
        out.append("tab %d" % tab)
        for box in rng.sample(boxes, rng.randint(1, 3)):
            out.append("type %d %s" % (box, rng.choice(EDGES)))
        out.append("click %d" % ok)
    sys.stdout.write("\n".join(out) + "\n")


main()
