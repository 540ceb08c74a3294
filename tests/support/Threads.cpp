#include "support/Threads.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace quillmere::test {

int ThreadCount() {
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
