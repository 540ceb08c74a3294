// The choice before sending: when the migration report of a run found errors
// or warnings, the page flow asks before the archive goes, through the
// scripted view.
#include <gtest/gtest.h>

#include "app/SendDecision.h"
#include "app/ufMain.h"
#include "export/ExportTables.h"
#include "platform/FileUrl.h"
#include "platform/Files.h"
#include "platform/ZipWriter.h"
#include "support/FakeSystem.h"
#include "support/FakeView.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

using test::FakeSystem;
using test::FakeView;
using test::FileText;
using test::TempDir;

ReportOutcome Report(int errors, int warnings, int notes = 0) {
    return {errors, warnings, notes, "/work/Acme_01022026_0930.report.html",
            "/work/Acme_01022026_0930.report.json"};
}

class SendChoice_ : public ::testing::Test {
  protected:
    TempDir exeDir;
    FakeSystem system{exeDir.path()};
    FakeView view;
    TfrmMain form{view, system};
    std::string archive;

    void SetUp() override {
        form.LogFileName = exeDir / "WizardDebug.log";
        // A complete archive, as the export run leaves it before the upload.
        ZipWriter zip;
        archive = exeDir / "AcmeLtd_01022026_0930.zip";
        zip.open(archive);
        for (const ExportTable& table : ExportTables()) {
            zip.addFile(exeDir.write("tables/" + table.fileName, "HEADER\r\n"));
        }
        zip.close();
    }
    // ConfirmSend as Finish calls it, through the dispatcher.
    bool confirm() {
        bool send = false;
        form.Dispatch([this, &send] { send = form.ConfirmSend(archive); });
        return send;
    }
    std::string log() const { return FileText(exeDir / "WizardDebug.log"); }
};

