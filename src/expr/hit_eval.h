// Deciding whether a candidate line is a hit, within its line or character window.
#pragma once

#include <cstddef>
#include <string_view>

/// True when every group of `Expression` has an alternative within the window around element
/// `index` of `LineList`, centred at offset `centre` of that element. `window` receives the
/// window on a hit and the line itself otherwise; it stays valid until the next call or file.
bool evaluateHit(std::size_t index, long long centre, std::string_view& window);
