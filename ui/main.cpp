#include <cstdio>

int main() {
  std::puts("Tollvane: the main window is not built yet.");
  return 0;
}
