// Set-up of the layer-assignment model from the routing database, its reset between builds,
// and the overflow totals and history step over the per-(edge, layer) grids.

#include "layer/Graph.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "db/NetDB.h"
#include "db/Report.h"

void TreeMarks::allocate(int xGrid, int yGrid) {
  tileMark.allocate(xGrid, yGrid, -100);
  hMark.allocate(xGrid - 1, yGrid, -100);
  vMark.allocate(xGrid, yGrid - 1, -100);
  hLayer.allocate(xGrid - 1, yGrid, 0);
  vLayer.allocate(xGrid, yGrid - 1, 0);
  pinMark.allocate(xGrid, yGrid, -100);
  pinHigh.allocate(xGrid, yGrid, -100);
  pinLow.allocate(xGrid, yGrid, -100);
}

void Graph::initialGraph() {
  capH.assign(std::size_t(layerNum), 0);
  capV.assign(std::size_t(layerNum), 0);
  for (EdgeGrid<int>* g : {&usage2DH, &of3DH, &ofShareCeilH, &ofShareFloorH}) g->allocate(xGrid - 1, yGrid);
  for (EdgeGrid<int>* g : {&usage2DV, &of3DV, &ofShareCeilV, &ofShareFloorV}) g->allocate(xGrid, yGrid - 1);
  demandH.allocate(xGrid - 1, yGrid, layerNum);
  historyH.allocate(xGrid - 1, yGrid, layerNum);
  demandV.allocate(xGrid, yGrid - 1, layerNum);
  historyV.allocate(xGrid, yGrid - 1, layerNum);
}

void Graph::updateUsableLayers() {
  usableH.clear();
  usableV.clear();
  for (int l = 0; l < layerNum; ++l) {
    if (capH[l] != 0) usableH.push_back(l);
    if (capV[l] != 0) usableV.push_back(l);
  }
}

// Adjustments show as demand that already fills the removed tracks: the cell is set, and
// the edge's 2D usage grows by it. Only the entries both lists hold are applied.
void Graph::applyAdjustments(const NetDB& db, int mismatchCode) {
  if (db.adjEdges.size() != db.adjCapacity.size()) std::printf("ERROR: %s %d\n", "LA", mismatchCode);
  const std::size_t count = std::min(db.adjEdges.size(), db.adjCapacity.size());
  for (std::size_t i = 0; i < count; ++i) {
    const RPoint& e = db.adjEdges[i];
    const int c = db.adjCapacity[i];
    if (e.hori != 0) {
      int& d = demandH.at(e.x, e.y, e.z);
      d = capH[e.z] - c;
      usage2DH[e.x][e.y] = addPreload(usage2DH[e.x][e.y], d);
    } else {
      int& d = demandV.at(e.x, e.y, e.z);
      d = capV[e.z] - c;
      usage2DV[e.x][e.y] = addPreload(usage2DV[e.x][e.y], d);
    }
  }
}

