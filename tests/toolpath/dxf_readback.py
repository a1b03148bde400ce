#!/usr/bin/python3
"""turnbrix-cli --simulate of the whole-part program writes a DXF that ezdxf reads back: LINE
entities only, on layers PART and its mirror image MIRROR, each layer's lines closing into
loops, and every point of the printed outer profile an end of a PART line (to the four places
the profile prints).
Usage: dxf_readback.py TURNBRIX_CLI PROGRAM"""
import subprocess
import sys
import tempfile
from collections import Counter

import ezdxf

TOOLS = ["1,1,od_turning,C,0,3,lead_angle=-15", "2,2,od_turning,C,0,3,lead_angle=-5",
         "3,3,centre_drill,,,,diameter=.5,point_angle=90", "4,4,drill,,,,diameter=.5,point_angle=118",
         "5,5,od_threading,T,0,8", "6,6,grooving,blade,0,3,width=.125", "7,7,parting,blade,0,4,width=.125",
         "8,8,od_turning,C,.016,3,lead_angle=-5"]


def main():
    cli, program = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as home:
        dxf = home + "/part.dxf"
        args = [cli, "--home", home, "--simulate", program, "--stock", "2,0,.05,-2.5", "--inch",
                "--profile", dxf]
        for t in TOOLS:
            args += ["--tool", t]
        run = subprocess.run(args, capture_output=True, text=True)
        assert run.returncode in (0, 3), run.stderr
        doc = ezdxf.readfile(dxf)
    entities = list(doc.modelspace())
    assert entities and all(e.dxftype() == "LINE" for e in entities), "only LINE entities"
    ends = {"PART": Counter(), "MIRROR": Counter()}
    for e in entities:
        layer = e.dxf.layer
        assert layer in ends, layer
        for p in (e.dxf.start, e.dxf.end):
            ends[layer][(round(p.x, 6), round(p.y, 6))] += 1
    for layer, counter in ends.items():
        odd = [p for p, n in counter.items() if n % 2]
        assert not odd, "%s lines do not close at %s" % (layer, odd[:3])
    assert {(z, -r) for z, r in ends["PART"]} == set(ends["MIRROR"]), "the mirror is the part's"
    outer = [line.split()[2:] for line in run.stdout.splitlines() if line.startswith("profile outer")]
    assert outer, run.stdout
    part = list(ends["PART"])
    for z, x in outer:
        z, r = float(z), float(x) / 2
        assert any(abs(z - pz) <= 6e-5 and abs(r - pr) <= 6e-5 for pz, pr in part), (z, x)
    print("read back %d lines" % len(entities))


main()
