// Files added as finished are deflated on workers while the caller goes on:
// the archive is byte for byte the one addFile makes, a file that changed or
// went since it was read is read again at close, a worker's failure is the
// error close gives for that file, and no worker outlives the writer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/time.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "ZipReadBack.h"
#include "platform/Exceptions.h"
#include "platform/ZipWriter.h"
#include "support/TempDir.h"
#include "support/Threads.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using test::FileText;
using test::TempDir;
using test::ThreadCount;
using test::ThreadCountSettlingAt;

constexpr std::time_t kFeb2016 = 1454470507;

std::string Csv(int lines, unsigned seed) {
    std::mt19937 random(seed);
    std::string text = "\"TRANSACTION_NO\",\"DETAILS\",\"AMOUNT\"\r\n";
    for (int i = 0; i < lines; ++i) {
        text += "\"" + std::to_string(i) + "\",\"Invoice " + std::to_string(random() % 5000) +
                "\"," + std::to_string(random() % 100000) + ".25\r\n";
    }
    return text;
}

std::string RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

class EarlyDeflate : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        threadsBefore = ThreadCount();
    }
    std::string file(const std::string& relative, const std::string& bytes) {
        const std::string path = dir.write(relative, bytes);
        const timeval times[2] = {{kFeb2016, 0}, {kFeb2016, 0}};
        ::utimes(path.c_str(), times);
        return path;
    }
    // The names in the directory: no scratch file may stay behind.
    std::vector<std::string> names(const std::string& directory) const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(directory)) {
            out.push_back(entry.path().filename().string());
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    void expectNoWorkerLeft() {
        EXPECT_EQ(ThreadCountSettlingAt(threadsBefore), threadsBefore) << "a worker is left";
    }

    TempDir dir;
    int threadsBefore = 0;
};

// The same files through addFile and through addFinishedFile, and a mix
// with a second run replacing entries: the archives are identical bytes.
TEST_F(EarlyDeflate, TheArchiveIsTheOneAddFileMakes) {
    const std::vector<std::string> files = {
        file("t/Sales Ledger Codes.csv", Csv(3000, 1)),
        file("t/Sales Ledger Transactions.csv", Csv(40000, 2)),
        file("t/Random.bin", RandomBytes(70000, 3)),  // stored: deflate would be larger
        file("t/Receipts.csv", ""),                   // stored, size 0
        file("t/One byte.csv", "x"),
    };
    const auto make = [&](const std::string& name, bool early) {
        const std::string archive = dir / name;
        ZipWriter zip;
        zip.open(archive);
        for (const std::string& path : files) {
            early ? zip.addFinishedFile(path) : zip.addFile(path);
        }
        zip.close();
        return FileText(archive);
    };
    const std::string plain = make("plain.zip", false);
    const std::string early = make("early.zip", true);
    ASSERT_GT(plain.size(), 1000u);
    EXPECT_TRUE(plain == early) << "the archives differ";

    // A second run in the same minute replaces two entries of an archive.
    const std::string again = file("u/Sales Ledger Codes.csv", Csv(10, 4));
    for (const char* name : {"plain.zip", "early.zip"}) {
        ZipWriter zip;
        zip.open(dir / name);
        std::string(name) == "early.zip" ? zip.addFinishedFile(again) : zip.addFile(again);
        zip.addFile(files[3]);
        zip.close();
    }
    EXPECT_TRUE(FileText(dir / "plain.zip") == FileText(dir / "early.zip"));
    EXPECT_EQ(names(dir.path()), (std::vector<std::string>{"early.zip", "plain.zip", "t", "u"}));
    expectNoWorkerLeft();
}

