// The upload of the archive and the hand-off to the import page, through the
// scripted view against the real HTTPS stand-in of the service.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/ufMain.h"
#include "platform/Files.h"
#include "support/FakeSystem.h"
#include "support/FakeView.h"
#include "support/StandInService.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

using test::FakeSystem;
using test::FakeView;
using test::FileText;
using test::StandInService;
using test::TempDir;

// Any bytes do: the service answers before it looks into the archive, and
// the stand-in records what it received.
std::string ArchiveBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + 3) % 256);
    }
    return bytes;
}

const char* const Uploaded = "Call API\r\nAPI Called\r\nConvert zip file\r\nGet Vuredevu URL\r\n";

class Submission : public ::testing::Test {
  protected:
    TempDir exeDir;
    FakeSystem system{exeDir.path()};
    FakeView view;
    TfrmMain form{view, system};
    std::string archive = exeDir / "Acme_09122025_1405.zip";
    std::string bytes = ArchiveBytes(70000);  // sent in three pieces

    void SetUp() override {
        form.LogFileName = exeDir / "WizardDebug.log";
        exeDir.write("Acme_09122025_1405.zip", bytes);
    }
    void use(const StandInService& service) {
        form.ServiceBase = service.baseUrl();
        form.HTTPRIO1.HTTPWebNode1.CAFile = service.caFile();
    }
    void submit() {
        form.Dispatch([this] { form.SubmitArchive(archive); });
    }
    std::string log() const { return FileText(exeDir / "WizardDebug.log"); }
};

TEST_F(Submission, AcceptedIdentifiersOpenTheImportPageAndDeleteTheArchive) {
    // Only "0" exactly is a refusal: "00" is an identifier like any other.
    // The identifier goes into the address percent-encoded.
    struct Case {
        std::string identifier;
        std::string inAddress;
    } const cases[] = {
        {"4711", "4711"},
        {"00", "00"},
        {"a b/c?d&e=#%", "a%20b%2Fc%3Fd%26e%3D%23%25"},
        {"\xc3\xa9-._~", "%C3%A9-._~"},
    };
    for (const auto& [identifier, inAddress] : cases) {
        SCOPED_TRACE("identifier '" + identifier + "'");
        TempDir dir;
        FakeSystem sys{dir.path()};
        FakeView v;
        TfrmMain f{v, sys};
        f.LogFileName = dir / "WizardDebug.log";
        const std::string path = dir.write("Co_01012026_0000.zip", bytes);
        StandInService service("accept", "IP:127.0.0.1", {"--reply", identifier});
        f.ServiceBase = service.baseUrl();
        f.HTTPRIO1.HTTPWebNode1.CAFile = service.caFile();

        f.Dispatch([&] { f.SubmitArchive(path); });

        const std::string address = service.baseUrl() + "/processSageImport.asp?id=" + inAddress;
        EXPECT_TRUE(v.errorReports.empty());
        EXPECT_TRUE(v.messages.empty());
        EXPECT_EQ(v.statusLines, std::vector<std::string>{"Transfer Complete!"});
        EXPECT_EQ(FileText(dir / "WizardDebug.log"), std::string(Uploaded) + "Sent file to URL " +
                                                         address + "\r\nWizard Finished\r\n");
        EXPECT_TRUE(v.isVisible("lblURLHelp"));
        EXPECT_TRUE(v.isVisible("txtURL"));
        EXPECT_EQ(v.text("txtURL"), address);
        EXPECT_FALSE(v.isEnabled("cmdFinish"));
        EXPECT_EQ(sys.openedUrls, std::vector<std::string>{address});
        EXPECT_TRUE(v.windowClosed);
        EXPECT_TRUE(f.Closed());
        EXPECT_FALSE(FileExists(path));
        // What arrived is the archive, byte for byte.
        ASSERT_EQ(service.requestCount(), 1);
        EXPECT_EQ(FileText(service.recordDir() + "/import-1.zip"), bytes);
    }
}

// A SOAP answer of SageFile with `result` as its text (XML-escaped already).
std::string SageFileAnswer(const std::string& result) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
           "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
           "<soap:Body><SageFileResponse xmlns=\"VureDevu\"><SageFileResult>" +
           result + "</SageFileResult></SageFileResponse></soap:Body></soap:Envelope>";
}

