#include "platform/ZipWriter.h"

#include <sys/stat.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <deque>
#include <exception>
#include <filesystem>
#include <future>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include "platform/Files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quillmere {

namespace {

namespace fs = std::filesystem;

constexpr int kDeflateLevel = 6;
constexpr std::size_t kBlockSize = 64 * 1024;

// An archive without entries: the end-of-central-directory record alone.
const std::string kEmptyArchive("PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 22);

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) {
            std::fclose(f);
        }
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool SeekTo(std::FILE* f, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

// What a file on disk contributes to its entry besides its bytes.
struct FileFacts {
    std::time_t modified = 0;
    zip_uint8_t opsys = ZIP_OPSYS_UNIX;
    zip_uint32_t attributes = 0;
    // What tells this file from a rewritten or replaced one: the file's
    // identity, size and modification time to the nanosecond.
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedNs = 0;

    bool SameFile(const FileFacts& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modifiedNs == other.modifiedNs && attributes == other.attributes;
    }
};

#ifndef _WIN32
FileFacts FactsOf(const struct stat& st);
#endif

FileFacts ReadFileFacts(std::FILE* f, const std::string& path) {
    FileFacts facts;
#ifdef _WIN32
    struct _stat64 st {};
    if (_fstat64(_fileno(f), &st) != 0) {
        throw EInOutError::FromErrno(errno);
    }
    facts.modified = static_cast<std::time_t>(st.st_mtime);
    facts.opsys = ZIP_OPSYS_DOS;
    const DWORD attrs = GetFileAttributesW(FsPath(path).c_str());
    facts.attributes = attrs == INVALID_FILE_ATTRIBUTES ? 0 : (attrs & 0xFF);
    facts.device = static_cast<std::uint64_t>(st.st_dev);
    facts.inode = static_cast<std::uint64_t>(st.st_ino);
    facts.size = static_cast<std::uint64_t>(st.st_size);
    facts.modifiedNs = static_cast<std::int64_t>(st.st_mtime) * 1000000000;
#else
    (void)path;
    struct stat st {};
    if (::fstat(fileno(f), &st) != 0) {
        throw EInOutError::FromErrno(errno);
    }
    facts = FactsOf(st);
#endif
    return facts;
}

#ifndef _WIN32
FileFacts FactsOf(const struct stat& st) {
    FileFacts facts;
    facts.modified = st.st_mtime;
    facts.opsys = ZIP_OPSYS_UNIX;
    // As zip tools on POSIX record it: the mode above, the DOS read-only bit below.
    facts.attributes =
        (static_cast<zip_uint32_t>(st.st_mode) << 16) | ((st.st_mode & S_IWUSR) ? 0u : 0x01u);
    facts.device = static_cast<std::uint64_t>(st.st_dev);
    facts.inode = static_cast<std::uint64_t>(st.st_ino);
    facts.size = static_cast<std::uint64_t>(st.st_size);
    facts.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 +
                       static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return facts;
}
#endif

// The facts of the file at `path` as it is now; nothing when it cannot be
// examined (its error is raised when it is read).
std::optional<FileFacts> CurrentFacts(const std::string& path) {
    FilePtr f(OpenFile(path, "rb"));
    if (!f) {
        return std::nullopt;
    }
    try {
        return ReadFileFacts(f.get(), path);
    } catch (const EInOutError&) {
        return std::nullopt;
    }
}

// One entry as close() writes it, after its file has been read and deflated.
struct PreparedEntry {
    std::string name;
    FileFacts facts;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    bool deflated = false;
    // Where the entry's data lies: the scratch file's deflated bytes, or the
    // original file for a stored entry.
    std::string dataPath;
    std::uint64_t dataOffset = 0;
    std::uint64_t dataLength = 0;
};

// The scratch file beside the archive that holds the deflated data of all
// entries until libzip has copied it into the archive.
class ScratchFile {
  public:
    explicit ScratchFile(const std::string& archivePath) {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
            path_ = archivePath + suffix;
            file_.reset(OpenFile(path_, "w+bx"));
            if (!file_ && errno != EEXIST) {
                break;
            }
        }
        if (!file_) {
            const int err = errno;
            path_.clear();
            throw EInOutError::FromErrno(err);
        }
    }
    ~ScratchFile() {
        file_.reset();
        if (!path_.empty()) {
            DeleteFileAt(path_);
        }
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    std::FILE* file() const { return file_.get(); }
    const std::string& path() const { return path_; }
    std::uint64_t end() const { return end_; }

    void write(const unsigned char* data, std::size_t count) {
        if (count > 0 && std::fwrite(data, 1, count, file_.get()) != count) {
            throw EInOutError::FromErrno(errno);
        }
        end_ += count;
    }
    // Forgets everything from `offset` on (an entry that is stored after all).
    void rewindTo(std::uint64_t offset) {
        if (!SeekTo(file_.get(), offset)) {
            throw EInOutError::FromErrno(errno);
        }
        end_ = offset;
    }
    // Makes the written data visible to the readers that libzip opens.
    void finish() {
        if (std::fflush(file_.get()) != 0) {
            throw EInOutError::FromErrno(errno);
        }
    }

  private:
    std::string path_;
    FilePtr file_;
    std::uint64_t end_ = 0;
};

class Deflater {
  public:
    Deflater() {
        // Raw deflate (no zlib header), as zip entries hold it.
        if (deflateInit2(&stream_, kDeflateLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
            Z_OK) {
            throw EZipError("Cannot start the deflate compression");
        }
    }
    ~Deflater() { deflateEnd(&stream_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Compresses `count` bytes (or finishes the stream) into `out`.
    void run(const unsigned char* data, std::size_t count, bool finish, ScratchFile& out) {
        unsigned char buffer[kBlockSize];
        stream_.next_in = const_cast<unsigned char*>(data);
        stream_.avail_in = static_cast<uInt>(count);
        int result;
        do {
            stream_.next_out = buffer;
            stream_.avail_out = sizeof buffer;
            result = deflate(&stream_, finish ? Z_FINISH : Z_NO_FLUSH);
            if (result == Z_STREAM_ERROR) {
                throw EZipError("Deflate compression failed");
            }
            out.write(buffer, sizeof buffer - stream_.avail_out);
        } while (stream_.avail_out == 0 || (finish && result != Z_STREAM_END));
    }

  private:
    z_stream stream_{};
};

// Raised inside a worker that was told to stop.
struct DeflateStopped {};

// Reads the file once: its facts, size and CRC, and its deflated data into
// the scratch file. Decides between deflated and stored. `stop` (the user's
// stop, raised as EAbort) and `workerStop` (a worker told to end), when
// given, are looked at before each block.
PreparedEntry PrepareEntry(const std::string& name, const std::string& path, ScratchFile& scratch,
                           const std::function<bool()>& stop,
                           const std::atomic<bool>* workerStop = nullptr,
                           const ZipWriter::BlockReader* reader = nullptr) {
    std::error_code ec;
    if (fs::is_directory(FsPath(path), ec)) {
        throw EInOutError(5);
    }
    FilePtr in(OpenFile(path, "rb"));
    if (!in) {
        throw EInOutError::FromErrno(errno);
    }
    PreparedEntry entry;
    entry.name = name;
    entry.facts = ReadFileFacts(in.get(), path);
    entry.dataOffset = scratch.end();

    Deflater deflater;
    unsigned char block[kBlockSize];
    uLong crc = crc32(0L, Z_NULL, 0);
    for (;;) {
        if (workerStop != nullptr && workerStop->load(std::memory_order_relaxed)) {
            throw DeflateStopped{};
        }
        if (stop && stop()) {
            throw EAbort();
        }
        const std::size_t got = std::fread(block, 1, sizeof block, in.get());
        if (got < sizeof block && std::ferror(in.get())) {
            throw EInOutError::FromErrno(errno);
        }
        crc = crc32(crc, block, static_cast<uInt>(got));
        entry.size += got;
        const bool last = got < sizeof block;
        deflater.run(block, got, last, scratch);
        if (reader != nullptr && *reader) {
            (*reader)(std::string_view(reinterpret_cast<const char*>(block), got), last);
        }
        if (last) {
            break;
        }
    }
    entry.crc = static_cast<std::uint32_t>(crc);
    const std::uint64_t deflatedLength = scratch.end() - entry.dataOffset;

    // Deflate unless it makes the entry larger; an empty file is always stored.
    entry.deflated = entry.size > 0 && deflatedLength <= entry.size;
    if (entry.deflated) {
        entry.dataPath = scratch.path();
        entry.dataLength = deflatedLength;
    } else {
        scratch.rewindTo(entry.dataOffset);
        entry.dataPath = path;
        entry.dataOffset = 0;
        entry.dataLength = entry.size;
    }
    return entry;
}

// An entry read and deflated on a worker as soon as its file was added as
// finished, into a scratch file of its own.
struct EarlyJob {
    std::string name;
    std::string path;
    ZipWriter::BlockReader reader;
    std::unique_ptr<ScratchFile> scratch;
    PreparedEntry entry;
    std::exception_ptr failure;
    bool done = false;  // guarded by the pool's mutex
};

// The workers that deflate finished files while the caller goes on. Jobs run
// in the order they came, on at most `MaxThreads()` threads; the threads are
// started as jobs arrive and end when the pool goes.
class DeflatePool {
  public:
    explicit DeflatePool(std::string archivePath) : archivePath_(std::move(archivePath)) {}
    // Stops the workers: a job not started is dropped, a running one stops
    // at its next block; returns once every thread has ended.
    ~DeflatePool() {
        stopping_ = true;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }
    DeflatePool(const DeflatePool&) = delete;
    DeflatePool& operator=(const DeflatePool&) = delete;

    std::shared_ptr<EarlyJob> Submit(const std::string& name, const std::string& path,
                                     ZipWriter::BlockReader reader) {
        auto job = std::make_shared<EarlyJob>();
        job->name = name;
        job->path = path;
        job->reader = std::move(reader);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(job);
            if (threads_.size() < MaxThreads() && idle_ == 0) {
                threads_.emplace_back([this] { Run(); });
            }
        }
        wake_.notify_one();
        return job;
    }

    // Waits until the job has ended, well or not.
    void Wait(const EarlyJob& job) {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [&] { return job.done; });
    }

  private:
    // The caller's thread makes the lines and the data source's fetch runs
    // on a thread of its own: the workers take the cores beyond those two,
    // and at least one.
    static std::size_t MaxThreads() {
        const std::size_t cores = std::thread::hardware_concurrency();
        return std::clamp<std::size_t>(cores > 2 ? cores - 2 : 1, 1, 4);
    }

    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            ++idle_;
            wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
            --idle_;
            if (stop_) {
                return;
            }
            std::shared_ptr<EarlyJob> job = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            try {
                job->scratch = std::make_unique<ScratchFile>(archivePath_);
                job->entry =
                    PrepareEntry(job->name, job->path, *job->scratch, {}, &stopping_, &job->reader);
                job->scratch->finish();
            } catch (...) {
                job->failure = std::current_exception();
            }
            lock.lock();
            job->done = true;
            finished_.notify_all();
        }
    }

    const std::string archivePath_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::deque<std::shared_ptr<EarlyJob>> queue_;
    std::size_t idle_ = 0;
    bool stop_ = false;
    // Read by the running jobs between two blocks, without the mutex.
    std::atomic<bool> stopping_{false};
    std::vector<std::thread> threads_;
};

// Prepares the pending entries (name, file) in their order, deflating
// several files at once on the machine's cores, each worker into a scratch
// file of its own (kept in `scratches` until the archive is written). A
// failure is raised once every worker has stopped: the one of the earliest
// entry that failed.
std::vector<PreparedEntry> PrepareEntries(
    const std::vector<std::pair<std::string, std::string>>& pending, const std::string& archivePath,
    std::vector<std::unique_ptr<ScratchFile>>& scratches, const std::function<bool()>& stop) {
    std::vector<PreparedEntry> prepared(pending.size());
    if (pending.empty()) {
        return prepared;
    }
    const std::size_t workers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1,
                                                        std::min<std::size_t>(pending.size(), 4));
    for (std::size_t w = 0; w < workers; ++w) {
        scratches.push_back(std::make_unique<ScratchFile>(archivePath));
    }
    // The largest files first, so that no worker is left with a large one
    // at the end while the others idle.
    std::vector<std::size_t> order(pending.size());
    std::vector<std::uintmax_t> sizes(pending.size());
    for (std::size_t i = 0; i < pending.size(); ++i) {
        std::error_code ec;
        order[i] = i;
        const std::uintmax_t size = fs::file_size(FsPath(pending[i].second), ec);
        sizes[i] = ec ? 0 : size;  // its error is raised when the file is read
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return sizes[a] > sizes[b]; });
    std::vector<std::exception_ptr> failures(pending.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&](ScratchFile& scratch) {
        for (std::size_t taken = next++; taken < order.size(); taken = next++) {
            const std::size_t i = order[taken];
            try {
                prepared[i] = PrepareEntry(pending[i].first, pending[i].second, scratch, stop);
            } catch (...) {
                failures[i] = std::current_exception();
            }
        }
    };
    std::vector<std::future<void>> helpers;
    for (std::size_t w = 1; w < workers; ++w) {
        helpers.push_back(std::async(std::launch::async, work, std::ref(*scratches[w])));
    }
    work(*scratches[0]);
    for (auto& helper : helpers) {
        helper.get();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
    for (const auto& scratch : scratches) {
        scratch->finish();
    }
    return prepared;
}

