// Company selection from a Sage home directory laid out on disk.
#include <gtest/gtest.h>

#include "app/ufMain.h"
#include "platform/Files.h"
#include "sage/TSageObject.h"
#include "support/FakeSystem.h"
#include "support/FakeView.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

using test::FakeView;
using test::TempDir;

std::string SetupDta(const std::string& name) {
    return "\x01\x02\x03" + name + std::string(60 - name.size(), ' ') + "more data";
}

class CompanySelection : public ::testing::Test {
  protected:
    TempDir dir;
    FakeView view;
    TSageObject sage{17};
    std::string name = "previous";
    std::string path = "previous path";

    // A company directory with its SETUP.DTA; returns the directory.
    std::string company(const std::string& relative, const std::string& companyName) {
        dir.write(relative + "/ACCDATA/SETUP.DTA", SetupDta(companyName));
        return dir / relative;
    }
    void companyList(const std::string& text) {
        dir.write("home/COMPANY", text);
        sage.HomeDir = dir / "home";
    }
    void select() { sage.SelectCompany(view, name, path); }
};

TEST_F(CompanySelection, OneCompanyAmongBlankLinesIsTakenWithoutTheDialog) {
    const std::string co = company("Sage Data/Co 1", "Acme Ltd");
    companyList("\r\n \t\r\n  " + co + "  \r\n\r\n   \n");
    select();
    EXPECT_EQ(name, "Acme Ltd");
    EXPECT_EQ(path, co + test::NativePath("/ACCDATA"));
    EXPECT_TRUE(view.companyChoices.empty());
}

TEST_F(CompanySelection, SeveralCompaniesGoThroughTheChooserAndKeepTheExactPath) {
    const std::string a = company("co_a", "Alpha");
    const std::string b = company("My Sage/co_b", "Beta \xA3 Ltd");
    companyList(a + "\r\n" + b + "\r\n");
    view.companyAnswers.push_back(2);
    select();
    ASSERT_EQ(view.companyChoices.size(), 1u);
    const auto shown = view.companyChoices[0];
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], std::make_pair(std::string("Alpha"), a + test::NativePath("/ACCDATA")));
    std::string underscored = b + test::NativePath("/ACCDATA");
    for (char& c : underscored) {
        c = c == ' ' ? '_' : c;
    }
    EXPECT_EQ(shown[1].second, underscored);
    EXPECT_EQ(name, "Beta \xC2\xA3 Ltd");  // Windows-1252 from the file, UTF-8 on screen
    // The "_" of the directory name stays and the blank comes back as it is.
    EXPECT_EQ(path, b + test::NativePath("/ACCDATA"));
}

TEST_F(CompanySelection, OutcomesOfTheChooser) {
    const std::string a = company("a", "Alpha");
    const std::string b = company("b", "Beta");
    companyList(a + "\n" + b + "\n");
    struct {
        std::optional<int> answer;
        std::string name;
        std::string path;
    } const cases[] = {
        {std::nullopt, "previous", ""},  // cancelled: name kept, path empty
        {1, "Alpha", a + test::NativePath("/ACCDATA")},
        {4, "", ""},  // an empty row of the grid
    };
    for (const auto& c : cases) {
        name = "previous";
        path = "previous path";
        view.companyAnswers.push_back(c.answer);
        select();
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(path, c.path);
    }
}

TEST_F(CompanySelection, AListWithoutCompaniesShowsAnEmptyChooser) {
    companyList("\r\n   \r\n");
    view.companyAnswers.push_back(1);
    select();
    ASSERT_EQ(view.companyChoices.size(), 1u);
    EXPECT_TRUE(view.companyChoices[0].empty());
    EXPECT_EQ(name, "");
    EXPECT_EQ(path, "");
}

TEST_F(CompanySelection, AMissingListGivesTheThreeLineMessage) {
    sage.HomeDir = dir.mkdir("empty home");
    select();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              "Unable to locate the directory where Sage has been installed\r"
              "You will now be able to select where Sage is installed\r"
              "This is typically C:\\Program Files\\Sage\\Accounts");
    EXPECT_EQ(view.messages[0].type, MsgType::Error);
    EXPECT_EQ(name, "previous");
    EXPECT_EQ(path, "");

    view.messages.clear();
    sage.HomeDir.clear();
    path = "previous path";
    select();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(path, "");
}

