#pragma once
// The wizard's real window: five pages without tabs and four buttons. Every
// control carries the object name of the control it stands for, and every
// event is forwarded to the matching TfrmMain handler.
#include <QDialog>
#include <QTimer>

#include "platform/WizardView.h"

class QStackedWidget;
class QListWidget;
class QComboBox;
class QPlainTextEdit;
class QProgressBar;
class QLabel;

namespace quillmere {

class TfrmMain;

class QtWizardWindow : public QDialog, public WizardView {
    Q_OBJECT
  public:
    explicit QtWizardWindow(QWidget* parent = nullptr);
    ~QtWizardWindow() override;

    // The widget's own visibility and enabled state stay reachable beside the
    // view's by-name operations.
    using QDialog::isEnabled;
    using QDialog::isVisible;
    using QDialog::setEnabled;
    using QDialog::setVisible;

    // Connects the window's events to the page flow.
    void attach(TfrmMain* form);

    // WizardView
    MsgResult messageBox(const std::string& text, MsgType type, MsgButtons buttons) override;
    SendChoice askBeforeSending(const SendQuestion& question) override;
    void errorReport(const std::string& title, const std::string& text) override;
    int pageCount() const override;
    int activePage() const override;
    void setActivePage(int index) override;
    void setEnabled(std::string_view control, bool enabled) override;
    bool isEnabled(std::string_view control) const override;
    void setVisible(std::string_view control, bool visible) override;
    bool isVisible(std::string_view control) const override;
    void setText(std::string_view control, const std::string& text) override;
    std::string text(std::string_view control) const override;
    int versionIndex() const override;
    std::string versionText() const override;
    void addDrive(const std::string& root) override;
    int driveCount() const override;
    std::string driveText(int index) const override;
    bool driveChecked(int index) const override;
    void clearStatus() override;
    void addStatusLine(const std::string& line) override;
    void setProgressMax(int maximum) override;
    void setProgressPosition(int position) override;
    void setWaitingText(const std::string& text) override;
    void processMessages() override;
    void setTimerEnabled(bool enabled) override;
    void closeWindow() override;
    std::optional<std::string> browseForFolder(const std::string& prompt,
                                               const std::string& start) override;
    std::optional<int> chooseDirectory(const std::vector<std::string>& directories) override;
    std::optional<int> chooseCompany(
        const std::vector<std::pair<std::string, std::string>>& rows) override;
    int chooseChart(const std::vector<std::string>& items) override;

    // The TfrmDirSelect dialog created at start (hidden until a scan needs it).
    QDialog* dirSelect() const { return dirSelect_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Escape presses Cancel

  private:
    QWidget* control(std::string_view name) const;
    // Moves the keyboard focus off `widget` (about to be disabled or hidden)
    // when it has it: to Next, Finish or Back, else into the page.
    void moveFocusFrom(QWidget* widget);
    void buildPages();
    void dispatch(void (TfrmMain::*handler)());

    TfrmMain* form_ = nullptr;
    bool closing_ = false;
    QStackedWidget* pages_ = nullptr;
    QComboBox* version_ = nullptr;
    QListWidget* drives_ = nullptr;
    QPlainTextEdit* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* waiting_ = nullptr;  // lblWaiting
    QTimer timer1_;
    QDialog* dirSelect_ = nullptr;
};

// Turns CR, CR LF and LF into the line breaks Qt shows ("\n").
QString DisplayText(const std::string& text);

}  // namespace quillmere
