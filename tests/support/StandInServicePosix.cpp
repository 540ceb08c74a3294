// The stand-in started by this process: make-ca.sh, then standin.py as a child
// whose first line of output is its port.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "support/StandInService.h"

namespace quillmere::test {

namespace {

// tests/standin beside this file's folder.
const std::string StandInDir =
    (std::filesystem::path(__FILE__).parent_path().parent_path() / "standin").string();

}  // namespace

void StandInService::start(const std::string& mode, const std::string& san,
                           const std::vector<std::string>& extraArgs) {
    temp_ = std::make_unique<TempDir>();
    dir_ = temp_->path();
    const std::string certs = dir_ + "/certs";
    const std::string makeCa =
        "'" + StandInDir + "/make-ca.sh' '" + certs + "' --san '" + san + "'";
    if (std::system(makeCa.c_str()) != 0) {
        throw std::runtime_error("make-ca.sh failed");
    }
    std::filesystem::create_directories(recordDir());

    std::vector<std::string> args = {"python3",      StandInDir + "/standin.py",
                                     "--cert-dir",   certs,
                                     "--record-dir", recordDir(),
                                     "--mode",       mode,
                                     "--mode-file",  dir_ + "/mode",
                                     "--body-file",  dir_ + "/body"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    pid_ = pid;
    close(out[1]);
    // The first line of its output is the port.
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') {
        line += c;
    }
    close(out[0]);
    port_ = std::atoi(line.c_str());
    if (port_ <= 0) {
        stop();
        throw std::runtime_error("the stand-in service did not start");
    }
}

void StandInService::stop() {
    if (pid_ > 0) {
        kill(static_cast<pid_t>(pid_), SIGTERM);
        int status = 0;
        waitpid(static_cast<pid_t>(pid_), &status, 0);
        pid_ = -1;
    }
}

}  // namespace quillmere::test
