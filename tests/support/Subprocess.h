// Runs programs for tests: with pipes for their output and a time limit, or in the background
// as servers; and finds free loopback ports.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
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
    explicit Background(const std::vector<std::string>& argv);
    ~Background();
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;
    void Stop();

private:
    pid_t pid_ = -1;
};

// A TCP port on 127.0.0.1 that was free a moment ago.
int FreeLoopbackPort();
// True once something accepts connections on 127.0.0.1:port (tries until the limit).
bool WaitForPort(int port, std::chrono::milliseconds limit);

} // namespace zeph::testing
