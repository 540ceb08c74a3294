// The request body of SageFile, byte for byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "service/SoapMessage.h"
#include "service/service1.h"

namespace quillmere {
namespace {

const std::string Head =
    "<?xml version=\"1.0\"?>\r\n"
    "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
    "<SOAP-ENV:Body><SageFile xmlns=\"VureDevu\">";
const std::string Tail = "</SageFile></SOAP-ENV:Body></SOAP-ENV:Envelope>";

std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    return bytes;
}

std::string SageFileRequest(const std::vector<std::uint8_t>& buffer, const std::string& reference) {
    const TPortTypeDecl& port = VureDevuAPISoapDecl();
    return WriteRequest(port, *port.FindOperation("SageFile"),
                        {SoapValue::Bytes(buffer), SoapValue::Text(reference)});
}

struct RequestCase {
    const char* name;
    std::vector<std::uint8_t> buffer;
    std::string reference;
    std::string expectedInner;  // between the SageFile tags
};

void PrintTo(const RequestCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteRequestBytes : public ::testing::TestWithParam<RequestCase> {};

TEST_P(WriteRequestBytes, AreExactly) {
    const RequestCase& c = GetParam();
    EXPECT_EQ(SageFileRequest(c.buffer, c.reference), Head + c.expectedInner + Tail);
}

INSTANTIATE_TEST_SUITE_P(
    SageFile, WriteRequestBytes,
    ::testing::Values(
        // An empty buffer: start and end tag, nothing between.
        RequestCase{"Empty", {}, "vuzaruv", "<buffer></buffer><reference>vuzaruv</reference>"},
        RequestCase{"ThreeBytes",
                    {'a', 'b', 'c'},
                    "vuzaruv",
                    "<buffer>YWJj</buffer><reference>vuzaruv</reference>"},
        // 57 bytes fill one line of 76 characters, which is still ended by CR LF.
        RequestCase{"OneFullLine", Counting(57), "vuzaruv",
                    "<buffer>AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEy"
                    "MzQ1Njc4\r\n</buffer><reference>vuzaruv</reference>"},
        RequestCase{"OneLineAndOneByte", Counting(58), "vuzaruv",
                    "<buffer>AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEy"
                    "MzQ1Njc4\r\nOQ==</buffer><reference>vuzaruv</reference>"},
        RequestCase{"ReferenceEscaped",
                    {'a', 'b', 'c'},
                    "Smith & Sons <Ltd>",
                    "<buffer>YWJj</buffer><reference>Smith &amp; Sons &lt;Ltd&gt;</reference>"},
        // Non-ASCII text goes out as UTF-8, unchanged.
        RequestCase{"ReferenceUtf8",
                    {},
                    "\xC2\xA3 caf\xC3\xA9",
                    "<buffer></buffer><reference>\xC2\xA3 caf\xC3\xA9</reference>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Base64Lines, EveryLineHas76CharactersAndEndsWithCrLf) {
    for (std::size_t n : {0u, 1u, 2u, 56u, 114u, 115u, 57u * 1024u, 57u * 1024u + 1u, 200000u}) {
        const std::string text = Base64Lines(Counting(n));
        ASSERT_EQ(text.size(), Base64LinesSize(n)) << n;
        std::size_t start = 0;
        std::size_t letters = 0;
        while (start < text.size()) {
            const std::size_t end = text.find("\r\n", start);
            if (end == std::string::npos) {
                EXPECT_LT(text.size() - start, 76u) << n;
                letters += text.size() - start;
                break;
            }
            EXPECT_EQ(end - start, 76u) << n << " at " << start;
            letters += 76;
            start = end + 2;
        }
        EXPECT_EQ(letters, (n + 2) / 3 * 4) << n;
    }
}

// A plain decoder, independent of the encoder's library.
std::vector<std::uint8_t> DecodeBase64(const std::string& text) {
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<std::uint8_t> out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        const auto at = alphabet.find(c);
        if (at == std::string::npos) {
            continue;  // line breaks and "=" fill
        }
        bits = (bits << 6) | static_cast<unsigned>(at);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<std::uint8_t>(bits >> count));
        }
    }
    return out;
}

TEST(Base64Lines, DecodesToTheBytesAcrossBlockBoundaries) {
    // The encoder works in blocks of 1024 lines; the text must not show it.
    std::vector<std::uint8_t> bytes(57 * 1024 * 2 + 5);
    std::uint32_t x = 12345;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    EXPECT_EQ(DecodeBase64(Base64Lines(bytes)), bytes);
}

TEST(WriteRequestOtherOperations, CredentialsFirstAndMembersUnderTheirMessageNames) {
    const TPortTypeDecl& port = VureDevuAPISoapDecl();
    SoapValue info;
    info.kind = SoapValue::Kind::Struct;
    // Given out of order: written in declaration order, Type_ as "Type".
    info.members = {{"Ref1", SoapValue::Text("A&B")},
                    {"Type_", SoapValue::Text("3")},
                    {"nomid", SoapValue::Text("4000")}};
    SoapValue journal;
    journal.kind = SoapValue::Kind::Struct;
    SoapValue lines;
    lines.kind = SoapValue::Kind::List;
    lines.items = {SoapValue::Text("x"), SoapValue::Text("y")};
    journal.members = {{"DBID", SoapValue::Text("7")}, {"Lines", lines}};

    const std::string request =
        WriteRequest(port, *port.FindOperation("InsertJournal"),
                     {SoapValue::Text("user"), SoapValue::Text("p<w"), journal});
    EXPECT_NE(request.find("<InsertJournal xmlns=\"VureDevu\"><UserName>user</UserName>"
                           "<Password>p&lt;w</Password><Jnl><DBID>7</DBID>"
                           "<Lines><anyType>x</anyType><anyType>y</anyType></Lines></Jnl>"
                           "</InsertJournal>"),
              std::string::npos)
        << request;

    SoapValue list;
    list.kind = SoapValue::Kind::List;
    list.items = {info};
    const TTypeDecl* type = port.FindType("ArrayOfTransactionInformation");
    ASSERT_NE(type, nullptr);
    // Through a made-up operation that takes the list.
    TOperationDecl op{"Echo", {{"List", "ArrayOfTransactionInformation"}}, {}, nullptr};
    EXPECT_NE(WriteRequest(port, op, {list})
                  .find("<List><TransactionInformation><nomid>4000</nomid><Type>3</Type>"
                        "<Ref1>A&amp;B</Ref1></TransactionInformation></List>"),
              std::string::npos);
}

TEST(WriteRequestOtherOperations, RefusesAWrongNumberOfInputs) {
    const TPortTypeDecl& port = VureDevuAPISoapDecl();
    EXPECT_THROW(WriteRequest(port, *port.FindOperation("SageFile"), {SoapValue::Text("x")}),
                 std::invalid_argument);
}

}  // namespace
}  // namespace quillmere
