// Conversions between the routers' paths and the layer-assignment trees.
//
// convertGRtoLA marks every net's routed planar units in grids keyed by net index and grows
// the net's tree breadth-first from its first pin over the marked units; units that would
// close a cycle, and parts not reachable from the first pin, stay out of the tree. The grids
// are stamped, never cleared between nets, so the cost is linear in the routed units.
//
// convertLAtoGR writes each tree edge's layer back into the paths of the net's connections
// and stacks vias wherever consecutive steps change layer, at their common tile (found by a
// per-connection tile stamp), and at the second end. Units that are not in the tree are
// dropped and their connection is flagged for rerouting.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "db/NetDB.h"
#include "db/Report.h"
#include "layer/Graph.h"

void Graph::BFS_net(TreeMarks& m, net& n, int mark) {
  for (const pin& p : pinsOf(n)) {
    if (m.pinMark[p.x][p.y] == mark) {
      m.pinHigh[p.x][p.y] = std::max(m.pinHigh[p.x][p.y], p.layer);
      m.pinLow[p.x][p.y] = std::min(m.pinLow[p.x][p.y], p.layer);
    } else {
      m.pinHigh[p.x][p.y] = p.layer;
      m.pinLow[p.x][p.y] = p.layer;
    }
    m.pinMark[p.x][p.y] = mark;
  }
  n.nodeBegin = std::uint32_t(nodePool.size());
  n.edgeBegin = std::uint32_t(edgePool.size());
  n.nodeCount = 0;
  if (n.pinCount == 0) return;  // nothing to grow from: an empty tree

  const pin& first = pinPool[n.pinBegin];
  node root;
  root.x = first.x, root.y = first.y;
  root.parent = -1;
  root.isPin = true;
  root.pinMaxLayer = std::int16_t(m.pinHigh[first.x][first.y]);
  root.pinMinLayer = std::int16_t(m.pinLow[first.x][first.y]);
  m.tileMark[first.x][first.y] = -1;
  nodePool.push_back(root);

  // Directions up, right, down, left: this order numbers the nodes and fixes every later tie.
  static constexpr int kDx[4] = {0, 1, 0, -1};
  static constexpr int kDy[4] = {1, 0, -1, 0};
  const std::size_t base = n.nodeBegin;
  for (std::size_t k = base; k < nodePool.size(); ++k) {
    const int x = nodePool[k].x, y = nodePool[k].y;
    nodePool[k].firstChild = int(nodePool.size() - base);
    for (int dir = 0; dir < 4; ++dir) {
      const int nx = x + kDx[dir], ny = y + kDy[dir];
      if (nx < 0 || nx >= xGrid || ny < 0 || ny >= yGrid) continue;
      int unitMark = 0;
      switch (dir) {
        case 0:
          unitMark = m.vMark[x][y];
          break;
        case 1:
          unitMark = m.hMark[x][y];
          break;
        case 2:
          unitMark = m.vMark[nx][ny];
          break;
        default:
          unitMark = m.hMark[nx][ny];
          break;
      }
      if (unitMark != mark || m.tileMark[nx][ny] != mark) continue;
      node child;
      child.x = nx, child.y = ny;
      child.parent = int(k - base);
      child.isPin = m.pinMark[nx][ny] == mark;
      if (child.isPin) {
        child.pinMaxLayer = std::int16_t(m.pinHigh[nx][ny]);
        child.pinMinLayer = std::int16_t(m.pinLow[nx][ny]);
      }
      m.tileMark[nx][ny] = -1;
      nodePool[k].childNum++;
      edge e;
      e.x = std::min(x, nx), e.y = std::min(y, ny);
      e.hori = dir == 1 || dir == 3;
      e.layer = std::int16_t(e.hori ? m.hLayer[e.x][e.y] : m.vLayer[e.x][e.y]);
      if (e.hori)
        usage2DH[e.x][e.y] += 1;
      else
        usage2DV[e.x][e.y] += 1;
      edgePool.push_back(e);
      nodePool.push_back(child);
    }
  }
  n.nodeCount = std::uint32_t(nodePool.size() - base);
}

