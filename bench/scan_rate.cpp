// scan_rate FILE [BYTES]: the rate of skern's first-term scan, in GB/s, over a buffer of BYTES
// (default 256 KiB) in memory, filled with FILE's first bytes (repeated if it is shorter), its
// carriage returns and 0x1A made spaces so that the raw scan passes over the whole buffer. For
// every vector level the processor runs: the raw scan that skips blocks without an occurrence,
// and the text scan, with a term found nowhere and with a common one; beside them memchr for
// 0x1A, which is not there. Each rate is the best of 300 rounds of at least 1 ms. bench/run
// builds it (target skern_scan_rate) and runs it as its scan-rate case.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "expr/term_search.h"
#include "platform/byte_blocks.h"

namespace {

using Clock = std::chrono::steady_clock;

// The best rate of `pass`, which goes over `bytes` bytes once a call, in GB/s: rounds as short
// as a millisecond, so that some run while no other process has the CPU.
template <typename Pass>
double rate(std::size_t bytes, Pass pass) {
  double best = 0;
  for (int round = 0; round < 300; ++round) {
    Clock::time_point start = Clock::now();
    double seconds = 0;
    long passes = 0;
    do {
      pass();
      ++passes;
      seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < 0.001);
    best = std::max(best, bytes * static_cast<double>(passes) / seconds / 1e9);
  }
  return best;
}

// Fools the optimizer: the result of every pass is kept.
volatile long long sink;

// Every occurrence of `searcher`'s term in `text`, counted.
long long countAll(const TermSearcher& searcher, std::string_view text) {
  long long count = 0;
  for (std::size_t at = 0;;) {
    long long found = searchTerm(searcher, text.substr(at));
    if (found < 0) return count;
    ++count;
    at += static_cast<std::size_t>(found) + 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fputs("usage: scan_rate FILE [BYTES]\n", stderr);
    return 2;
  }
  std::size_t size = argc == 3 ? std::strtoull(argv[2], nullptr, 10) : 256 * 1024;
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr || size == 0) {
    std::perror(argv[1]);
    return 2;
  }
  std::string buffer(size, ' ');
  std::size_t filled = std::fread(buffer.data(), 1, size, file);
  std::fclose(file);
  if (filled == 0) {
    std::fprintf(stderr, "%s: empty\n", argv[1]);
    return 2;
  }
  for (std::size_t i = filled; i < size; ++i) buffer[i] = buffer[i - filled];
  for (char& c : buffer) {
    if (c == '\r' || c == 0x1A) c = ' ';
  }
  const std::string_view text = buffer;

  std::printf("scan rate over %zu bytes of %s, GB/s\n", size, argv[1]);
  struct Level {
    VectorLevel level;
    const char* name;
  };
  const Level levels[] = {{VectorLevel::avx512bw, "avx512bw"},
                          {VectorLevel::avx2, "avx2"},
                          {VectorLevel::basic, "basic"}};
  const TermSearcher none = prepareTerm("zqxneedle", true);
  const TermSearcher common = prepareTerm("the", true);
  for (const Level& level : levels) {
    limitVectorLevel(level.level);
    if (vectorLevel() != level.level) continue;
    std::printf("%-9s raw bytes, zqxneedle   %6.1f\n", level.name,
                rate(size, [&] { sink = searchRawBytes(none, text); }));
    std::printf("%-9s text, zqxneedle        %6.1f\n", level.name,
                rate(size, [&] { sink = searchTerm(none, text); }));
    std::printf("%-9s text, all the          %6.1f  (%lld hits)\n", level.name,
                rate(size, [&] { sink = countAll(common, text); }), countAll(common, text));
  }
  std::printf("memchr    0x1A, not there      %6.1f\n",
              rate(size, [&] { sink = std::memchr(text.data(), 0x1A, text.size()) != nullptr; }));
  return 0;
}
