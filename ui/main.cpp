#include "ui/program.h"

int main(int argc, char** argv) {
  return tollvane::RunProgram(argc, argv);
}
