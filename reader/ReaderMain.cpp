#include "reader/ReaderMain.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/ChildProcess.h"
#include "platform/Exceptions.h"
#include "platform/odbc/OdbcConnection.h"
#include "platform/odbc/OdbcDataSources.h"
#include "reader/TableSampling.h"
#include "sage/ReaderProtocol.h"
#include "sage/TSageObject.h"

namespace quillmere {

using reader::Frame;
using reader::FrameReader;
using reader::Message;

namespace {

// Lines go to the program in frames of about this size: few enough writes
// to cost nothing, small enough that the program sees the table move.
constexpr std::size_t LinesFrameBytes = 64 * 1024;

class Channel {
  public:
    void Send(Frame& frame) {
        const std::string& bytes = frame.Bytes();
        pipes_.Write(bytes.data(), bytes.size());
    }
    // The next request's body; false when the program closed its end.
    bool Receive(std::string& body) {
        unsigned char length[4];
        if (!pipes_.Read(length, sizeof length)) {
            return false;
        }
        const std::uint32_t size = static_cast<std::uint32_t>(length[0]) |
                                   (static_cast<std::uint32_t>(length[1]) << 8) |
                                   (static_cast<std::uint32_t>(length[2]) << 16) |
                                   (static_cast<std::uint32_t>(length[3]) << 24);
        if (size == 0 || size > reader::MaxFrameBytes) {
            throw Exception("A damaged request from the program");
        }
        body.resize(size);
        if (!pipes_.Read(body.data(), size)) {
            throw Exception("The program closed its pipe part way through a request");
        }
        return true;
    }

  private:
    ParentPipes pipes_;
};

// Passes an export's lines and what the walk tells its sink on to the
// program, in the order they happen.
class ForwardedRows : public RowSink {
  public:
    ForwardedRows(Channel& channel, std::vector<std::string> aggregates, bool wantsLines)
        : channel_(channel),
          aggregates_(std::move(aggregates)),
          wantsLines_(wantsLines),
          lines_(Message::Lines) {}

    void Add(const std::string& line) override {
        lines_.Text(line);
        if (lines_.Size() >= LinesFrameBytes) {
            Flush();
        }
    }
    bool WantsLines() const override { return wantsLines_; }
    std::vector<std::string> SourceAggregates() const override { return aggregates_; }
    void SourceAggregated(const std::vector<odbc::SingleValue>& values) override {
        Flush();
        Frame frame(Message::Aggregated);
        frame.Values(values);
        channel_.Send(frame);
    }
    void ValueLost(std::size_t column, ValueLoss loss, const std::string& source,
                   std::string_view written) override {
        // Told before its line is added: the lines before it go first.
        Flush();
        Frame frame(Message::ValueLost);
        frame.I64(static_cast<std::int64_t>(column));
        frame.U8(static_cast<std::uint8_t>(loss));
        frame.Text(source);
        frame.Text(written);
        channel_.Send(frame);
    }
    void Flush() {
        if (lines_.Size() > 5) {
            channel_.Send(lines_);
            lines_.Clear();
        }
    }

  private:
    Channel& channel_;
    std::vector<std::string> aggregates_;
    bool wantsLines_;
    Frame lines_;
};

void SendProgress(Channel& channel, int position, int maximum) {
    Frame frame(Message::Progress);
    frame.I64(position);
    frame.I64(maximum);
    channel.Send(frame);
}

class Reader {
  public:
    explicit Reader(Channel& channel) : channel_(channel) {}

