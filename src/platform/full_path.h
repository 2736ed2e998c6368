// Turning a relative path into a full one.
#pragma once

#include <string>

/// The full path of `path`, formed lexically from the current directory (links are not
/// resolved); false when it cannot be formed or exceeds the host's path limit.
bool fullPath(const std::string& path, std::string& full);