void Graph::convertGRtoLA(const NetDB& db) {
  maxNetLen = 0;
  TreeMarks marks;
  marks.allocate(xGrid, yGrid);
  antennaMaxLen = 100000.0;
  wlen2D = 0;

  // One arena for all trees: reserve about what the paths can give so the pools do not
  // overshoot by doubling.
  std::size_t units = 0;
  for (const Net& n : db.nets)
    for (const TwoPin& t : n.twoPins) units += t.path.size();
  nodePool.reserve(nodePool.size() + units + db.nets.size());
  edgePool.reserve(edgePool.size() + units);

  bool usesH = false, usesV = false;
  int netUsingH = 0, netUsingV = 0;
  const std::size_t count = std::min(nets.size(), db.nets.size());
  for (std::size_t i = 0; i < count; ++i) {
    net& g = nets[i];
    const Net& n = db.nets[i];
    if (n.id != g.id) std::printf("ERROR : %s %d\n", "LA", 2628);
    const int mark = int(i);
    for (const TwoPin& t : n.twoPins) {
      for (const RPoint& u : t.path) {
        if (u.hori == 1) {
          marks.tileMark[u.x][u.y] = mark;
          marks.tileMark[u.x + 1][u.y] = mark;
          marks.hMark[u.x][u.y] = mark;
          marks.hLayer[u.x][u.y] = u.z;
        } else if (u.hori == 0) {
          marks.tileMark[u.x][u.y] = mark;
          marks.tileMark[u.x][u.y + 1] = mark;
          marks.vMark[u.x][u.y] = mark;
          marks.vLayer[u.x][u.y] = u.z;
        }
      }
    }
    BFS_net(marks, g, mark);
    for (const edge& e : edgesOf(g)) {
      if (e.hori && !usesH) usesH = true, netUsingH = g.id;
      if (!e.hori && !usesV) usesV = true, netUsingV = g.id;
    }
    wlen2D += g.edgeCount();
    maxNetLen = std::max(maxNetLen, int(g.edgeCount()));
  }
  if (usesH && usableH.empty())
    fatalError("layer assignment",
               format("no layer has horizontal capacity, but net %d is routed over a horizontal grid edge", netUsingH));
  if (usesV && usableV.empty())
    fatalError("layer assignment",
               format("no layer has vertical capacity, but net %d is routed over a vertical grid edge", netUsingV));

  solSets.assign((std::size_t(maxNetLen) + 1) * std::size_t(layerNum), sol{});
  chosen.assign(std::size_t(maxNetLen) + 1, sol{});

  capH2D = 0, capV2D = 0;
  for (int l = 0; l < layerNum; ++l) capH2D += capH[l], capV2D += capV[l];

  // The share is twice the even split of the edge's 2D overflow over the layers.
  inputOF = 0;
  auto shares = [&](const EdgeGrid<int>& usage, int cap2D, EdgeGrid<int>& ceilShare, EdgeGrid<int>& floorShare) {
    for (int x = 0; x < usage.xNum; ++x)
      for (int y = 0; y < usage.yNum; ++y) {
        const int u = usage[x][y];
        if (u <= cap2D) continue;
        const int d = u - cap2D;
        const double s = 2.0 * d / layerNum;
        ceilShare[x][y] = int(std::ceil(s));
        floorShare[x][y] = int(std::floor(s));
        inputOF += d;
      }
  };
  shares(usage2DH, capH2D, ofShareCeilH, ofShareFloorH);
  shares(usage2DV, capV2D, ofShareCeilV, ofShareFloorV);
  if (layerNum > 0) inputOF *= layerPitch[0];

  std::printf("convertGRtoLA  input total overflow=%lld  Wlen2D=%lld  maxLen=%d\n", (long long)inputOF,
              (long long)wlen2D, maxNetLen);
}

