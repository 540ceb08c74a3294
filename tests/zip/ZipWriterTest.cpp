// The zip writer, checked by reading its archives back with Python's zipfile
// (and Info-ZIP's unzip and zipinfo), never with libzip itself.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>

#include "ZipReadBack.h"
#include "platform/Exceptions.h"
#include "platform/ZipWriter.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using test::FileText;
using test::ReadZip;
using test::RunCommand;
using test::ShellQuote;
using test::TempDir;
using test::ZipEntries;
using test::ZipEntryNames;
using ::testing::ElementsAre;

// 3 February 2016, 09:05:07 in a zone 5:30 ahead of UTC (the fixture's zone):
// the DOS fields must show local time, rounded down to an even second.
constexpr std::time_t kFeb2016 = 1454470507;
// 31 December 2025, 23:59:58 in that zone.
constexpr std::time_t kNewYearsEve = 1767205798;

class ZipWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "XST-5:30", 1);
        ::tzset();
    }

    // Writes a file with the given mode and modification time.
    std::string file(const std::string& relative, const std::string& bytes, mode_t mode = 0644,
                     std::time_t modified = kFeb2016) {
        const std::string path = dir.write(relative, bytes);
        ::chmod(path.c_str(), mode);
        const timeval times[2] = {{modified, 0}, {modified, 0}};
        ::utimes(path.c_str(), times);
        return path;
    }

    static std::string Csv(int lines) {
        std::string text = "\"ACCOUNT_REF\",\"NAME\",\"BALANCE\"\r\n";
        for (int i = 0; i < lines; ++i) {
            text += "\"C" + std::to_string(10000 + i) + "\",\"Customer " + std::to_string(i % 97) +
                    " Ltd\"," + std::to_string(i * 7 % 1000) + ".50\r\n";
        }
        return text;
    }

    static std::string RandomBytes(std::size_t count, unsigned seed) {
        std::mt19937 random(seed);
        std::string bytes(count, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() & 0xFF);
        }
        return bytes;
    }

    static std::vector<std::string> FilesIn(const std::string& directory) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
};

QJsonObject Entry(const QJsonObject& zip, int index) {
    return ZipEntries(zip).at(index).toObject();
}

std::vector<int> DateTime(const QJsonObject& entry) {
    std::vector<int> fields;
    for (const auto& v : entry.value("date_time").toArray()) {
        fields.push_back(v.toInt());
    }
    return fields;
}

TEST_F(ZipWriterTest, NamingCreatesAnEmptyFileAtOnceAndWritesNothingUntilClose) {
    const std::string archive = dir / "Acme_03022016_0905.zip";
    const std::string table = file("Sales Ledger Codes.csv", Csv(10));
    {
        ZipWriter zip;
        zip.open(archive);
        ASSERT_TRUE(fs::is_regular_file(archive));
        EXPECT_EQ(fs::file_size(archive), 0u);
        EXPECT_TRUE(zip.isOpen());
        EXPECT_EQ(zip.archivePath(), archive);
        zip.addFile(table);
        EXPECT_EQ(fs::file_size(archive), 0u);
        EXPECT_THAT(zip.entryNames(), ElementsAre("Sales Ledger Codes.csv"));
        // Dropped without close(): what a failed run leaves behind.
    }
    EXPECT_EQ(fs::file_size(archive), 0u);
    EXPECT_THAT(FilesIn(dir.path()),
                ElementsAre("Acme_03022016_0905.zip", "Sales Ledger Codes.csv"));
}

