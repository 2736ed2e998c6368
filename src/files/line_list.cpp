#include "files/line_list.h"

#include <cstring>

#include "files/text_mode.h"

ByteBuffer FileText;
std::vector<std::string_view> LineList;

void loadLines(std::string_view bytes) {
  LineList.clear();
  reserveBytes(FileText, bytes.size());
  if (!bytes.empty()) std::memcpy(FileText.data.get(), bytes.data(), bytes.size());
  FileText.size = applyTextMode(FileText.data.get(), bytes.size());
  splitIntoElements(std::string_view(FileText.data.get(), FileText.size), LineList);
}

void resetLines() {
  LineList.clear();
  FileText = ByteBuffer();
}
