#include "sage/ReaderProtocol.h"

#include <cstring>

#include "platform/Exceptions.h"

namespace quillmere::reader {

namespace {

template <std::size_t N>
void WriteTextArray(Frame& frame, const std::array<std::string, N>& texts) {
    for (const std::string& text : texts) {
        frame.Text(text);
    }
}

template <std::size_t N>
void ReadTextArray(FrameReader& reader, std::array<std::string, N>& texts) {
    for (std::string& text : texts) {
        text = reader.Text();
    }
}

}  // namespace

Frame::Frame(Message type) {
    bytes_.assign(4, '\0');
    bytes_.push_back(static_cast<char>(type));
}

void Frame::Clear() {
    bytes_.resize(5);
}

void Frame::I64(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) {
        bytes_.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
}

void Frame::F64(double value) {
    std::int64_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof value);
    I64(bits);
}

void Frame::Text(std::string_view text) {
    const auto size = static_cast<std::uint32_t>(text.size());
    for (int i = 0; i < 4; ++i) {
        bytes_.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
    }
    bytes_.append(text);
}

void Frame::Texts(const std::vector<std::string>& texts) {
    I64(static_cast<std::int64_t>(texts.size()));
    for (const std::string& text : texts) {
        Text(text);
    }
}

void Frame::OptionalText(const std::optional<std::string>& text) {
    U8(text ? 1 : 0);
    if (text) {
        Text(*text);
    }
}

void Frame::Values(const std::vector<odbc::SingleValue>& values) {
    I64(static_cast<std::int64_t>(values.size()));
    for (const odbc::SingleValue& value : values) {
        OptionalText(value.text);
        U8(value.floating ? 1 : 0);
    }
}

const std::string& Frame::Bytes() {
    const auto size = static_cast<std::uint32_t>(bytes_.size() - 4);
    for (int i = 0; i < 4; ++i) {
        bytes_[static_cast<std::size_t>(i)] = static_cast<char>((size >> (8 * i)) & 0xFF);
    }
    return bytes_;
}

FrameReader::FrameReader(std::string_view body) : body_(body) {
    if (body_.empty()) {
        throw Exception("An empty message from the reader process");
    }
    type_ = static_cast<Message>(static_cast<unsigned char>(body_[0]));
}

const char* FrameReader::take(std::size_t size) {
    if (body_.size() - at_ < size) {
        throw Exception("A damaged message between the program and its reader process");
    }
    const char* at = body_.data() + at_;
    at_ += size;
    return at;
}

std::uint8_t FrameReader::U8() {
    return static_cast<std::uint8_t>(*take(1));
}

std::int64_t FrameReader::I64() {
    const auto* at = reinterpret_cast<const unsigned char*>(take(8));
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits |= static_cast<std::uint64_t>(at[i]) << (8 * i);
    }
    return static_cast<std::int64_t>(bits);
}

int FrameReader::Int() {
    const std::int64_t value = I64();
    if (value < INT32_MIN || value > INT32_MAX) {
        throw Exception("A damaged message between the program and its reader process");
    }
    return static_cast<int>(value);
}

double FrameReader::F64() {
    const std::int64_t bits = I64();
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string_view FrameReader::TextView() {
    const auto* at = reinterpret_cast<const unsigned char*>(take(4));
    const std::uint32_t size =
        static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
        (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
    return {take(size), size};
}

std::string FrameReader::Text() {
    return std::string(TextView());
}

std::vector<std::string> FrameReader::Texts() {
    const std::int64_t count = I64();
    // Every text takes at least its length: a count beyond that is damage.
    if (count < 0 || static_cast<std::size_t>(count) > (body_.size() - at_) / 4) {
        throw Exception("A damaged message between the program and its reader process");
    }
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        texts.push_back(Text());
    }
    return texts;
}

std::optional<std::string> FrameReader::OptionalText() {
    if (U8() == 0) {
        return std::nullopt;
    }
    return Text();
}

std::vector<odbc::SingleValue> FrameReader::Values() {
    const std::int64_t count = I64();
    if (count < 0 || static_cast<std::size_t>(count) > (body_.size() - at_) / 2) {
        throw Exception("A damaged message between the program and its reader process");
    }
    std::vector<odbc::SingleValue> values(static_cast<std::size_t>(count));
    for (odbc::SingleValue& value : values) {
        value.text = OptionalText();
        value.floating = U8() != 0;
    }
    return values;
}

void WriteSettings(Frame& frame, const RegionalSettings& settings) {
    frame.Text(settings.localeName);
    frame.U8(static_cast<std::uint8_t>(settings.dateSeparator));
    frame.U8(static_cast<std::uint8_t>(settings.timeSeparator));
    frame.U8(static_cast<std::uint8_t>(settings.decimalSeparator));
    frame.Text(settings.shortDateFormat);
    frame.Text(settings.longTimeFormat);
    frame.Text(settings.amDesignator);
    frame.Text(settings.pmDesignator);
    WriteTextArray(frame, settings.monthNames);
    WriteTextArray(frame, settings.abbreviatedMonthNames);
    WriteTextArray(frame, settings.dayNames);
    WriteTextArray(frame, settings.abbreviatedDayNames);
}

RegionalSettings ReadSettings(FrameReader& reader) {
    RegionalSettings settings;
    settings.localeName = reader.Text();
    settings.dateSeparator = static_cast<char>(reader.U8());
    settings.timeSeparator = static_cast<char>(reader.U8());
    settings.decimalSeparator = static_cast<char>(reader.U8());
    settings.shortDateFormat = reader.Text();
    settings.longTimeFormat = reader.Text();
    settings.amDesignator = reader.Text();
    settings.pmDesignator = reader.Text();
    ReadTextArray(reader, settings.monthNames);
    ReadTextArray(reader, settings.abbreviatedMonthNames);
    ReadTextArray(reader, settings.dayNames);
    ReadTextArray(reader, settings.abbreviatedDayNames);
    return settings;
}

void WriteCategories(Frame& frame, const CategoryList& categories) {
    frame.I64(static_cast<std::int64_t>(categories.size()));
    for (const auto& [title, range] : categories) {
        frame.Text(title);
        frame.Text(range->Title);
        frame.I64(range->Category);
        frame.I64(range->AssetLiabilityFlag);
        frame.Text(range->Low);
        frame.Text(range->High);
    }
}

void ReadCategories(FrameReader& reader, CategoryList& into) {
    const std::int64_t count = reader.I64();
    for (std::int64_t i = 0; i < count; ++i) {
        std::string title = reader.Text();
        std::string rangeTitle = reader.Text();
        const int category = reader.Int();
        const int flag = reader.Int();
        std::string low = reader.Text();
        std::string high = reader.Text();
        into.emplace_back(std::move(title),
                          std::make_unique<TChartAccount>(std::move(rangeTitle), category, flag,
                                                          std::move(low), std::move(high)));
    }
}

}  // namespace quillmere::reader
