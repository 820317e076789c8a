// Damaged inputs never crash the router: every run of a randomly mutated problem file or
// bookshelf set ends with status 0, or with status 1 and a message that names the trouble.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/BookshelfSet.h"
#include "support/RunProcess.h"

namespace {

// Changes a few characters, cuts a piece out, inserts an awkward number or truncates.
std::string mutate(const std::string& text, std::mt19937& rng) {
  static const char* const kInserts[] = {"-1", "999999", "2147483648", "0", "\n", " 7 ", "x"};
  std::string t = text;
  const int edits = 1 + int(rng() % 3);
  for (int i = 0; i < edits && !t.empty(); ++i) {
    const std::size_t p = rng() % t.size();
    switch (rng() % 4) {
      case 0: t[p] = "0123456789-+ \n\tx.:"[rng() % 18]; break;
      case 1: t.erase(p, 1 + rng() % 20); break;
      case 2: t.insert(p, kInserts[rng() % 7]); break;
      default: t.resize(p); break;
    }
  }
  return t;
}

// A clean exit, or status 1 with the router's own message (not a sanitizer's or a signal).
void expectControlledEnd(const RunResult& r) {
  if (r.exitStatus == 0) return;
  EXPECT_EQ(r.exitStatus, 1);
  const bool ownMessage = r.err.rfind("Error: ", 0) == 0 || r.err.rfind("File ", 0) == 0 ||
                          (r.err.empty() && r.out.find("Error in opening") == std::string::npos);
  EXPECT_TRUE(ownMessage) << r.err.substr(0, 400);
}

TEST(MutatedInput, ProblemFilesEndInAControlledWay) {
  const std::string original = readFile(std::string(KORVANE_SOURCE_DIR) + "/examples/tiny.gr");
  TempDir dir;
  const std::string set = dir.write("p.set", "Maze Routing Iteration = 2\nOutput Overflow Information = Yes\n");
  std::mt19937 rng(2026);
  for (int i = 0; i < 40; ++i) {
    SCOPED_TRACE("mutant " + std::to_string(i));
    const std::string problem = dir.write("m.gr", mutate(original, rng));
    expectControlledEnd(runKorvane({"ISPD", problem, set, dir.file("m.out")}, KORVANE_BINARY_DIR));
  }
}

TEST(MutatedInput, BookshelfSetsEndInAControlledWay) {
  const auto original = tinySet();
  const char* const kMutable[] = {"tiny.aux", "tiny.nodes", "tiny.shapes", "tiny.route", "tiny.pl", "tiny.nets"};
  std::mt19937 rng(7);
  for (int i = 0; i < 40; ++i) {
    SCOPED_TRACE("mutant " + std::to_string(i));
    TempDir dir;
    auto files = original;
    const char* victim = kMutable[rng() % 6];
    files[victim] = mutate(files[victim], rng);
    files["tiny.set"] = "Maze Routing Iteration = 2\nOutput Routing Result = No\n";
    writeSet(dir, files);
    expectControlledEnd(runKorvane({"ICCAD", "tiny.aux", "tiny.pl", "tiny.set", "out"}, dir.path));
  }
}

}  // namespace
