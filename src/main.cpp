#include <cstdio>

int main() {
  std::printf("!!!!  Korvane 2.0 !!!! \n");
  return 0;
}