void Graph::initialLA(const NetDB& db, int viaCost_, double pinBlockageFactor) {
  xGrid = db.gridX;
  yGrid = db.gridY;
  layerNum = db.numLayers;
  viaCost = viaCost_;
  ofExponent = 2.0;
  // The dynamic programme stores child layers in 8 bits.
  if (layerNum < 1 || layerNum > 127)
    fatalError("layer assignment", format("%d layers; 1 to 127 are supported", layerNum));
  initialGraph();

  minWireWidth = db.minWireWidth;
  minWireSpacing = db.minWireSpacing;
  layerPitch.assign(std::size_t(layerNum), 0);
  for (int l = 0; l < layerNum; ++l) {
    capV[l] = db.verticalTracks[l];
    capH[l] = db.horizontalTracks[l];
    layerPitch[l] = minWireWidth[l] + minWireSpacing[l];
  }
  updateUsableLayers();
  lowerLeftX = db.originX;
  lowerLeftY = db.originY;
  tileWidth = db.tileWidth;
  tileHeight = db.tileHeight;

  pinPool.clear();
  auto copyPins = [&](const Net& from, net& to) {
    to.id = from.id;
    to.pinBegin = std::uint32_t(pinPool.size());
    to.pinCount = std::uint32_t(from.pins3D.size());
    for (const Point& p : from.pins3D) pinPool.push_back(pin{p.x, p.y, p.z});
  };
  nets.assign(db.nets.size(), net{});
  dbNetNames = &db.netNames;
  ownNetNames.clear();
  for (std::size_t i = 0; i < db.nets.size(); ++i) {
    copyPins(db.nets[i], nets[i]);
    if (nets[i].pinCount < 2) std::printf("ERROR: %s %d netID=%d\n", "LA", 1829, nets[i].id);
  }
  localNets.assign(db.localNets.size(), net{});
  localNetVia = 0;
  for (std::size_t i = 0; i < db.localNets.size(); ++i) {
    copyPins(db.localNets[i], localNets[i]);
    int hi = -1, lo = INT_MAX;
    for (const pin& p : pinsOf(localNets[i])) hi = std::max(hi, p.layer), lo = std::min(lo, p.layer);
    if (localNets[i].pinCount < 2) std::printf("ERROR: %s %d\n", "LA", 1852);
    if (localNets[i].pinCount > 0) localNetVia += hi - lo;
  }

  applyAdjustments(db, 1858);

  // Pin blockage on the lowest layer with capacity in each direction. A direction without
  // any capacity has no such layer and gets no blockage.
  const int lv = usableV.empty() ? -1 : usableV.front();
  const int lh = usableH.empty() ? -1 : usableH.front();
  const bool havePinGrids = int(db.pinCount.size()) >= xGrid && int(db.repeatPinCount.size()) >= xGrid;
  for (int x = 0; x < xGrid; ++x) {
    for (int y = 0; y < yGrid; ++y) {
      const int pins = havePinGrids ? db.repeatPinCount[x][y] + db.pinCount[x][y] : 0;
      // As in the planar grid: rounded up, at most 2^31 - 1 tracks, added in 64 bits.
      const double raw = std::ceil(double(pins) * pinBlockageFactor);
      const std::int64_t b = raw > 0.0 ? std::int64_t(std::min(raw, double(INT_MAX))) : 0;
      auto block = [b](int& d, int cap) { d = int(std::min<std::int64_t>(std::int64_t(d) + b, cap)); };
      if (lv >= 0) {
        if (y < yGrid - 1) block(demandV.at(x, y, lv), capV[lv]);
        if (y > 0) block(demandV.at(x, y - 1, lv), capV[lv]);
      }
      if (lh >= 0) {
        if (x > 0) block(demandH.at(x - 1, y, lh), capH[lh]);
        if (x < xGrid - 1) block(demandH.at(x, y, lh), capH[lh]);
      }
    }
  }
}

void Graph::reset(const NetDB& db) {
  for (net& n : nets) n.nodeBegin = n.nodeCount = n.edgeBegin = 0;
  nodePool.clear();
  edgePool.clear();
  for (EdgeGrid<int>* g :
       {&usage2DH, &of3DH, &ofShareCeilH, &ofShareFloorH, &usage2DV, &of3DV, &ofShareCeilV, &ofShareFloorV})
    g->fill(0);
  demandH.fill(0);
  historyH.fill(0);
  demandV.fill(0);
  historyV.fill(0);
  fastCostMode = false;
  applyAdjustments(db, 1744);  // also reports lists of different lengths
}

std::int64_t Graph::getTotalOverflow(std::int64_t& maxOverflow, double& weightOF) const {
  maxOverflow = 0;
  weightOF = 0.0;
  std::int64_t total = 0;
  auto visit = [&](const LayerGrid<int>& demand, const std::vector<int>& cap) {
    for (int x = 0; x < demand.xNum; ++x)
      for (int y = 0; y < demand.yNum; ++y)
        for (int l = 0; l < layerNum; ++l) {
          const int d = demand.at(x, y, l) - cap[l];
          if (d > 0) {
            const std::int64_t o = std::int64_t(d) * layerPitch[l];
            total += o;
            weightOF += std::pow(double(o), ofExponent);
            maxOverflow = std::max(maxOverflow, o);
          }
        }
  };
  visit(demandH, capH);
  visit(demandV, capV);
  return total;
}

void Graph::updateHistoryCost() {
  auto visit = [&](const LayerGrid<int>& demand, LayerGrid<int>& history, const std::vector<int>& cap) {
    for (int x = 0; x < demand.xNum; ++x)
      for (int y = 0; y < demand.yNum; ++y)
        for (int l = 0; l < layerNum; ++l)
          if (demand.at(x, y, l) > cap[l]) history.at(x, y, l) += 1;
  };
  visit(demandH, historyH, capH);
  visit(demandV, historyV, capV);
}
