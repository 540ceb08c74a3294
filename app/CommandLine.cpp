#include "app/CommandLine.h"

#include <cstring>

#include "app/ufMain.h"
#include "service/ServiceAddress.h"

namespace quillmere {

void CheckServiceOptions(const std::string& serviceUrl, const std::string& caFile) {
    if (!serviceUrl.empty()) {
        if (const auto problem = ServiceAddressProblem(serviceUrl)) {
            throw UsageError("--service-url: " + *problem);
        }
    }
    if (!caFile.empty()) {
        if (const auto problem = CaFileProblem(caFile)) {
            throw UsageError("--ca-file: " + *problem);
        }
    }
}

const char* WizardUsage() {
    return "usage: quillmere-wizard [options]\n"
           "  --work-dir DIR   use DIR in place of the program's directory (log, homedir.txt,\n"
           "                   noupload.txt, tables, archive)\n"
           "  --service-url URL  the online service's base address (scheme and host)\n"
           "  --ca-file FILE   trust the CA certificates in FILE (PEM) for the service\n"
           "  --help           show this text\n";
}

WizardOptions ParseWizardOptions(int argc, char** argv) {
    WizardOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* name) -> std::string {
            const std::string prefix = std::string(name) + "=";
            if (arg.rfind(prefix, 0) == 0) {
                return arg.substr(prefix.size());
            }
            if (i + 1 >= argc) {
                throw UsageError(std::string("missing value for ") + name);
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--work-dir" || arg.rfind("--work-dir=", 0) == 0) {
            options.workDir = value("--work-dir");
        } else if (arg == "--service-url" || arg.rfind("--service-url=", 0) == 0) {
            // The endpoint and the import page paths are added after it.
            options.serviceUrl = value("--service-url");
            while (!options.serviceUrl.empty() && options.serviceUrl.back() == '/') {
                options.serviceUrl.pop_back();
            }
        } else if (arg == "--ca-file" || arg.rfind("--ca-file=", 0) == 0) {
            options.caFile = value("--ca-file");
        } else {
            throw UsageError("unknown option: " + arg);
        }
    }
    return options;
}

void ApplyWizardOptions(const WizardOptions& options, TfrmMain& form) {
    if (!options.serviceUrl.empty()) {
        form.ServiceBase = options.serviceUrl;
    }
    form.HTTPRIO1.HTTPWebNode1.CAFile = options.caFile;
}

}  // namespace quillmere
