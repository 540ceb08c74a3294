#include "ui/qt/PreflightDialog.h"

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

void PreflightDialog::runChecks() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::vector<CheckLine> lines;
    try {
        lines = RunPreflight(settings_, system_, [this](const CheckLine& line) {
            list_->appendPlainText(QString::fromStdString(CheckLineText(line)));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        list_->appendPlainText(AllChecksHold(lines)
                                   ? "\nEvery check holds."
                                   : "\nSome checks FAILED: see what to do above.");
    } catch (const std::exception& e) {
        list_->appendPlainText(QString("\nThe check stopped: ") + e.what());
    }
    QApplication::restoreOverrideCursor();
    finished_ = true;
    close_->setEnabled(true);
    close_->setDefault(true);
}

}  // namespace quillmere