// Every property of the entries, one table row per kind of file.
TEST_F(ZipWriterTest, EntriesCarryNameMethodSizesCrcDateAndAttributes) {
    struct Case {
        std::string relative;  // where the file lies; the entry gets the bare name
        std::string bytes;
        mode_t mode;
        std::time_t modified;
        int method;  // 8 deflated, 0 stored
        std::vector<int> dosDateTime;
        unsigned dosAttributes;  // the low byte: read-only bit
    } cases[] = {
        {"out/Sales Ledger Codes.csv", Csv(6000), 0644, kFeb2016, 8, {2016, 2, 3, 9, 5, 6}, 0},
        {"out/deep/er/Random.bin",
         RandomBytes(10240, 1),
         0600,
         kNewYearsEve,
         0,
         {2025, 12, 31, 23, 59, 58},
         0},
        {"out/Receipts.csv", "", 0444, kFeb2016 + 1, 0, {2016, 2, 3, 9, 5, 8}, 1},
        {"One byte.csv", "x", 0640, kFeb2016, 0, {2016, 2, 3, 9, 5, 6}, 0},
        {"out/Payments.csv", Csv(1), 0664, kFeb2016, 8, {2016, 2, 3, 9, 5, 6}, 0},
    };
    const std::string archive = dir / "Acme_03022016_0905.zip";
    ZipWriter zip;
    zip.open(archive);
    for (const auto& c : cases) {
        zip.addFile(file(c.relative, c.bytes, c.mode, c.modified));
    }
    zip.close();
    EXPECT_FALSE(zip.isOpen());
    // Only the archive and the sources: no scratch file stays behind.
    EXPECT_THAT(FilesIn(dir.path()), ElementsAre("Acme_03022016_0905.zip", "One byte.csv", "out"));

    const QJsonObject read = ReadZip(archive);
    ASSERT_FALSE(read.contains("error")) << read.value("error").toString().toStdString();
    EXPECT_TRUE(read.value("bad").isNull()) << "testzip found a bad entry";
    EXPECT_EQ(read.value("comment").toString(), "");
    const QJsonObject end = read.value("end").toObject();
    EXPECT_EQ(end.value("disk").toInt(), 0);
    EXPECT_EQ(end.value("cd_disk").toInt(), 0);
    EXPECT_EQ(end.value("comment_length").toInt(), 0);
    EXPECT_TRUE(end.value("at_end").toBool());
    ASSERT_EQ(ZipEntries(read).size(), static_cast<qsizetype>(std::size(cases)));

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const std::string name = fs::path(c.relative).filename().string();
        SCOPED_TRACE(name);
        const QJsonObject e = Entry(read, static_cast<int>(i));
        const QJsonObject local = e.value("local").toObject();
        const auto size = static_cast<qint64>(c.bytes.size());
        EXPECT_EQ(e.value("name").toString().toStdString(), name);
        EXPECT_EQ(local.value("name").toString().toStdString(), name);
        EXPECT_EQ(e.value("method").toInt(), c.method);
        EXPECT_EQ(local.value("method").toInt(), c.method);
        EXPECT_EQ(e.value("size").toInteger(), size);
        if (c.method == 8) {
            EXPECT_LT(e.value("compressed").toInteger(), size);
            EXPECT_TRUE(e.value("level6_identical").toBool()) << "not deflated at level 6";
        } else {
            EXPECT_EQ(e.value("compressed").toInteger(), size);
        }
        EXPECT_EQ(e.value("crc").toInteger(), e.value("crc_of_data").toInteger());
        if (c.bytes.empty()) {
            EXPECT_EQ(e.value("crc").toInteger(), 0);
        }
        // No data descriptor: the local header carries the real CRC and sizes.
        EXPECT_EQ(local.value("crc").toInteger(), e.value("crc").toInteger());
        EXPECT_EQ(local.value("size").toInteger(), size);
        EXPECT_EQ(local.value("compressed").toInteger(), e.value("compressed").toInteger());
        // Bits 1 and 2 (deflate level) and 3 (data descriptor) clear.
        EXPECT_EQ(e.value("flags").toInt() & 0x0E, 0);
        EXPECT_EQ(local.value("flags").toInt() & 0x0E, 0);
        EXPECT_EQ(DateTime(e), c.dosDateTime);
        EXPECT_EQ(e.value("create_system").toInt(), 3) << "attributes are not Unix attributes";
        EXPECT_EQ(e.value("external_attr").toInteger(),
                  ((static_cast<qint64>(S_IFREG | c.mode)) << 16) | c.dosAttributes);
        EXPECT_EQ(e.value("comment").toString(), "");
    }
    // The contents, compared with the files (sources are read back as they are now).
    const QJsonObject withSources = ReadZip(archive, dir / "out");
    for (const auto& e : ZipEntries(withSources)) {
        const QJsonObject entry = e.toObject();
        if (entry.contains("matches_source")) {
            EXPECT_TRUE(entry.value("matches_source").toBool())
                << entry.value("name").toString().toStdString();
        }
    }
}

