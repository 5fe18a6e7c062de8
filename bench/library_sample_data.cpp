// Writes a sample library into the working directory: library_sample_data [sites]. Used by
// scripts that show the program with data in it (scripts/print-reports).

#include "bench/library_bench_support.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int sites = argc > 1 ? std::atoi(argv[1]) : 40;
  if (sites < 0) {
    std::fprintf(stderr, "usage: library_sample_data [sites]\n");
    return 2;
  }
  vx::bench::FillLibrary(sites);
  std::printf("%d sites written\n", sites);
  return 0;
}