// Replies that must not pass for an accepted file: the upload fails, the
// archive stays (the message says where), no browser opens and no address is
// shown.
TEST_F(Submission, HostileRepliesFailTheUploadAndKeepTheArchive) {
    const std::string envelope =
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">";
    struct Case {
        const char* what;
        std::string reply;
        const char* errorStart;
    } const cases[] = {
        {"empty result", SageFileAnswer(""),
         "The service's reply holds no usable import identifier (the identifier is empty)"},
        {"blank result", SageFileAnswer("  "),
         "The service's reply holds no usable import identifier (the identifier is blank"},
        {"blank before 0", SageFileAnswer(" 0"),
         "The service's reply holds no usable import identifier (the identifier is blank"},
        {"line break", SageFileAnswer("7&#10;https://elsewhere.example/"),
         "The service's reply holds no usable import identifier (the identifier holds a control "
         "character)"},
        {"too long", SageFileAnswer(std::string(257, '7')),
         "The service's reply holds no usable import identifier (the identifier is longer than "
         "256"},
        {"empty body", envelope + "<soap:Body/></soap:Envelope>", ""},
        {"unrelated element", envelope + "<soap:Body><Other>5</Other></soap:Body></soap:Envelope>",
         ""},
        {"doctype",
         "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY e \"5\">]>" +
             SageFileAnswer("&e;").substr(38),
         "A SOAP message must not contain a Document Type Declaration"},
        {"larger than the cap", SageFileAnswer(std::string(2 << 20, '7')),
         "The reply is larger than 1048576 bytes"},
    };
    StandInService service;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        FakeSystem sys{dir.path()};
        FakeView v;
        TfrmMain f{v, sys};
        f.LogFileName = dir / "WizardDebug.log";
        const std::string path = dir.write("Co_01012026_0000.zip", bytes);
        service.setReplyBody(c.reply);
        f.ServiceBase = service.baseUrl();
        f.HTTPRIO1.HTTPWebNode1.CAFile = service.caFile();

        f.Dispatch([&] { f.SubmitArchive(path); });

        ASSERT_EQ(v.errorReports.size(), 1u);
        const std::string& report = v.errorReports[0];
        EXPECT_EQ(report.rfind(c.errorStart, 0), 0u) << report;
        EXPECT_TRUE(report.ends_with("\nThe archive " + path + " is kept.")) << report;
        EXPECT_TRUE(sys.openedUrls.empty());
        EXPECT_FALSE(v.isVisible("txtURL"));
        EXPECT_FALSE(f.Closed());
        EXPECT_EQ(FileText(path), bytes);
    }
}

TEST_F(Submission, TheUploadMovesTheProgressBarPieceByPiece) {
    StandInService service;
    use(service);
    submit();
    // The request body is the archive in base64 inside the envelope: well
    // over 65536 bytes, so at least three pieces, the last one complete.
    ASSERT_GE(view.progressHistory.size(), 3u);
    const auto [lastSent, total] = view.progressHistory.back();
    EXPECT_EQ(lastSent, total);
    EXPECT_EQ(view.progressHistory.front(), std::make_pair(32768, total));
}

TEST_F(Submission, ARefusedFileIsReportedAndKept) {
    StandInService service("refuse");
    use(service);
    submit();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              "Unable to send file, Please email " + archive + " to support");
    EXPECT_EQ(view.messages[0].type, MsgType::Error);
    EXPECT_EQ(view.messages[0].buttons, MsgButtons::OK);
    EXPECT_EQ(view.statusLines, std::vector<std::string>{"Transfer Complete!"});
    EXPECT_EQ(log(), std::string(Uploaded) + "Error in URL 0\r\nWizard Finished\r\n");
    EXPECT_TRUE(system.openedUrls.empty());
    EXPECT_FALSE(view.isVisible("txtURL"));
    EXPECT_TRUE(view.windowClosed);
    EXPECT_EQ(FileText(archive), bytes);
}

TEST_F(Submission, TheMarkerFileSuppressesTheUploadButADirectoryOfThatNameDoesNot) {
    StandInService service;
    use(service);
    exeDir.write("noupload.txt", "");
    submit();
    EXPECT_EQ(log(), "Call API\r\nWizard Finished\r\n");
    EXPECT_EQ(service.requestCount(), 0);
    EXPECT_TRUE(view.statusLines.empty());
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(view.windowClosed);
    EXPECT_EQ(FileText(archive), bytes);

    TempDir dir;
    FakeSystem sys{dir.path()};
    FakeView v;
    TfrmMain f{v, sys};
    f.LogFileName = dir / "WizardDebug.log";
    f.ServiceBase = service.baseUrl();
    f.HTTPRIO1.HTTPWebNode1.CAFile = service.caFile();
    dir.mkdir("noupload.txt");
    const std::string path = dir.write("a.zip", "PK");
    f.Dispatch([&] { f.SubmitArchive(path); });
    EXPECT_EQ(service.requestCount(), 1);
    EXPECT_EQ(sys.openedUrls.size(), 1u);
    EXPECT_FALSE(FileExists(path));
}

