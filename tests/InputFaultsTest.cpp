// Broken input of every kind, one row each: the run ends with status 1 and one clear line
// (the settings reader's fixed texts on standard output, everything else on standard error).
// Every row changes one file of the bundled tiny set (problem, settings and bookshelf files).
// Beside them, input the readers skip parts of must route exactly like its plain form.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "support/BookshelfSet.h"
#include "support/RunProcess.h"

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

struct Fault {
  const char* name;
  const char* file;
  const char* from;  // replaced by `to` (empty: the whole file); null: the file is missing
  std::string to, says;
};

const std::string head =
    "grid 4 3 2\nvertical capacity\t0 20\nhorizontal capacity\t20 0\nminimum width\t1 2\nminimum spacing\t1 2\n"
    "via spacing\t1 1\n0 0 10 10\n\n";
const std::string oneNet = "num net 1\nn 1 2 1\n5 5 1\n15 5 1\n\n";

std::string repeated(const std::string& text, int times) {
  std::string out;
  while (times-- > 0) out += text;
  return out;
}

const Fault kFaults[] = {
    {"grid line cut short", "tiny.gr", "", "grid 4 3\n", "line 1"},
    {"grid of zero columns", "tiny.gr", "", "grid 0 3 2\n", "line 1: grid size 0 x 3 is below 1"},
    {"grid too large", "tiny.gr", "", "grid 65536 65536 2\n", "too many tiles"},
    {"grid beyond any memory", "tiny.gr", "", "grid 40000 40000 2\n", "line 1: grid 40000 x 40000 x 2 needs about"},
    {"no layers", "tiny.gr", "", "grid 4 3 0\n", "line 1: layer count 0"},
    {"more layers than layer assignment holds", "tiny.gr", "", "grid 4 3 128\n",
     "line 1: layer count 128 is outside 1..127"},
    {"capacity not a number", "tiny.gr", "", "grid 4 3 2\nvertical capacity 0 2x\n", "line 2"},
    {"zero pitch", "tiny.gr", "",
     "grid 4 3 1\nvertical capacity 4\nhorizontal capacity 4\nminimum width 0\nminimum spacing 0\nvia spacing 1\n",
     "line 5: wire pitch (width + spacing) of layer 1 is 0"},
    {"zero tile size", "tiny.gr", "",
     "grid 4 3 1\nvertical capacity 4\nhorizontal capacity 4\nminimum width 1\nminimum spacing 1\nvia spacing 1\n"
     "0 0 0 10\n",
     "line 7: tile size 0 x 10"},
    {"net count missing", "tiny.gr", "", head + "num net\n", "net count"},
    {"negative net count", "tiny.gr", "", head + "num net -3\n", "line 9: net count -3 is negative"},
    {"net count beyond the nets", "tiny.gr", "", head + "num net 2\nn 1 2 1\n5 5 1\n15 5 1\n1\n0 0 1 1 0 1 10\n",
     "line 13: net header ends before the net id"},
    {"horizontal wire but no horizontal layer", "tiny.gr", "",
     std::string(head).replace(head.find("\t20 0"), 5, "\t0 0") + oneNet,
     "line 3: no layer has horizontal capacity, but net 1 needs a horizontal wire"},
    {"file ends inside a net", "tiny.gr", "", head + "num net 1\nn 1 3 1\n5 5 1\n15 5", "end of file"},
    {"pin outside the grid", "tiny.gr", "", head + "num net 1\nn 1 2 1\n5 5 1\n45 5 1\n", "outside"},
    {"pin below the origin", "tiny.gr", "", head + "num net 1\nn 1 2 1\n5 5 1\n5 -15 1\n", "outside"},
    {"pin on layer 0", "tiny.gr", "", head + "num net 1\nn 1 2 1\n5 5 0\n15 5 1\n", "layer 0"},
    {"pin on layer 3 of 2", "tiny.gr", "", head + "num net 1\nn 1 2 1\n5 5 3\n15 5 1\n", "layer 3"},
    {"negative pin count", "tiny.gr", "", head + "num net 1\nn 1 -2 1\n", "negative"},
    {"adjustment layer 5", "tiny.gr", "", head + oneNet + "1\n0 0 5 1 0 5 2\n", "layer"},
    {"adjustment tiles apart", "tiny.gr", "", head + oneNet + "1\n0 0 1 2 0 1 2\n", "neighbouring"},
    {"adjustment off the grid", "tiny.gr", "", head + oneNet + "1\n3 0 1 4 0 1 2\n", "neighbouring"},
    {"adjustment off the top of the grid", "tiny.gr", "", head + oneNet + "1\n0 2 1 0 3 1 2\n", "neighbouring"},
    {"adjustment list cut short", "tiny.gr", "", head + oneNet + "2\n0 0 1 1 0 1 2\n", "end of file"},
    {"adjustment count garbage", "tiny.gr", "", head + oneNet + "many\n", "adjustment count"},
    {"adjustment count run into the first adjustment, read as a net", "tiny.gr", "",
     head + "num net 2\nn 1 2 1\n5 5 1\n15 5 1\n\n1 0 0 1 1 0 1 10\n",
     "line 14: the number \"1\" follows the net header"},
    {"pin run onto its net header", "tiny.gr", "", head + "num net 1\nn 1 2 1 -5 5 1\n15 5 1\n",
     "line 10: the number \"-5\" follows the net header"},
    {"number after the last pin", "tiny.gr", "", head + "num net 1\nn 1 2 1\n5 5 1\n15 5 1 1\n0 0 1 1 0 1 2\n",
     "line 12: expected no number after the last pin of the last net on its line, found \"1\""},
    {"adjustment beyond the count", "tiny.gr", "", head + oneNet + "1\n0 0 1 1 0 1 2\n0 1 1 1 1 1 2\n",
     "line 16: expected the end of the file after the 1 capacity adjustments that line 14 announces"},
    {"text after the last adjustment", "tiny.gr", "", head + oneNet + "0\n\nend\n",
     "line 16: expected the end of the file"},
    {"net name given twice", "tiny.gr", "", head + "num net 2\nn 1 2 1\n5 5 1\n15 5 1\nn 2 2 1\n5 15 1\n15 15 1\n",
     "line 13: net name \"n\" was given to the net of line 10 already"},
    {"pitch beyond the limit", "tiny.gr", "",
     std::string(head).replace(head.find("spacing\t1 2"), 11, "spacing\t1 999999") + oneNet,
     "line 5: wire pitch (width + spacing) of layer 2 is 1000001, expected 1..1000000"},
    {"more tracks per edge than the limit", "tiny.gr", "",
     std::string(head).replace(head.find("\t0 20"), 5, "\t0 4000004") + oneNet,
     "line 2: vertical capacity of layers 1..2 holds 1000001 tracks per edge, more than the limit of 1000000"},
    {"more horizontal tracks per edge than the limit", "tiny.gr", "",
     std::string(head).replace(head.find("\t20 0"), 5, "\t2000002 0") + oneNet,
     "line 3: horizontal capacity of layers 1..1 holds 1000001 tracks per edge"},
    {"per-layer lists out of order", "tiny.gr", "vertical capacity 0 32\nhorizontal capacity 20 0",
     "horizontal capacity 20 0\nvertical capacity 0 32",
     "line 2: expected the per-layer list \"vertical capacity\", found \"horizontal capacity\""},
    {"minimum width list missing", "tiny.gr", "minimum width 1 2\n", "",
     "line 4: expected the per-layer list \"minimum width\", found \"minimum spacing\""},
    {"per-layer list word wrong after its first letter", "tiny.gr", "minimum spacing", "minimum spacnig",
     "line 5: expected the per-layer list \"minimum spacing\", found \"minimum spacnig\""},
    {"fourth value on the grid line", "tiny.gr", "grid 4 3 2", "grid 4 3 2 9",
     "line 1: expected \"grid\" and three integers, found the further value \"9\""},
    {"fifth value on the origin line", "tiny.gr", "100 200 16 8", "100 200 200 16 8",
     "line 7: expected the grid origin and tile size (four integers), found the further value \"8\""},
    {"second value on the net count line", "tiny.gr", "num net 2", "num net 2 7",
     "line 9: expected \"num net\" and the net count, found the further value \"7\""},
    {"adjustment between two layers", "tiny.gr", "", head + oneNet + "1\n0 0 1 1 0 2 10\n",
     "line 15: adjustment (0,0,1)-(1,0,2) is not an edge of one layer"},
    {"adjusted capacity beyond the track limit", "tiny.gr", "", head + oneNet + "1\n0 0 1 1 0 1 2000002\n",
     "line 15: adjusted capacity 2000002 holds 1000001 tracks, more than the limit of 1000000"},
    {"last tile column past 2^31 - 1", "tiny.gr", "100 200 16 8", "100 200 1000000000 8",
     "line 7: the last tile column starts at x = 3000000100 (origin 100 + 3 x tile size 1000000000), beyond "
     "2147483647, the largest coordinate a result file can hold\n"},
    {"number of 70,000 digits", "tiny.gr", "102 203 1", std::string(70000, '9') + " 203 1",
     "line 11: expected a pin's x coordinate, found \"" + std::string(40, '9') + "\"... (70000 characters)\n"},
    {"via cost 0", "tiny.set", "", "Via cost = 0", "set Via cost = 0\nVia cost is out of a reasonable range\n"},
    {"pattern 0", "tiny.set", "", "Pattern Routing Iteration = 0",
     "set Pattern Routing Iteration = 0\nPattern Routing Iteration is out of a reasonable range\n"},
    {"monotonic -1", "tiny.set", "", "Monotonic Routing Iteration = -1",
     "set Monotonic Routing Iteration = -1\nMonotonic Routing iteration is out of a reasonable range\n"},
    {"overflow -1", "tiny.set", "", "Overflow Elimination Iteration = -1",
     "set Overflow Elimination iteration = -1\nOverflow Elimination iteration is out of a reasonable range\n"},
    {"post -2", "tiny.set", "", "Post Routing Iteration = -2",
     "set Post routing iteration = -2\nPost routing iteration is out of a reasonable range\n"},
    {"wirelength 0", "tiny.set", "", "Wirelength Optimization Level = 0",
     "set Wirelength Optimization Level = 0\nWirelength optimization level is out of a reasonable range\n"},
    {"wirelength 501", "tiny.set", "", "Wirelength Optimization Level = 501",
     "set Wirelength Optimization Level = 501\nWirelength optimization level is out of a reasonable range\n"},
    {"3D -1", "tiny.set", "", "3D Optimization Iteration = -1",
     "set 3D Optimization Iteration = -1\n3D Optimization Iteration is out of a reasonable range\n"},
    {"layer 4 has no echo", "tiny.set", "", "Layer Assignment Algorithm = 4",
     "Layer assignment algorithm is out of a reasonable range\n"},
    {"output routing maybe", "tiny.set", "", "Output Routing Result = maybe",
     " \"Output Routing Result\" should be set to Yes or No\n"},
    {"output overflow YES", "tiny.set", "", "Output Overflow Information = YES",
     " \"Output Overflow Infomation\" should be set to Yes or No\n"},
    {"negative pin factor", "tiny.set", "", "Pin Blockage Factor = -0.5",
     " \"Pin Blockage Factor\" should be larger than 0\n"},
    {"pin factor not a number", "tiny.set", "", "Pin Blockage Factor = nan",
     " \"Pin Blockage Factor\" should be larger than 0\n"},
    {"negative infinite pin factor", "tiny.set", "", "Pin Blockage Factor = -inf",
     " \"Pin Blockage Factor\" should be larger than 0\n"},
    {"misspelt output switch", "tiny.set", "", "Output Overflw\nVia cost = 1\n", "The format of .set file is wrong\n"},
    {"file ends after Output", "tiny.set", "", "Via cost = 1\nOutput\n",
     "set Via cost = 1\nThe format of .set file is wrong\n"},
    {"unknown key", "tiny.set", "", "Vias cost = 1", "The format of .set file is wrong\n"},
    {"hash inside a word is no comment", "tiny.set", "", "Via# cost = 1", "The format of .set file is wrong\n"},
    {"value not a number", "tiny.set", "", "Via cost = five", "The format of .set file is wrong\n"},
    {"value out of int range", "tiny.set", "", "Maze Routing Iteration = 99999999999",
     "The format of .set file is wrong\n"},
    {"value glued to garbage", "tiny.set", "", "Via cost = 5x", "The format of .set file is wrong\n"},
    {"file ends before the value", "tiny.set", "", "Via cost =", "The format of .set file is wrong\n"},
    {"lower-case key", "tiny.set", "", "via cost = 1", "The format of .set file is wrong\n"},
    {"aux with too few words", "tiny.aux", "", "RowBasedPlacement : a.nodes a.nets\n", "expected 9 words"},
    {"fractional node width", "tiny.nodes", "o0 4 6", "o0 4.5 6", "line 5: expected a node width"},
    {"negative node size", "tiny.nodes", "o0 4 6", "o0 -4 6", "negative size"},
    {"node records out of order", "tiny.nodes", "  o0 4 6\n  o1 10 20", "  o1 10 20\n  o0 4 6", "record 0"},
    {"o-node after the terminals", "tiny.nodes", "  o2 12 10\n  p0 2 2 terminal_NI", "  p0 2 2 terminal_NI\n  o2 12 10",
     "line 8: node \"o2\" is record 3"},
    {"terminal flag before any node", "tiny.nodes", "NumTerminals : 2", "NumTerminals : 2 terminal",
     "before any node record"},
    {"negative node count", "tiny.nodes", "NumNodes : 5", "NumNodes : -5", "node count -5 is negative"},
    {"second NumNodes line in place of NumTerminals", "tiny.nodes", "NumNodes : 5\n", "NumNodes : 5\nNumNodes : 5\n",
     "line 4: a second \"NumNodes\" line; the first is line 3\n"},
    {"number after a node's size", "tiny.nodes", "o1 10 20", "o1 10 20 7",
     "line 6: expected no number after the size of node \"o1\", found \"7\"\n"},
    {"number after a node's movement word", "tiny.nodes", "p1 0 0 terminal", "p1 0 0 terminal 3",
     "line 9: expected no number after \"terminal\", found \"3\"\n"},
    {"shape of an unknown node", "tiny.shapes", "o1 : 2", "o9 : 2", "node \"o9\" is not in the nodes file"},
    {"rectangle line without numbers", "tiny.shapes", "Shape_1 140 220 4 4", "Shape_1 140 220 4",
     "line 6: expected a rectangle name and four integers"},
    {"shapes file cut short", "tiny.shapes", "  Shape_1 140 220 4 4\n", "", "unexpected end of file"},
    {"rectangle line with two more numbers", "tiny.shapes", "Shape_0 112 205 8 5", "Shape_0 112 205 40 16 8 5",
     "line 5: expected no number after the rectangle's height, found \"8\""},
    {"rectangle beyond its record's count", "tiny.shapes", "  Shape_1 140 220 4 4\n",
     "  Shape_1 140 220 4 4\n  Shape_2 100 200 30 30\n",
     "line 7: rectangle \"Shape_2\" follows the 2 rectangles that line 4 announces for node \"o1\""},
    {"rectangle before any node record", "tiny.shapes", "\no1 : 2", "Shape_9 1 2 3 4\no1 : 2",
     "line 3: rectangle \"Shape_9\" stands before any node record"},
    {"rectangles of a node whose name gives no position", "tiny.shapes", "  Shape_1 140 220 4 4\n",
     "  Shape_1 140 220 4 4\nx5 : 1\n  Shape_0 1 2 3 4\n", "line 7: node \"x5\" is not in the nodes file\n"},
    {"negative rectangle size", "tiny.shapes", "Shape_1 140 220 4 4", "Shape_1 140 220 -4 4", "negative size"},
    {"placement of an unknown node", "tiny.pl", "p1 160", "p5 160", "line 7: node \"p5\" is not in the nodes file"},
    {"placement coordinate not a number", "tiny.pl", "o1 113 205.5", "o1 113 x205", "node coordinate"},
    {"placement name without a number", "tiny.pl", "o1 113", "oX 113", "node \"oX\""},
    {"placement line without its node name", "tiny.pl", "o1 113", "113", "line 4: expected a node name"},
    {"placement file cut short", "tiny.pl", "o2 108 204 : N /FIXED\np0 150 215 : N /FIXED\np1 160 -3.7 : N /FIXED\n",
     "", "node \"o2\" is not placed, but a net's pin uses it; 1 more used node is not placed either\n"},
    {"two placement records on one line", "tiny.pl", "N\no2", "N o2",
     "node \"o2\" is not placed, but a net's pin uses it\n"},
    {"misspelt node name in the placement", "tiny.pl", "o1 113", "O1 113", "node \"o1\" is not placed"},
    {"node placed twice", "tiny.pl", "p1 160 -3.7 : N /FIXED", "p1 160 -3.7 : N /FIXED\no0 100 200 : N",
     "line 8: node \"o0\" was placed by line 3 already\n"},
    {"shapes file ends before its announced nodes", "tiny.shapes", "NumNonRectangularNodes : 1",
     "NumNonRectangularNodes : 2",
     "line 7: the file ends after 1 of the 2 non-rectangular nodes that line 2 announces"},
    {"layer list before the grid", "tiny.route", "Grid : 4 3 2\nVerticalCapacity : 0 32",
     "VerticalCapacity : 0 32\nGrid : 4 3 2", "\"VerticalCapacity\" before \"Grid\""},
    {"no grid at all", "tiny.route",
     "Grid : 4 3 2\nVerticalCapacity : 0 32\nHorizontalCapacity : 20 0\n"
     "MinWireWidth : 1 2\nMinWireSpacing : 1 2\nViaSpacing : 0 0\n",
     "", "before \"Grid\""},
    {"grid of zero columns", "tiny.route", "Grid : 4 3 2", "Grid : 0 3 2", "grid size 0 x 3"},
    {"grid beyond any memory", "tiny.route", "Grid : 4 3 2", "Grid : 40000 40000 2", "line 3: grid 40000 x 40000 x 2"},
    {"129 layers", "tiny.route", "Grid : 4 3 2", "Grid : 4 3 129", "layer count 129 is outside 1..127"},
    {"no horizontal layer", "tiny.route", "HorizontalCapacity : 20 0", "HorizontalCapacity : 0 0",
     "no layer has horizontal capacity"},
    {"no tile size", "tiny.route", "TileSize : 16 8\n", "", "tile size 0 x 0"},
    {"zero pitch", "tiny.route", "MinWireWidth : 1 2\nMinWireSpacing : 1 2", "MinWireWidth : 0 2\nMinWireSpacing : 0 2",
     "adjustment on layer 1"},
    {"zero pitch and no spacing line", "tiny.route", "",
     "route 1.0\nGrid : 4 3 2\nVerticalCapacity : 0 32\nHorizontalCapacity : 20 0\nMinWireWidth : 0 2\n"
     "GridOrigin : 100 200\nTileSize : 16 8\n",
     "line 8: wire pitch (width + spacing) of layer 1 is 0"},
    {"negative capacity", "tiny.route", "VerticalCapacity : 0 32", "VerticalCapacity : 0 -32", "negative"},
    {"more tracks per edge than the limit", "tiny.route", "VerticalCapacity : 0 32", "VerticalCapacity : 0 4000004",
     "line 4: vertical capacity of layers 1..2 holds 1000001 tracks per edge"},
    {"adjusted capacity beyond the track limit", "tiny.route", "2 1 1 3 1 1 6", "2 1 1 3 1 1 2000002",
     "adjusted capacity 2000002 holds 1000001 tracks, more than the limit of 1000000"},
    {"terminal layer outside the layers", "tiny.route", "  p0 2", "  p0 3", "terminal layer 3 is outside 1..2"},
    {"terminal line without a layer", "tiny.route", "  p0 2", "  p0", "expected a terminal line"},
    {"terminal of an unknown node", "tiny.route", "  p0 2", "  p4 2", "node \"p4\" is not in the nodes file"},
    {"blocked layer 0", "tiny.route", "o1 1 2", "o1 1 0", "blocked layer 0 is outside 1..2"},
    {"blockage of an unknown node", "tiny.route", "o1 1 2", "o8 1 2", "node \"o8\""},
    {"adjustment between distant tiles", "tiny.route", "2 1 1 3 1 1 6", "1 1 1 3 1 1 6", "not a pair of neighbouring"},
    {"adjustment on layer 3", "tiny.route", "2 1 1 3 1 1 6", "2 1 3 3 1 3 6", "adjustment layer 3 is outside 1..2"},
    {"adjustments cut short", "tiny.route", "  3 2 2 3 1 2 32\n", "  3 2 2\n", "unexpected end of file"},
    {"second grid line with fewer layers", "tiny.route", "  3 2 2 3 1 2 32\n", "  3 2 2 3 1 2 32\nGrid : 4 3 1\n",
     "line 26: a second \"Grid\" line; the first is line 3"},
    {"section line given twice", "tiny.route", "GridOrigin : 100 200", "GridOrigin : 100 200\nGridOrigin : 0 0",
     "line 10: a second \"GridOrigin\" line; the first is line 9"},
    {"misspelt keyword", "tiny.route", "NumBlockageNodes", "NumBlockageNode",
     "line 17: \"NumBlockageNode\" is not a keyword of the route file\n"},
    {"terminal beyond its count", "tiny.route", "  p0 2\n", "  p0 2\n  p1 1\n",
     "line 16: \"p1\" is not a keyword of the route file, and the 1 records that \"NumNiTerminals\" announces "
     "at line 13 end before it"},
    {"blockage beyond its count", "tiny.route", "  p1 1 1\n", "  p1 1 1\n  o0 1 1\n",
     "line 22: \"o0\" is not a keyword of the route file, and the 3 records that \"NumBlockageNodes\" "
     "announces at line 17 end"},
    {"adjustment beyond its count", "tiny.route", "  3 2 2 3 1 2 32\n", "  3 2 2 3 1 2 32\n  0 0 1 1 0 1 4\n",
     "line 26: \"0\" is not a keyword of the route file, and the 2 records that "
     "\"NumEdgeCapacityAdjustments\" announces at line 23 end"},
    {"misspelt keyword without its colon", "tiny.route", "GridOrigin : 100 200", "GridOrign 100 200",
     "line 9: \"GridOrign\" is not a keyword of the route file\n"},
    {"keyword glued to its colon", "tiny.route", "BlockagePorosity : 0", "BlockagePorosity: 0",
     "line 11: \"BlockagePorosity:\" is not a keyword of the route file\n"},
    {"terminal line with a second layer", "tiny.route", "  p0 2", "  p0 2 1",
     "line 15: expected no number after the terminal's layer, found \"1\""},
    {"adjustment across two layers", "tiny.route", "2 1 1 3 1 1 6", "2 1 1 3 1 2 6",
     "line 24: adjustment (2,1,1)-(3,1,2) is not an edge of one layer"},
    {"negative adjustment count", "tiny.route", "NumEdgeCapacityAdjustments : 2", "NumEdgeCapacityAdjustments : -2",
     "count -2 is negative"},
    {"pin outside the grid", "tiny.nets", "p0 B : 0.5 0.5", "p0 B : 90 0.5", "lies outside the 4 x 3 grid"},
    {"pin of an unknown node", "tiny.nets", "o1 O : -5.5 2", "o7 O : -5.5 2", "line 8: node \"o7\""},
    {"net name without a number", "tiny.nets", "NetDegree : 2 n7", "NetDegree : 2 net", "expected a net header"},
    {"pin line with a colon but no offsets", "tiny.nets", "p0 O : 0 0", "p0 O :", "expected a pin line"},
    {"nets file cut short", "tiny.nets", "  o2 I\n  p0 O : 0 0\n", "  o2 I\n", "unexpected end of file"},
    {"net beyond NumNets", "tiny.nets", "  p0 O : 0 0\n", "  p0 O : 0 0\nNetDegree : 2 n9\n  o0 I\n  o1 O\n",
     "line 16: \"NetDegree\" follows the 3 nets that line 3 announces"},
    {"pin line with a third offset", "tiny.nets", "o1 O : -5.5 2", "o1 O : -5.5 -5.5 2",
     "line 8: expected no number after the pin's offsets, found \"2\""},
    {"pin offset with trailing junk", "tiny.nets", "o1 O : -5.5 2", "o1 O : -5.5 -1x", "line 8: expected a pin line"},
    {"number after the net name", "tiny.nets", "NetDegree : 2 n7", "NetDegree : 2 n7 8",
     "line 13: expected no number after the net name, found \"8\""},
    {"pin line after the last net", "tiny.nets", "  p0 O : 0 0\n", "  p0 O : 0 0\n  o1 I : 1 1\n",
     "line 16: a pin line of node \"o1\" follows the 3 nets that line 3 announces"},
    {"net name given twice", "tiny.nets", "NetDegree : 2 n7", "NetDegree : 2 n0",
     "line 13: net name \"n0\" was given to the net of line 6 already"},
    {"negative net degree", "tiny.nets", "NetDegree : 3   n0", "NetDegree : -3   n0", "net degree -3"},
    {"no NumPins line", "tiny.nets", "NumPins : 7", "", "no \"NumNets\" and \"NumPins\""},
    {"last tile row past 2^31 - 1, completed by the GridOrigin line", "tiny.route",
     "GridOrigin : 100 200\nTileSize : 16 8", "TileSize : 16 1100000000\nGridOrigin : 100 200",
     "line 10: the last tile row starts at y = 2200000200 (origin 200 + 2 x tile size 1100000000)"},
    {"blockage node name of 70,000 characters, two bytes each but the first", "tiny.route", "o1 1 2",
     "o" + repeated("\u00e9", 69999) + " 1 2",
     "line 20: node \"o" + repeated("\u00e9", 39) + "\"... (70000 characters) is not in the nodes file\n"},
    {"tile width below 1", "tiny.route", "TileSize : 16 8", "TileSize : 0 8", "tile size 0 x 8 is below 1\n"},
    {"tile height below 1", "tiny.route", "TileSize : 16 8", "TileSize : 16 0", "tile size 16 x 0 is below 1\n"},
    {"missing problem file", "tiny.gr", nullptr, "", "File tiny.gr not exists!\n"},
    {"missing settings file", "tiny.set", nullptr, "", "File tiny.set not exists!\n"},
    {"missing nodes file", "tiny.nodes", nullptr, "", "File tiny.nodes not exists!\n"},
};

