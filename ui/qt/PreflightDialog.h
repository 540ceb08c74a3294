#pragma once
// The "Check..." dialog of the login page: the pre-flight checklist, one
// line per check as it completes, run once the dialog shows.
#include <QDialog>
#include <string>

#include "app/PreflightCheck.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quillmere {

class PreflightDialog : public QDialog {
    Q_OBJECT
  public:
    PreflightDialog(PreflightSettings settings, System& system, QWidget* parent = nullptr);

    // Whether the checks have run to their end.
    bool finished() const { return finished_; }

    // The line beside Close that says the check waits for the Sage driver
    // and for how long (lblWaiting); the empty text hides it. Painted at
    // once: the checks run inside the dialog's own event handling.
    void setWaitingText(const std::string& text);

    // Escape and the close box while the checks run stop them (a driver
    // call they wait for ends with its reader process); the dialog then
    // closes.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void runChecks();

    PreflightSettings settings_;
    System& system_;
    QPlainTextEdit* list_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* waiting_ = nullptr;
    bool started_ = false;
    bool finished_ = false;
    bool running_ = false;
    bool stopAsked_ = false;
};

}  // namespace quillmere
