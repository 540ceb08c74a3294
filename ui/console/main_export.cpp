// quillmere-export: the wizard's main job without a window, driven by options.
#include <iostream>
#include <string>
#include <vector>

#include "app/ExportCommandLine.h"
#include "platform/Exceptions.h"
#include "platform/Terminal.h"
#include "reader/ReaderMain.h"
#include "ui/console/Console.h"
#include "ui/console/HeadlessView.h"
#include "ui/console/UnattendedRun.h"

int main(int argc, char** argv) {
    using namespace quillmere;
    // Started as the reader of the Sage driver by another run of this program.
    if (const auto readerExit = RunReaderIfAsked(ProgramArguments(argc, argv))) {
        return *readerExit;
    }
    // Read first and removed from the environment, so that no program
    // started later (the browser) inherits it.
    std::string password = TakeEnvironmentSecret("QUILLMERE_SAGE_PASSWORD");

    ExportOptions options;
    try {
        std::vector<std::string> arguments = ProgramArguments(argc, argv);
        std::vector<char*> pointers;
        for (std::string& argument : arguments) {
            pointers.push_back(argument.data());
        }
        pointers.push_back(nullptr);
        options = ParseExportOptions(static_cast<int>(arguments.size()), pointers.data());
        if (!options.help && !options.version) {
            // Checked before anything is exported, not at the upload.
            CheckServiceOptions(options.serviceUrl, options.caFile);
        }
    } catch (const UsageError& e) {
        std::cerr << "quillmere-export: " << e.what()
                  << "\n(quillmere-export --help shows the options)" << std::endl;
        return ExitUsage;
    }
    if (options.help) {
        std::cout << ExportUsage();
        return ExitFinished;
    }
    if (options.version) {
        std::cout << "quillmere-export " << QUILLMERE_VERSION << std::endl;
        return ExitFinished;
    }
    if (options.passwordFile) {
        try {
            password = ReadPasswordLine(*options.passwordFile);
            const std::string warning = PasswordFileWarning(*options.passwordFile);
            if (!warning.empty()) {
                std::cerr << "quillmere-export: " << warning << std::endl;
            }
        } catch (const Exception& e) {
            std::cerr << "quillmere-export: " << e.what() << std::endl;
            return ExitUsage;
        }
    }

    options.summary = options.summary || StandardOutputIsTerminal();
    InstallInterruptHandler();
    auto system = CreateHostSystem(options.workDir);
    HeadlessView view(std::cout, std::cerr, StandardErrorIsTerminal());
    view.interruptPending = InterruptRequested;
    return RunUnattended(options, password, view, *system, std::cout, std::cerr);
}