// A libzip source that serves a byte range of a file and describes it with a
// prepared stat: for deflated data it says "already deflated, this CRC, this
// size", so libzip copies the bytes into the archive unchanged.
struct RangeSource {
    std::string path;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::uint64_t done = 0;
    zip_stat_t stat{};
    FilePtr file;
    zip_error_t error{};
};

void SetSourceError(RangeSource* s, int zipError, int err) {
    zip_error_set(&s->error, zipError, err);
}

zip_int64_t RangeSourceCallback(void* userdata, void* data, zip_uint64_t len,
                                zip_source_cmd_t cmd) {
    auto* s = static_cast<RangeSource*>(userdata);
    switch (cmd) {
        case ZIP_SOURCE_OPEN:
            s->file.reset(OpenFile(s->path, "rb"));
            if (!s->file) {
                SetSourceError(s, ZIP_ER_OPEN, errno);
                return -1;
            }
            if (!SeekTo(s->file.get(), s->offset)) {
                SetSourceError(s, ZIP_ER_SEEK, errno);
                return -1;
            }
            s->done = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const std::uint64_t want = std::min<std::uint64_t>(len, s->length - s->done);
            if (want == 0) {
                return 0;
            }
            const std::size_t got =
                std::fread(data, 1, static_cast<std::size_t>(want), s->file.get());
            if (got < want) {
                // A file that shrank since it was read would give a wrong entry.
                SetSourceError(s, ZIP_ER_READ, std::ferror(s->file.get()) ? errno : EIO);
                return -1;
            }
            s->done += got;
            return static_cast<zip_int64_t>(got);
        }
        case ZIP_SOURCE_CLOSE:
            s->file.reset();
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &s->error);
            if (!st) {
                return -1;
            }
            *st = s->stat;
            return sizeof(*st);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&s->error, data, len);
        case ZIP_SOURCE_FREE:
            zip_error_fini(&s->error);
            delete s;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_SUPPORTS_READABLE;
        default:
            SetSourceError(s, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
}

