// Writes a sample library into the working directory: library_sample_data [sites]. Used by
// scripts that show the program with data in it (scripts/print-reports).

#include "bench/library_bench_support.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char *kUsage = "usage: library_sample_data [sites]\n"
                               "Writes a sample library of `sites` sites (40 when not given) into the\n"
                               "working directory.\n";

// The count of sites named by `text`: digits only, at most a million; -1 for anything else.
int SiteCount(const char *text) {
  const std::size_t length = std::strlen(text);
  if (length == 0 || length > 7 || std::strspn(text, "0123456789") != length)
    return -1;
  const int count = std::atoi(text);
  return count <= 1000000 ? count : -1;
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const bool help = argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
  const int sites = argc == 1 ? 40 : argc == 2 && !help ? SiteCount(argv[1]) : -1;
  if (sites < 0) {
    // Anything it does not understand writes nothing: not even an empty library.
    std::fputs(kUsage, help ? stdout : stderr);
    return help ? 0 : 2;
  }
  vx::bench::FillLibrary(sites);
  std::printf("%d sites written\n", sites);
  return 0;
}
