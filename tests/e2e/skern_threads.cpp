// skern with its threads, piece, held and mapped bytes fixed by the build (see
// tests/CMakeLists.txt). SKERN_TEST_CUT=K:SIZE:PATH shortens the file PATH to SIZE bytes once K
// blocks have been read, by whichever thread reads the next; SKERN_TEST_CUT=K:SIZE:PATH:GROWN
// then also puts back, before the block after that, the bytes of the file GROWN from SIZE on.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>

#include "cmdline/run.h"

namespace {

// Writes the bytes of `grown` from `from` on over `path` from there on.
void growAgain(const std::string& path, const std::string& grown, std::streamoff from) {
  std::ifstream in(grown, std::ios::binary);
  in.seekg(from);
  const std::string tail((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(from);
  out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
}

std::function<void()> cutHook() {
  const char* cut = std::getenv("SKERN_TEST_CUT");
  if (cut == nullptr) return {};
  const std::string text = cut;
  const std::size_t first = text.find(':');
  const std::size_t second = text.find(':', first + 1);
  const std::size_t third = text.find(':', second + 1);
  const long long blocks = std::stoll(text.substr(0, first));
  const long long size = std::stoll(text.substr(first + 1, second));
  const std::string path = text.substr(second + 1, third - second - 1);
  const std::string grown = third == std::string::npos ? "" : text.substr(third + 1);
  // The count and the cut are under one lock, so that no thread reads its block while another
  // is still cutting: a block read after the K-th starts only once the file is short. The wait
  // ends when the thread that cuts (or grows) has its resize or write back.
  auto read = std::make_shared<long long>(0);
  auto lock = std::make_shared<std::mutex>();
  return [=] {
    const std::lock_guard<std::mutex> held(*lock);
    const long long count = (*read)++;
    if (count == blocks) {
      std::error_code ignored;
      std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size), ignored);
    } else if (count == blocks + 1 && !grown.empty()) {
      growAgain(path, grown, size);
    }
  };
}

}  // namespace

int main(int argc, char** argv) {
  SearchTuning tuning{SKERN_TEST_TUNING, {}};
  tuning.blockHook = cutHook();
  return skernMain(argc, argv, tuning);
}
