// The routing result and the overflow report written straight from the layer-assignment
// model: per net a header of its name and id, every tree edge once on its layer, one via line
// per tree node from its lowest to its highest layer, and the overflowed (edge, layer) pairs,
// horizontal before vertical, column outermost and layer innermost. Every write and the close
// are checked.

#include <algorithm>
#include <climits>
#include <cstdio>
#include <iostream>

#include "db/CheckedFile.h"
#include "layer/Graph.h"

namespace {

long long ll(std::int64_t v) { return static_cast<long long>(v); }

}  // namespace

bool Graph::output3Dresult(const char* path) const {
  CheckedFile out(path);
  // File units of the tile's lower-left corner; 64-bit so large grids cannot wrap.
  auto X = [this](int x) { return ll(std::int64_t(lowerLeftX) + std::int64_t(x) * tileWidth); };
  auto Y = [this](int y) { return ll(std::int64_t(lowerLeftY) + std::int64_t(y) * tileHeight); };
  // A block is named as the problem names its net; a model built without names uses "n<id>".
  const NetNames& names = netNames();
  const bool named = names.size() == nets.size();
  for (std::size_t i = 0; i < nets.size(); ++i) {
    const net& n = nets[i];
    if (!out.good()) break;
    if (named)
      out.print("%.*s %d\n", int(names[i].size()), names[i].data(), n.id);
    else
      out.print("n%d %d\n", n.id, n.id);
    const std::span<const node> nodes = nodesOf(n);
    const std::span<const edge> edges = edgesOf(n);
    for (const edge& e : edges) {
      const int z = e.layer + 1;
      if (e.hori)
        out.print("(%lld,%lld,%d)-(%lld,%lld,%d)\n", X(e.x), Y(e.y), z, X(e.x + 1), Y(e.y), z);
      else
        out.print("(%lld,%lld,%d)-(%lld,%lld,%d)\n", X(e.x), Y(e.y), z, X(e.x), Y(e.y + 1), z);
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      const node& nd = nodes[i];
      int lo = INT_MAX, hi = -1;
      if (nd.isPin) lo = nd.pinMinLayer, hi = std::max<int>(-1, nd.pinMaxLayer);
      auto widen = [&](int l) { lo = std::min(lo, l), hi = std::max(hi, l); };
      if (i > 0) widen(edges[i - 1].layer);
      for (int c = 0; c < nd.childNum; ++c) widen(edges[nd.child(c) - 1].layer);
      if (lo != hi) out.print("(%lld,%lld,%d)-(%lld,%lld,%d)\n", X(nd.x), Y(nd.y), lo + 1, X(nd.x), Y(nd.y), hi + 1);
    }
    out.print("!\n");
  }
  for (const net& n : localNets) {
    out.print("n%d %d\n", n.id, n.id);
    int lo = INT_MAX, hi = -1;
    for (const pin& p : pinsOf(n)) lo = std::min(lo, p.layer), hi = std::max(hi, p.layer);
    if (n.pinCount > 0 && lo != hi) {
      const pin& first = pinPool[n.pinBegin];
      out.print("(%lld,%lld,%d)-(%lld,%lld,%d)\n", X(first.x), Y(first.y), lo + 1, X(first.x), Y(first.y), hi + 1);
    }
    out.print("!\n");
  }
  return out.close() ? true : reportWriteFailure(path);
}

bool Graph::outputOverflowInfo(const char* path) const {
  CheckedFile out(path);
  out.print("Total overflow = %lld\n", ll(totalOF));
  out.print("Max overflow = %lld\n", ll(maxOF));
  out.print("Wirelength = %lld\n", ll(wlen2D));
  out.print("Via count = %lld\n", ll(totalVia));
  out.print("Total wirelength (wirelength+%d*vias) = %lld\n", viaCost, ll(wlen2D + totalVia * viaCost));
  out.print("\nOverflowed grid edges : \n");
  for (int x = 0; x < demandH.xNum; ++x)
    for (int y = 0; y < demandH.yNum; ++y)
      for (int l = 0; l < layerNum; ++l) {
        const int d = demandH.at(x, y, l) - capH[l];
        if (d > 0)
          out.print("(%d, %d, %d) - (%d, %d, %d)  %lld \n", x, y, l, x + 1, y, l, ll(std::int64_t(d) * layerPitch[l]));
      }
  for (int x = 0; x < demandV.xNum; ++x)
    for (int y = 0; y < demandV.yNum; ++y)
      for (int l = 0; l < layerNum; ++l) {
        const int d = demandV.at(x, y, l) - capV[l];
        if (d > 0)
          out.print("(%d, %d, %d) - (%d, %d, %d)  %lld \n", x, y, l, x, y + 1, l, ll(std::int64_t(d) * layerPitch[l]));
      }
  out.print("end\n");
  return out.close() ? true : reportWriteFailure(path);
}