TEST_F(CompanySelection, TheListIsFoundWithOrWithoutATrailingSeparatorAndInAnyCase) {
    const std::string co = company("c", "Gamma");
    dir.write("home/company", co + "\r\n");
    for (const std::string& home : {dir / "home", dir / "home/"}) {
        sage.HomeDir = home;
        select();
        EXPECT_EQ(name, "Gamma") << home;
    }
    // SETUP.DTA and ACCDATA named in another case are found too.
    dir.write("d/accdata/setup.dta", SetupDta("Delta"));
    dir.write("home/company", (dir / "d") + "\r\n");
    select();
    EXPECT_EQ(name, "Delta");
    EXPECT_EQ(path, (dir / "d") + test::NativePath("/accdata"));
}

TEST(CompanyName, IsTheTrimmedSixtyBytesFromOffsetThree) {
    struct {
        std::string bytes;
        std::string name;
    } const cases[] = {
        {"abcAcme Ltd" + std::string(52, ' '), "Acme Ltd"},
        {"abcAcme Ltd" + std::string(52, '\0') + "xyz", "Acme Ltd"},
        {"abc  \tAcme Ltd", "Acme Ltd"},  // a short file: what could be read
        {"ab", ""},                       // shorter than the offset
        {"abc" + std::string(60, 'N') + "TAIL", std::string(60, 'N')},
        {"abcCaf\xE9 \x80uro", "Caf\xC3\xA9 \xE2\x82\xACuro"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        EXPECT_EQ(ReadCompanyName(dir.write("SETUP.DTA", c.bytes)), c.name);
    }
    EXPECT_THROW(ReadCompanyName(dir / "missing/SETUP.DTA"), EInOutError);
}

TEST(CompanySelectButton, AMissingSetupFileIsReportedAndChangesNothing) {
    TempDir dir;
    test::FakeSystem system(dir.path() + "/");
    FakeView view;
    TfrmMain form(view, system);
    form.LogFileName = dir / "WizardDebug.log";
    form.SageObj = std::make_unique<TSageObject>(17);
    form.SageObj->HomeDir = dir / "home";
    dir.mkdir("nosetup/ACCDATA");
    dir.write("home/COMPANY", (dir / "nosetup") + "\r\n");
    form.CompanyName = "Old";
    form.CompanyPath = "/old/ACCDATA";

    form.Dispatch(&TfrmMain::txtCompanySelectOldClickBtn);
    // The company is named with the reason, and with none left nothing changes.
    const std::string setup = dir / "nosetup/ACCDATA/SETUP.DTA";
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              "These companies of the company list " + (dir / "home/COMPANY") +
                  " cannot be read and are left out:\n" + setup + ": File not found");
    const std::string error =
        "No company of the company list " + (dir / "home/COMPANY") + " can be read";
    EXPECT_EQ(view.errorReports, std::vector<std::string>{error + "."});
    EXPECT_EQ(form.CompanyName, "Old");
    EXPECT_EQ(form.CompanyPath, "/old/ACCDATA");
    EXPECT_EQ(test::FileText(form.LogFileName),
              "Start company selection\r\nCompany left out: " + setup +
                  ": File not found\r\nFailed: " + error + "\r\n");
}

TEST(CompanySelectButton, CancelOnFirstUseEmptiesTheCompanyField) {
    TempDir dir;
    test::FakeSystem system(dir.path() + "/");
    FakeView view;
    TfrmMain form(view, system);
    form.LogFileName = dir / "WizardDebug.log";
    form.SageObj = std::make_unique<TSageObject>(17);
    form.SageObj->HomeDir = dir / "home";
    dir.write("a/ACCDATA/SETUP.DTA", SetupDta("A"));
    dir.write("b/ACCDATA/SETUP.DTA", SetupDta("B"));
    dir.write("home/COMPANY", (dir / "a") + "\n" + (dir / "b") + "\n");

    form.Dispatch(&TfrmMain::txtCompanySelectOldClickBtn);
    EXPECT_EQ(view.text("txtCompanySelect"), "");
    EXPECT_EQ(form.CompanyPath, "");
}

}  // namespace
}  // namespace quillmere