TEST_F(Submission, FailuresLeaveTheWindowOpenAndTheArchiveOnDisk) {
    struct Case {
        const char* mode;
        const char* errorStart;  // the start of the general error report's text
    } const cases[] = {
        {"fault", "Server was unable to process request. ---> The import could not be started"},
        {"404", "Not Found (404) - '"},
        {"html", "Received content of invalid Content-Type setting: text/html - SOAP expects"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        TempDir dir;
        FakeSystem sys{dir.path()};
        FakeView v;
        TfrmMain f{v, sys};
        f.LogFileName = dir / "WizardDebug.log";
        const std::string path = dir.write("Co_01012026_0000.zip", bytes);
        v.setEnabled("cmdFinish", false);
        StandInService service(c.mode);
        f.ServiceBase = service.baseUrl();
        f.HTTPRIO1.HTTPWebNode1.CAFile = service.caFile();

        f.Dispatch([&] { f.SubmitArchive(path); });

        ASSERT_EQ(v.errorReports.size(), 1u);
        EXPECT_EQ(v.errorReports[0].rfind(c.errorStart, 0), 0u) << v.errorReports[0];
        EXPECT_TRUE(v.errorReports[0].ends_with("\nThe archive " + path + " is kept."))
            << v.errorReports[0];
        // The log tells why the run failed.
        EXPECT_EQ(FileText(dir / "WizardDebug.log")
                      .rfind(std::string(Uploaded) + "Failed: " + c.errorStart, 0),
                  0u)
            << FileText(dir / "WizardDebug.log");
        EXPECT_TRUE(v.statusLines.empty());
        EXPECT_FALSE(v.windowClosed);
        EXPECT_FALSE(f.Closed());
        EXPECT_FALSE(v.isEnabled("cmdFinish"));
        EXPECT_TRUE(sys.openedUrls.empty());
        EXPECT_EQ(FileText(path), bytes);
    }
}

TEST_F(Submission, AnArchiveThatCannotBeReadEndsTheRunAfterConvert) {
    StandInService service;
    use(service);
    std::filesystem::remove(archive);
    submit();
    ASSERT_EQ(view.errorReports.size(), 1u);
    EXPECT_EQ(view.errorReports[0], TfrmMain::ErrorReportText("File not found"));
    EXPECT_EQ(log(), "Call API\r\nAPI Called\r\nConvert zip file\r\nFailed: File not found\r\n");
    EXPECT_EQ(service.requestCount(), 0);
    EXPECT_FALSE(view.windowClosed);
}

// The archive is read while it is sent. One that cannot be read to its end
// (here it shrinks after the first piece has gone) fails the upload: the
// error is reported, the archive stays and the log ends with the send step.
TEST_F(Submission, AnArchiveThatCannotBeReadToItsEndFailsTheUploadAndIsKept) {
    StandInService service;
    use(service);
    form.HTTPRIO1.HTTPWebNode1.OnPostingData = [this](int sent, int total) {
        if (sent == 32768) {
            std::filesystem::resize_file(archive, 1000);
        }
        form.HTTPRIO1HTTPWebNode1PostingData(sent, total);
    };
    submit();
    ASSERT_EQ(view.errorReports.size(), 1u);
    const std::string failure = EInOutError::TextFor(100) + "\nThe archive " + archive + " is kept";
    EXPECT_EQ(view.errorReports[0], TfrmMain::ErrorReportText(failure));
    EXPECT_EQ(log(), std::string(Uploaded) + "Failed: " + EInOutError::TextFor(100) +
                         " / The archive " + archive + " is kept\r\n");
    EXPECT_TRUE(view.statusLines.empty());
    EXPECT_FALSE(view.windowClosed);
    EXPECT_TRUE(system.openedUrls.empty());
    EXPECT_EQ(FileText(archive), bytes.substr(0, 1000)) << "the archive is kept";
}

TEST(ReadFileBytes, ReadsEveryByteWhateverTheSize) {
    TempDir dir;
    // Around the block size of 1024: empty, short, whole blocks, a remainder.
    for (std::size_t size : {0u, 1u, 1023u, 1024u, 1500u, 2048u, 3073u, 100000u}) {
        SCOPED_TRACE(size);
        const std::string bytes = ArchiveBytes(size);
        const std::string path = dir.write("f" + std::to_string(size), bytes);
        const std::vector<std::uint8_t> read = ReadFileBytes(path);
        EXPECT_EQ(std::string(read.begin(), read.end()), bytes);
    }
    EXPECT_THROW(ReadFileBytes(dir / "missing"), EInOutError);
    EXPECT_THROW(ReadFileBytes(dir.mkdir("a directory")), EInOutError);
}

}  // namespace
}  // namespace quillmere
