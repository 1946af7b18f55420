// Whether a person types at standard input, as the operating system tells it.
#pragma once

namespace zeph::forms {

// True when standard input is a terminal (a console on Windows), not a file or a pipe.
bool StandardInputIsTerminal();

} // namespace zeph::forms