void PrintTo(const Fault& f, std::ostream* os) { *os << f.name; }

class InputFaults : public ::testing::TestWithParam<Fault> {};

TEST_P(InputFaults, EndWithStatusOneAndOneClearLine) {
  const Fault& c = GetParam();
  TempDir dir;
  auto files = tinySet();
  const std::string file = c.file;
  if (!c.from) {
    files.erase(file);
  } else if (!*c.from) {
    files[file] = c.to;
  } else {
    std::string& text = files[file];
    const std::size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::string(c.from).size(), c.to);
  }
  // A bounded maze stage, so that a design that slips through as routable still ends.
  if (file != "tiny.set") files["tiny.set"] += "Maze Routing Iteration = 5\n";
  writeSet(dir, files);
  const bool ispd = file == "tiny.gr" || file == "tiny.set";
  const RunResult r = ispd ? runKorvane({"ISPD", "tiny.gr", "tiny.set", "out"}, dir.path)
                           : runKorvane({"ICCAD", "tiny.aux", "tiny.pl", "tiny.set", "out"}, dir.path);
  EXPECT_EQ(r.exitStatus, 1);
  if (!c.from) {
    EXPECT_EQ(r.err, c.says);
  } else if (file == "tiny.set") {
    EXPECT_EQ(r.out, "!!!!  Korvane 2.0 !!!! \nread tiny.set\n" + c.says);
  } else {
    EXPECT_THAT(r.err, AllOf(StartsWith("Error: "), HasSubstr(file), HasSubstr(c.says)));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
}

