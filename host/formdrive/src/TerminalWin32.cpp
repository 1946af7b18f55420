#include <zeph/formdrive/Terminal.h>

#include <windows.h>

namespace zeph::forms {

bool StandardInputIsTerminal() {
    // A console answers GetConsoleMode; a file, a pipe and the NUL device do not.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

} // namespace zeph::forms
