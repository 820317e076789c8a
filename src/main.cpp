#include "Flow.h"

int main(int argc, char** argv) { return korvaneMain(argc, argv); }
