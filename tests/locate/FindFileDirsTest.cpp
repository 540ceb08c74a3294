// The recursive COMPANY search on small real trees.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "wizard/FindFileDirs.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using Paths = std::vector<std::string>;

Paths Find(const std::string& root, const std::string& name = "COMPANY") {
    Paths results;
    FindFileDirs(results, root, name);
    return results;
}

// The order in which the file system lists the directories of `dir`
// (the search must follow it; ext4 lists by hash, not by name).
std::vector<std::string> ListedOrder(const std::string& dir,
                                     const std::vector<std::string>& names) {
    std::vector<std::string> order;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string n = e.path().filename().string();
        if (std::find(names.begin(), names.end(), n) != names.end()) {
            order.push_back(n);
        }
    }
    return order;
}

// Runs `search` in a child process (after `prepare`, which may change user
// or namespaces there) and returns its results; nothing when `prepare`
// reports that the child cannot do what the test needs.
std::optional<Paths> InChild(const std::function<bool()>& prepare,
                             const std::function<Paths()>& search) {
    int fds[2];
    if (::pipe(fds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (!prepare()) {
            ::_exit(77);
        }
        std::string out;
        for (const std::string& p : search()) {
            out += p + '\n';
        }
        const char* data = out.data();
        std::size_t left = out.size();
        while (left > 0) {
            const ssize_t n = ::write(fds[1], data, left);
            if (n <= 0) {
                ::_exit(1);
            }
            data += n;
            left -= static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) {
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("the child search failed");
    }
    Paths results;
    std::size_t start = 0;
    for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        results.push_back(out.substr(start, end - start));
    }
    return results;
}

TEST(FindFileDirs, DepthFirstOwnMatchBeforeSubdirectoriesInListingOrder) {
    TempDir t;
    const std::string r = t.path() + "/";
    t.write("COMPANY", "");
    t.write("a/COMPANY", "");
    t.write("a/x/y/COMPANY", "");
    t.write("a/z/COMPANY", "");
    t.write("b/COMPANY", "");
    t.write("c/deep/er/COMPANY", "");
    t.mkdir("d/empty");

    const auto top = ListedOrder(t.path(), {"a", "b", "c"});
    const auto inA = ListedOrder(t / "a", {"x", "z"});
    Paths expected = {r};
    for (const std::string& dir : top) {
        if (dir == "a") {
            expected.push_back(r + "a/");
            for (const std::string& sub : inA) {
                expected.push_back(r + (sub == "x" ? "a/x/y/" : "a/z/"));
            }
        } else if (dir == "b") {
            expected.push_back(r + "b/");
        } else {
            expected.push_back(r + "c/deep/er/");
        }
    }
    EXPECT_EQ(Find(t.path()), expected);
    // A start with its trailing separator gives the same paths.
    EXPECT_EQ(Find(r), expected);
}

// Which directories of a small tree count as holding the file: one case per
// row, each in a tree of its own so that the rows cannot mask each other.
TEST(FindFileDirs, WhatCountsAsTheFile) {
    struct Case {
        const char* what;
        std::function<void(const TempDir&)> build;
        Paths expected;  // relative to the root, "" is the root itself
    };
    const std::vector<Case> cases = {
        {"a file in another case", [](const TempDir& t) { t.write("s/company", "x"); }, {"s/"}},
        {"two spellings in one directory count once",
         [](const TempDir& t) {
             t.write("s/COMPANY", "");
             t.write("s/Company", "");
         },
         {"s/"}},
        {"a directory named COMPANY is searched, never matched",
         [](const TempDir& t) { t.write("s/COMPANY/COMPANY", ""); },
         {"s/COMPANY/"}},
        {"an empty directory named company", [](const TempDir& t) { t.mkdir("s/company"); }, {}},
        {"other names that only begin or end alike",
         [](const TempDir& t) {
             t.write("s/COMPANY.bak", "");
             t.write("s/OLDCOMPANY", "");
             t.write("s/COMPANY~", "");
         },
         {}},
        {"hidden directories and names beginning with a dot are not entered",
         [](const TempDir& t) {
             t.write(".hidden/COMPANY", "");
             t.write("s/.sage/COMPANY", "");
             t.write("s/.../COMPANY", "");
             t.write("s/..x/COMPANY", "");
         },
         {}},
        {"a hidden file with the name in another directory is no match",
         [](const TempDir& t) { t.write("s/.COMPANY", ""); },
         {}},
        {"a symbolic link to a file counts as the file",
         [](const TempDir& t) {
             t.write("data/list.txt", "");
             t.mkdir("s");
             fs::create_symlink(t / "data/list.txt", t / "s/COMPANY");
         },
         {"s/"}},
        {"a symbolic link to a directory named COMPANY does not",
         [](const TempDir& t) {
             t.mkdir("s");
             t.mkdir("elsewhere");
             fs::create_directory_symlink(t / "elsewhere", t / "s/COMPANY");
         },
         {}},
        {"a dangling link does not",
         [](const TempDir& t) {
             t.mkdir("s");
             fs::create_symlink(t / "gone", t / "s/COMPANY");
         },
         {}},
        {"a symbolic link to a directory is not followed",
         [](const TempDir& t) {
             t.write("outside/COMPANY", "");
             t.mkdir("s");
             fs::create_directory_symlink(t / "outside", t / "s/link");
         },
         {"outside/"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir t;
        c.build(t);
        Paths expected;
        for (const std::string& rel : c.expected) {
            expected.push_back(t.path() + "/" + rel);
        }
        EXPECT_EQ(Find(t.path()), expected);
    }
}

TEST(FindFileDirs, SymbolicLinkLoopsEndAndAddNothing) {
    TempDir t;
    t.write("a/COMPANY", "");
    t.mkdir("a/b");
    fs::create_directory_symlink("..", t / "a/b/up");              // a loop back to a
    fs::create_directory_symlink(t.path(), t / "a/b/root");        // a loop to the root
    fs::create_directory_symlink(t / "a/b/self", t / "a/b/self");  // a link to itself
    EXPECT_EQ(Find(t.path()), (Paths{t.path() + "/a/"}));
}

TEST(FindFileDirs, AMissingStartOrAFileAsStartFindsNothing) {
    TempDir t;
    t.write("plain", "");
    EXPECT_TRUE(Find(t / "missing").empty());
    EXPECT_TRUE(Find(t / "plain").empty());
}

// An unreadable directory ends its branch quietly; the rest is searched. Root
// reads every directory regardless of its permission bits, so as root the
// search runs in a child process that has become the user nobody.
TEST(FindFileDirs, AnUnreadableDirectoryIsSkippedQuietly) {
    TempDir t;
    t.write("open/COMPANY", "");
    t.write("closed/COMPANY", "");
    t.write("closed/inner/COMPANY", "");
    t.write("after/COMPANY", "");
    for (const char* p : {"", "/open", "/after", "/closed/inner"}) {
        ::chmod((t.path() + p).c_str(), 0755);
    }
    ::chmod((t / "closed").c_str(), 0);

    const bool root = ::geteuid() == 0;
    const auto results = InChild(
        [root] {
            if (!root) {
                return true;
            }
            const uid_t nobody = 65534;
            return ::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0 &&
                   ::geteuid() == nobody;
        },
        [&t] { return Find(t.path()); });
    if (!results) {
        GTEST_SKIP() << "cannot become an unprivileged user here";
    }
    Paths sorted = *results;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (Paths{t.path() + "/after/", t.path() + "/open/"}));
}

// Another file system mounted inside the tree is a drive of its own: the
// search started above it does not enter it, one started on it does. The
// mount is made in a private mount namespace of a child process.
TEST(FindFileDirs, DoesNotCrossIntoAnotherMount) {
    TempDir t;
    t.write("COMPANY", "");
    t.mkdir("mnt");
    const std::string mnt = t / "mnt";
    const auto mountTmpfs = [&mnt] {
        if (::unshare(CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            return false;
        }
        if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=1m") != 0) {
            return false;
        }
        return ::mkdir((mnt + "/sub").c_str(), 0755) == 0 &&
               ::close(::creat((mnt + "/sub/COMPANY").c_str(), 0644)) == 0;
    };
    const auto above = InChild(mountTmpfs, [&t] { return Find(t.path()); });
    if (!above) {
        GTEST_SKIP() << "cannot mount a file system in a private namespace here";
    }
    EXPECT_EQ(*above, (Paths{t.path() + "/"}));
    const auto on = InChild(mountTmpfs, [&mnt] { return Find(mnt); });
    ASSERT_TRUE(on.has_value());
    EXPECT_EQ(*on, (Paths{mnt + "/sub/"}));
}

TEST(FindFileDirs, RunsTheCallbackAfterEachSubdirectoryAndStopsWhenItThrows) {
    TempDir t;
    t.write("a/COMPANY", "");
    t.write("a/b/COMPANY", "");
    t.write("c/COMPANY", "");
    t.mkdir(".hidden/x");                               // not entered, so no call
    fs::create_directory_symlink(t / "a", t / "link");  // not entered either

    Paths results;
    int calls = 0;
    FindFileDirs(results, t.path(), "COMPANY", [&calls] { ++calls; });
    EXPECT_EQ(calls, 3);  // a, a/b, c
    EXPECT_EQ(results.size(), 3u);

    // A second tree whose subdirectories are leaves, so the first callback
    // comes after exactly one match whatever the listing order.
    TempDir u;
    u.write("x/COMPANY", "");
    u.write("y/COMPANY", "");
    struct Stop {};
    results.clear();
    calls = 0;
    EXPECT_THROW(FindFileDirs(results, u.path(), "COMPANY",
                              [&calls] {
                                  if (++calls == 1) {
                                      throw Stop{};
                                  }
                              }),
                 Stop);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(results.size(), 1u);
}

TEST(PumpThrottle, LetsThroughOncePerInterval) {
    PumpThrottle always(std::chrono::milliseconds(0));
    EXPECT_TRUE(always.Due());
    EXPECT_TRUE(always.Due());

    PumpThrottle slow(std::chrono::hours(1));
    EXPECT_FALSE(slow.Due());
    EXPECT_FALSE(slow.Due());

    PumpThrottle fast(std::chrono::milliseconds(20));
    ::usleep(30000);
    EXPECT_TRUE(fast.Due());
    EXPECT_FALSE(fast.Due());  // the interval starts again
}

}  // namespace
}  // namespace quillmere
