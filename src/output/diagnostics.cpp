#include "output/diagnostics.h"

#include <cstdarg>

#include "output/standard_output.h"

std::string formatMessage(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

void writeDiagnostic(FILE* stream, std::string_view text) {
  // Hits wait in standard output's buffer; they go first, so that the order of what was
  // written is kept when the diagnostics go elsewhere, and so that a failure to write them is
  // told from a failure to write a diagnostic, which is ignored.
  flushOutput();
  std::fwrite(text.data(), 1, text.size(), stream);
  if (stream == stdout) {
    std::fflush(stdout);
    std::clearerr(stdout);
  }
}
