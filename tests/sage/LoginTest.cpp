// Login against the stand-in data source, through TSageObject and through
// the login page's handlers.
#include <gtest/gtest.h>

#include "SageHarness.h"
#include "app/ufMain.h"
#include "platform/odbc/OdbcQuery.h"
#include "support/FakeSystem.h"
#include "support/FakeView.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

using test::FakeSystem;
using test::FakeView;
using test::FileText;
using test::TempDir;

TEST(SageLogin, OpensWithTheRightPasswordAndFailsWithTheDriversTextOtherwise) {
    TSageObject sage(17);
    EXPECT_TRUE(sage.Login("/some/company/ACCDATA", test::SageUser, test::SagePassword));
    EXPECT_TRUE(sage.Connection.Connected());
    try {
        sage.Login("/some/company/ACCDATA", test::SageUser, "wrong");
        FAIL() << "a wrong password logged in";
    } catch (const odbc::EOdbcError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("password authentication failed"), std::string::npos) << text;
        EXPECT_NE(text.back(), '\n');
        EXPECT_EQ(e.sqlState(), "08001");
    }
    EXPECT_FALSE(sage.Connection.Connected());
}

TEST(SageLogin, EveryVersionOfTheListReachesItsOwnDataSource) {
    // The first and last of the original list and of the later versions.
    for (int version : {7, 22, 23, 32}) {
        TSageObject sage(version);
        EXPECT_TRUE(sage.Login("/some/company/ACCDATA", test::SageUser, test::SagePassword))
            << version;
    }
    TSageObject beyond(33);
    EXPECT_THROW(beyond.Login("/x/ACCDATA", test::SageUser, test::SagePassword), odbc::EOdbcError);
}

TEST(SageLogin, APasswordHoldingSemicolonBracesAndAQuoteArrivesWhole) {
    TSageObject sage(9);
    EXPECT_TRUE(sage.Login("/a;b/{c}/ACCDATA", test::OddUser, test::OddPassword));
    // Unbraced, the ";" would end the password and the rest would be taken
    // as attributes of its own.
    EXPECT_THROW(sage.Login("/x/ACCDATA", test::OddUser, "pa;ss"), odbc::EOdbcError);
}

TEST(SageLogin, AnUnknownDataSourceFailsWithTheDriverManagersText) {
    TSageObject sage(6);  // there is no SageLine50v6
    try {
        sage.Login("/x/ACCDATA", test::SageUser, test::SagePassword);
        FAIL();
    } catch (const odbc::EOdbcError& e) {
        EXPECT_EQ(e.sqlState(), "IM002");
        EXPECT_NE(std::string(e.what()).find("Data source name not found"), std::string::npos);
    }
    EXPECT_FALSE(sage.Connection.Connected());
}

TEST(SageLogin, TheConnectionCannotWriteToTheBooks) {
    auto sage = test::LoggedInSage();
    for (const char* sql : {"INSERT INTO currency VALUES (99, 'XXX', 'Test')",
                            "UPDATE currency SET name = 'x'", "DELETE FROM currency"}) {
        odbc::Query query(sage->Connection);
        query.SetSql(sql);
        EXPECT_THROW(query.Open(), Exception) << sql;
    }
    odbc::Query check(sage->Connection);
    check.SetSql("SELECT COUNT(*) AS n FROM currency WHERE name <> 'x'");
    check.Open();
    EXPECT_EQ(check.AsInteger(0), 3);  // GBP, EUR, USD untouched
}

// The login page's "..." and "Login..." with a company laid out on disk.
class LoginPage : public ::testing::Test {
  protected:
    TempDir dir;
    FakeSystem system{dir.path() + "/"};
    FakeView view;
    TfrmMain form{view, system};

    void SetUp() override {
        form.LogFileName = dir / "WizardDebug.log";
        form.SageObj = std::make_unique<TSageObject>(17);
        form.SageObj->HomeDir = dir / "home";
        dir.write("home/COMPANY", "\r\n" + (dir / "My Sage/Co 1") + "  \r\n   \r\n");
        dir.write("My Sage/Co 1/ACCDATA/SETUP.DTA", "abcAcme Ltd" + std::string(52, ' ') + "tail");
    }
    std::string log() { return FileText(form.LogFileName); }
    void typeLogin(const std::string& user, const std::string& password) {
        view.setText("txtUserID", user);
        view.setText("txtPassword", password);
    }
    void click(void (TfrmMain::*handler)()) { form.Dispatch(handler); }
};

