#include "db/parameterSet.h"

void setDefaultParameter(NetDB&, parameterSet& params) { params = parameterSet{}; }
