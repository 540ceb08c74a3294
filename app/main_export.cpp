// quillmere-export: the wizard's main job without a window, driven by options.
#include <iostream>

#include "app/ExportCommandLine.h"
#include "platform/Exceptions.h"
#include "ui/console/Console.h"
#include "ui/console/HeadlessView.h"
#include "ui/console/UnattendedRun.h"

int main(int argc, char** argv) {
    using namespace quillmere;
    // Read first and removed from the environment, so that no program
    // started later (the browser) inherits it.
    std::string password = TakeEnvironmentSecret("QUILLMERE_SAGE_PASSWORD");

    ExportOptions options;
    try {
        options = ParseExportOptions(argc, argv);
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
