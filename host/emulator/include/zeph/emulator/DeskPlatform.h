// What zeph-host asks of the operating system: its arguments and standard streams, its own
// folder, a temporary folder that goes with the program, and starting the desk's player.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zeph::emulator {

// The program's arguments in UTF-8 (argv[0] included).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Standard input, output and error pass bytes unchanged: what the program prints is the same
// on every platform, and line ends are not translated.
void UseBinaryStandardStreams();

// The folder of the running program; the working directory when the system will not say.
std::filesystem::path ExecutableFolder();

// A new folder of its own under the temporary directory for the demo desk database, removed
// with everything in it when the object goes. When the program is interrupted (Ctrl+C, a
// request to end it) the database's files (desk.db and its journals) and the folder go too.
class TemporaryFolder {
public:
    // EDatabaseError when no folder can be made.
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

// Starts the desk's player command on the file (UTF-8) without waiting for it; the file reaches
// the command as an argument, never as command text. Players that ended since are collected
// first. The process id, or nullopt when the player could not be started.
std::optional<long> StartPlayer(const std::string& command, const std::string& file);

} // namespace zeph::emulator
