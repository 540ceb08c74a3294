#pragma once
// Options of the wizard's command line.
#include <stdexcept>
#include <string>

namespace quillmere {

struct WizardOptions {
    std::string workDir;     // replaces the executable's directory
    std::string serviceUrl;  // the service base address; empty: the built-in one
    std::string caFile;      // extra trusted CA certificates (PEM) for the service
    bool help = false;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the wizard's options; Qt's own options have been removed by
// QApplication already. Raises UsageError for unknown options.
WizardOptions ParseWizardOptions(int argc, char** argv);

const char* WizardUsage();

class TfrmMain;
// Gives the wizard the service address and CA file that the options name.
void ApplyWizardOptions(const WizardOptions& options, TfrmMain& form);
// Raises UsageError for a --service-url that is no usable service address
// and a --ca-file that cannot be read (empty: not given).
void CheckServiceOptions(const std::string& serviceUrl, const std::string& caFile);

}  // namespace quillmere