// Info-ZIP's reader agrees: the archive tests clean, each entry shows the
// normal deflate sub-type or stored, no extended local header, no comment.
TEST_F(ZipWriterTest, InfoZipReadsTheArchiveAsWritten) {
    const std::string archive = dir / "Acme_03022016_0905.zip";
    ZipWriter zip;
    zip.open(archive);
    zip.addFile(file("Nominal Ledger Codes.csv", Csv(500)));
    zip.addFile(file("Receipts.csv", ""));
    zip.addFile(file("Random.bin", RandomBytes(5000, 2)));
    zip.close();

    int status = -1;
    const std::string tested = RunCommand("unzip -t " + ShellQuote(archive) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << tested;
    EXPECT_THAT(tested, ::testing::HasSubstr("No errors detected"));

    const std::string info = RunCommand("zipinfo -v " + ShellQuote(archive) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << info;
    auto count = [&](const std::string& needle) {
        std::size_t n = 0;
        for (auto pos = info.find(needle); pos != std::string::npos;
             pos = info.find(needle, pos + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("compression method:                             deflated"), 1u) << info;
    EXPECT_EQ(count("compression sub-type (deflation):               normal"), 1u) << info;
    EXPECT_EQ(count("compression method:                             none (stored)"), 2u);
    EXPECT_EQ(count("extended local header:                          no"), 3u);
    EXPECT_EQ(count("file last modified on (DOS date/time):          2016 Feb 3 09:05:06"), 3u);
    EXPECT_THAT(info, ::testing::HasSubstr("There is no zipfile comment."));
    EXPECT_THAT(info, ::testing::HasSubstr("sole disk of a single-part archive"));
}

TEST_F(ZipWriterTest, AddingTheSameNameAgainReplacesThePendingEntryInItsPlace) {
    const std::string archive = dir / "a.zip";
    ZipWriter zip;
    zip.open(archive);
    zip.addFile(file("first/Payments.csv", "old payments\r\n"));
    zip.addFile(file("Receipts.csv", "receipts\r\n"));
    zip.addFile(file("second/Payments.csv", "new payments\r\n", 0600, kNewYearsEve));
    EXPECT_THAT(zip.entryNames(), ElementsAre("Payments.csv", "Receipts.csv"));
    zip.close();

    const QJsonObject read = ReadZip(archive, dir / "second");
    EXPECT_THAT(ZipEntryNames(read), ElementsAre("Payments.csv", "Receipts.csv"));
    EXPECT_TRUE(Entry(read, 0).value("matches_source").toBool());
    EXPECT_EQ(DateTime(Entry(read, 0)), (std::vector<int>{2025, 12, 31, 23, 59, 58}));
}

// Files are read at close, not when they are added: a file that grows or
// appears after addFile() is written as it stands at close.
TEST_F(ZipWriterTest, FilesAreReadWhenTheArchiveIsClosed) {
    const std::string archive = dir / "a.zip";
    const std::string grows = file("tables/Sales Ledger Codes.csv", "short\r\n");
    ZipWriter zip;
    zip.open(archive);
    zip.addFile(grows);
    zip.addFile(dir / "tables/Payments.csv");  // not written yet
    file("tables/Sales Ledger Codes.csv", Csv(2000));
    file("tables/Payments.csv", Csv(3));
    zip.close();

    const QJsonObject read = ReadZip(archive, dir / "tables");
    ASSERT_EQ(ZipEntries(read).size(), 2);
    for (const auto& e : ZipEntries(read)) {
        EXPECT_TRUE(e.toObject().value("matches_source").toBool());
    }
    EXPECT_EQ(Entry(read, 0).value("size").toInteger(), static_cast<qint64>(Csv(2000).size()));
}

// A second run in the same minute opens the archive the first one left and
// replaces its entries of the same name: content, date and attributes.
TEST_F(ZipWriterTest, ASecondRunReplacesEntriesOfTheSameName) {
    const std::string archive = dir / "Acme_03022016_0905.zip";
    {
        ZipWriter first;
        first.open(archive);
        first.addFile(file("run1/Sales Ledger Codes.csv", Csv(100)));
        first.addFile(file("run1/Payments.csv", RandomBytes(3000, 3), 0644));
        first.close();
    }
    ZipWriter second;
    second.open(archive);
    EXPECT_THAT(second.entryNames(), ElementsAre("Sales Ledger Codes.csv", "Payments.csv"));
    // Payments was stored the first time; now it deflates, with new mode and date.
    second.addFile(file("run2/Payments.csv", Csv(300), 0400, kNewYearsEve));
    second.addFile(file("run2/Receipts.csv", ""));
    EXPECT_THAT(second.entryNames(),
                ElementsAre("Sales Ledger Codes.csv", "Payments.csv", "Receipts.csv"));
    second.close();

    const QJsonObject run1 = ReadZip(archive, dir / "run1");
    const QJsonObject run2 = ReadZip(archive, dir / "run2");
    EXPECT_TRUE(run2.value("bad").isNull());
    EXPECT_THAT(ZipEntryNames(run2),
                ElementsAre("Sales Ledger Codes.csv", "Payments.csv", "Receipts.csv"));
    EXPECT_TRUE(Entry(run1, 0).value("matches_source").toBool()) << "untouched entry changed";
    const QJsonObject payments = Entry(run2, 1);
    EXPECT_TRUE(payments.value("matches_source").toBool());
    EXPECT_EQ(payments.value("method").toInt(), 8);
    EXPECT_EQ(payments.value("flags").toInt() & 0x0E, 0);
    EXPECT_EQ(payments.value("external_attr").toInteger(),
              (static_cast<qint64>(S_IFREG | 0400) << 16) | 1);
    EXPECT_EQ(DateTime(payments), (std::vector<int>{2025, 12, 31, 23, 59, 58}));
    EXPECT_EQ(Entry(run2, 2).value("size").toInteger(), 0);
}

// An archive made by another tool: maximum compression (flag bit 1), an
// archive comment and an entry comment. A replaced entry keeps none of these
// and the archive comment goes; an entry not replaced is kept as it was.
TEST_F(ZipWriterTest, ReplacingEntriesOfAnotherToolsArchiveClearsItsFlagsAndComments) {
    const std::string archive = dir / "a.zip";
    file("old/Payments.csv", Csv(200));
    file("old/Keep.txt", "keep me\r\n");
    int status = -1;
    RunCommand("cd " + ShellQuote(dir / "old") + " && zip -q -9 -X " + ShellQuote(archive) +
                   " Payments.csv Keep.txt && printf 'archive comment\\n' | zip -q -z " +
                   ShellQuote(archive) + " && printf 'entry comment\\n' | zip -q -9 -c " +
                   ShellQuote(archive) + " Payments.csv",
               &status);
    ASSERT_EQ(status, 0);
    const QJsonObject before = ReadZip(archive);
    ASSERT_EQ(Entry(before, 0).value("flags").toInt() & 0x06, 0x02) << "fixture not level 9";
    ASSERT_NE(before.value("comment").toString(), "");
    ASSERT_NE(Entry(before, 0).value("comment").toString(), "");

    ZipWriter zip;
    zip.open(archive);
    zip.addFile(file("new/Payments.csv", Csv(250)));
    zip.close();

    const QJsonObject after = ReadZip(archive, dir / "new");
    // The replaced entry is a new one: it follows the entries kept.
    EXPECT_THAT(ZipEntryNames(after), ElementsAre("Keep.txt", "Payments.csv"));
    EXPECT_EQ(after.value("comment").toString(), "");
    EXPECT_EQ(after.value("end").toObject().value("comment_length").toInt(), 0);
    EXPECT_EQ(Entry(after, 0).value("crc").toInteger(), Entry(before, 1).value("crc").toInteger());
    const QJsonObject payments = Entry(after, 1);
    EXPECT_TRUE(payments.value("matches_source").toBool());
    EXPECT_EQ(payments.value("flags").toInt() & 0x0E, 0);
    EXPECT_EQ(payments.value("local").toObject().value("flags").toInt() & 0x0E, 0);
    EXPECT_EQ(payments.value("comment").toString(), "");
    EXPECT_TRUE(payments.value("level6_identical").toBool());
}

// With no entries, close writes a valid empty archive (the end record alone)
// rather than leaving a zero-length file no reader accepts. An empty file left
// at the path by an earlier, failed run is taken as an empty archive.
TEST_F(ZipWriterTest, AnArchiveWithoutEntriesIsWrittenAsAValidEmptyZip) {
    const std::string fresh = dir / "fresh.zip";
    const std::string leftOver = dir.write("left.zip", "");
    {
        ZipWriter zip;
        zip.open(fresh);
        zip.close();
    }
    EXPECT_EQ(fs::file_size(fresh), 22u);
    const QJsonObject read = ReadZip(fresh);
    EXPECT_FALSE(read.contains("error"));
    EXPECT_EQ(ZipEntries(read).size(), 0);

    ZipWriter again;
    again.open(leftOver);
    EXPECT_TRUE(again.entryNames().empty());
    again.addFile(file("Receipts.csv", Csv(2)));
    again.close();
    EXPECT_THAT(ZipEntryNames(ReadZip(leftOver)), ElementsAre("Receipts.csv"));

    // Reopened and closed without changes, the empty archive stays valid.
    ZipWriter third;
    third.open(fresh);
    third.close();
    EXPECT_EQ(fs::file_size(fresh), 22u);
}

// Failures that hold for root: a path under a regular file, a directory where
// the archive should be, a file that is no zip archive, a pending file that is
// missing or a directory at close, an archive path taken by a directory before
// close. Each raises its error and leaves no scratch file behind.
TEST_F(ZipWriterTest, FailuresRaiseTheirErrorsAndLeaveNoScratchFiles) {
    const std::string plain = file("plain", "not a directory");
    const std::string notZip = file("garbage.zip", "this is not a zip archive at all, not at all");
    dir.mkdir("taken.zip");

    struct OpenCase {
        std::string path;
        std::string text;
    } openCases[] = {
        {plain + "/a.zip", "Invalid filename"},
        {dir / "missing/a.zip", "File not found"},
        {dir / "taken.zip", "File access denied"},
        {notZip, "The file " + notZip + " is not a zip archive"},
    };
    for (const auto& c : openCases) {
        SCOPED_TRACE(c.path);
        ZipWriter zip;
        try {
            zip.open(c.path);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()), c.text);
        }
        EXPECT_FALSE(zip.isOpen());
    }
    EXPECT_EQ(FileText(notZip), "this is not a zip archive at all, not at all");
    EXPECT_TRUE(fs::is_directory(dir / "taken.zip"));

    struct CloseCase {
        std::string name;
        std::string pending;
        bool archiveBecomesDirectory;
        std::string text;
    } closeCases[] = {
        {"missing", dir / "gone/Payments.csv", false, "File not found"},
        {"directory", dir.mkdir("Receipts.csv"), false, "File access denied"},
        {"archive-taken", "", true, "File access denied"},
    };
    const std::string good = file("ok/Sales Ledger Codes.csv", Csv(50));
    for (const auto& c : closeCases) {
        SCOPED_TRACE(c.name);
        const std::string archive = dir / (c.name + ".zip");
        ZipWriter zip;
        zip.open(archive);
        zip.addFile(good);
        if (!c.pending.empty()) {
            zip.addFile(c.pending);
        }
        if (c.archiveBecomesDirectory) {
            fs::remove(archive);
            fs::create_directory(archive);
        }
        try {
            zip.close();
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(std::string(e.what()), c.text);
        }
        EXPECT_FALSE(zip.isOpen()) << "a failed close still releases the writer";
        if (!c.archiveBecomesDirectory) {
            EXPECT_EQ(fs::file_size(archive), 0u) << "the archive holds what it held before";
        }
        EXPECT_EQ(FileText(good), Csv(50)) << "sources are left alone";
    }
    EXPECT_THAT(FilesIn(dir.path()),
                ElementsAre("Receipts.csv", "archive-taken.zip", "directory.zip", "garbage.zip",
                            "missing.zip", "ok", "plain", "taken.zip"));
}

TEST_F(ZipWriterTest, MisuseIsRefused) {
    ZipWriter zip;
    EXPECT_THROW(zip.addFile(dir / "a.csv"), EZipError);
    EXPECT_THROW(zip.close(), EZipError);
    zip.open(dir / "a.zip");
    EXPECT_THROW(zip.open(dir / "b.zip"), EZipError);
    EXPECT_THROW(zip.addFile(dir.path() + "/"), EZipError);
    EXPECT_FALSE(fs::exists(dir / "b.zip"));
}

// Large tables are streamed: writing a 96 MB table raises the process's peak
// memory by far less than the table's size.
TEST_F(ZipWriterTest, MemoryDoesNotGrowWithTheSizeOfTheFiles) {
    const std::string table = dir / "Nominal Ledger Transactions.csv";
    std::size_t written = 0;
    {
        std::ofstream out(table, std::ios::binary);
        const std::string block = Csv(20000);
        std::mt19937 random(7);
        while (written < 96u << 20) {
            // Vary the blocks a little so that deflate has real work.
            std::string varied = block;
            for (int i = 0; i < 2000; ++i) {
                varied[random() % varied.size()] = static_cast<char>('0' + random() % 10);
            }
            out << varied;
            written += varied.size();
        }
    }
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    const std::string archive = dir / "big.zip";
    ZipWriter zip;
    zip.open(archive);
    zip.addFile(table);
    zip.close();
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    const long grownKiB = after.ru_maxrss - before.ru_maxrss;
    EXPECT_LT(grownKiB, 16 * 1024) << "peak memory grew by " << grownKiB << " KiB";

    const QJsonObject read = ReadZip(archive, dir.path());
    EXPECT_EQ(Entry(read, 0).value("size").toInteger(), static_cast<qint64>(written));
    EXPECT_EQ(Entry(read, 0).value("method").toInt(), 8);
    EXPECT_TRUE(Entry(read, 0).value("matches_source").toBool());
}

}  // namespace
}  // namespace quillmere