TEST_F(SendChoice_, NoQuestionWithoutFindingsOrWhenTheUploadIsSuppressed) {
    struct Case {
        const char* what;
        std::optional<ReportOutcome> report;
        bool noUpload;
        bool markerFile;
    } const cases[] = {
        {"no report", std::nullopt, false, false},
        {"notes only", Report(0, 0, 5), false, false},
        {"errors, --no-upload", Report(2, 1), true, false},
        {"errors, noupload.txt", Report(2, 1), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        FakeSystem sys{dir.path()};
        FakeView v;
        TfrmMain f{v, sys};
        f.LogFileName = dir / "WizardDebug.log";
        f.LastReport = c.report;
        f.NoUpload = c.noUpload;
        if (c.markerFile) {
            dir.write("noupload.txt", "");
        }
        bool send = false;
        f.Dispatch([&] { send = f.ConfirmSend(dir / "Acme_01022026_0930.zip"); });
        EXPECT_TRUE(send);
        EXPECT_TRUE(v.sendQuestions.empty());
        EXPECT_TRUE(v.statusLines.empty());
        EXPECT_FALSE(f.KeptArchive);
        EXPECT_EQ(FileText(dir / "WizardDebug.log"), "<missing>");
    }
}

TEST_F(SendChoice_, TheQuestionNamesWhatWasFoundAndWhereTheReportIs) {
    struct Case {
        int errors;
        int warnings;
        const char* found;
    } const cases[] = {
        {2, 1, "2 errors and 1 warning"},
        {1, 0, "1 error"},
        {0, 3, "3 warnings"},
        {1, 2, "1 error and 2 warnings"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.found);
        const ReportOutcome report = Report(c.errors, c.warnings, 4);
        const std::string text = SendQuestionText(report);
        EXPECT_EQ(text.rfind(std::string("The migration report found ") + c.found +
                                 " in the books to be sent.\nThe report: " + report.htmlPath + "\n",
                             0),
                  0u)
            << text;
    }
    form.LastReport = Report(2, 1);
    view.sendAnswers = {SendChoice::SendAnyway};
    ASSERT_TRUE(confirm());
    ASSERT_EQ(view.sendQuestions.size(), 1u);
    EXPECT_EQ(view.sendQuestions[0].errors, 2);
    EXPECT_EQ(view.sendQuestions[0].warnings, 1);
    EXPECT_EQ(view.sendQuestions[0].reportPath, "/work/Acme_01022026_0930.report.html");
    EXPECT_EQ(view.sendQuestions[0].text, SendQuestionText(*form.LastReport));
}

TEST_F(SendChoice_, EachAnswerSendsOrKeeps) {
    const std::string kept[] = {
        "The archive was not sent.",
        "It is kept as " + archive,
        "It can be sent later: the wizard offers to send it when it next starts.",
    };
    struct Case {
        const char* what;
        std::deque<SendChoice> answers;
        bool send;
        std::vector<std::string> opened;
        std::string log;
    } const cases[] = {
        {"send anyway",
         {SendChoice::SendAnyway},
         true,
         {},
         "Sending despite the migration report (2 errors, 1 warning)\r\n"},
        {"keep",
         {SendChoice::KeepArchive},
         false,
         {},
         "Not sent: the migration report found 2 errors, 1 warning\r\nArchive kept: " + archive +
             "\r\n"},
        {"open, then send",
         {SendChoice::OpenReport, SendChoice::SendAnyway},
         true,
         {"file:///work/Acme_01022026_0930.report.html"},
         "Opening the migration report /work/Acme_01022026_0930.report.html\r\n"
         "Sending despite the migration report (2 errors, 1 warning)\r\n"},
        {"open twice, then keep",
         {SendChoice::OpenReport, SendChoice::OpenReport, SendChoice::KeepArchive},
         false,
         {"file:///work/Acme_01022026_0930.report.html",
          "file:///work/Acme_01022026_0930.report.html"},
         "Opening the migration report /work/Acme_01022026_0930.report.html\r\n"
         "Opening the migration report /work/Acme_01022026_0930.report.html\r\n"
         "Not sent: the migration report found 2 errors, 1 warning\r\nArchive kept: " +
             archive + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        FakeSystem sys{dir.path()};
        FakeView v;
        TfrmMain f{v, sys};
        f.LogFileName = dir / "WizardDebug.log";
        f.LastReport = Report(2, 1);
        v.sendAnswers = c.answers;
        bool send = !c.send;
        f.Dispatch([&] { send = f.ConfirmSend(archive); });
        EXPECT_EQ(send, c.send);
        EXPECT_EQ(v.sendQuestions.size(), c.answers.size()) << "asked again after each opening";
        EXPECT_EQ(sys.openedUrls, c.opened);
        EXPECT_EQ(FileText(dir / "WizardDebug.log"), c.log);
        EXPECT_EQ(v.statusLines, c.send
                                     ? std::vector<std::string>{}
                                     : std::vector<std::string>(std::begin(kept), std::end(kept)));
        EXPECT_EQ(f.KeptArchive.has_value(), !c.send);
        EXPECT_TRUE(v.errorReports.empty());
        EXPECT_FALSE(f.Closed());
        EXPECT_TRUE(FileExists(archive));
    }
}

// Kept: the window stays open with Finish and Back disabled, Cancel closes it
// without asking, and the next start offers the archive.
TEST_F(SendChoice_, AKeptArchiveIsOfferedAtTheNextStart) {
    view.setEnabled("cmdFinish", false);  // as the export run leaves it
    view.setEnabled("cmdBack", false);
    form.LastReport = Report(1, 0);
    view.sendAnswers = {SendChoice::KeepArchive};
    EXPECT_FALSE(confirm());
    EXPECT_FALSE(form.Closed());
    EXPECT_FALSE(view.isEnabled("cmdFinish"));
    EXPECT_FALSE(view.isEnabled("cmdBack"));
    EXPECT_TRUE(view.isEnabled("cmdCancel"));
    form.Dispatch(&TfrmMain::cmdCancelClick);
    EXPECT_TRUE(view.messages.empty()) << view.messages[0].text;
    EXPECT_TRUE(form.Closed());

    FakeView next;
    TfrmMain again{next, system};
    again.Dispatch(&TfrmMain::FormCreate);
    next.messageAnswers = {MsgResult::No};
    again.Dispatch(&TfrmMain::OfferUnsentArchive);
    ASSERT_EQ(next.messages.size(), 1u);
    EXPECT_EQ(next.messages[0].text,
              "An export of AcmeLtd from 01/02/2026 09:30 was not sent. Send it now?");
    EXPECT_TRUE(FileExists(archive));
}

// --review keeps every archive, asking nothing, even when the upload is
// suppressed as well.
TEST_F(SendChoice_, ReviewOnlyKeepsTheArchiveWithoutAQuestion) {
    for (const bool noUpload : {false, true}) {
        SCOPED_TRACE(noUpload);
        TempDir dir;
        FakeSystem sys{dir.path()};
        FakeView v;
        TfrmMain f{v, sys};
        f.LogFileName = dir / "WizardDebug.log";
        f.ReviewOnly = true;
        f.NoUpload = noUpload;
        f.LastReport = Report(3, 0);
        bool send = true;
        f.Dispatch([&] { send = f.ConfirmSend(archive); });
        EXPECT_FALSE(send);
        EXPECT_TRUE(v.sendQuestions.empty());
        EXPECT_EQ(f.KeptArchive, archive);
        EXPECT_EQ(v.statusLines.size(), 3u);
        EXPECT_EQ(FileText(dir / "WizardDebug.log"),
                  "Not sent: kept for review\r\nArchive kept: " + archive + "\r\n");
    }
}

TEST(SendDecision, CountsReadAsSentences) {
    EXPECT_EQ(Counted(0, "note"), "0 notes");
    EXPECT_EQ(Counted(1, "note"), "1 note");
    EXPECT_EQ(Counted(12, "note"), "12 notes");
    EXPECT_EQ(ReportCountsLine(Report(2, 1, 3)),
              "Migration report: 2 errors, 1 warning, 3 notes: "
              "/work/Acme_01022026_0930.report.html (/work/Acme_01022026_0930.report.json)");
    EXPECT_EQ(ReportCountsLine(Report(1, 0, 1)),
              "Migration report: 1 error, 0 warnings, 1 note: "
              "/work/Acme_01022026_0930.report.html (/work/Acme_01022026_0930.report.json)");
}

TEST(FileUrl, WindowsAndPosixPathsBecomeFileUrls) {
    struct Case {
        const char* path;
        const char* url;
    } const cases[] = {
        {"/tmp/r17/work/Acme.report.html", "file:///tmp/r17/work/Acme.report.html"},
        {"/tmp/Wren & Hollis/a#b?c%d.html", "file:///tmp/Wren%20%26%20Hollis/a%23b%3Fc%25d.html"},
        {"/tmp/back\\slash.html", "file:///tmp/back%5Cslash.html"},
        {"/tmp/caf\xc3\xa9.html", "file:///tmp/caf%C3%A9.html"},
        {"C:\\Users\\Jo\\Wren&HollisJoineryLtd_10122026_1859.report.html",
         "file:///C:/Users/Jo/Wren%26HollisJoineryLtd_10122026_1859.report.html"},
        {"c:/Program Files/Q/r.html", "file:///c:/Program%20Files/Q/r.html"},
        {"Z:\\tmp\\a;b=c.html", "file:///Z:/tmp/a%3Bb%3Dc.html"},
        {"\\\\server\\share\\dir\\r.html", "file://server/share/dir/r.html"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileUrl(c.path), c.url) << c.path;
    }
}

}  // namespace
}  // namespace quillmere
