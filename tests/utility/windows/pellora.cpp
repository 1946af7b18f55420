// A library whose only purpose is its version resource, as "Pellora.dll" beside a program.
extern "C" __declspec(dllexport) int PelloraPresent() {
    return 1;
}