    void Serve(FrameReader& request) {
        // What a request hooks into the walk (progress and pump calls that
        // write to its own sink) ends with it.
        struct Unhook {
            std::unique_ptr<TSageObject>& sage;
            ~Unhook() {
                if (sage) {
                    sage->OnProgress = {};
                    sage->OnPump = {};
                }
            }
        } unhook{sage_};
        Frame done(Message::Done);
        switch (request.Type()) {
            case Message::DataSources:
                done.Texts(odbc::DataSourceNames());
                break;
            case Message::Login: {
                const int versionNo = request.Int();
                const RegionalSettings settings = reader::ReadSettings(request);
                const std::string companyPath = request.Text();
                const std::string userId = request.Text();
                std::string password = request.Text();
                sage_.reset();  // its connection closes before the next opens
                sage_ = std::make_unique<TSageObject>(versionNo);
                sage_->Settings = settings;
                bool connected = false;
                try {
                    connected = sage_->Login(companyPath, userId, password);
                } catch (...) {
                    Forget(password);
                    throw;
                }
                Forget(password);
                done.U8(connected ? 1 : 0);
                break;
            }
            case Message::ChartChoices: {
                const ChartChoices choices = Company().ListCharts();
                done.Texts(choices.items);
                done.I64(choices.only);
                done.Text(choices.onlyItem);
                break;
            }
            case Message::LoadCategories: {
                TSageObject& sage = Company();
                const int chart = request.Int();
                // The program holds the ranges loaded before; it is sent
                // the new ones.
                const std::size_t before = sage.Categories.size();
                sage.OnProgress = [this](int position, int maximum) {
                    SendProgress(channel_, position, maximum);
                };
                sage.LoadCategoriesOfChart(chart);
                CategoryList added;
                for (std::size_t i = before; i < sage.Categories.size(); ++i) {
                    const TChartAccount& range = *sage.Categories[i].second;
                    added.emplace_back(sage.Categories[i].first,
                                       std::make_unique<TChartAccount>(range));
                }
                reader::WriteCategories(done, added);
                break;
            }
            case Message::Export: {
                TSageObject& sage = Company();
                const auto ledger = static_cast<Ledger>(request.Int());
                const std::string sortColumn = request.Text();
                std::vector<std::string> aggregates = request.Texts();
                const bool wantsLines = request.U8() != 0;
                sage.RecordCount = request.Int();
                ForwardedRows rows(channel_, std::move(aggregates), wantsLines);
                sage.OnProgress = [this, &rows](int position, int maximum) {
                    rows.Flush();
                    SendProgress(channel_, position, maximum);
                };
                // A walk without progress still hands its lines over as it goes.
                sage.OnPump = [&rows] { rows.Flush(); };
                try {
                    sage.ExportLedger(ledger, sortColumn, rows);
                } catch (...) {
                    // The lines made before the failure reach the program, as
                    // they would reach a sink in this process.
                    rows.Flush();
                    throw;
                }
                rows.Flush();
                done.I64(sage.RecordCount);
                break;
            }
            case Message::SingleRow:
                done.Values(Company().SingleRow(request.Text(), {}));
                break;
            case Message::SampleTable: {
                const auto ledger = static_cast<Ledger>(request.Int());
                const int records = request.Int();
                const reader::TableSample sample = SampleTable(Company(), ledger, records);
                done.I64(sample.records);
                done.I64(sample.sampleRecords);
                done.I64(sample.sampleBytes);
                done.I64(sample.deflatedBytes);
                done.F64(sample.openSeconds);
                done.F64(sample.recordSeconds);
                break;
            }
            case Message::Logout:
                if (sage_) {
                    sage_->Logout();
                }
                break;
            default:
                throw Exception("The reader process was sent a request it does not know (" +
                                std::to_string(static_cast<int>(request.Type())) + ")");
        }
        channel_.Send(done);
    }

  private:
    TSageObject& Company() {
        if (!sage_ || !sage_->Connection.Connected()) {
            throw Exception("Not logged in to a Sage company");
        }
        return *sage_;
    }
    static void Forget(std::string& secret) {
        volatile char* at = secret.data();
        for (std::size_t i = 0; i < secret.size(); ++i) {
            at[i] = 0;
        }
        secret.clear();
    }

    Channel& channel_;
    std::unique_ptr<TSageObject> sage_;
};

void SendFailure(Channel& channel, reader::FailureKind kind, const std::string& text,
                 const std::string& sqlState) {
    Frame failed(Message::Failed);
    failed.U8(static_cast<std::uint8_t>(kind));
    failed.Text(text);
    failed.Text(sqlState);
    channel.Send(failed);
}

}  // namespace

int RunReader() {
    Channel channel;
    Frame hello(Message::Hello);
    hello.I64(reader::HelloMagic);
    hello.I64(reader::ProtocolVersion);
    hello.U8(static_cast<std::uint8_t>(sizeof(void*) * 8));
    channel.Send(hello);

    Reader reader(channel);
    std::string body;
    for (;;) {
        try {
            if (!channel.Receive(body)) {
                return 0;
            }
        } catch (const std::exception&) {
            return 3;
        }
        try {
            FrameReader request(body);
            try {
                reader.Serve(request);
            } catch (const odbc::EOdbcError& e) {
                SendFailure(channel, reader::FailureKind::Odbc, e.what(), e.sqlState());
            } catch (const std::exception& e) {
                SendFailure(channel, reader::FailureKind::General, e.what(), {});
            }
        } catch (const std::exception&) {
            // The program no longer reads: nothing is left to do.
            return 0;
        }
    }
}

std::optional<int> RunReaderIfAsked(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2 || arguments[1] != reader::ReaderModeArgument) {
        return std::nullopt;
    }
    try {
        return RunReader();
    } catch (const std::exception&) {
        return 3;
    }
}

std::optional<int> RunReaderIfAsked(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], reader::ReaderModeArgument) != 0) {
        return std::nullopt;
    }
    return RunReaderIfAsked(std::vector<std::string>(argv, argv + argc));
}

}  // namespace quillmere