// Each row writes one piece of a file in two forms that mean the same: a plain one and one the
// readers skip parts of. Both runs must succeed and write the same result and report bytes.
const struct {
  const char* name;
  const char* file;
  const char* from;  // replaced by `plain` in one run and by `variant` in the other
  const char* plain;
  const char* variant;
} kSameMeaning[] = {
    {"comment after a net header", "tiny.gr", "n7 7 2 1\n", "n7 7 2 1\n", "n7 7 2 1 # comment\n"},
    {"word after a net header", "tiny.gr", "n7 7 2 1\n", "n7 7 2 1\n", "n7 7 2 1 extra\n"},
    {"layer range of infinite weight", "tiny.gr", "n7 7 2 1\n", "n7 7 2 1\n", "n7 7 2 1 [ 1 : 2 ] @ inf\n"},
    {"layer range and @ without a weight", "tiny.gr", "n0 0 3 1\n", "n0 0 3 1\n", "n0 0 3 1 [ 1 : 2 ] @\n"},
    {"layer range and weight without @", "tiny.gr", "n0 0 3 1\n", "n0 0 3 1\n", "n0 0 3 1 [ 1 : 2 ] 1.5\n"},
    {"word after the last pin", "tiny.gr", "151 216 2\n", "151 216 2\n", "151 216 2 extra\n"},
    {"capitalised list words", "tiny.gr", "minimum spacing", "minimum spacing", "Minimum Spacing"},
    {"blanks and CR after whole lines", "tiny.gr", "100 200 16 8\n\nnum net 2\n", "100 200 16 8\n\nnum net 2\n",
     "100 200 16 8 \t\r\n\r\nnum net 2\r\n"},
    {"blank first line", "tiny.gr", "grid 4 3 2\n", "grid 4 3 2\n", "\n \t\ngrid 4 3 2\n"},
    {"blank line before the origin line", "tiny.gr", "via spacing 0 0\n", "via spacing 0 0\n", "via spacing 0 0\n\n"},
    {"infinite pin factor", "tiny.set", "Via cost = 1\n", "Via cost = 1\nPin Blockage Factor = 1e308\n",
     "Via cost = 1\nPin Blockage Factor = inf\n"},
};

