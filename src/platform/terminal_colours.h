// Colour escape sequences on the terminal that the hits go to.
#pragma once

#include <cstdio>

/// Readies `stream` for colour escape sequences where it is a terminal that takes them (a
/// Windows console is switched to virtual terminal processing) and the environment does not
/// refuse colours; true when what is written to it may then be coloured.
bool startColours(FILE* stream);

/// Puts back the terminal that `startColours` switched, as it was before.
void endColours();