TEST_F(LoginPage, SelectsTheOneCompanyAndLogsIn) {
    click(&TfrmMain::txtCompanySelectOldClickBtn);
    EXPECT_EQ(form.CompanyName, "Acme Ltd");
    EXPECT_EQ(form.CompanyPath, dir / "My Sage/Co 1/ACCDATA");
    EXPECT_EQ(view.text("txtCompanySelect"), "Acme Ltd");
    EXPECT_TRUE(view.companyChoices.empty());

    typeLogin(test::SageUser, test::SagePassword);
    click(&TfrmMain::cmdLoginClick);
    EXPECT_TRUE(form.LoggedIn);
    EXPECT_TRUE(view.isVisible("lblStatus"));
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(log(), "Start company selection\r\nAttempting Login\r\nLogin Successful\r\n");
}

TEST_F(LoginPage, AWrongPasswordAfterASuccessClosesTheConnectionAndRefusesNext) {
    click(&TfrmMain::txtCompanySelectOldClickBtn);
    typeLogin(test::SageUser, test::SagePassword);
    click(&TfrmMain::cmdLoginClick);
    ASSERT_TRUE(form.LoggedIn);

    typeLogin(test::SageUser, "letmeout");
    click(&TfrmMain::cmdLoginClick);
    EXPECT_FALSE(form.LoggedIn);
    EXPECT_FALSE(form.SageObj->Connection.Connected());
    ASSERT_EQ(view.messages.size(), 1u);
    // The one login message, then the driver's diagnostic.
    const std::string message =
        "An error occurred logging in\r\nPlease check you entered the user name and "
        "password correctly\r\n\r\n";
    EXPECT_EQ(view.messages[0].text.rfind(message, 0), 0u) << view.messages[0].text;
    EXPECT_NE(view.messages[0].text.find("password authentication failed"), std::string::npos)
        << view.messages[0].text;
    EXPECT_EQ(view.messages[0].type, MsgType::Error);
    EXPECT_TRUE(view.errorReports.empty());
    const std::string start =
        "Start company selection\r\nAttempting Login\r\nLogin Successful\r\n"
        "Attempting Login\r\nFailed: Login: ";
    EXPECT_EQ(log().rfind(start, 0), 0u) << log();

    view.page = tabLogin;
    click(&TfrmMain::cmdNextClick);
    EXPECT_EQ(view.page, tabLogin);
    EXPECT_EQ(view.messages.back().text, "Must Connect to Sage first");
}

TEST_F(LoginPage, NoCompanyAfterASuccessKeepsTheConnectionAndLogsSuccessAgain) {
    click(&TfrmMain::txtCompanySelectOldClickBtn);
    typeLogin(test::SageUser, test::SagePassword);
    click(&TfrmMain::cmdLoginClick);
    ASSERT_TRUE(form.LoggedIn);

    form.CompanyPath.clear();
    click(&TfrmMain::cmdLoginClick);
    EXPECT_TRUE(form.LoggedIn);
    EXPECT_TRUE(form.SageObj->Connection.Connected());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "No Company Selected");
    EXPECT_EQ(log(),
              "Start company selection\r\nAttempting Login\r\nLogin Successful\r\n"
              "Login attempted with no company selected\r\nLogin Successful\r\n");
}

TEST_F(LoginPage, NoCompanyBeforeAnyLoginOnlyComplains) {
    typeLogin(test::SageUser, test::SagePassword);
    click(&TfrmMain::cmdLoginClick);
    EXPECT_FALSE(form.LoggedIn);
    EXPECT_FALSE(form.SageObj->Connection.Connected());
    EXPECT_FALSE(view.isVisible("lblStatus"));
    EXPECT_EQ(log(), "Login attempted with no company selected\r\n");
}

TEST_F(LoginPage, AMissingDataSourceIsNamedWithTheSageOnesThatAreThere) {
    // No password would help: the message names the data source the
    // version needs and lists those of this computer (the stand-in's).
    form.SageObj = std::make_unique<TSageObject>(33);
    form.SageObj->HomeDir = dir / "home";
    click(&TfrmMain::txtCompanySelectOldClickBtn);
    typeLogin(test::SageUser, test::SagePassword);
    click(&TfrmMain::cmdLoginClick);
    EXPECT_FALSE(form.LoggedIn);
    ASSERT_EQ(view.messages.size(), 1u);
    const std::string& text = view.messages[0].text;
    EXPECT_EQ(text.rfind("An error occurred logging in\r\nThe ODBC data source SageLine50v33 is "
                         "not set up on this computer.\r\nThe Sage data sources here are "
                         "SageLine50v7, SageLine50v8, ",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find(", SageLine50v32.\r\nChoose \"Version 7\" or \"Version 8\" or "),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("password"), std::string::npos) << text;
    EXPECT_EQ(view.messages[0].type, MsgType::Error);
    EXPECT_EQ(log().find("Login Successful"), std::string::npos);
}

}  // namespace
}  // namespace quillmere
