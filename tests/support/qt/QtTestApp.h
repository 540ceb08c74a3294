#pragma once
// The QApplication for GUI tests, on the offscreen platform so they run
// without a display, plus helpers to answer modal dialogs.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <string>

namespace quillmere::test {

inline QApplication& QtTestApp() {
    static int argc = 1;
    static char name[] = "quillmere-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Runs `answer` on the next modal dialog once it is showing (polls the event
// loop, since the dialog opens inside the action that follows this call).
inline void WhenModalShows(std::function<void(QWidget*)> answer, int attempts = 300) {
    QTimer::singleShot(10, [answer = std::move(answer), attempts]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            answer(modal);
        } else if (attempts > 0) {
            WhenModalShows(std::move(answer), attempts - 1);
        }
    });
}

struct SeenBox {
    std::string title;
    std::string text;
};

// Answers the next message box by pressing the button with `buttonText`,
// recording what it showed.
inline void AnswerMessageBox(SeenBox* seen, const QString& buttonText) {
    WhenModalShows([seen, buttonText](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) {
            return;
        }
        if (seen) {
            seen->title = box->windowTitle().toStdString();
            seen->text = box->text().toStdString();
        }
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == buttonText) {
                b->click();
                return;
            }
        }
    });
}

}  // namespace quillmere::test
