// TEMPORARY placeholder so that the library links before net breaking lands; replaced on merge.
#include <cstdlib>

#include "steiner/flute.h"

Tree flutes_MD(int, const int*, const int*, const int*, int) { std::abort(); }
