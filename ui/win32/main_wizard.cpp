// The wizard on Windows: the native window over the page flow.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ufMain.h"
#include "platform/Terminal.h"
#include "reader/ReaderMain.h"
#include "ui/win32/WideText.h"
#include "ui/win32/Win32WizardWindow.h"

namespace {

// A window program has no console: the usage goes to standard output when
// it leads somewhere (redirected, or under Wine), else into a message box.
void ShowUsage(const std::string& text, UINT icon) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) {
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
        return;
    }
    MessageBoxW(nullptr, quillmere::WindowsLines(text).c_str(),
                quillmere::Wide(quillmere::ApplicationTitle).c_str(), MB_OK | icon);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace quillmere;
    // Started as the reader of the Sage driver by the wizard: no window.
    if (const auto readerExit = RunReaderIfAsked(ProgramArguments(0, nullptr))) {
        return *readerExit;
    }
    WizardOptions options;
    try {
        std::vector<std::string> arguments = ProgramArguments(0, nullptr);
        std::vector<char*> pointers;
        for (std::string& argument : arguments) {
            pointers.push_back(argument.data());
        }
        pointers.push_back(nullptr);
        options = ParseWizardOptions(static_cast<int>(arguments.size()), pointers.data());
        if (!options.help) {
            // Checked before anything is exported, not at the upload.
            CheckServiceOptions(options.serviceUrl, options.caFile);
        }
    } catch (const UsageError& e) {
        ShowUsage(std::string(e.what()) + "\n" + WizardUsage(), MB_ICONERROR);
        return 2;
    }
    if (options.help) {
        ShowUsage(WizardUsage(), MB_ICONINFORMATION);
        return 0;
    }

    auto system = CreateHostSystem(options.workDir);
    Win32WizardWindow window;
    TfrmMain form(window, *system);
    ApplyWizardOptions(options, form);
    window.start(form);
    return window.run();
}