void Graph::convertLAtoGR(NetDB& db) const {
  const int gx = db.gridX, gy = db.gridY;
  EdgeGrid<int> hLayerAt, vLayerAt;  // layer of the net's unit at (x, y); -1 = not in the tree
  EdgeGrid<std::int64_t> stamp;      // connection that last reached the tile
  hLayerAt.allocate(gx, gy, 0);
  vLayerAt.allocate(gx, gy, 0);
  stamp.allocate(gx, gy, 0);
  // A running counter never repeats, whatever the number of nets and connections.
  std::int64_t stampCounter = 0;

  const std::size_t count = std::min(nets.size(), db.nets.size());
  for (std::size_t i = 0; i < count; ++i) {
    Net& n = db.nets[i];
    const net& g = nets[i];
    for (const TwoPin& t : n.twoPins)
      for (const RPoint& u : t.path) {
        if (u.hori == 1) hLayerAt[u.x][u.y] = -1;
        if (u.hori == 0) vLayerAt[u.x][u.y] = -1;
      }
    for (const edge& e : edgesOf(g)) {
      if (e.layer < 0 || e.layer >= layerNum) std::printf("ERROR: %s %d\n", "LA", 2452);
      (e.hori ? hLayerAt : vLayerAt)[e.x][e.y] = e.layer;
    }
    n.routedEdges.clear();

    std::vector<RPoint> newPath;
    for (TwoPin& t : n.twoPins) {
      const std::int64_t s = ++stampCounter;
      t.needRoute = false;
      stamp[t.p1.x][t.p1.y] = s;
      int fromZ = t.p1.z, toZ = t.p2.z;
      if (fromZ < 0 || fromZ >= layerNum || toZ < 0 || toZ >= layerNum) {
        std::printf("two.from.z=%d  two.to.z=%d\n", t.p1.z, t.p2.z);
        // Keep the via stacks inside the layer range; the connection is rerouted later.
        fromZ = std::clamp(fromZ, 0, std::max(layerNum - 1, 0));
        toZ = std::clamp(toZ, 0, std::max(layerNum - 1, 0));
        t.needRoute = true;
      }
      int c = fromZ;
      auto stack = [&](int jx, int jy, int from, int to) {
        if (from < to)
          for (int z = from; z < to; ++z) newPath.push_back(RPoint(jx, jy, z, 2));
        else
          for (int z = from - 1; z >= to; --z) newPath.push_back(RPoint(jx, jy, z, 2));
      };
      // The previously copied step (p1's tile before the first one).
      int prevX = t.p1.x, prevY = t.p1.y, prevHori = -1;
      newPath.clear();
      for (const RPoint& step : t.path) {
        if (step.hori == 2) continue;  // vias are generated anew
        if (step.hori != 0 && step.hori != 1) continue;
        RPoint u = step;
        const int x2 = u.hori == 1 ? u.x + 1 : u.x, y2 = u.hori == 1 ? u.y : u.y + 1;
        u.z = (u.hori == 1 ? hLayerAt : vLayerAt)[u.x][u.y];
        if (u.z == -1) {
          t.needRoute = true;
          c = -1;
          continue;
        }
        if (c != -1 && c != u.z) {
          int jx = 0, jy = 0;
          if (stamp[u.x][u.y] == s) {
            jx = u.x, jy = u.y;
          } else if (stamp[x2][y2] == s) {
            jx = x2, jy = y2;
          } else {
            std::printf("ERROR %s %d x=%d y=%d x2=%d y2=%d hori=%d\n", "LA", u.hori == 1 ? 2504 : 2513, u.x, u.y, prevX,
                        prevY, prevHori);
            // Not a chain from p1: stack at the tile this step shares with the previous one
            // (its own lower end if none) and have the connection rerouted.
            const int px2 = prevHori == 1 ? prevX + 1 : prevX, py2 = prevHori == 0 ? prevY + 1 : prevY;
            if ((u.x == prevX && u.y == prevY) || (u.x == px2 && u.y == py2))
              jx = u.x, jy = u.y;
            else if ((x2 == prevX && y2 == prevY) || (x2 == px2 && y2 == py2))
              jx = x2, jy = y2;
            else
              jx = u.x, jy = u.y;
            t.needRoute = true;
          }
          stack(jx, jy, c, u.z);
        }
        newPath.push_back(u);
        stamp[u.x][u.y] = s;
        stamp[x2][y2] = s;
        c = u.z;
        prevX = u.x, prevY = u.y, prevHori = u.hori;
      }
      if (c != -1 && c != toZ) stack(t.p2.x, t.p2.y, c, toZ);
      t.path.assign(newPath.begin(), newPath.end());
    }
  }
}
