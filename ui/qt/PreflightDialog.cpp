#include "ui/qt/PreflightDialog.h"

#include "platform/Exceptions.h"
#include "sage/SageReader.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace quillmere {

PreflightDialog::PreflightDialog(PreflightSettings settings, System& system, QWidget* parent)
    : QDialog(parent), settings_(std::move(settings)), system_(system) {
    setObjectName("frmCheck");
    setWindowTitle("Check");
    auto* v = new QVBoxLayout(this);
    auto* intro = new QLabel(
        "Everything the export needs, checked without exporting anything. A failed check says "
        "what to do.",
        this);
    intro->setWordWrap(true);
    v->addWidget(intro);
    list_ = new QPlainTextEdit(this);
    list_->setObjectName("txtChecks");
    list_->setReadOnly(true);
    list_->setLineWrapMode(QPlainTextEdit::NoWrap);
    v->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    waiting_ = new QLabel(this);
    waiting_->setObjectName("lblWaiting");
    waiting_->setTextFormat(Qt::PlainText);
    // A long text is cut off rather than widening the dialog.
    waiting_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    waiting_->hide();
    row->addWidget(waiting_, 1);
    row->addStretch();
    close_ = new QPushButton("Close", this);
    close_->setObjectName("cmdClose");
    close_->setEnabled(false);
    row->addWidget(close_);
    v->addLayout(row);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    resize(720, 420);
}

void PreflightDialog::setWaitingText(const std::string& text) {
    waiting_->setText(QString::fromStdString(text));
    waiting_->setVisible(!text.empty());
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void PreflightDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        QTimer::singleShot(0, this, [this] { runChecks(); });
    }
}

void PreflightDialog::reject() {
    if (running_) {
        stopAsked_ = true;  // the checks stop at their next pump, then close
        return;
    }
    QDialog::reject();
}

void PreflightDialog::runChecks() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    running_ = true;
    // While the check waits for the Sage driver, the dialog stays alive: its
    // waiting line counts the seconds, and Escape or the close box stop it.
    settings_.pump = [this] {
        QApplication::processEvents();
        if (stopAsked_) {
            throw EAbort();
        }
    };
    settings_.waiting = [this](const std::string& doing, int seconds) {
        setWaitingText(seconds > 0 ? WaitingText(doing, seconds) : std::string());
    };
    std::vector<CheckLine> lines;
    try {
        lines = RunPreflight(settings_, system_, [this](const CheckLine& line) {
            list_->appendPlainText(QString::fromStdString(CheckLineText(line)));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        list_->appendPlainText(AllChecksHold(lines)
                                   ? "\nEvery check holds."
                                   : "\nSome checks FAILED: see what to do above.");
    } catch (const EAbort&) {
        list_->appendPlainText("\nThe check was stopped.");
    } catch (const std::exception& e) {
        list_->appendPlainText(QString("\nThe check stopped: ") + e.what());
    }
    running_ = false;
    QApplication::restoreOverrideCursor();
    finished_ = true;
    close_->setEnabled(true);
    close_->setDefault(true);
    if (stopAsked_) {
        QDialog::reject();
    }
}

}  // namespace quillmere
