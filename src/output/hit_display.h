// The forms in which file headers and hits are written to standard output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// The settings that shape what a hit looks like.
struct DisplayOptions {
  bool cute = true;            ///< Trimmed, wrapped hits; else dumped as they are.
  bool lineNumbers = false;    ///< Prefix each hit with its line number.
  bool showAll = false;        ///< Show the hit's whole window, not only its line.
  bool truncate = false;       ///< End a cute hit at the margin instead of wrapping it.
  long long rightMargin = 78;  ///< Column beyond which a cute hit wraps.
  bool colours = false;        ///< For a terminal: headers, numbers and marks in colour.
};

/// Bytes `begin` to `end` (not included) of a hit's text, highlighted where colours are on.
struct TextMark {
  std::size_t begin = 0;  ///< The first byte marked.
  std::size_t end = 0;    ///< The byte after the last one marked.
};

/// Appends the header of the file at `path`, written before its first hit.
void formatHeader(const DisplayOptions& options, std::string_view path, std::string& out);

/// Appends hit line `lineNumber`, whose text shown is `text`, in the cute or the dump style;
/// with colours, `marks` (sorted, apart) are highlighted.
void formatHit(const DisplayOptions& options, long long lineNumber, std::string_view text,
               const std::vector<TextMark>& marks, std::string& out);

/// What the cute form makes of a hit's text before its line number is known.
struct CuteText {
  std::string_view text;     ///< Trimmed; cut at its first line end where a window is truncated.
  std::size_t start = 0;     ///< Where `text` begins in the hit's text (marks count from there).
  bool bars = false;         ///< Its line ends are shown as '|'.
  bool byCharacter = false;  ///< Multibyte UTF-8: wrapped by the columns of its characters.
};

/// The cute form's view of a hit's `text`: all of the form that its line number cannot change.
CuteText cuteText(const DisplayOptions& options, std::string_view text);

/// Appends the cute form of one hit whose text `cuteText` made, as line `lineNumber`: prefixed,
/// wrapped or truncated at the margin.
void formatCuteText(const DisplayOptions& options, long long lineNumber, const CuteText& text,
                    const std::vector<TextMark>& marks, std::string& out);

/// Appends the cute form of one hit: trimmed, prefixed, wrapped or truncated at the margin;
/// the line ends within the text show as '|'.
void formatCute(const DisplayOptions& options, long long lineNumber, std::string_view text,
                const std::vector<TextMark>& marks, std::string& out);

/// Appends the dump form of one hit: the prefix and the text unchanged.
void formatDump(const DisplayOptions& options, long long lineNumber, std::string_view text,
                const std::vector<TextMark>& marks, std::string& out);
