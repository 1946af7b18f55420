// Runs programs for tests: with pipes for their output and a time limit, or in the background
// as servers; and finds free loopback ports.
//
// On Windows (under Wine) a program is a Windows program when its path, or its path with ".exe",
// is one; it is started with CreateProcess. Any other program is a Linux program: the peer
// launcher on the Linux side (ZEPH_PEER_LAUNCHER, started by wine-run) runs it, and arguments
// that are absolute Windows paths reach it as the same files' Linux paths (PeerPath).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::testing {

struct ProcessResult {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs argv[0] (a path) with the arguments, standard input from `input` (bytes), and waits at
// most `limit`; a program still running then is killed and the status is -1.
ProcessResult Run(const std::vector<std::string>& argv, const std::string& input = {},
                  std::chrono::seconds limit = std::chrono::seconds(60));

// A background program (a server) stopped when the object goes.
class Background {
public:
    // Receives the program's standard output and error as they come, on a thread of its own, and
    // an empty piece when they end.
    using OutputSink = std::function<void(std::string_view)>;

    Background() = default;
    // Output and error go nowhere.
    explicit Background(const std::vector<std::string>& argv);
    Background(const std::vector<std::string>& argv, OutputSink output);
    ~Background();
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;
    Background(Background&&) noexcept;
    Background& operator=(Background&&) noexcept;
    // Stops the program and returns once it has ended.
    void Stop();

    // A started program, as each platform runs it.
    class Process {
    public:
        virtual ~Process() = default;
        virtual void Stop() = 0;
    };

private:
    std::unique_ptr<Process> process_;
};

// The path under which a Linux program sees the file at `path` (the same path on Linux). Under
// Wine `path` is a Windows path in UTF-8 or, when it is not valid UTF-8, the ANSI code page.
std::string PeerPath(const std::string& path);

// A TCP port on 127.0.0.1 that was free a moment ago.
int FreeLoopbackPort();
// True once something accepts connections on 127.0.0.1:port (tries until the limit).
bool WaitForPort(int port, std::chrono::milliseconds limit);

// A server on 127.0.0.1 that takes connections and never answers, for tests of time limits.
class SilentListener {
public:
    SilentListener(); // throws std::runtime_error when no port can be had
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int Port() const noexcept { return port_; }
    // From now on connections are refused.
    void Close();

private:
    std::intptr_t socket_ = -1;
    int port_ = 0;
};

} // namespace zeph::testing
