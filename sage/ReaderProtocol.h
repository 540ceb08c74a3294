#pragma once
// What the program and its reader process say to each other through the
// reader's pipes. Every message is a frame: its length (4 bytes, the type
// byte and the fields), a type byte, then its fields in order. Numbers are
// little-endian; a text is its length (4 bytes) and its bytes.
//
// The reader speaks first (Hello: the protocol's version and its pointer
// size). Then the program sends one request at a time and reads what comes
// back until the request's Done or Failed: an export sends Lines,
// Aggregated, ValueLost and Progress before its Done.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/System.h"
#include "platform/odbc/OdbcSingleRow.h"
#include "sage/ChartOfAccounts.h"
#include "sage/TChartAccount.h"

namespace quillmere::reader {

// Changes whenever a message or a field changes: a reader of another
// version is refused, not misread.
inline constexpr std::uint32_t ProtocolVersion = 1;
inline constexpr std::uint32_t HelloMagic = 0x5152444Du;  // "MDRQ" on the wire

// The program runs as the reader when started with this argument alone.
inline constexpr const char* ReaderModeArgument = "--sage-reader";

// A frame longer than this is a damaged stream, not a message.
inline constexpr std::uint32_t MaxFrameBytes = 512u << 20;

enum class Message : std::uint8_t {
    // reader -> program
    Hello = 1,
    Done = 2,
    Failed = 3,
    Lines = 4,
    Aggregated = 5,
    ValueLost = 6,
    Progress = 7,
    // program -> reader
    DataSources = 20,
    Login = 21,
    ChartChoices = 22,
    LoadCategories = 23,
    Export = 24,
    SingleRow = 25,
    SampleTable = 26,
    Logout = 27,
};

// Why a request failed: an ODBC error keeps its SQLSTATE.
enum class FailureKind : std::uint8_t { General = 0, Odbc = 1 };

// A frame under construction: the fields are appended in order, Bytes()
// gives the whole frame with its length.
class Frame {
  public:
    explicit Frame(Message type);
    void U8(std::uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
    void I64(std::int64_t value);
    void F64(double value);
    void Text(std::string_view text);
    void Texts(const std::vector<std::string>& texts);
    void OptionalText(const std::optional<std::string>& text);
    void Values(const std::vector<odbc::SingleValue>& values);
    // The frame, its length filled in.
    const std::string& Bytes();
    // Fields written so far, type byte and length included.
    std::size_t Size() const { return bytes_.size(); }
    // Starts again with the same type and no fields.
    void Clear();

  private:
    std::string bytes_;
};

// The fields of a received frame (its type byte and what follows), read in
// order. Reading past the end is a damaged message: an Exception.
class FrameReader {
  public:
    explicit FrameReader(std::string_view body);
    Message Type() const { return type_; }
    std::uint8_t U8();
    std::int64_t I64();
    int Int();
    double F64();
    std::string Text();
    std::string_view TextView();
    std::vector<std::string> Texts();
    std::optional<std::string> OptionalText();
    std::vector<odbc::SingleValue> Values();
    bool AtEnd() const { return at_ == body_.size(); }

  private:
    const char* take(std::size_t size);
    std::string_view body_;
    std::size_t at_ = 1;
    Message type_;
};

void WriteSettings(Frame& frame, const RegionalSettings& settings);
RegionalSettings ReadSettings(FrameReader& reader);

// The table check's figures: the data source's record count and a timed
// sample of the table's first records.
struct TableSample {
    long long records = 0;
    long long sampleRecords = 0;
    long long sampleBytes = 0;
    long long deflatedBytes = 0;
    double openSeconds = 0;
    double recordSeconds = 0;
};

void WriteCategories(Frame& frame, const CategoryList& categories);
void ReadCategories(FrameReader& reader, CategoryList& into);

}  // namespace quillmere::reader
