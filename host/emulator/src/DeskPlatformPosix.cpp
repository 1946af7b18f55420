#include <zeph/emulator/Database.h>
#include <zeph/emulator/DeskPlatform.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace zeph::emulator {
namespace {

// Paths removed when a signal ends the program; only async-signal-safe calls touch them.
constexpr int kCleanupFiles = 4;
char cleanupFiles[kCleanupFiles][4096];
char cleanupFolder[4096];

extern "C" void RemoveTemporaryAndDie(int signal) {
    for (auto& file : cleanupFiles) {
        if (file[0] != '\0') {
            unlink(file);
        }
    }
    if (cleanupFolder[0] != '\0') {
        rmdir(cleanupFolder);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void CopyPath(char (&to)[4096], const std::string& from) {
    if (from.size() < sizeof to) {
        std::memcpy(to, from.c_str(), from.size() + 1);
    }
}

// Children of the player are reaped when the next one starts, so none lingers as a zombie.
std::vector<pid_t>& Players() {
    static std::vector<pid_t> players;
    return players;
}

} // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void UseBinaryStandardStreams() {}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zeph-host-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw EDatabaseError("cannot create a temporary folder for the demo database");
    }
    path_ = pattern;
    const char* suffixes[kCleanupFiles] = {"", "-journal", "-wal", "-shm"};
    for (int i = 0; i < kCleanupFiles; ++i) {
        CopyPath(cleanupFiles[i], (path_ / "desk.db").string() + suffixes[i]);
    }
    CopyPath(cleanupFolder, path_.string());
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, RemoveTemporaryAndDie);
    }
}

TemporaryFolder::~TemporaryFolder() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, SIG_DFL);
    }
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::optional<long> StartPlayer(const std::string& command, const std::string& file) {
    auto& players = Players();
    std::erase_if(players, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
    // The file name reaches the command as "$1", never as command text.
    std::vector<std::string> args{"/bin/sh", "-c", command, "zeph-player", file};
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0) {
        return std::nullopt;
    }
    players.push_back(pid);
    return static_cast<long>(pid);
}

} // namespace zeph::emulator
