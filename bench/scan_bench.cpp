// Times the drive scan's search against find(1) on the same tree.
//   scan_bench make ROOT [FANOUT DEPTH]   builds the tree under ROOT
//   scan_bench time ROOT [RUNS]           times both, best of RUNS each
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "wizard/FindFileDirs.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int directories = 0;

void MakeTree(const std::string& dir, int fanout, int depth) {
    if (::mkdir(dir.c_str(), 0755) != 0) {
        std::perror(dir.c_str());
        std::exit(1);
    }
    ++directories;
    if (depth == 0) {
        return;
    }
    std::ofstream(dir + "/data.dat") << "x";  // a file beside the subdirectories
    for (int i = 0; i < fanout; ++i) {
        MakeTree(dir + "/d" + std::to_string(i), fanout, depth - 1);
    }
}

int Make(const std::string& root, int fanout, int depth) {
    MakeTree(root, fanout, depth);
    // COMPANY files at different depths, one a leaf.
    const std::vector<std::string> homes = {"/d3", "/d1/d7", "/d5/d2/d9", "/d8/d0/d4/d6",
                                            "/d2/d2/d2/d2/d2"};
    int written = 0;
    for (const std::string& home : homes) {
        const std::string dir = root + home;
        struct stat st {};
        if (::stat(dir.c_str(), &st) == 0) {
            std::ofstream(dir + "/COMPANY") << "company list\r\n";
            ++written;
        }
    }
    std::printf("tree: %d directories, %d COMPANY files\n", directories, written);
    return directories >= 100000 ? 0 : 1;
}

// Runs find and returns the directories of its matches, with a trailing
// separator as the search gives them.
std::set<std::string> RunFind(const std::string& root) {
    int fds[2];
    if (::pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<std::string> args = {"find", root, "-xdev", "-name", "COMPANY", "-type", "f"};
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, "find", &actions, nullptr, argv.data(), environ) != 0) {
        std::perror("find");
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string out;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) {
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::set<std::string> dirs;
    std::size_t start = 0;
    for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string file = out.substr(start, end - start);
        dirs.insert(file.substr(0, file.size() - std::string("COMPANY").size()));
    }
    return dirs;
}

int Time(const std::string& root, int runs) {
    double bestFind = 1e9;
    double bestOurs = 1e9;
    std::set<std::string> found;
    std::vector<std::string> results;
    long pumps = 0;
    // One unmeasured pass each warms the caches for both.
    for (int run = -1; run < runs; ++run) {
        auto t0 = Clock::now();
        found = RunFind(root);
        auto t1 = Clock::now();

        results.clear();
        pumps = 0;
        // The scan's own pump cadence, with a pump that does nothing.
        quillmere::PumpThrottle throttle(std::chrono::milliseconds(25));
        auto t2 = Clock::now();
        quillmere::FindFileDirs(results, root, "COMPANY", [&] {
            if (throttle.Due()) {
                ++pumps;
            }
        });
        auto t3 = Clock::now();
        if (run >= 0) {
            bestFind = std::min(bestFind, std::chrono::duration<double>(t1 - t0).count());
            bestOurs = std::min(bestOurs, std::chrono::duration<double>(t3 - t2).count());
        }
    }
    const std::set<std::string> ours(results.begin(), results.end());
    std::printf("find -xdev -name COMPANY -type f: %.4f s, %zu directories\n", bestFind,
                found.size());
    std::printf("FindFileDirs: %.4f s, %zu directories, %ld pumps\n", bestOurs, ours.size(), pumps);
    if (ours != found) {
        std::printf("the two searches found different directories\n");
        return 1;
    }
    std::printf("ratio: %.3f\n", bestOurs / bestFind);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string usage = "usage: scan_bench make ROOT [FANOUT DEPTH] | time ROOT [RUNS]\n";
    if (argc < 3) {
        std::fputs(usage.c_str(), stderr);
        return 2;
    }
    const std::string command = argv[1];
    const std::string root = argv[2];
    if (command == "make") {
        return Make(root, argc > 3 ? std::atoi(argv[3]) : 10, argc > 4 ? std::atoi(argv[4]) : 5);
    }
    if (command == "time") {
        return Time(root, argc > 3 ? std::atoi(argv[3]) : 5);
    }
    std::fputs(usage.c_str(), stderr);
    return 2;
}
