#include "ProbeLibrary.h"

#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

void ProbeThrow(const std::string& text) {
    throw std::runtime_error(text);
}

std::string ProbeRepeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

long ProbeCountOnThreads(int threads, int n) {
    long total = 0;
    std::mutex lock;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            for (int i = 0; i < n; ++i) {
                std::lock_guard<std::mutex> hold(lock);
                ++total;
            }
        });
    }
    for (auto& w : workers) {
        w.join();
    }
    return total;
}
