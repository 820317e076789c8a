#pragma once
// Bookshelf sets for tests: the bundled tiny set (tests/data/bookshelf/tiny), written into a
// temporary directory with any of its files replaced.

#include <map>
#include <string>

#include "support/RunProcess.h"

// File name -> text; the tiny set's files are "tiny.aux", "tiny.nodes", "tiny.shapes",
// "tiny.route", "tiny.pl", "tiny.nets", "tiny.gr" and "tiny.set".
std::map<std::string, std::string> tinySet();

// Writes the files into dir; returns the path of tiny.aux.
std::string writeSet(const TempDir& dir, const std::map<std::string, std::string>& files);
