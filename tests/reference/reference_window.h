// Hit evaluation that builds each window by copying whole lines and then cutting it.
#pragma once

#include <list>
#include <string>

#include "reference/reference_types.h"

namespace reference {

/// True when every group of `expression` has an alternative in the window around `current`,
/// centred at offset `centre`; `window` receives the window on a hit and the line otherwise.
bool evaluateHit(const std::list<std::string>& lines,
                 std::list<std::string>::const_iterator current, long long centre,
                 std::string& window, const Expression& expression, const Settings& settings);

}  // namespace reference
