#include "ui/app/Entry.h"

int main(int argc, char** argv) {
  return tervil::RunTervil(argc, argv);
}
