// Where the terms that made a hit stand in the text shown for it, so that a terminal can
// highlight them.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "expr/hit_eval.h"
#include "output/hit_display.h"

/// The offset that says the first term's occurrence is not in the text shown.
inline constexpr std::size_t kNotShown = static_cast<std::size_t>(-1);

/// Where in `shown` (hit line `line` itself, or the window around it) the occurrence of the
/// first term stands that made the line a candidate: its first one in the line that the
/// whole-word rule accepts. `kNotShown` for an empty first term or one not shown.
std::size_t firstTermAt(const PreparedExpression& expression, std::string_view line,
                        std::string_view shown);

/// The marks of a hit shown as `shown`: the first term's occurrence at `firstAt` (none for
/// `kNotShown`) and every occurrence of an alternative that the whole-word rule accepts;
/// sorted, with marks that meet or overlap joined.
std::vector<TextMark> hitMarks(const PreparedExpression& expression, std::string_view shown,
                               std::size_t firstAt);
