// What FTP tests check: bytes that a text-mode transfer would change, and what an FtpTestServer
// received. The server's log reaches the test through a pipe and a reader thread, so a command
// the client has had its reply to may not be readable yet: tests wait until the log shows what
// they expect (or a time limit passes) before they look.
#pragma once

#include "support/FtpTestServer.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace zeph::testing {

// size bytes of every value, with CR LF pairs among them, as no text conversion leaves them.
inline std::string BinaryTestBytes(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(state >> 23);
        if (i % 997 == 0 && i + 1 < size) {
            bytes[i] = '\r';
            bytes[++i] = '\n';
        }
    }
    return bytes;
}

// The commands that start with prefix, in order.
inline std::vector<std::string> CommandsStartingWith(const std::vector<std::string>& commands,
                                                     const std::string& prefix) {
    std::vector<std::string> found;
    std::copy_if(commands.begin(), commands.end(), std::back_inserter(found),
                 [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    return found;
}

// The commands from index first on.
inline std::vector<std::string> CommandsFrom(const std::vector<std::string>& all,
                                             std::size_t first) {
    return std::vector<std::string>(all.begin() + static_cast<long>(std::min(first, all.size())),
                                    all.end());
}

// The server's commands from index first on, once settled says they are complete, or as they
// stand after the limit.
inline std::vector<std::string>
SettledCommands(const FtpTestServer& server,
                const std::function<bool(const std::vector<std::string>&)>& settled,
                std::size_t first = 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (true) {
        std::vector<std::string> commands = CommandsFrom(server.Commands(), first);
        if (settled(commands) || std::chrono::steady_clock::now() >= deadline) {
            return commands;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// The server's commands from index first on once its log has been still for a moment, so that
// what a client sent earlier has arrived.
inline std::vector<std::string> QuietCommands(const FtpTestServer& server, std::size_t first = 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::vector<std::string> all = server.Commands();
    while (true) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::vector<std::string> now = server.Commands();
        if (now.size() == all.size() || std::chrono::steady_clock::now() >= deadline) {
            return CommandsFrom(now, first);
        }
        all = std::move(now);
    }
}

// Settled when every session that logged in has said QUIT.
inline bool SessionsEnded(const std::vector<std::string>& commands) {
    return !commands.empty() && CommandsStartingWith(commands, "QUIT").size() >=
                                    CommandsStartingWith(commands, "PASS").size();
}

} // namespace zeph::testing
