#include "wizard/FindFileDirs.h"

#include <utility>

#include "platform/DirectoryListing.h"
#include "platform/Files.h"

namespace quillmere {

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

class Search {
  public:
    Search(std::vector<std::string>& results, const std::string& name,
           const std::function<void()>& afterSubdirectory, VolumeId volume)
        : results_(results), name_(name), after_(afterSubdirectory), volume_(volume) {}

    // `dir` ends with a separator; `listing` holds its entries.
    void Walk(const std::string& dir, DirectoryListing& listing) {
        bool matched = false;
        std::vector<std::string> subdirectories;
        for (DirectoryEntry& entry : listing.entries) {
            if (entry.kind == EntryKind::File) {
                if (!matched && EqualIgnoringAsciiCase(entry.name, name_)) {
                    results_.push_back(dir);
                    matched = true;
                }
            } else if (entry.kind == EntryKind::Directory && entry.name.front() != '.') {
                subdirectories.push_back(std::move(entry.name));
            }
        }
        listing.entries.clear();
        for (const std::string& subdirectory : subdirectories) {
            // Listed without a trailing separator, so that a symbolic link
            // put in place of the directory meanwhile is not followed.
            const std::string path = dir + subdirectory;
            if (auto sub = ListDirectory(path, volume_)) {
                Walk(path + PathSeparator, *sub);
            }
            if (after_) {
                after_();
            }
        }
    }

  private:
    std::vector<std::string>& results_;
    const std::string& name_;
    const std::function<void()>& after_;
    VolumeId volume_;
};

}  // namespace

void FindFileDirs(std::vector<std::string>& results, const std::string& directory,
                  const std::string& name, const std::function<void()>& afterSubdirectory) {
    const std::string dir = WithTrailingSeparator(directory);
    auto listing = ListDirectory(dir);
    if (!listing) {
        return;
    }
    Search(results, name, afterSubdirectory, listing->volume).Walk(dir, *listing);
}

PumpThrottle::PumpThrottle(std::chrono::milliseconds interval)
    : interval_(interval), last_(std::chrono::steady_clock::now()) {}

bool PumpThrottle::Due() {
    if (interval_ <= std::chrono::steady_clock::duration::zero()) {
        return true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < interval_) {
        return false;
    }
    last_ = now;
    return true;
}

}  // namespace quillmere
