#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace quillmere::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
#ifdef _WIN32
    // No mkdtemp: a random name, made only when nothing has it yet.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("quillmere-test-" + std::to_string(random()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec) && !ec) {
            path_ = candidate.string();
        }
    }
    if (path_.empty()) {
        throw std::runtime_error("cannot make a temporary directory");
    }
#else
    std::string pattern = (fs::temp_directory_path() / "quillmere-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
#endif
}

TempDir::~TempDir() {
    std::error_code ec;
    // Restore permissions a test may have taken away, then remove.
    for (auto it = fs::recursive_directory_iterator(
             path_, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

std::string TempDir::operator/(const std::string& relative) const {
    return (fs::path(path_) / fs::path(relative).make_preferred()).string();
}

std::string TempDir::write(const std::string& relative, const std::string& bytes) const {
    const fs::path p = fs::path(path_) / relative;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << bytes;
    return p.string();
}

std::string TempDir::mkdir(const std::string& relative) const {
    const fs::path p = fs::path(path_) / relative;
    fs::create_directories(p);
    return p.string();
}

std::string NativePath(std::string path) {
#ifdef _WIN32
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
#endif
    return path;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "<missing>";
    }
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace quillmere::test