// The text of a libzip error, for EZipError messages.
std::string ZipErrorText(zip_error_t* error) {
    return zip_error_strerror(error);
}

// Turns a libzip error into the exception the program raises.
[[noreturn]] void ThrowZipError(zip_error_t* error, const std::string& what,
                                const std::string& path) {
    const int code = zip_error_code_zip(error);
    if (zip_error_system_type(error) == ZIP_ET_SYS && zip_error_code_system(error) != 0) {
        throw EInOutError::FromErrno(zip_error_code_system(error));
    }
    switch (code) {
        case ZIP_ER_NOZIP:
            throw EZipError("The file " + path + " is not a zip archive");
        case ZIP_ER_INCONS:
            throw EZipError("The zip archive " + path + " is damaged");
        case ZIP_ER_MEMORY:
            throw EZipError("Out of memory while writing the zip archive " + path);
        default:
            throw EZipError(what + " " + path + ": " + ZipErrorText(error));
    }
}

}  // namespace

struct ZipWriter::State {
    std::string path;
    zip_t* archive = nullptr;
    // Names of the entries the archive held when it was opened, in order.
    std::vector<std::string> existing;
    // Pending entries: bare name and the file to read at close, in order.
    std::vector<std::pair<std::string, std::string>> pending;
    // Beside each pending entry: its early deflation when its file was added
    // as finished, else null.
    std::vector<std::shared_ptr<EarlyJob>> early;
    std::unique_ptr<DeflatePool> pool;

