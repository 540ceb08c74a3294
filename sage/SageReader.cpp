#include "sage/SageReader.h"

#include <algorithm>
#include <exception>

#include "platform/odbc/OdbcConnection.h"

namespace quillmere {

using reader::Frame;
using reader::FrameReader;
using reader::Message;
using Clock = std::chrono::steady_clock;

namespace {

// How long one wait on the pipe lasts before the program pumps its messages.
constexpr std::chrono::milliseconds PumpInterval{50};

// How long a reader whose pipe closed may take to end on its own.
constexpr std::chrono::milliseconds EndingGrace{2000};

std::uint32_t FrameLength(const char* at) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(at);
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

[[noreturn]] void RaiseFailure(FrameReader& reply) {
    const auto kind = static_cast<reader::FailureKind>(reply.U8());
    std::string text = reply.Text();
    std::string sqlState = reply.Text();
    if (kind == reader::FailureKind::Odbc) {
        throw odbc::EOdbcError(text, std::move(sqlState));
    }
    throw Exception(text);
}

}  // namespace

EReaderStopped::EReaderStopped(const std::string& doing, const std::string& how)
    : Exception("The Sage ODBC driver stopped unexpectedly while " + doing + " (" + how + ")"),
      doing_(doing) {}

std::string WaitingText(const std::string& doing, int seconds) {
    return "Waiting for the Sage ODBC driver (" + doing + "): " + std::to_string(seconds) + " s";
}

// One request in flight: a call that ends by an exception other than the
// reader's own answer (a stop, a sink that cannot write) leaves the reader
// in the middle of its work, so it is ended; the next call starts another.
class SageReader::Call {
  public:
    explicit Call(SageReader& reader) : reader_(reader), exceptions_(std::uncaught_exceptions()) {}
    ~Call() {
        if (std::uncaught_exceptions() > exceptions_ && !answered_) {
            reader_.Stop();
        }
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    // The reader answered (Done or Failed): it waits for the next request.
    void Answered() { answered_ = true; }

  private:
    SageReader& reader_;
    int exceptions_;
    bool answered_ = false;
};

SageReader::SageReader(std::string program) : program_(std::move(program)) {}

SageReader::~SageReader() {
    Stop();
}

void SageReader::Stop() {
    if (child_) {
        child_->Kill();
        child_.reset();
    }
    inbox_.clear();
    inboxAt_ = 0;
}

long SageReader::ProcessId() const {
    return child_ ? child_->Id() : 0;
}

void SageReader::start() {
    const std::string doing = "starting";
    child_ = std::make_unique<ChildProcess>(program_,
                                            std::vector<std::string>{reader::ReaderModeArgument});
    Call call(*this);
    FrameReader hello(receive(doing));
    if (hello.Type() != Message::Hello ||
        static_cast<std::uint32_t>(hello.I64()) != reader::HelloMagic) {
        throw Exception("The reader process " + program_ + " did not answer as a reader");
    }
    const auto version = static_cast<std::uint32_t>(hello.I64());
    const unsigned bits = hello.U8();
    if (version != reader::ProtocolVersion || bits != sizeof(void*) * 8) {
        throw Exception("The reader process " + program_ + " speaks version " +
                        std::to_string(version) + " (" + std::to_string(bits) +
                        "-bit), not this program's version " +
                        std::to_string(reader::ProtocolVersion) + " (" +
                        std::to_string(sizeof(void*) * 8) + "-bit)");
    }
    call.Answered();
}

std::string_view SageReader::receive(const std::string& doing) {
    // What the last frame took is given back now that its caller is done.
    if (inboxAt_ > 0) {
        inbox_.erase(0, inboxAt_);
        inboxAt_ = 0;
    }
    auto heard = Clock::now();
    auto pumped = heard;
    // The waiting line goes when the reader speaks, and on every way out.
    struct Shown {
        SageReader& reader;
        const std::string& doing;
        int seconds = 0;
        ~Shown() {
            if (seconds > 0 && reader.OnWaiting) {
                reader.OnWaiting(doing, 0);
            }
        }
    } shown{*this, doing};
    const auto stopWaiting = [&] {
        if (shown.seconds > 0 && OnWaiting) {
            OnWaiting(doing, 0);
        }
        shown.seconds = 0;
    };
    for (;;) {
        if (inbox_.size() >= 4) {
            const std::uint32_t size = FrameLength(inbox_.data());
            if (size == 0 || size > reader::MaxFrameBytes) {
                Stop();
                throw Exception("A damaged message from the reader process while " + doing);
            }
            if (inbox_.size() >= 4 + static_cast<std::size_t>(size)) {
                stopWaiting();
                inboxAt_ = 4 + static_cast<std::size_t>(size);
                return std::string_view(inbox_).substr(4, size);
            }
        }
        const std::size_t had = inbox_.size();
        inbox_.resize(had + ReadBlock);
        const long got = child_->Read(inbox_.data() + had, ReadBlock, PumpInterval);
        inbox_.resize(had + static_cast<std::size_t>(got > 0 ? got : 0));
        const auto now = Clock::now();
        if (got < 0) {
            stopWaiting();
            stopped(doing);
        }
        if (got > 0) {
            heard = now;
            stopWaiting();
        }
        // A stop is noticed while the reader streams too, not only while it
        // is silent.
        if (now - pumped >= PumpInterval || got == 0) {
            pumped = now;
            if (OnPump) {
                OnPump();
            }
        }
        if (got == 0 && now - heard >= WaitingAfter) {
            const int seconds = std::max(
                1, static_cast<int>(
                       std::chrono::duration_cast<std::chrono::seconds>(now - heard).count()));
            if (seconds != shown.seconds) {
                shown.seconds = seconds;
                if (OnWaiting) {
                    OnWaiting(doing, seconds);
                }
            }
        }
    }
}

void SageReader::stopped(const std::string& doing) {
    std::optional<ChildExit> exit = child_->Wait(EndingGrace);
    std::string how;
    if (exit) {
        how = exit->text;
    } else {
        // Alive but deaf: its pipe closed under it.
        child_->Kill();
        how = "its pipe to the program closed";
    }
    child_.reset();
    inbox_.clear();
    inboxAt_ = 0;
    throw EReaderStopped(doing, how);
}

FrameReader SageReader::request(Frame& frame, const std::string& doing,
                                const std::function<void(FrameReader&)>& onMessage) {
    if (!child_) {
        start();
    }
    Call call(*this);
    const std::string& bytes = frame.Bytes();
    try {
        child_->Write(bytes.data(), bytes.size());
    } catch (const Exception&) {
        stopped(doing);
    }
    for (;;) {
        FrameReader message(receive(doing));
        switch (message.Type()) {
            case Message::Done:
                call.Answered();
                return message;
            case Message::Failed:
                call.Answered();
                RaiseFailure(message);
            default:
                if (!onMessage) {
                    throw Exception("An unexpected message from the reader process while " + doing);
                }
                onMessage(message);
        }
    }
}

std::vector<std::string> SageReader::DataSourceNames() {
    Frame frame(Message::DataSources);
    return request(frame, "listing the ODBC data sources").Texts();
}

bool SageReader::Login(int versionNo, const RegionalSettings& settings,
                       const std::string& companyPath, const std::string& userId,
                       const std::string& password) {
    Frame frame(Message::Login);
    frame.I64(versionNo);
    reader::WriteSettings(frame, settings);
    frame.Text(companyPath);
    frame.Text(userId);
    frame.Text(password);
    return request(frame, "logging in").U8() != 0;
}

ChartChoices SageReader::Charts() {
    Frame frame(Message::ChartChoices);
    FrameReader reply = request(frame, "reading the charts of accounts");
    ChartChoices choices;
    choices.items = reply.Texts();
    choices.only = reply.Int();
    choices.onlyItem = reply.Text();
    return choices;
}

void SageReader::LoadCategories(int chart, CategoryList& into,
                                const std::function<void(int, int)>& progress) {
    Frame frame(Message::LoadCategories);
    frame.I64(chart);
    FrameReader reply = request(frame, "reading the chart of accounts", [&](FrameReader& message) {
        if (message.Type() != Message::Progress) {
            throw Exception("An unexpected message from the reader process");
        }
        const int position = message.Int();
        const int maximum = message.Int();
        if (progress) {
            progress(position, maximum);
        }
    });
    reader::ReadCategories(reply, into);
}

int SageReader::Export(Ledger ledger, const std::string& sortColumn, RowSink& rows,
                       const std::function<void(int, int)>& progress, const std::string& doing,
                       int recordCount) {
    Frame frame(Message::Export);
    frame.I64(static_cast<int>(ledger));
    frame.Text(sortColumn);
    frame.Texts(rows.SourceAggregates());
    frame.U8(rows.WantsLines() ? 1 : 0);
    // A walk that does not count leaves the count as it was.
    frame.I64(recordCount);
    std::string line;  // one buffer for the table's lines
    FrameReader reply = request(frame, doing, [&](FrameReader& message) {
        switch (message.Type()) {
            case Message::Lines:
                while (!message.AtEnd()) {
                    line.assign(message.TextView());
                    rows.Add(line);
                }
                break;
            case Message::Aggregated:
                rows.SourceAggregated(message.Values());
                break;
            case Message::ValueLost: {
                const auto column = static_cast<std::size_t>(message.I64());
                const auto loss = static_cast<ValueLoss>(message.U8());
                const std::string source = message.Text();
                rows.ValueLost(column, loss, source, message.TextView());
                break;
            }
            case Message::Progress: {
                const int position = message.Int();
                const int maximum = message.Int();
                if (progress) {
                    progress(position, maximum);
                }
                break;
            }
            default:
                throw Exception("An unexpected message from the reader process while " + doing);
        }
    });
    return reply.Int();
}

std::vector<odbc::SingleValue> SageReader::SingleRow(const std::string& sql,
                                                     const std::string& doing) {
    Frame frame(Message::SingleRow);
    frame.Text(sql);
    return request(frame, doing).Values();
}

reader::TableSample SageReader::SampleTable(Ledger ledger, int sampleRecords,
                                            const std::string& doing) {
    Frame frame(Message::SampleTable);
    frame.I64(static_cast<int>(ledger));
    frame.I64(sampleRecords);
    FrameReader reply = request(frame, doing);
    reader::TableSample sample;
    sample.records = reply.I64();
    sample.sampleRecords = reply.I64();
    sample.sampleBytes = reply.I64();
    sample.deflatedBytes = reply.I64();
    sample.openSeconds = reply.F64();
    sample.recordSeconds = reply.F64();
    return sample;
}

void SageReader::Logout() {
    if (!child_) {
        return;
    }
    Frame frame(Message::Logout);
    request(frame, "logging out");
}

}  // namespace quillmere
