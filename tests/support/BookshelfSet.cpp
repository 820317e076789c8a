#include "support/BookshelfSet.h"

std::map<std::string, std::string> tinySet() {
  std::map<std::string, std::string> files;
  for (const char* name : {"tiny.aux", "tiny.nodes", "tiny.shapes", "tiny.route", "tiny.pl", "tiny.nets", "tiny.gr",
                           "tiny.set"})
    files[name] = readFile(std::string(KORVANE_SOURCE_DIR) + "/tests/data/bookshelf/tiny/" + name);
  return files;
}

std::string writeSet(const TempDir& dir, const std::map<std::string, std::string>& files) {
  for (const auto& [name, text] : files) dir.write(name, text);
  return dir.file("tiny.aux");
}