    ~State() {
        pool.reset();  // no worker outlives the writer
        if (archive) {
            zip_discard(archive);
        }
    }

    // Records a pending entry, replacing one of the same name in its place.
    void Add(const std::string& name, const std::string& filePath, std::shared_ptr<EarlyJob> job) {
        auto same = std::find_if(pending.begin(), pending.end(),
                                 [&](const auto& entry) { return entry.first == name; });
        if (same != pending.end()) {
            same->second = filePath;
            early[static_cast<std::size_t>(same - pending.begin())] = std::move(job);
        } else {
            pending.emplace_back(name, filePath);
            early.push_back(std::move(job));
        }
    }
};

ZipWriter::ZipWriter() = default;
ZipWriter::~ZipWriter() = default;

bool ZipWriter::isOpen() const {
    return state_ != nullptr;
}

const std::string& ZipWriter::archivePath() const {
    static const std::string none;
    return state_ ? state_->path : none;
}

std::vector<std::string> ZipWriter::entryNames() const {
    std::vector<std::string> names;
    if (!state_) {
        return names;
    }
    const auto& pending = state_->pending;
    for (const std::string& name : state_->existing) {
        if (std::none_of(pending.begin(), pending.end(),
                         [&](const auto& entry) { return entry.first == name; })) {
            names.push_back(name);
        }
    }
    for (const auto& entry : pending) {
        names.push_back(entry.first);
    }
    return names;
}