TEST(InputVariants, ReadLikeThePlainForm) {
  for (const auto& c : kSameMeaning) {
    SCOPED_TRACE(c.name);
    std::string results[2];
    for (int form = 0; form < 2; ++form) {
      TempDir dir;
      auto files = tinySet();
      std::string& text = files[c.file];
      const std::size_t at = text.find(c.from);
      ASSERT_NE(at, std::string::npos);
      text.replace(at, std::string(c.from).size(), form == 0 ? c.plain : c.variant);
      files["tiny.set"] +=
          "Output Routing Result = Yes\nOutput Overflow Information = Yes\nMaze Routing Iteration = 5\n";
      writeSet(dir, files);
      const RunResult r = runKorvane({"ISPD", "tiny.gr", "tiny.set", "out"}, dir.path);
      EXPECT_EQ(r.exitStatus, 0) << r.err;
      results[form] = readFile(dir.file("out")) + readFile(dir.file("out.ofinfo"));
    }
    EXPECT_FALSE(results[0].empty());
    EXPECT_EQ(results[0], results[1]);
  }
}

// The memory check counts the 3D stage when 3D rounds are asked for: a grid of 4 million tiles on
// 127 layers is estimated at about 9 GB without them and 58 GB with them, so on a machine with
// physical memory between the two only the run with 3D rounds is refused at the grid line.
TEST(MemoryCheck, CountsThe3DStageWhen3DRoundsAreAsked) {
  const double memory = double(sysconf(_SC_PHYS_PAGES)) * double(sysconf(_SC_PAGE_SIZE));
  if (memory < 10e9 || memory > 55e9) GTEST_SKIP() << "the grid below is sized for 10 to 55 GB of memory";
  for (const bool with3D : {false, true}) {
    for (const bool ispd : {true, false}) {
      SCOPED_TRACE(std::string(with3D ? "3D rounds, " : "no 3D rounds, ") + (ispd ? "problem file" : "bookshelf set"));
      TempDir dir;
      auto files = tinySet();
      files["tiny.set"] += with3D ? "3D Optimization Iteration = 1\n" : "3D Optimization Iteration = 0\n";
      files["tiny.gr"] = "grid 2000 2000 127\n";
      std::string& route = files["tiny.route"];
      route.replace(route.find("Grid : 4 3 2"), 12, "Grid : 2000 2000 127");
      writeSet(dir, files);
      const RunResult r = ispd ? runKorvane({"ISPD", "tiny.gr", "tiny.set", "out"}, dir.path)
                               : runKorvane({"ICCAD", "tiny.aux", "tiny.pl", "tiny.set", "out"}, dir.path);
      EXPECT_EQ(r.exitStatus, 1);
      const std::string refusal = "grid 2000 x 2000 x 127 needs about ";
      if (with3D)
        EXPECT_THAT(r.err, HasSubstr(std::string(ispd ? "line 1: " : "line 3: ") + refusal));
      else
        EXPECT_THAT(r.err, ::testing::Not(HasSubstr(refusal)));  // it fails on the layer lists instead
    }
  }
}

