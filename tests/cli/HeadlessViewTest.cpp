// The view of unattended runs: what reaches standard output and standard
// error, the progress bar, and the choosers answered from the options.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "platform/Exceptions.h"
#include "ui/console/HeadlessView.h"

namespace quillmere {
namespace {

class Headless : public ::testing::Test {
  protected:
    std::ostringstream out;
    std::ostringstream err;
    HeadlessView view{out, err, false};
};

TEST_F(Headless, MessageBoxesGoToStandardErrorWithTheirTypeAndLineBreaks) {
    struct Case {
        MsgType type;
        std::string text;
        std::string shown;
    } cases[] = {
        {MsgType::Error, "Must Connect to Sage first", "Error: Must Connect to Sage first\n"},
        {MsgType::Warning, "No Directory Selected!", "Warning: No Directory Selected!\n"},
        {MsgType::Information, "Sage Home Directory has now been located",
         "Information: Sage Home Directory has now been located\n"},
        {MsgType::Error, "An error occurred logging in\r\nPlease check",
         "Error: An error occurred logging in\nPlease check\n"},
        {MsgType::Error, "one\rtwo\rthree", "Error: one\ntwo\nthree\n"},
        {MsgType::Error, "a\nb\r\n\r\nc", "Error: a\nb\n\nc\n"},
    };
    for (const Case& c : cases) {
        err.str("");
        EXPECT_EQ(view.messageBox(c.text, c.type, MsgButtons::OK), MsgResult::OK);
        EXPECT_EQ(err.str(), c.shown);
    }
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(view.errorsShown(), 4);

    err.str("");
    view.errorReport("Export Wizard for Sage Line 50", "File access denied.");
    EXPECT_EQ(err.str(), "Error: File access denied.\n");
    EXPECT_EQ(view.errorsShown(), 5);
}

TEST_F(Headless, TheCancelQuestionIsAnsweredNo) {
    EXPECT_EQ(view.messageBox("Are you sure you wish to cancel?", MsgType::Confirmation,
                              MsgButtons::YesNo),
              MsgResult::No);
    EXPECT_EQ(err.str(), "Confirm: Are you sure you wish to cancel?\n");
    EXPECT_EQ(view.errorsShown(), 0);
}

TEST_F(Headless, StatusLinesGoToStandardOutputAsTheyCome) {
    view.addStatusLine("Getting sales ledger codes....");
    EXPECT_EQ(out.str(), "Getting sales ledger codes....\n");
    view.addStatusLine("Found 41 items.");
    EXPECT_EQ(out.str(), "Getting sales ledger codes....\nFound 41 items.\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(Headless, ControlsKeepTheirStateAndStartAsTheWindowsDo) {
    EXPECT_FALSE(view.isVisible("txtURL"));
    EXPECT_FALSE(view.isEnabled("cmdFinish"));
    EXPECT_TRUE(view.isEnabled("cmdNext"));
    EXPECT_EQ(view.text("txtCompanySelect"), "Please click '...' button to select company");
    view.setVisible("txtURL", true);
    view.setText("txtURL", "https://example/processSageImport.asp?id=1");
    EXPECT_TRUE(view.isVisible("txtURL"));
    EXPECT_EQ(view.text("txtURL"), "https://example/processSageImport.asp?id=1");
    EXPECT_EQ(view.versionText(), "");  // nothing chosen
    view.version = 11;
    view.versionEntry = "Sage 50 / Instant 2012";
    EXPECT_EQ(view.versionText(), "Sage 50 / Instant 2012");
}

TEST(HeadlessProgress, NoBarUnlessStandardErrorIsATerminal) {
    std::ostringstream out, err;
    HeadlessView view(out, err, false);
    view.setProgressMax(1000);
    view.setProgressPosition(200);
    view.addStatusLine("Found 3 items.");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), "Found 3 items.\n");
}

TEST(HeadlessProgress, TheBarIsDrawnOnChangeAndClearedBeforeAnyLine) {
    std::ostringstream out, err;
    HeadlessView view(out, err, true);
    const std::string blank = "\r" + std::string(48, ' ') + "\r";
    view.setProgressMax(1000);
    EXPECT_EQ(err.str(), "\r[" + std::string(40, ' ') + "] 0%");
    err.str("");
    view.setProgressPosition(500);
    EXPECT_EQ(err.str(), "\r[" + std::string(20, '#') + std::string(20, ' ') + "] 50%");
    err.str("");
    view.setProgressPosition(504);  // still 50%: nothing drawn
    EXPECT_EQ(err.str(), "");

    view.addStatusLine("Found 1001 items.");
    EXPECT_EQ(err.str(), blank);
    EXPECT_EQ(out.str(), "Found 1001 items.\n");
    err.str("");
    view.setProgressPosition(504);  // drawn again after the line
    EXPECT_EQ(err.str(), "\r[" + std::string(20, '#') + std::string(20, ' ') + "] 50%");
    err.str("");
    view.messageBox("Unable to send file", MsgType::Error, MsgButtons::OK);
    EXPECT_EQ(err.str(), blank + "Error: Unable to send file\n");

    // Out of range: no division by zero, no bar beyond its end.
    err.str("");
    view.setProgressMax(0);
    EXPECT_EQ(err.str(), "\r[" + std::string(40, ' ') + "] 0%");
    err.str("");
    view.setProgressMax(10);
    view.setProgressPosition(2'000'000'000);
    EXPECT_EQ(err.str(), "\r[" + std::string(40, '#') + "] 100%");
    err.str("");
    view.closeWindow();
    EXPECT_EQ(err.str(), blank);
}

// The waiting line as the page flow sets it: about once a second while a
// driver call lasts, then the empty text.
std::string Waiting(int seconds) {
    return "Waiting for the Sage ODBC driver (reading Sales Ledger Transactions): " +
           std::to_string(seconds) + " s";
}

TEST(HeadlessWaiting, OnATerminalOneLineIsRewrittenInPlaceAndEndedWhenTheWaitEnds) {
    std::ostringstream out, err;
    HeadlessView view(out, err, true);
    view.setWaitingText(Waiting(3));
    EXPECT_EQ(err.str(), "\r" + Waiting(3));
    err.str("");
    view.setWaitingText(Waiting(4));
    EXPECT_EQ(err.str(), "\r" + Waiting(4));
    err.str("");
    // The last figure stays, on a line of its own.
    view.setWaitingText("");
    EXPECT_EQ(err.str(), "\n");
    err.str("");
    view.setWaitingText("");  // nothing shown: nothing to end
    EXPECT_EQ(err.str(), "");

    // A shorter text blanks what the longer one left.
    view.setWaitingText("Waiting: 10 s");
    err.str("");
    view.setWaitingText("Waiting: 9 s");
    EXPECT_EQ(err.str(), "\rWaiting: 9 s ");
    err.str("");
    // Names from the company's files cannot drive the terminal.
    view.setWaitingText("Waiting (reading \x1b[2J): 11 s");
    EXPECT_EQ(err.str(), "\rWaiting (reading \\x1B[2J): 11 s");
    EXPECT_EQ(out.str(), "");
}

TEST(HeadlessWaiting, OnATerminalTheWaitingLineTakesTheProgressBarsPlaceAndGivesItBack) {
    std::ostringstream out, err;
    HeadlessView view(out, err, true);
    const std::string blankBar = "\r" + std::string(48, ' ') + "\r";
    view.setProgressMax(1000);
    view.setProgressPosition(500);
    err.str("");

    view.setWaitingText(Waiting(3));
    EXPECT_EQ(err.str(), blankBar + "\r" + Waiting(3));
    err.str("");
    view.setProgressPosition(700);  // not drawn over the waiting line
    EXPECT_EQ(err.str(), "");

    // A line of the run in the middle of a wait: the waiting line makes way
    // and is back at its next second.
    view.addStatusLine("Found 41 items.");
    const std::string blankWaiting = "\r" + std::string(Waiting(3).size(), ' ') + "\r";
    EXPECT_EQ(err.str(), blankWaiting);
    EXPECT_EQ(out.str(), "Found 41 items.\n");
    err.str("");
    view.setWaitingText(Waiting(4));
    EXPECT_EQ(err.str(), "\r" + Waiting(4));
    err.str("");
    view.messageBox("Unable to send file", MsgType::Error, MsgButtons::OK);
    EXPECT_EQ(err.str(), blankWaiting + "Error: Unable to send file\n");
    err.str("");

    view.setWaitingText(Waiting(5));
    view.setWaitingText("");
    err.str("");
    view.setProgressPosition(700);  // the bar is back once the wait is over
    EXPECT_EQ(err.str(), "\r[" + std::string(28, '#') + std::string(12, ' ') + "] 70%");
}

TEST(HeadlessWaiting, OffATerminalALineIsWrittenAtMostEveryFiveSecondsOfWaiting) {
    std::ostringstream out, err;
    HeadlessView view(out, err, false);
    auto now = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    view.clock = [&now] { return now; };
    const auto wait = [&](int from, int to) {
        for (int s = from; s <= to; ++s) {
            now += std::chrono::seconds(1);
            view.setWaitingText(Waiting(s));
        }
    };
    // Seconds 3 to 14: written at 3, 8 and 13, not at every second.
    wait(3, 14);
    EXPECT_EQ(err.str(), Waiting(3) + "\n" + Waiting(8) + "\n" + Waiting(13) + "\n");
    err.str("");
    view.setWaitingText("");
    EXPECT_EQ(err.str(), "");
    // A new wait writes its first line at once, whenever the last one was.
    wait(3, 4);
    EXPECT_EQ(err.str(), Waiting(3) + "\n");
    EXPECT_EQ(out.str(), "");
    // Off a terminal nothing is drawn in place, before or after a wait.
    err.str("");
    view.setWaitingText("");
    view.setProgressPosition(50);
    view.addStatusLine("Found 3 items.");
    EXPECT_EQ(err.str(), "");
}

TEST_F(Headless, APumpAfterAnInterruptClosesOnce) {
    bool pending = false;
    int closes = 0;
    view.interruptPending = [&] { return pending; };
    view.onClose = [&] { ++closes; };
    view.processMessages();
    EXPECT_EQ(closes, 0);
    pending = true;
    view.processMessages();
    view.processMessages();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(view.closedByInterrupt());
}

using Rows = std::vector<std::pair<std::string, std::string>>;
const Rows ThreeCompanies = {{"Acme Ltd", "/s/Acme/ACCDATA"},
                             {"Acme Ltd (old)", "/s/Old/ACCDATA"},
                             {"Bolt & Nut", "/s/Bolt/ACCDATA"}};

TEST_F(Headless, TheCompanyChooserAnswersByName) {
    view.company = "Acme Ltd (old)";
    EXPECT_EQ(view.chooseCompany(ThreeCompanies), 2);  // grid rows count from 1
    view.company = "Bolt & Nut";
    EXPECT_EQ(view.chooseCompany(ThreeCompanies), 3);
    EXPECT_FALSE(view.unanswered());
    EXPECT_EQ(err.str(), "");
}

TEST_F(Headless, AnEmptyListWithoutANameIsACancelledChooser) {
    EXPECT_EQ(view.chooseCompany({}), std::nullopt);
    EXPECT_FALSE(view.unanswered());
}

TEST_F(Headless, CompanyChoicesTheOptionsDoNotAnswerEndTheHandlerSilently) {
    struct Case {
        std::optional<std::string> company;
        Rows rows;
        std::string why;
    } cases[] = {
        {std::nullopt, ThreeCompanies,
         "the Sage home directory lists 3 companies; choose one with --company: \"Acme Ltd\", "
         "\"Acme Ltd (old)\", \"Bolt & Nut\""},
        {"acme ltd", ThreeCompanies,
         "--company: no company is named \"acme ltd\"; the companies are \"Acme Ltd\", \"Acme "
         "Ltd (old)\", \"Bolt & Nut\""},
        {"Acme", {}, "--company: no company is named \"Acme\"; the company list names none"},
    };
    for (const Case& c : cases) {
        std::ostringstream o, e;
        HeadlessView v(o, e, false);
        v.company = c.company;
        EXPECT_THROW(v.chooseCompany(c.rows), EAbort);
        EXPECT_EQ(v.unanswered(), c.why);
        EXPECT_EQ(e.str(), "");  // the front end reports it
    }
}

TEST_F(Headless, TheChartChooserAnswersByNumber) {
    const std::vector<std::string> items = {"1 - Standard", " 2  - Charity", "10 - Ten-Year"};
    view.chart = 2;
    EXPECT_EQ(view.chooseChart(items), 1);
    view.chart = 10;
    EXPECT_EQ(view.chooseChart(items), 2);

    view.chart = 3;
    EXPECT_THROW(view.chooseChart(items), EAbort);
    EXPECT_EQ(view.unanswered(),
              "--chart: the company has no chart 3; its charts are \"1 - Standard\", \" 2  - "
              "Charity\", \"10 - Ten-Year\"");

    std::ostringstream o, e;
    HeadlessView unset(o, e, false);
    EXPECT_THROW(unset.chooseChart(items), EAbort);
    EXPECT_EQ(unset.unanswered(),
              "the company has 3 charts of accounts; choose one with --chart: \"1 - Standard\", "
              "\" 2  - Charity\", \"10 - Ten-Year\"");
}

TEST_F(Headless, BrowsePicksTheHomeOptionAndCancelsWithoutIt) {
    EXPECT_EQ(view.browseForFolder("prompt", "/start"), std::nullopt);
    view.folder = "/srv/sage";
    EXPECT_EQ(view.browseForFolder("prompt", "/start"), "/srv/sage");
}

}  // namespace
}  // namespace quillmere
