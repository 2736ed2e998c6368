#include "files/path_parts.h"

#include "platform/ascii.h"
#include "platform/host.h"

PatternParts splitPattern(std::string_view pattern) {
  std::size_t cut = lastComponentStart(pattern);
  return PatternParts{std::string(pattern.substr(0, cut)), std::string(pattern.substr(cut))};
}

std::string withTrailingSeparator(std::string_view path) {
  std::string result(path);
  if (!result.empty() && result.back() != pathSeparator()) result += pathSeparator();
  return result;
}

std::string_view extensionOf(std::string_view path) {
  std::string_view last = path.substr(lastComponentStart(path));
  if (last == "." || last == "..") return {};
  std::size_t dot = last.rfind('.');
  if (dot == std::string_view::npos) return {};
  return last.substr(dot);
}

bool extensionSkipped(std::string_view path, std::string_view skipList) {
  std::string_view extension = extensionOf(path);
  if (extension.empty()) return false;
  std::size_t length = extension.size() + 1;  // the extension and its closing dot
  for (std::size_t at = 0; at + length <= skipList.size(); ++at) {
    std::size_t i = 0;
    while (i < extension.size() && foldedAscii(skipList[at + i]) == foldedAscii(extension[i])) ++i;
    if (i == extension.size() && skipList[at + i] == '.') return true;
  }
  return false;
}
