// The whole search of one file, from its bytes to the text it writes to standard output.
#pragma once

#include <string>

#include "reference/reference_types.h"

namespace reference {

/// The standard output that searching a file holding `bytes`, shown as `currentPath`, writes.
std::string searchFile(const std::string& bytes, const std::string& currentPath,
                       const Expression& expression, const Settings& settings);

}  // namespace reference
