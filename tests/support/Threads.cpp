#include "support/Threads.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace quillmere::test {

int ThreadCount() {
    // A runtime may start a helper thread of its own with the process's
    // first thread (ThreadSanitizer does) and keep it: one thread started
    // and joined before the first count puts it in every count.
    static const bool warmed = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmed;
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task")) {
        ++count;
    }
    return count;
}

int ThreadCountSettlingAt(int expected) {
    int count = ThreadCount();
    for (int i = 0; i < 100 && count != expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        count = ThreadCount();
    }
    return count;
}

}  // namespace quillmere::test
