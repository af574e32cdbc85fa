// The code-page conversions in-process: megabytes a second of Spanish text
// with a few characters outside Windows-1252, each way between UTF-8 and
// Windows-1252 and between UTF-8 and UTF-16LE. Prints the medians.
//
//   build/bench/codepage_bench [runs]     (default: 9 runs)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "platform/text.h"

namespace {

using Clock = std::chrono::steady_clock;

// About 4 MB: the lines of a send summary, accents, a euro sign, and now and
// then a character the code page lacks (best fit or '?').
std::string sampleText() {
  const std::string line =
      "Declaración jurada Nº 0661 · Añasco, Cañete y Peñalolén: 1.234.567,89 € — "
      "Łukasz Ōno 中 ✓\r\n";
  std::string text;
  while (text.size() < 4'000'000) text += line;
  return text;
}

// Median MB/s of `runs` calls of `convert` over `input`.
double throughput(int runs, const std::string& input,
                  const std::function<std::string(std::string_view)>& convert) {
  std::vector<double> rates;
  std::size_t sink = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    sink += convert(input).size();
    const std::chrono::duration<double> seconds = Clock::now() - start;
    rates.push_back(static_cast<double>(input.size()) / 1e6 / seconds.count());
  }
  if (sink == 0) std::abort();  // keeps the calls from being optimised away
  return bench::median(rates);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 9;
  const std::string utf8 = sampleText();
  const std::string ansi = platform::toAnsi(utf8);
  const std::string utf16 = platform::toUtf16le(utf8);
  std::printf("code page, median of %d runs (MB/s of input)\n", runs);
  std::printf("  toAnsi      %8.1f\n", throughput(runs, utf8, platform::toAnsi));
  std::printf("  fromAnsi    %8.1f\n", throughput(runs, ansi, platform::fromAnsi));
  std::printf("  toUtf16le   %8.1f\n", throughput(runs, utf8, platform::toUtf16le));
  std::printf("  fromUtf16le %8.1f\n", throughput(runs, utf16, platform::fromUtf16le));
  return 0;
}
