#pragma once
// The drive scan's search: every directory of a tree that holds a given file.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quillmere {

// Appends to `results` every directory in the tree under `directory` that
// holds a file (not a directory) called `name`, compared without regard to
// ASCII case. Each result is the directory's path with a trailing separator,
// added once however many spellings of the name it holds. The walk is depth
// first: a directory's own match comes before those of its subdirectories,
// and subdirectories are searched in the order the file system lists them.
// Names beginning with "." are not entered, symbolic links to directories
// are not followed and no other file system is entered (so neither a link
// loop nor /proc can trap the search); a directory that cannot be listed ends
// its branch quietly. `afterSubdirectory`, when given, runs after each
// subdirectory has been searched; an exception from it ends the search.
void FindFileDirs(std::vector<std::string>& results, const std::string& directory,
                  const std::string& name, const std::function<void()>& afterSubdirectory = {});

// Lets a frequent call through at most once per interval. The scan pumps
// messages only as often as the window needs, not after every directory: on
// a large tree pumping would otherwise take most of the scan's time.
class PumpThrottle {
  public:
    explicit PumpThrottle(std::chrono::milliseconds interval);

    // True when `interval` has passed since the last true answer (or since
    // construction); an interval of zero answers true every time.
    bool Due();

  private:
    std::chrono::steady_clock::duration interval_;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace quillmere
