// Reading the reply: the result element rule, the envelope checks, headers,
// faults and XML errors.
#include <gtest/gtest.h>

#include <string>

#include "service/ServiceErrors.h"
#include "service/SoapMessage.h"
#include "service/service1.h"

namespace quillmere {
namespace {

const TOperationDecl& SageFileOp() {
    return *VureDevuAPISoapDecl().FindOperation("SageFile");
}

const std::string EnvOpen =
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">";
const std::string EnvClose = "</soap:Envelope>";

std::string InBody(const std::string& content) {
    return EnvOpen + "<soap:Body>" + content + "</soap:Body>" + EnvClose;
}

enum class Outcome { Result, Parse, DomConvert, Remotable };

struct ReplyCase {
    const char* name;
    std::string body;
    Outcome outcome;
    std::string text;  // the result, or the error's message
};

void PrintTo(const ReplyCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadReplyTable : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReadReplyTable, GivesTheResultOrTheError) {
    const ReplyCase& c = GetParam();
    try {
        const std::string result = ReadReply(c.body, SageFileOp()).result;
        ASSERT_EQ(c.outcome, Outcome::Result) << "returned \"" << result << "\"";
        EXPECT_EQ(result, c.text);
    } catch (const EDOMParseError& e) {
        ASSERT_EQ(c.outcome, Outcome::Parse) << e.what();
        EXPECT_EQ(e.what(), c.text);
    } catch (const ESOAPDomConvertError& e) {
        ASSERT_EQ(c.outcome, Outcome::DomConvert) << e.what();
        EXPECT_EQ(e.what(), c.text);
    } catch (const ERemotableException& e) {
        ASSERT_EQ(c.outcome, Outcome::Remotable) << e.what();
        EXPECT_EQ(e.what(), c.text);
    }
}

const std::string ResultExpected = "SOAP Response Packet: result element expected, received ";
const std::string EnvelopeExpected =
    "DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, ";

INSTANTIATE_TEST_SUITE_P(
    SageFile, ReadReplyTable,
    ::testing::Values(
        ReplyCase{"SoleChildOfAnyName",
                  InBody("<Anything xmlns=\"VureDevu\"><Whatever>12345</Whatever></Anything>"),
                  Outcome::Result, "12345"},
        ReplyCase{"ReturnAmongTwo", InBody("<R><other>1</other><return>42</return></R>"),
                  Outcome::Result, "42"},
        ReplyCase{"ResultIgnoringCaseAmongThree",
                  InBody("<R><a>1</a><RESULT>7</RESULT><Return>8</Return></R>"), Outcome::Result,
                  "7"},
        ReplyCase{"TextAroundTheSoleChildIgnored",
                  InBody("<R>\n  <SageFileResult>99</SageFileResult>\n</R>"), Outcome::Result,
                  "99"},
        ReplyCase{"EntitiesAndNestedText", InBody("<R><x>A &amp; <b>B</b></x></R>"),
                  Outcome::Result, "A & B"},
        ReplyCase{"TwoChildrenNoneNamedResult", InBody("<R><a>1</a><b>2</b></R>"),
                  Outcome::DomConvert, ResultExpected + "\"<R><a>1</a><b>2</b></R>\""},
        // The reply element's text carries the namespace it inherits.
        ReplyCase{"NoChildren",
                  "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                  "xmlns:m=\"VureDevu\"><soap:Body><m:SageFileResponse/></soap:Body>" +
                      EnvClose,
                  Outcome::DomConvert,
                  ResultExpected + "\"<m:SageFileResponse xmlns:m=\"VureDevu\"/>\""},
        ReplyCase{"EmptyBody", InBody(""), Outcome::Result, ""},
        ReplyCase{"BodyOfWhitespaceOnly", InBody("\r\n  "), Outcome::Result, ""},
        ReplyCase{"EmptyResult", InBody("<R><SageFileResult/></R>"), Outcome::Result, ""},
        ReplyCase{"HeaderThenBody",
                  EnvOpen +
                      "<soap:Header><Info>x</Info></soap:Header><soap:Body><R><r>5</r></R>"
                      "</soap:Body>" +
                      EnvClose,
                  Outcome::Result, "5"},
        ReplyCase{"OtherPrefixAndLatin1",
                  "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
                  "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\"><e:Body>"
                  "<R><r>\xA3"
                  "5</r></R></e:Body></e:Envelope>",
                  Outcome::Result,
                  "\xC2\xA3"
                  "5"},
        ReplyCase{"Soap12Envelope",
                  "<env:Envelope xmlns:env=\"http://www.w3.org/2003/05/soap-envelope\">"
                  "<env:Body><R><r>1</r></R></env:Body></env:Envelope>",
                  Outcome::DomConvert,
                  EnvelopeExpected + "http://www.w3.org/2003/05/soap-envelope:Envelope found"},
        ReplyCase{"NoEnvelopeAtAll", "<html><body>Hello</body></html>", Outcome::DomConvert,
                  EnvelopeExpected + ":html found"},
        ReplyCase{"EnvelopeWithoutChildren", EnvOpen + EnvClose, Outcome::DomConvert,
                  "Invalid SOAP request"},
        ReplyCase{"EnvelopeWithoutBody",
                  EnvOpen + "<soap:Header><Info>x</Info></soap:Header>" + EnvClose,
                  Outcome::DomConvert, "Invalid SOAP response"},
        ReplyCase{"TwoBodies",
                  EnvOpen + "<soap:Body><R><r>1</r></R></soap:Body><soap:Body/>" + EnvClose,
                  Outcome::DomConvert, "Invalid SOAP response"},
        ReplyCase{"TwoHeaders", EnvOpen + "<soap:Header/><soap:Header/><soap:Body/>" + EnvClose,
                  Outcome::DomConvert, "Invalid SOAP response"},
        ReplyCase{"MustUnderstandOne",
                  EnvOpen +
                      "<soap:Header><a:Auth xmlns:a=\"urn:a\" soap:mustUnderstand=\"1\"/>"
                      "</soap:Header><soap:Body><R><r>1</r></R></soap:Body>" +
                      EnvClose,
                  Outcome::Remotable,
                  "Soap header Auth with attribute 'mustUnderstand' set to true was not handled"},
        ReplyCase{"MustUnderstandTrueWithoutPrefix",
                  EnvOpen +
                      "<soap:Header><Session mustUnderstand=\"TRUE\"/></soap:Header>"
                      "<soap:Body><R><r>1</r></R></soap:Body>" +
                      EnvClose,
                  Outcome::Remotable,
                  "Soap header Session with attribute 'mustUnderstand' set to true was not "
                  "handled"},
        ReplyCase{"MustUnderstandZeroIgnored",
                  EnvOpen +
                      "<soap:Header><Session soap:mustUnderstand=\"0\"/></soap:Header>"
                      "<soap:Body><R><r>3</r></R></soap:Body>" +
                      EnvClose,
                  Outcome::Result, "3"},
        ReplyCase{"Fault",
                  InBody("<soap:Fault><faultcode>soap:Server</faultcode>"
                         "<faultstring>Import failed</faultstring></soap:Fault>"),
                  Outcome::Remotable, "Import failed"},
        ReplyCase{"FaultNamesIgnoringCase",
                  InBody("<Fault><FaultString>Upper case</FaultString></Fault>"),
                  Outcome::Remotable, "Upper case"},
        ReplyCase{"FaultWithoutString", InBody("<soap:Fault><faultcode>x</faultcode></soap:Fault>"),
                  Outcome::Remotable, ""},
        ReplyCase{"Malformed", InBody("<R><r>1</R>"), Outcome::Parse,
                  "Opening and ending tag mismatch: r line 1 and R"},
        ReplyCase{"UndeclaredPrefix", InBody("<x:R><r>1</r></x:R>"), Outcome::Parse,
                  "Namespace prefix x on R is not defined"},
        ReplyCase{"NotXml", "Service Unavailable", Outcome::Parse,
                  "Start tag expected, '<' not found"},
        ReplyCase{"EmptyReply", "", Outcome::Parse, "Document is empty"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadReplyFault, CarriesCodeActorAndDetail) {
    const std::string body = InBody(
        "<soap:Fault><faultcode>soap:Client</faultcode><faultstring>Bad file</faultstring>"
        "<faultactor>https://service/api</faultactor>"
        "<detail><soap:Reason>zip</soap:Reason></detail></soap:Fault>");
    try {
        ReadReply(body, SageFileOp());
        FAIL() << "no fault raised";
    } catch (const ERemotableException& e) {
        EXPECT_STREQ(e.what(), "Bad file");
        EXPECT_EQ(e.FaultCode(), "soap:Client");
        EXPECT_EQ(e.FaultActor(), "https://service/api");
        EXPECT_EQ(e.FaultDetail(),
                  "<detail xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
                  "<soap:Reason>zip</soap:Reason></detail>");
    }
}

TEST(ReadReplyFault, MustUnderstandCarriesItsFaultCode) {
    const std::string body = EnvOpen +
                             "<soap:Header><T soap:mustUnderstand=\"true\"/></soap:Header>"
                             "<soap:Body/>" +
                             EnvClose;
    try {
        ReadReply(body, SageFileOp());
        FAIL() << "no error raised";
    } catch (const ERemotableException& e) {
        EXPECT_EQ(e.FaultCode(), "MustUnderstand");
    }
}

TEST(ReadReplyParse, AnEmptyReplyAfterAMalformedOneReportsItsOwnError) {
    // The parser keeps its last error; an empty input sets none.
    EXPECT_THROW(ReadReply("<a><b></a>", SageFileOp()), EDOMParseError);
    try {
        ReadReply("", SageFileOp());
        FAIL() << "no error raised";
    } catch (const EDOMParseError& e) {
        EXPECT_STREQ(e.what(), "Document is empty");
    }
}

TEST(ReadReplyOutputs, FilledByExactLocalNameFirstElementOnly) {
    const TOperationDecl& op = *VureDevuAPISoapDecl().FindOperation("GetInvoice");
    const SoapReply reply =
        ReadReply(InBody("<GetInvoiceResponse xmlns=\"VureDevu\"><status>lower</status>"
                         "<GetInvoiceResult><InvoiceDBID>9</InvoiceDBID></GetInvoiceResult>"
                         "<Status>OK</Status><Status>second</Status></GetInvoiceResponse>"),
                  op);
    ASSERT_NE(reply.Output("GetInvoiceResult"), nullptr);
    EXPECT_EQ(reply.Output("GetInvoiceResult")->xml,
              "<GetInvoiceResult xmlns=\"VureDevu\"><InvoiceDBID>9</InvoiceDBID>"
              "</GetInvoiceResult>");
    ASSERT_NE(reply.Output("Status"), nullptr);
    EXPECT_EQ(reply.Output("Status")->text, "OK");
    EXPECT_EQ(reply.Output("StatusDetail"), nullptr);
}

}  // namespace
}  // namespace quillmere
