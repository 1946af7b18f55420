#include <zeph/formdrive/Terminal.h>

#include <unistd.h>

namespace zeph::forms {

bool StandardInputIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

} // namespace zeph::forms
