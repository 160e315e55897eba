// Tests of code that must never wait on a named pipe: a call that does
// wait fails within seconds instead of hanging until the test's time-out.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

// Runs `call` and tells whether it returned without help. Should it still
// run after a few seconds, a watchdog keeps opening `pipe` for writing
// without blocking, which lets a reader waiting in open go on (and counts
// as a failure).
template <class Call>
bool returns_without_a_writer(const std::string& pipe, Call call) {
    std::atomic<bool> done{false}, released{false};
    std::thread watchdog([&] {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!done) {
            if (std::chrono::steady_clock::now() >= deadline) {
                int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {  // only succeeds while someone has it open to read
                    released = true;
                    close(fd);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    call();
    done = true;
    watchdog.join();
    return !released;
}
