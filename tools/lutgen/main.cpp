// lutgen: writes the Steiner lookup tables "POWV9.dat" (solution lengths) and "POST9.dat" (solution
// topologies) for degrees 4 up to --max-degree (default 9).
//
// Groups of a degree that share a clamped net share one data set: the first such group holds it,
// the later ones are written as back-references. Data sets are solved in parallel (a shared
// counter hands out indices); the files are written afterwards in group order, so the output is
// the same bytes for any thread count.
//
// Usage: lutgen [--out DIR] [--threads N (0 = all cores)] [--max-degree D] [--quiet]

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Groups.h"
#include "Solver.h"

using namespace lutgen;

namespace {

// Inverse of the reader's character decoding: 0..9 as digits, 10 and up as 'A' (65) and up.
char encodeChar(int v) { return char(v <= 9 ? '0' + v : v + 55); }

struct DegreeStats {
  int groups = 0, dataSets = 0, maxSolutions = 0;
  long solutionsOverGroups = 0, solutionsStored = 0, listEntries = 0, tenEntryGroups = 0;
  double wallSeconds = 0;
};

[[noreturn]] void die(const std::string& what) {
  std::fprintf(stderr, "lutgen: %s\n", what.c_str());
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  std::string outDir = ".";
  int threads = 0, maxDegree = kMaxDegree;
  bool quiet = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--out" && i + 1 < argc)
      outDir = argv[++i];
    else if (a == "--threads" && i + 1 < argc)
      threads = std::atoi(argv[++i]);
    else if (a == "--max-degree" && i + 1 < argc)
      maxDegree = std::atoi(argv[++i]);
    else if (a == "--quiet")
      quiet = true;
    else
      die("usage: lutgen [--out DIR] [--threads N] [--max-degree D] [--quiet]");
  }
  if (maxDegree < kMinDegree || maxDegree > kMaxDegree) die("--max-degree must be 4..9");
  if (threads <= 0) threads = int(std::max(1u, std::thread::hardware_concurrency()));

  std::string lengths, topologies;
  std::vector<DegreeStats> stats(kMaxDegree + 1);
  const std::clock_t cpu0 = std::clock();
  const auto wall0 = std::chrono::steady_clock::now();

  for (int d = kMinDegree; d <= maxDegree; ++d) {
    const auto t0 = std::chrono::steady_clock::now();
    const int groups = groupCount(d);
    std::vector<int> dataOf(groups);  // data set index of each group
    std::vector<int> firstGroup;      // group holding each data set
    std::vector<Frame> keys;
    std::map<Frame, int> byKey;
    for (int k = 0; k < groups; ++k) {
      const Frame t = decodeGroup(d, k);
      if (encodeGroup(d, t) != k) die("group decoding does not round-trip");
      const Frame key = clampedKey(d, t);
      const auto [it, fresh] = byKey.emplace(key, int(keys.size()));
      if (fresh) {
        keys.push_back(key);
        firstGroup.push_back(k);
      }
      dataOf[k] = it->second;
    }

    std::vector<DataSet> data(keys.size());
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::string failure;
    auto worker = [&] {
      Solver solver;
      for (int i; !failed && (i = next++) < int(keys.size());) {
        try {
          data[i] = solver.solve(d, keys[i], decodeGroup(d, firstGroup[i]));
        } catch (const std::exception& e) {
          if (!failed.exchange(true))
            failure = "degree " + std::to_string(d) + ", group " + std::to_string(firstGroup[i]) + ": " + e.what();
        }
      }
    };
    std::vector<std::thread> pool;
    for (int w = 0; w < threads; ++w) pool.emplace_back(worker);
    for (auto& th : pool) th.join();
    if (failed) die(failure);

    DegreeStats& st = stats[d];
    st.groups = groups;
    st.dataSets = int(keys.size());
    lengths += "d=" + std::to_string(d) + "\n";
    topologies += "d=" + std::to_string(d) + "\n";
    for (int k = 0; k < groups; ++k) {
      const DataSet& ds = data[dataOf[k]];
      const int count = int(ds.solutions.size());
      st.solutionsOverGroups += count;
      st.maxSolutions = std::max(st.maxSolutions, count);
      if (ds.solutions[0].add.size() == 10) ++st.tenEntryGroups;
      if (firstGroup[dataOf[k]] != k) {
        lengths += "0" + std::to_string(firstGroup[dataOf[k]]) + "\n";
        continue;
      }
      lengths += encodeChar(count);
      lengths += '\n';
      for (const Solution& sol : ds.solutions) {
        ++st.solutionsStored;
        st.listEntries += long(sol.add.size() + sol.sub.size());
        lengths += encodeChar(sol.parent);
        for (const int g : sol.add) lengths += encodeChar(g);
        lengths += '0';
        for (const int g : sol.sub) lengths += encodeChar(g);
        lengths += "0\n";
        for (int s = 0; s < d - 2; ++s) topologies += encodeChar(sol.rowcol[s]);
        for (int b = 0; b + 1 < 2 * d - 2; b += 2) topologies += char((sol.neighbor[b] << 4) | sol.neighbor[b + 1]);
        topologies += '\n';  // the reader skips this byte
      }
    }
    st.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!quiet)
      std::printf(
          "d=%d: %d groups, %d data sets, solutions per group mean %.2f max %d, "
          "list entries per solution %.2f, first solution with 10 entries in %ld groups, %.2f s wall\n",
          d, st.groups, st.dataSets, double(st.solutionsOverGroups) / st.groups, st.maxSolutions,
          double(st.listEntries) / double(st.solutionsStored), st.tenEntryGroups, st.wallSeconds);
  }

  auto writeFile = [&](const char* name, const std::string& bytes) {
    const std::string path = outDir + "/" + name;
    const std::string tmp = path + ".tmp";
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) die("cannot create " + tmp);
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) die("cannot write " + tmp);
    if (std::rename(tmp.c_str(), path.c_str()) != 0) die("cannot rename " + tmp);
  };
  writeFile("POWV9.dat", lengths);
  writeFile("POST9.dat", topologies);
  if (!quiet)
    std::printf("POWV9.dat %zu bytes, POST9.dat %zu bytes; %.1f s wall, %.1f s CPU, %d threads\n", lengths.size(),
                topologies.size(), std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count(),
                double(std::clock() - cpu0) / CLOCKS_PER_SEC, threads);
  return 0;
}