// A NUL byte would cut every word holding it, in the data and in the messages alike; every kind
// of input file refuses one at its line.
TEST(TextFiles, NulByteEndsTheRunNamingItsLine) {
  const struct {
    const char* file;
    const char* word;  // the NUL goes after its first character
    int line;
  } kCases[] = {{"tiny.gr", "n7", 14},   {"tiny.set", "Via", 2},        {"tiny.aux", "tiny.nets", 1},
                {"tiny.nodes", "o2", 7}, {"tiny.shapes", "Shape_1", 6}, {"tiny.route", "o1", 20},
                {"tiny.pl", "p0", 6},    {"tiny.nets", "n7", 13}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.file);
    TempDir dir;
    auto files = tinySet();
    std::string& text = files[c.file];
    text.insert(text.find(c.word) + 1, 1, '\0');
    writeSet(dir, files);
    const std::string file = c.file;
    const RunResult r = file == "tiny.gr" || file == "tiny.set"
                            ? runKorvane({"ISPD", "tiny.gr", "tiny.set", "out"}, dir.path)
                            : runKorvane({"ICCAD", "tiny.aux", "tiny.pl", "tiny.set", "out"}, dir.path);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, "Error: " + file + ": line " + std::to_string(c.line) +
                         ": a NUL byte (character code 0); expected plain text\n");
  }
}

std::string rowName(const ::testing::TestParamInfo<Fault>& info) {
  std::string s = std::to_string(info.index) + "_";
  for (const char* p = info.param.name; *p; ++p) s += std::isalnum((unsigned char)*p) ? *p : '_';
  return s;
}

INSTANTIATE_TEST_SUITE_P(Rows, InputFaults, ::testing::ValuesIn(kFaults), rowName);

}  // namespace
