// The wizard: the Qt window over the page flow.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/CommandLine.h"
#include "app/ufMain.h"
#include "reader/ReaderMain.h"
#include "ui/qt/QtWizardWindow.h"

int main(int argc, char** argv) {
    using namespace quillmere;
    // Started as the reader of the Sage driver by the wizard: no window.
    if (const auto readerExit = RunReaderIfAsked(argc, argv)) {
        return *readerExit;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setApplicationDisplayName(ApplicationTitle);

    WizardOptions options;
    try {
        options = ParseWizardOptions(argc, argv);
        if (!options.help) {
            CheckServiceOptions(options.serviceUrl, options.caFile);
        }
    } catch (const UsageError& e) {
        std::fprintf(stderr, "%s\n%s", e.what(), WizardUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(WizardUsage(), stdout);
        return 0;
    }

    auto system = CreateHostSystem(options.workDir);
    QtWizardWindow window;
    TfrmMain form(window, *system);
    ApplyWizardOptions(options, form);
    window.attach(&form);
    form.Dispatch(&TfrmMain::FormCreate);
    window.show();
    // Once the window is up: an archive an earlier run left unsent.
    QTimer::singleShot(0, &window, [&form] { form.Dispatch(&TfrmMain::OfferUnsentArchive); });
    return QApplication::exec();
}