// A file that changes after it was handed over is written as it is at close.
TEST_F(EarlyDeflate, AFileChangedAfterItWasAddedIsReadAgainAtClose) {
    const std::string path = file("Payments.csv", Csv(5000, 5));
    const std::string archive = dir / "a.zip";
    ZipWriter zip;
    zip.open(archive);
    zip.addFinishedFile(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let the worker read it
    std::string changed = FileText(path);                         // the same size, other bytes
    for (std::size_t i = 100; i < changed.size(); i += 1000) {
        changed[i] = changed[i] == 'x' ? 'y' : 'x';
    }
    dir.write("Payments.csv", changed);
    zip.close();

    const QJsonObject read = test::ReadZip(archive, dir.path());
    ASSERT_EQ(test::ZipEntries(read).size(), 1);
    EXPECT_TRUE(test::ZipEntries(read).at(0).toObject().value("matches_source").toBool());
    expectNoWorkerLeft();
}

// A file that went, or that a directory replaced, after it was handed over:
// close raises what it raises for such a file added with addFile, the
// archive holds what it held, and neither scratch file nor worker stays.
TEST_F(EarlyDeflate, AFileThatCannotBeReadAtCloseFailsAsWithAddFile) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> spoil;
        const char* text;
        std::vector<std::string> left;  // in the directory afterwards
    } const cases[] = {
        {"deleted",
         [](const std::string& p) { fs::remove(p); },
         "File not found",
         {"Sales Ledger Codes.csv", "a.zip"}},
        {"directory",
         [](const std::string& p) {
             fs::remove(p);
             fs::create_directory(p);
         },
         "File access denied",
         {"Payments.csv", "Sales Ledger Codes.csv", "a.zip"}},
    };
    for (const Case& c : cases) {
        for (const bool early : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (early ? " early" : " plain"));
            TempDir d;
            const std::string good = d.write("Sales Ledger Codes.csv", Csv(2000, 7));
            const std::string bad = d.write("Payments.csv", Csv(2000, 8));
            const std::string archive = d / "a.zip";
            std::string text = "no error";
            {
                ZipWriter zip;
                zip.open(archive);
                early ? zip.addFinishedFile(good) : zip.addFile(good);
                early ? zip.addFinishedFile(bad) : zip.addFile(bad);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                c.spoil(bad);
                try {
                    zip.close();
                } catch (const EInOutError& e) {
                    text = e.what();
                }
                EXPECT_FALSE(zip.isOpen());
            }
            EXPECT_EQ(text, c.text);
            EXPECT_EQ(fs::file_size(archive), 0u);
            EXPECT_EQ(names(d.path()), c.left);
            expectNoWorkerLeft();
        }
    }
}

// A disk that fills while the workers deflate (a file-size limit stands in
// for it, and holds for root): close raises the same "Disk full" as when
// everything is read at close, and leaves the archive as it was.
TEST_F(EarlyDeflate, ADiskThatFillsGivesTheErrorOfAClose) {
    const std::vector<std::string> files = {
        file("t/Nominal Ledger Transactions.csv", RandomBytes(3 << 20, 9) + Csv(20000, 10)),
        file("t/Payments.csv", Csv(30000, 11)),
    };
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    std::vector<std::string> texts;
    for (const bool early : {false, true}) {
        const std::string archive = dir / (early ? "early.zip" : "plain.zip");
        ZipWriter zip;
        zip.open(archive);
        rlimit limit = saved;
        limit.rlim_cur = 1 << 20;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        for (const std::string& path : files) {
            early ? zip.addFinishedFile(path) : zip.addFile(path);
        }
        try {
            zip.close();
            texts.push_back("no error");
        } catch (const EInOutError& e) {
            texts.push_back(e.what());
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(fs::file_size(archive), 0u);
    }
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(texts, (std::vector<std::string>{"Disk full", "Disk full"}));
    EXPECT_EQ(names(dir.path()), (std::vector<std::string>{"early.zip", "plain.zip", "t"}));
    expectNoWorkerLeft();
}

// Released while a large file is being deflated (a run that stops: a
// failure or a close), the writer stops its worker at the next block and
// waits for it: no thread and no scratch file stays, the archive is empty.
TEST_F(EarlyDeflate, ReleasingTheWriterStopsItsWorkers) {
    std::string big;
    while (big.size() < (48u << 20)) {
        big += Csv(20000, static_cast<unsigned>(big.size()));
    }
    const std::string path = file("Nominal Ledger Transactions.csv", big);
    big.clear();
    const std::string archive = dir / "a.zip";
    {
        ZipWriter zip;
        zip.open(archive);
        zip.addFinishedFile(path);
        zip.addFinishedFile(file("Payments.csv", Csv(100, 12)));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_GT(ThreadCount(), threadsBefore) << "no worker started";
    }
    expectNoWorkerLeft();
    EXPECT_EQ(fs::file_size(archive), 0u);
    EXPECT_EQ(names(dir.path()), (std::vector<std::string>{"Nominal Ledger Transactions.csv",
                                                           "Payments.csv", "a.zip"}));
}

}  // namespace
}  // namespace quillmere
