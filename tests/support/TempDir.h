#pragma once
// A temporary directory for one test, removed with everything in it.
#include <string>

namespace quillmere::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path/relative
    std::string operator/(const std::string& relative) const;

    // Writes a file (creating its parent directories).
    std::string write(const std::string& relative, const std::string& bytes) const;
    std::string mkdir(const std::string& relative) const;

  private:
    std::string path_;
};

// The whole content of a file, or "<missing>" when it does not exist.
std::string FileText(const std::string& path);

// A path written with "/" in the platform's own separators, as the program
// writes the paths it makes.
std::string NativePath(std::string path);

}  // namespace quillmere::test
