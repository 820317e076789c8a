#!/usr/bin/env python3
"""Writes a synthetic bookshelf set (aux, nodes, shapes, route, pl, nets) for benchmarks.

Usage: gen_bookshelf.py <dir> <name> [--cells N] [--nets M] [--grid G] [--seed S]
Cells are placed at random on a G x G grid of 40 x 40 tiles, 6 layers alternating
horizontal and vertical; one cell in 200 is a blockage on layers 1 and 2; nets have 2 to 8 pins.
"""
import argparse
import os
import random

ap = argparse.ArgumentParser()
ap.add_argument("dir")
ap.add_argument("name")
ap.add_argument("--cells", type=int, default=200000)
ap.add_argument("--nets", type=int, default=200000)
ap.add_argument("--grid", type=int, default=300)
ap.add_argument("--seed", type=int, default=1)
a = ap.parse_args()
rnd = random.Random(a.seed)
os.makedirs(a.dir, exist_ok=True)
p = lambda ext: os.path.join(a.dir, a.name + ext)
tile, layers, terms = 40, 6, 1000
span = a.grid * tile

with open(p(".aux"), "w") as f:
    f.write("RowBasedPlacement : %s.nodes %s.nets %s.wts %s.pl %s.scl %s.shapes %s.route\n" % ((a.name,) * 7))
sizes = []
with open(p(".nodes"), "w") as f:
    f.write("UCLA nodes 1.0\n\nNumNodes : %d\nNumTerminals : %d\n" % (a.cells + terms, terms))
    for i in range(a.cells):
        big = i % 200 == 0
        w, h = (rnd.randint(40, 200), rnd.randint(40, 200)) if big else (rnd.randint(1, 10), 9)
        sizes.append((w, h))
        f.write("  o%d %d %d%s\n" % (i, w, h, " terminal" if big else ""))
    for i in range(terms):
        sizes.append((1, 1))
        f.write("  p%d 1 1 terminal_NI\n" % i)
with open(p(".shapes"), "w") as f:
    f.write("shapes 1.0\n\nNumNonRectangularNodes : 0\n")
with open(p(".pl"), "w") as f:
    f.write("UCLA pl 1.0\n\n")
    for i, (w, h) in enumerate(sizes):
        name = "o%d" % i if i < a.cells else "p%d" % (i - a.cells)
        f.write("%s %d %d : N\n" % (name, rnd.randint(3, span - w - 4), rnd.randint(3, span - h - 4)))
with open(p(".route"), "w") as f:
    f.write("route 1.0\nGrid : %d %d %d\n" % (a.grid, a.grid, layers))
    f.write("VerticalCapacity : %s\n" % " ".join("0" if z % 2 == 0 else "80" for z in range(layers)))
    f.write("HorizontalCapacity : %s\n" % " ".join("80" if z % 2 == 0 else "0" for z in range(layers)))
    f.write("MinWireWidth : %s\nMinWireSpacing : %s\nViaSpacing : %s\n" % (("1 " * layers,) * 3))
    f.write("GridOrigin : 0 0\nTileSize : %d %d\nBlockagePorosity : 0\n\n" % (tile, tile))
    f.write("NumNiTerminals : %d\n\n" % terms)
    for i in range(terms):
        f.write("  p%d %d\n" % (i, rnd.randint(1, layers)))
    blocks = [i for i in range(a.cells) if i % 200 == 0]
    f.write("\nNumBlockageNodes : %d\n\n" % len(blocks))
    for i in blocks:
        f.write("  o%d 2 1 2\n" % i)
    f.write("\nNumEdgeCapacityAdjustments : 0\n")
with open(p(".nets"), "w") as f:
    f.write("UCLA nets 1.0\n\nNumNets : %d\nNumPins : 0\n\n" % a.nets)
    total = a.cells + terms
    for n in range(a.nets):
        d = rnd.randint(2, 8)
        f.write("NetDegree : %d   n%d\n" % (d, n))
        for _ in range(d):
            i = rnd.randrange(total)
            name = "o%d" % i if i < a.cells else "p%d" % (i - a.cells)
            f.write("\t%s\tI : %.1f %.1f\n" % (name, rnd.uniform(-2, 2), rnd.uniform(-2, 2)))
