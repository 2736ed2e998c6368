#include "files/line_list.h"

#include <cstring>

#include "files/text_mode.h"

ByteBuffer FileText;
ElementList LineList;

namespace {

// How far the text has been divided into elements.
ElementCursor cursor;

}  // namespace

void startLines() {
  LineList.clear();
  const char* firstNul = nullptr;
  FileText.size = prepareText(FileText.data.get(), FileText.size, &firstNul);
  cursor = startElements(std::string_view(FileText.data.get(), FileText.size), firstNul);
}

bool haveElement(std::size_t index) {
  while (index >= LineList.size() && !cursor.done()) {
    divideElements(cursor, cursor.at, LineList);
  }
  return index < LineList.size();
}

void divideThrough(const char* at) {
  if (at >= cursor.at) divideElements(cursor, at, LineList);
}

void divideAll() {
  if (!cursor.done()) divideElements(cursor, cursor.end, LineList);
}

void loadLines(std::string_view bytes) {
  reserveBytes(FileText, bytes.size());
  if (!bytes.empty()) std::memcpy(FileText.data.get(), bytes.data(), bytes.size());
  FileText.size = bytes.size();
  startLines();
  divideAll();
}

void resetLines() {
  LineList.release();
  FileText = ByteBuffer();
  cursor = ElementCursor();
}
