#include <cstdio>

int main() {
  std::puts("Tarnwick Setup: the terminal front end is not built yet.");
  return 0;
}
