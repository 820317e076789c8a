#include "support/BookshelfSet.h"

#include <filesystem>

std::map<std::string, std::string> tinySet() {
  std::map<std::string, std::string> files;
  for (const char* name :
       {"tiny.aux", "tiny.nodes", "tiny.shapes", "tiny.route", "tiny.pl", "tiny.nets", "tiny.gr", "tiny.set"})
    files[name] = readFile(std::string(KORVANE_SOURCE_DIR) + "/tests/data/bookshelf/tiny/" + name);
  return files;
}

std::string writeSet(const TempDir& dir, const std::map<std::string, std::string>& files) {
  for (const auto& [name, text] : files) dir.write(name, text);
  // Runs in this directory reach the routing stages, which read the Steiner tables from it.
  for (const char* table : {"POWV9.dat", "POST9.dat"})
    if (!std::filesystem::exists(dir.file(table)))
      std::filesystem::create_symlink(std::string(KORVANE_BINARY_DIR) + "/" + table, dir.file(table));
  return dir.file("tiny.aux");
}
