#include "support/ResultChecker.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <sstream>
#include <tuple>

namespace {

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Next line that is not blank; false at the end.
bool nextContentLine(std::istream& in, std::string& line, int& lineNo) {
  while (std::getline(in, line)) {
    ++lineNo;
    if (line.find_first_not_of(" \t\r") != std::string::npos) return true;
  }
  return false;
}

// A line "<word> <word> v1 .. vL".
bool readLayerList(std::istream& in, int& lineNo, int layers, std::vector<int>& out, std::string& error) {
  std::string line;
  if (!nextContentLine(in, line, lineNo)) return error = "missing per-layer list", false;
  std::istringstream ls(line);
  std::string w1, w2;
  ls >> w1 >> w2;
  out.assign(std::size_t(layers), 0);
  for (int& v : out)
    if (!(ls >> v))
      return error = "line " + std::to_string(lineNo) + ": expected " + std::to_string(layers) + " values", false;
  return true;
}

struct Unit {  // one planar unit or via step, in tiles and 0-based layers
  int kind;    // 0 vertical (x,y)-(x,y+1), 1 horizontal (x,y)-(x+1,y), 2 via z-z+1
  int x, y, z;
  bool operator<(const Unit& o) const { return std::tie(kind, x, y, z) < std::tie(o.kind, o.x, o.y, o.z); }
  bool operator==(const Unit& o) const { return kind == o.kind && x == o.x && y == o.y && z == o.z; }
};

struct Node3 {
  int x, y, z;
  bool operator<(const Node3& o) const { return std::tie(x, y, z) < std::tie(o.x, o.y, o.z); }
  bool operator==(const Node3& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct DisjointSets {
  std::vector<int> parent;
  explicit DisjointSets(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
  int find(int a) {
    while (parent[a] != a) a = parent[a] = parent[parent[a]];
    return a;
  }
  void join(int a, int b) { parent[find(a)] = find(b); }
};

class Checker {
 public:
  Checker(const GrProblem& p, const CheckOptions& o) : problem(p), options(o) {
    const std::size_t L = std::size_t(p.layers);
    hDemand.assign(std::size_t(std::max(p.gridX - 1, 0)) * p.gridY * L, 0);
    vDemand.assign(std::size_t(p.gridX) * std::max(p.gridY - 1, 0) * L, 0);
    for (std::size_t i = 0; i < p.nets.size(); ++i) netByName.emplace_back(p.nets[i].name, int(i));
    std::sort(netByName.begin(), netByName.end());
    seen.assign(p.nets.size(), false);
  }

  void error(const std::string& what) {
    ++report.errorCount;
    if (int(report.errors.size()) < options.maxErrorTexts) report.errors.push_back(what);
  }

  void run(std::istream& in) {
    std::string line;
    int lineNo = 0;
    while (nextContentLine(in, line, lineNo)) {
      std::istringstream hs(line);
      std::string name;
      int id = 0;
      if (!(hs >> name >> id)) {
        error("line " + std::to_string(lineNo) + ": expected a net header");
        continue;
      }
      std::vector<Unit> units;
      bool terminated = false;
      const int headerLine = lineNo;
      while (nextContentLine(in, line, lineNo)) {
        if (line.find('!') != std::string::npos) {
          terminated = true;
          break;
        }
        segment(line, lineNo, units);
      }
      if (!terminated) error("line " + std::to_string(headerLine) + ": block of " + name + " has no \"!\"");
      finishNet(name, id, units);
    }
    for (std::size_t i = 0; i < problem.nets.size(); ++i)
      if (!seen[i] && problem.distinctTiles(problem.nets[i]) >= 2)
        error("net " + problem.nets[i].name + " has no block");
    overflow();
  }

  CheckReport report;

 private:
  void segment(const std::string& line, int lineNo, std::vector<Unit>& units) {
    int x1, y1, z1, x2, y2, z2;
    char tail = 0;
    if (std::sscanf(line.c_str(), " (%d,%d,%d)-(%d,%d,%d%c", &x1, &y1, &z1, &x2, &y2, &z2, &tail) != 7 || tail != ')') {
      error("line " + std::to_string(lineNo) + ": malformed segment \"" + line + "\"");
      return;
    }
    const int tx1 = problem.tileX(x1), ty1 = problem.tileY(y1), tx2 = problem.tileX(x2), ty2 = problem.tileY(y2);
    const int changed = (tx1 != tx2) + (ty1 != ty2) + (z1 != z2);
    const std::string where = "line " + std::to_string(lineNo) + ": ";
    if (changed != 1) return error(where + "segment must change exactly one of x, y, layer: " + line);
    for (const int tx : {tx1, tx2})
      if (tx < 0 || tx >= problem.gridX) return error(where + "outside the grid: " + line);
    for (const int ty : {ty1, ty2})
      if (ty < 0 || ty >= problem.gridY) return error(where + "outside the grid: " + line);
    for (const int z : {z1, z2})
      if (z < 1 || z > problem.layers) return error(where + "no such layer: " + line);
    if (tx1 != tx2)
      for (int x = std::min(tx1, tx2); x < std::max(tx1, tx2); ++x) units.push_back({1, x, ty1, z1 - 1});
    else if (ty1 != ty2)
      for (int y = std::min(ty1, ty2); y < std::max(ty1, ty2); ++y) units.push_back({0, tx1, y, z1 - 1});
    else
      for (int z = std::min(z1, z2); z < std::max(z1, z2); ++z) units.push_back({2, tx1, ty1, z - 1});
  }

  void finishNet(const std::string& name, int id, std::vector<Unit>& units) {
    ++report.netsRouted;
    const auto it = std::lower_bound(netByName.begin(), netByName.end(), std::make_pair(name, -1));
    if (it == netByName.end() || it->first != name) return error("block " + name + ": no net of that name");
    if (it + 1 != netByName.end() && (it + 1)->first == name) return error("net name " + name + " is not unique");
    const int index = it->second;
    if (seen[index]) return error("net " + name + " has two blocks");
    seen[index] = true;
    const GrNet& n = problem.nets[index];
    if (id != n.id)
      return error("block " + name + ": id " + std::to_string(id) + ", the net's is " + std::to_string(n.id));

    std::sort(units.begin(), units.end());
    units.erase(std::unique(units.begin(), units.end()), units.end());
    const std::size_t L = std::size_t(problem.layers);
    for (const Unit& u : units) {
      if (u.kind == 2) {
        ++report.viaCount;
      } else {
        ++report.wirelength;
        const int share = std::max(n.minWidth, problem.minWidth[u.z]) + problem.minSpacing[u.z];
        if (u.kind == 1)
          hDemand[(std::size_t(u.x) * problem.gridY + u.y) * L + u.z] += share;
        else
          vDemand[(std::size_t(u.x) * (problem.gridY - 1) + u.y) * L + u.z] += share;
      }
    }

    if (int(n.pins.size()) > options.connectivityPinLimit) {
      ++report.netsNotCheckedForConnectivity;
      return;
    }
    std::vector<Node3> points;
    std::vector<Node3> pins;
    for (const GrPin& p : n.pins) {
      const Node3 q{problem.tileX(p.x), problem.tileY(p.y), p.layer - 1};
      if (q.x < 0 || q.x >= problem.gridX || q.y < 0 || q.y >= problem.gridY || q.z < 0 || q.z >= problem.layers)
        return error("net " + name + ": a pin lies outside the grid");
      pins.push_back(q);
      points.push_back(q);
    }
    auto ends = [](const Unit& u) {
      const Node3 a{u.x, u.y, u.z};
      const Node3 b = u.kind == 1   ? Node3{u.x + 1, u.y, u.z}
                      : u.kind == 0 ? Node3{u.x, u.y + 1, u.z}
                                    : Node3{u.x, u.y, u.z + 1};
      return std::make_pair(a, b);
    };
    for (const Unit& u : units) {
      const auto [a, b] = ends(u);
      points.push_back(a);
      points.push_back(b);
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    auto indexOf = [&](const Node3& q) {
      return int(std::lower_bound(points.begin(), points.end(), q) - points.begin());
    };
    DisjointSets sets(points.size());
    for (const Unit& u : units) {
      const auto [a, b] = ends(u);
      sets.join(indexOf(a), indexOf(b));
    }
    const int root = sets.find(indexOf(pins.front()));
    for (const Node3& q : pins)
      if (sets.find(indexOf(q)) != root) {
        error("net " + name + ": pin at tile (" + std::to_string(q.x) + "," + std::to_string(q.y) + ") layer " +
              std::to_string(q.z + 1) + " is not connected");
        return;
      }
    for (const Unit& u : units)
      if (sets.find(indexOf(ends(u).first)) != root) {
        error("net " + name + ": a segment at tile (" + std::to_string(u.x) + "," + std::to_string(u.y) + ") layer " +
              std::to_string(u.z + 1) + " is detached from its first pin");
        return;
      }
  }

  // Capacities in file units, adjustments replacing the layer defaults.
  void overflow() {
    const std::size_t L = std::size_t(problem.layers);
    std::vector<int> hCap(hDemand.size()), vCap(vDemand.size());
    for (std::size_t i = 0; i < hCap.size(); ++i) hCap[i] = problem.horizontalCapacity[i % L];
    for (std::size_t i = 0; i < vCap.size(); ++i) vCap[i] = problem.verticalCapacity[i % L];
    for (const GrAdjustment& a : problem.adjustments) {
      const int z = a.l1 - 1;
      if (z < 0 || z >= problem.layers) continue;
      if (a.x1 == a.x2) {
        const int y = std::min(a.y1, a.y2);
        if (a.x1 >= 0 && a.x1 < problem.gridX && y >= 0 && y < problem.gridY - 1)
          vCap[(std::size_t(a.x1) * (problem.gridY - 1) + y) * L + z] = a.capacity;
      } else {
        const int x = std::min(a.x1, a.x2);
        if (x >= 0 && x < problem.gridX - 1 && a.y1 >= 0 && a.y1 < problem.gridY)
          hCap[(std::size_t(x) * problem.gridY + a.y1) * L + z] = a.capacity;
      }
    }
    auto add = [&](const std::vector<std::int64_t>& demand, const std::vector<int>& cap) {
      for (std::size_t i = 0; i < demand.size(); ++i) {
        const std::int64_t o = demand[i] - cap[i];
        if (o > 0) report.totalOverflow += o, report.maxOverflow = std::max(report.maxOverflow, o);
      }
    };
    add(hDemand, hCap);
    add(vDemand, vCap);
  }

  const GrProblem& problem;
  const CheckOptions& options;
  // Capacity taken by the wires of each (edge, layer), [x][y][l] like the router's grids.
  std::vector<std::int64_t> hDemand, vDemand;
  std::vector<std::pair<std::string, int>> netByName;  // (name, net index), increasing
  std::vector<bool> seen;
};

}  // namespace

int GrProblem::tileX(int x) const { return floorDiv(x - originX, tileWidth); }
int GrProblem::tileY(int y) const { return floorDiv(y - originY, tileHeight); }

int GrProblem::distinctTiles(const GrNet& n) const {
  std::vector<std::pair<int, int>> tiles;
  for (const GrPin& p : n.pins) tiles.emplace_back(tileX(p.x), tileY(p.y));
  std::sort(tiles.begin(), tiles.end());
  return int(std::unique(tiles.begin(), tiles.end()) - tiles.begin());
}

bool parseGrProblem(std::istream& in, GrProblem& out, std::string& error) {
  out = GrProblem{};
  std::string line;
  int lineNo = 0;
  if (!nextContentLine(in, line, lineNo) ||
      std::sscanf(line.c_str(), " grid %d %d %d", &out.gridX, &out.gridY, &out.layers) != 3 || out.layers < 1)
    return error = "line 1: expected \"grid X Y L\"", false;
  for (std::vector<int>* list :
       {&out.verticalCapacity, &out.horizontalCapacity, &out.minWidth, &out.minSpacing, &out.viaSpacing})
    if (!readLayerList(in, lineNo, out.layers, *list, error)) return false;
  if (!nextContentLine(in, line, lineNo) ||
      std::sscanf(line.c_str(), "%d %d %d %d", &out.originX, &out.originY, &out.tileWidth, &out.tileHeight) != 4 ||
      out.tileWidth <= 0 || out.tileHeight <= 0)
    return error = "line " + std::to_string(lineNo) + ": expected origin and tile size", false;
  int netCount = 0;
  if (!nextContentLine(in, line, lineNo) || std::sscanf(line.c_str(), " num net %d", &netCount) != 1)
    return error = "line " + std::to_string(lineNo) + ": expected \"num net N\"", false;
  out.nets.resize(std::size_t(netCount));
  for (GrNet& n : out.nets) {
    int pinCount = 0;
    if (!nextContentLine(in, line, lineNo)) return error = "file ends inside the nets", false;
    std::istringstream hs(line);
    if (!(hs >> n.name >> n.id >> pinCount >> n.minWidth))
      return error = "line " + std::to_string(lineNo) + ": expected a net header", false;
    n.pins.resize(std::size_t(pinCount));
    for (GrPin& p : n.pins)
      if (!(in >> p.x >> p.y >> p.layer)) return error = "net " + n.name + ": expected pins", false;
  }
  std::size_t adjustmentCount = 0;
  if (!(in >> adjustmentCount)) return true;  // no adjustment section
  out.adjustments.resize(adjustmentCount);
  for (GrAdjustment& a : out.adjustments)
    if (!(in >> a.x1 >> a.y1 >> a.l1 >> a.x2 >> a.y2 >> a.l2 >> a.capacity))
      return error = "expected " + std::to_string(adjustmentCount) + " adjustments", false;
  return true;
}

bool readGrProblem(const std::string& path, GrProblem& out, std::string& error) {
  std::ifstream in(path);
  if (!in) return error = path + ": cannot open", false;
  return parseGrProblem(in, out, error);
}

std::string CheckReport::summary() const {
  std::ostringstream s;
  s << errorCount << " error(s); overflow " << totalOverflow << " (max " << maxOverflow << "), wirelength "
    << wirelength << ", vias " << viaCount << ", blocks " << netsRouted;
  for (const std::string& e : errors) s << "\n  " << e;
  return s.str();
}

CheckReport checkResult(const GrProblem& problem, std::istream& result, const CheckOptions& options) {
  Checker checker(problem, options);
  checker.run(result);
  return checker.report;
}

CheckReport checkResultFile(const GrProblem& problem, const std::string& resultPath, const CheckOptions& options) {
  std::ifstream in(resultPath);
  if (!in) {
    CheckReport r;
    r.errorCount = 1;
    r.errors.push_back(resultPath + ": cannot open");
    return r;
  }
  return checkResult(problem, in, options);
}

bool readOverflowReport(const std::string& path, OverflowReport& out, std::string& error) {
  std::ifstream in(path);
  if (!in) return error = path + ": cannot open", false;
  out = OverflowReport{};
  std::string line;
  long long a = 0, b = 0;
  int c = 0;
  while (std::getline(in, line)) {
    if (std::sscanf(line.c_str(), "Total overflow = %lld", &a) == 1)
      out.totalOverflow = a;
    else if (std::sscanf(line.c_str(), "Max overflow = %lld", &a) == 1)
      out.maxOverflow = a;
    else if (std::sscanf(line.c_str(), "Wirelength = %lld", &a) == 1)
      out.wirelength = a;
    else if (std::sscanf(line.c_str(), "Via count = %lld", &a) == 1)
      out.viaCount = a;
    else if (std::sscanf(line.c_str(), "Total wirelength (wirelength+%d*vias) = %lld", &c, &b) == 2)
      out.viaCost = c, out.totalWirelength = b;
    else if (line == "end")
      out.complete = true;
    else if (line.size() > 0 && line[0] == '(') {
      int v[6];
      if (std::sscanf(line.c_str(), "(%d, %d, %d) - (%d, %d, %d)  %lld", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                      &a) == 7)
        out.listedOverflow += a, ++out.listedEdges;
    }
  }
  return true;
}
