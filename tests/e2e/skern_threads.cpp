// skern with its threads, piece, held and mapped bytes fixed by the build (see
// tests/CMakeLists.txt). SKERN_TEST_CUT=K:SIZE:PATH shortens the file PATH to SIZE bytes once K
// blocks have been read, by whichever thread reads the next.
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "cmdline/run.h"

namespace {

std::function<void()> cutHook() {
  const char* cut = std::getenv("SKERN_TEST_CUT");
  if (cut == nullptr) return {};
  const std::string spec = cut;
  const std::size_t first = spec.find(':');
  const std::size_t second = spec.find(':', first + 1);
  const long long blocks = std::stoll(spec.substr(0, first));
  const auto size = static_cast<std::uintmax_t>(std::stoll(spec.substr(first + 1, second)));
  const std::string path = spec.substr(second + 1);
  auto read = std::make_shared<std::atomic<long long>>(0);
  return [=] {
    if (read->fetch_add(1) != blocks) return;
    std::error_code ignored;
    std::filesystem::resize_file(path, size, ignored);
  };
}

}  // namespace

int main(int argc, char** argv) {
  SearchTuning tuning{SKERN_TEST_TUNING, {}};
  tuning.blockHook = cutHook();
  return skernMain(argc, argv, tuning);
}
