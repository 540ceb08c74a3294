#include "app/ExportCommandLine.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

#include "app/VersionEntries.h"
#include "platform/Files.h"

namespace quillmere {

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::optional<int> WholeNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

// Directories are taken as absolute paths, as a folder browser returns them,
// so the log and the messages name them in full.
std::string AbsoluteDirectory(const std::string& option, const std::string& path) {
    if (path.empty()) {
        throw UsageError(option + " needs a directory");
    }
    return PathText(std::filesystem::absolute(FsPath(path)).lexically_normal());
}

}  // namespace

const char* ExportUsage() {
    return "usage: quillmere-export --sage-version V --user ID [options]\n"
           "Exports the ledgers of a Sage company and sends them to the online service,\n"
           "walking the wizard's pages without a window.\n"
           "  --sage-version V      the version entry: its number 7..22, or its text\n"
           "                        (\"Sage 50 / Instant 2012\")\n"
           "  --home DIR            the Sage home directory, taken as Browse takes a picked\n"
           "                        directory (without it: homedir.txt, the registry and the\n"
           "                        defaults, as the wizard does)\n"
           "  --company NAME        the company, by its name; needed when there are several\n"
           "  --user ID             the Sage user ID\n"
           "  --password-file FILE  the password is the first line of FILE ('-' for standard\n"
           "                        input); without it the environment variable\n"
           "                        QUILLMERE_SAGE_PASSWORD, else an empty password\n"
           "  --chart N             the chart of accounts, by number; needed when there are\n"
           "                        several\n"
           "  --no-upload           do not send the archive, as noupload.txt does\n"
           "  --work-dir DIR        use DIR in place of the program's directory (log,\n"
           "                        homedir.txt, noupload.txt, tables, archive)\n"
           "  --service-url URL     the online service's base address (scheme, host, port)\n"
           "  --ca-file FILE        trust the CA certificates in FILE (PEM) for the service\n"
           "  --no-browser          print the import page address but do not open it\n"
           "  --summary             print the control totals at the end (always done when\n"
           "                        standard output is a terminal); every run writes them\n"
           "                        to <archive name>.summary.txt\n"
           "  --check               check everything a run needs, exporting nothing: the\n"
           "                        data source, the home directory and companies, the\n"
           "                        login, the tables, the work directory, the service\n"
           "  --review              export and write the migration report, then stop\n"
           "                        without sending; the archive is kept for --resend\n"
           "  --strict              do not send when the migration report found errors\n"
           "                        (warnings do not count); the archive is kept\n"
           "  --resend ARCHIVE      send a kept archive again, without connecting to Sage\n"
           "  --help, --version\n"
           "Exit status: 0 finished (file accepted, upload suppressed, or kept by\n"
           "--review), 1 a check or a step failed, 2 bad usage, 3 the service refused the\n"
           "file, 4 not sent: --strict and the migration report found errors.\n";
}

std::optional<int> VersionIndexFor(const std::string& value) {
    const std::string text = Trimmed(value);
    if (const auto number = WholeNumber(text)) {
        for (int i = 0; i < static_cast<int>(VersionEntries.size()); ++i) {
            if (VersionNumberOfEntry(i) == *number) {
                return i;
            }
        }
        return std::nullopt;
    }
    for (int i = 0; i < static_cast<int>(VersionEntries.size()); ++i) {
        if (SameIgnoringCase(VersionEntries[static_cast<std::size_t>(i)], text)) {
            return i;
        }
    }
    return std::nullopt;
}

ExportOptions ParseExportOptions(int argc, char** argv) {
    ExportOptions options;
    bool versionGiven = false;
    bool userGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::string name = arg.substr(0, arg.find('='));
        const bool inlineValue = name.size() < arg.size();
        auto value = [&]() -> std::string {
            if (inlineValue) {
                return arg.substr(name.size() + 1);
            }
            if (i + 1 >= argc) {
                throw UsageError("missing value for " + name);
            }
            return argv[++i];
        };
        auto flag = [&] {
            if (inlineValue) {
                throw UsageError(name + " takes no value");
            }
            return true;
        };
        if (name == "--help" || name == "-h") {
            options.help = flag();
        } else if (name == "--version") {
            options.version = flag();
        } else if (name == "--sage-version") {
            const std::string v = value();
            const auto index = VersionIndexFor(v);
            if (!index) {
                throw UsageError("--sage-version: \"" + v +
                                 "\" is not in the version list (7 to 22, or an entry's text "
                                 "such as \"Sage 50 / Instant 2012\")");
            }
            options.versionIndex = *index;
            versionGiven = true;
        } else if (name == "--home") {
            options.home = AbsoluteDirectory(name, value());
        } else if (name == "--company") {
            options.company = value();
        } else if (name == "--user") {
            options.user = value();
            userGiven = true;
        } else if (name == "--password-file") {
            options.passwordFile = value();
        } else if (name == "--chart") {
            const std::string v = value();
            options.chart = WholeNumber(Trimmed(v));
            if (!options.chart) {
                throw UsageError("--chart: \"" + v + "\" is not a chart number");
            }
        } else if (name == "--no-upload") {
            options.noUpload = flag();
        } else if (name == "--no-browser") {
            options.noBrowser = flag();
        } else if (name == "--check") {
            options.check = flag();
        } else if (name == "--summary") {
            options.summary = flag();
        } else if (name == "--review") {
            options.review = flag();
        } else if (name == "--strict") {
            options.strict = flag();
        } else if (name == "--resend") {
            const std::string v = value();
            if (v.empty()) {
                throw UsageError("--resend needs an archive file");
            }
            options.resend = std::filesystem::absolute(v).lexically_normal().string();
        } else if (name == "--work-dir") {
            options.workDir = AbsoluteDirectory(name, value());
        } else if (name == "--service-url") {
            options.serviceUrl = value();
        } else if (name == "--ca-file") {
            options.caFile = value();
        } else if (name.rfind("-", 0) == 0) {
            throw UsageError("unknown option: " + name);
        } else {
            throw UsageError("unexpected argument: " + arg);
        }
    }
    if (options.resend && (options.check || options.noUpload)) {
        throw UsageError(std::string("--resend cannot go with ") +
                         (options.check ? "--check" : "--no-upload"));
    }
    for (const auto& [given, other] :
         {std::pair{options.review, "--review"}, std::pair{options.strict, "--strict"}}) {
        if (given && (options.resend || options.check)) {
            throw UsageError(std::string(options.resend ? "--resend" : "--check") +
                             " cannot go with " + other);
        }
    }
    if (!options.help && !options.version && !options.resend) {
        if (!versionGiven) {
            throw UsageError("--sage-version is required");
        }
        if (!userGiven && !options.check) {
            throw UsageError("--user is required");
        }
    }
    return options;
}

}  // namespace quillmere