void ZipWriter::open(const std::string& archivePath) {
    if (state_) {
        throw EZipError("The zip archive " + state_->path + " is still open");
    }
    std::error_code ec;
    const fs::file_status status = fs::status(FsPath(archivePath), ec);
    if (fs::is_directory(status)) {
        throw EInOutError(5);
    }
    bool empty = true;
    if (!fs::exists(status)) {
        // The archive exists from the moment it is named, empty until close.
        FilePtr created(OpenFile(archivePath, "wbx"));
        if (!created) {
            throw EInOutError::FromErrno(errno);
        }
        if (std::fclose(created.release()) != 0) {
            throw EInOutError::FromErrno(errno);
        }
    } else {
        empty = fs::file_size(FsPath(archivePath), ec) == 0 && !ec;
    }

    auto state = std::make_unique<State>();
    state->path = archivePath;
    int code = 0;
    // libzip takes a zero-length file for a damaged archive; such a file (just
    // created, or left by a run that failed before its close) is an empty one.
    state->archive = zip_open(archivePath.c_str(), empty ? ZIP_CREATE | ZIP_TRUNCATE : 0, &code);
    if (!state->archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        try {
            ThrowZipError(&error, "Cannot open the zip archive", archivePath);
        } catch (...) {
            zip_error_fini(&error);
            throw;
        }
    }
    const zip_int64_t count = zip_get_num_entries(state->archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name =
            zip_get_name(state->archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        state->existing.emplace_back(name ? name : "");
    }
    state_ = std::move(state);
}

std::string ZipWriter::entryNameOf(const std::string& filePath) const {
    if (!state_) {
        throw EZipError("No zip archive is open");
    }
    std::string name = BareFileName(filePath);
    if (name.empty()) {
        throw EZipError("No file name in " + filePath);
    }
    return name;
}

void ZipWriter::addFile(const std::string& filePath) {
    // The name first: it refuses a writer with no archive open before
    // state_ is used.
    const std::string name = entryNameOf(filePath);
    state_->Add(name, filePath, nullptr);
}

void ZipWriter::addFinishedFile(const std::string& filePath, BlockReader reader) {
    const std::string name = entryNameOf(filePath);
    if (!state_->pool) {
        state_->pool = std::make_unique<DeflatePool>(state_->path);
    }
    state_->Add(name, filePath, state_->pool->Submit(name, filePath, std::move(reader)));
}

void ZipWriter::setStopCheck(std::function<bool()> check) {
    stopCheck_ = std::move(check);
}

void ZipWriter::close() {
    if (!state_) {
        throw EZipError("No zip archive is open");
    }
    // Released whatever happens below; a failed close leaves the file as it was.
    std::unique_ptr<State> state = std::move(state_);
    zip_t* za = state->archive;

    // Entries deflated early are used when their file is still the one that
    // was read; the others (and any whose early work failed) are read now,
    // so the archive holds the files as they are at close either way.
    std::vector<std::unique_ptr<ScratchFile>> scratches;
    std::vector<PreparedEntry> prepared(state->pending.size());
    std::vector<std::pair<std::string, std::string>> toRead;
    std::vector<std::size_t> toReadIndex;
    for (std::size_t i = 0; i < state->pending.size(); ++i) {
        const std::shared_ptr<EarlyJob>& job = state->early[i];
        if (job) {
            state->pool->Wait(*job);
            if (!job->failure) {
                const std::optional<FileFacts> now = CurrentFacts(job->path);
                if (now && now->SameFile(job->entry.facts)) {
                    prepared[i] = job->entry;
                    scratches.push_back(std::move(job->scratch));
                    continue;
                }
            }
        }
        toRead.push_back(state->pending[i]);
        toReadIndex.push_back(i);
    }
    state->pool.reset();
    state->early.clear();
    std::vector<PreparedEntry> read = PrepareEntries(toRead, state->path, scratches, stopCheck_);
    for (std::size_t k = 0; k < read.size(); ++k) {
        prepared[toReadIndex[k]] = std::move(read[k]);
    }

    for (const PreparedEntry& entry : prepared) {
        zip_source_t* source;
        if (entry.size == 0) {
            source = zip_source_buffer(za, nullptr, 0, 0);
        } else {
            auto* range = new RangeSource;
            range->path = entry.dataPath;
            range->offset = entry.dataOffset;
            range->length = entry.dataLength;
            zip_error_init(&range->error);
            zip_stat_init(&range->stat);
            range->stat.valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC |
                                ZIP_STAT_COMP_METHOD | ZIP_STAT_MTIME | ZIP_STAT_ENCRYPTION_METHOD;
            range->stat.size = entry.size;
            range->stat.comp_size = entry.dataLength;
            range->stat.crc = entry.crc;
            range->stat.comp_method = entry.deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE;
            range->stat.encryption_method = ZIP_EM_NONE;
            range->stat.mtime = entry.facts.modified;
            zip_error_t error;
            zip_error_init(&error);
            source = zip_source_function_create(RangeSourceCallback, range, &error);
            zip_error_fini(&error);
            if (!source) {
                zip_error_fini(&range->error);
                delete range;
            }
        }
        if (!source) {
            ThrowZipError(zip_get_error(za), "Cannot add to the zip archive", state->path);
        }
        // A replaced entry is deleted and added anew: libzip's overwrite keeps
        // the old entry's general-purpose flags, comment and attributes.
        const zip_int64_t old = zip_name_locate(za, entry.name.c_str(), 0);
        if (old >= 0 && zip_delete(za, static_cast<zip_uint64_t>(old)) != 0) {
            zip_source_free(source);
            ThrowZipError(zip_get_error(za), "Cannot replace an entry of the zip archive",
                          state->path);
        }
        const zip_int64_t index = zip_file_add(za, entry.name.c_str(), source, ZIP_FL_ENC_GUESS);
        if (index < 0) {
            zip_source_free(source);
            ThrowZipError(zip_get_error(za), "Cannot add to the zip archive", state->path);
        }
        const auto i = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(za, i, entry.deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                     entry.deflated ? kDeflateLevel : 0) != 0 ||
            zip_file_set_mtime(za, i, entry.facts.modified, 0) != 0 ||
            zip_file_set_external_attributes(za, i, 0, entry.facts.opsys, entry.facts.attributes) !=
                0) {
            ThrowZipError(zip_get_error(za), "Cannot add to the zip archive", state->path);
        }
    }

    int commentLength = 0;
    if (zip_get_archive_comment(za, &commentLength, ZIP_FL_ENC_RAW) && commentLength > 0 &&
        zip_set_archive_comment(za, nullptr, 0) != 0) {
        ThrowZipError(zip_get_error(za), "Cannot write the zip archive", state->path);
    }

    if (zip_get_num_entries(za, 0) == 0) {
        // libzip would write no file at all (and delete an existing one).
        zip_discard(za);
        state->archive = nullptr;
        WriteWholeFile(state->path, kEmptyArchive);
        return;
    }
    if (stopCheck_) {
        zip_register_cancel_callback_with_state(
            za,
            [](zip_t*, void* check) {
                return (*static_cast<std::function<bool()>*>(check))() ? 1 : 0;
            },
            nullptr, &stopCheck_);
    }
    if (zip_close(za) != 0) {
        if (stopCheck_ && stopCheck_()) {
            throw EAbort();
        }
        ThrowZipError(zip_get_error(za), "Cannot write the zip archive", state->path);
    }
    state->archive = nullptr;
}

}  // namespace quillmere
