// What the environment says about colours on a terminal: the one thing skern reads there.
#pragma once

/// True when the environment asks for plain text: NO_COLOR set to a non-empty text, or
/// TERM=dumb.
bool coloursRefused();
