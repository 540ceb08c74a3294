// The SageFile upload with the archive read from its file while it is sent,
// against the HTTPS stand-in: the body that arrives is byte for byte the one
// built whole in memory, with the same Content-Length and the same posting
// events; an archive that cannot be read to its end fails the upload.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/Exceptions.h"
#include "platform/FileBytes.h"
#include "platform/Files.h"
#include "service/SoapMessage.h"
#include "service/service1.h"
#include "support/StandInService.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

using test::StandInService;
using test::TempDir;
using Events = std::vector<std::pair<int, int>>;

std::string ArchiveBytes(std::size_t size) {
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

// The body as it is built whole in memory.
std::string BodyInMemory(const std::string& bytes) {
    const TPortTypeDecl& port = VureDevuAPISoapDecl();
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return WriteRequest(port, *port.FindOperation("SageFile"),
                        {SoapValue::Bytes({data, bytes.size()}), SoapValue::Text("vuzaruv")});
}

std::string ContentLength(const std::string& headers) {
    const std::string key = "\r\nContent-Length: ";
    const auto at = headers.find(key);
    return at == std::string::npos
               ? "<none>"
               : headers.substr(at + key.size(), headers.find("\r\n", at + 1) - at - key.size());
}

// Sizes around the single-write limit of the body and the base64 line
// (0 and 1 byte go out in one write; the others in pieces), and 3 MB.
TEST(StreamedUpload, TheBodyIsTheOneBuiltInMemory) {
    StandInService service;
    TempDir dir;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{32767},
                                   std::size_t{32768}, std::size_t{32769}, std::size_t{3} << 20}) {
        SCOPED_TRACE(std::to_string(size) + " bytes");
        const std::string bytes = ArchiveBytes(size);
        const std::string path = dir.write("archive" + std::to_string(size) + ".zip", bytes);
        const std::string expected = BodyInMemory(bytes);

        THTTPRIO inMemory;
        inMemory.HTTPWebNode1.CAFile = service.caFile();
        Events memoryEvents;
        inMemory.HTTPWebNode1.OnPostingData = [&](int sent, int total) {
            memoryEvents.emplace_back(sent, total);
        };
        GetServiceBinding(inMemory, service.baseUrl())
            .SageFile({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                      "vuzaruv");
        const int memoryRequest = service.requestCount();

        THTTPRIO streamed;
        streamed.HTTPWebNode1.CAFile = service.caFile();
        Events streamedEvents;
        streamed.HTTPWebNode1.OnPostingData = [&](int sent, int total) {
            streamedEvents.emplace_back(sent, total);
        };
        FileBytes archive(path);
        const std::string id =
            GetServiceBinding(streamed, service.baseUrl()).SageFile(archive, "vuzaruv");
        EXPECT_NE(id, "");
        const int streamedRequest = service.requestCount();
        ASSERT_EQ(streamedRequest, memoryRequest + 1);

        EXPECT_TRUE(service.requestBody(memoryRequest) == expected) << "in-memory body changed";
        EXPECT_TRUE(service.requestBody(streamedRequest) == expected) << "streamed body differs";
        EXPECT_EQ(ContentLength(service.requestHeaders(streamedRequest)),
                  std::to_string(expected.size()));
        EXPECT_EQ(streamedEvents, memoryEvents);
        if (expected.size() > 32768) {
            ASSERT_FALSE(streamedEvents.empty());
            EXPECT_EQ(streamedEvents.front().first, 32768);
            EXPECT_EQ(streamedEvents.back().first, static_cast<int>(expected.size()));
        } else {
            EXPECT_TRUE(streamedEvents.empty());
        }
    }
}

// The archive shrinks or grows while it is sent: the upload fails with the
// file's read error rather than sending a different archive, and the
// transport is left disconnected.
TEST(StreamedUpload, AnArchiveThatChangesDuringTheUploadFailsIt) {
    StandInService service;
    TempDir dir;
    for (const bool shrink : {true, false}) {
        SCOPED_TRACE(shrink ? "shrinks" : "grows");
        const std::string path = dir.write("a.zip", ArchiveBytes(400000));
        THTTPRIO rio;
        rio.HTTPWebNode1.CAFile = service.caFile();
        rio.HTTPWebNode1.OnPostingData = [&](int sent, int) {
            if (sent == 32768) {
                std::filesystem::resize_file(path, shrink ? 100000 : 500000);
            }
        };
        FileBytes archive(path);
        try {
            GetServiceBinding(rio, service.baseUrl()).SageFile(archive, "vuzaruv");
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(std::string(e.what()), EInOutError::TextFor(100));
        }
        EXPECT_FALSE(rio.HTTPWebNode1.Connected());
    }
}

TEST(StreamedUpload, AnArchiveThatCannotBeOpenedFailsAtOnce) {
    TempDir dir;
    EXPECT_THROW(FileBytes(dir / "missing.zip"), EInOutError);
    const std::string directory = dir.mkdir("a.zip");
    try {
        FileBytes archive(directory);
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        try {
            ReadFileBytes(directory);
        } catch (const EInOutError& whole) {
            EXPECT_EQ(std::string(e.what()), whole.what()) << "not the error of a whole read";
        }
    }
}

}  // namespace
}  // namespace quillmere
