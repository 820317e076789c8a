#pragma once
// Checks of routed planar paths, computed apart from the routers.

#include <gtest/gtest.h>

#include <vector>

#include "db/Geometry.h"

// Success when `path` is a chain of planar unit edges (hori 0 or 1) that walks from `from` to
// `to`, each unit touching the tile reached so far.
::testing::AssertionResult isChain(const std::vector<RPoint>& path, const Point& from, const Point& to);
