#include "ui/qt/QtWizardWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/SendDecision.h"
#include "app/VersionEntries.h"
#include "app/ufMain.h"
#include "platform/Exceptions.h"
#include "ui/qt/PreflightDialog.h"
#include "ui/qt/ufChartSelect.h"
#include "ui/qt/ufDirSelect.h"
#include "ui/qt/ufSelectCompany.h"

namespace quillmere {

namespace {

const char* const IntroText =
    "Use this wizard to extract all data from your Sage Line 50 accounts ready to import<br>"
    "into online accounting for conversion. This wizard only extracts data, it does not<br>"
    "write any changes to your Sage data. However for peace of mind we recommend<br>"
    "that you backup your Sage accounts data before running this wizard.<br>"
    "<br>"
    "Just follow the easy steps and the wizard will create a file that you can simply Email.<br>"
    "<br>"
    "Please click 'Next' to begin....";

const char* const VersionText =
    "First we need to determine what version of Sage Line 50 (or Instant) you are currently "
    "running.<br>"
    "<br>"
    "If you are unsure then you can find out what version you have by doing the following;<br>"
    "<br>"
    "<ul style=\"margin-top:0px; margin-bottom:0px;\">"
    "<li>Log in to Sage Line 50 or Instant</li>"
    "<li>Select 'Help' from the main menu</li>"
    "<li>Then select the 'About...' option</li>"
    "<li>On the 'General' tab it should show the version number</li>"
    "</ul>"
    "<br>"
    "Once you have the version number then please select it from the list below.<br>"
    "<br>"
    "<b>Please make sure you select the right version otherwise the wizard will not work.</b>";

const char* const LoginText =
    "First, lets select the company we wish to use to extract the data from. If you have<br>"
    "more than one company then you will be able to select from a list. If you have only<br>"
    "a single company then the wizard will just use that.";

const char* const FinishText =
    "<b>Thats it!</b><br>"
    "<br>"
    "Just click on Finish and the data will be extracted and placed into an archive file.<br>"
    "Then you will be automatically taken to a web page to complete the process, after<br>"
    "the wizard has finsihed submitting the file.";

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text,
                  Qt::TextFormat format = Qt::PlainText, bool bold = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(format);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    return label;
}

QFrame* MakeRule(QWidget* parent) {
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QString ToQ(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

QString DisplayText(const std::string& text) {
    QString s = ToQ(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QChar(u'\r'), QChar(u'\n'));
    return s;
}

QtWizardWindow::QtWizardWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("frmMain");
    setWindowTitle(MainCaption);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    setFont(tahoma);

    buildPages();

    auto* cmdCancel = MakeButton(this, "cmdCancel", "Cancel");
    auto* cmdBack = MakeButton(this, "cmdBack", "Back");
    auto* cmdNext = MakeButton(this, "cmdNext", "Next");
    auto* cmdFinish = MakeButton(this, "cmdFinish", "Finish");
    cmdNext->setDefault(true);
    cmdNext->setAutoDefault(true);
    cmdBack->setEnabled(false);
    cmdFinish->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdNext);
    buttons->addWidget(cmdFinish);

    // The waiting line, under the pages on every page. Its room is kept
    // while it is hidden, taken off the page area, so that neither the
    // window nor its buttons move when it comes and goes.
    waiting_ = MakeLabel(this, "lblWaiting", "");
    waiting_->setTextInteractionFlags(Qt::NoTextInteraction);
    // A long text is cut off at the window's edge rather than widening it.
    QSizePolicy keepRoom(QSizePolicy::Ignored, QSizePolicy::Fixed);
    keepRoom.setRetainSizeWhenHidden(true);
    waiting_->setSizePolicy(keepRoom);
    // In line with the pages' texts.
    waiting_->setContentsMargins(pages_->widget(0)->layout()->contentsMargins().left(), 0, 0, 0);
    waiting_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addWidget(waiting_);
    layout->addWidget(MakeRule(this));
    layout->addLayout(buttons);
    pages_->setFixedHeight(pages_->maximumHeight() - waiting_->sizeHint().height() -
                           layout->spacing());

    timer1_.setObjectName("Timer1");
    timer1_.setInterval(1000);

    // The directory chooser exists from the start and stays hidden.
    dirSelect_ = new TfrmDirSelect(this);
    dirSelect_->hide();

    layout->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

QtWizardWindow::~QtWizardWindow() = default;

void QtWizardWindow::buildPages() {
    pages_ = new QStackedWidget(this);
    pages_->setObjectName("pgcMain");

    // Page 0: welcome.
    auto* intro = new QWidget;
    intro->setObjectName("tabIntro");
    {
        auto* v = new QVBoxLayout(intro);
        v->addWidget(MakeLabel(intro, "Label1", "Welcome to the Quillmere Export Wizard",
                               Qt::PlainText, true));
        v->addWidget(MakeLabel(intro, "HTMLabel1", IntroText, Qt::RichText));
        v->addStretch();
    }

    // Page 1: the Sage version.
    auto* versionPage = new QWidget;
    versionPage->setObjectName("tabVersion");
    {
        auto* v = new QVBoxLayout(versionPage);
        v->addWidget(MakeLabel(versionPage, "RTFLabel1", VersionText, Qt::RichText));
        v->addWidget(MakeRule(versionPage));
        auto* row = new QHBoxLayout;
        row->addWidget(MakeLabel(versionPage, "Label3", "Version:"));
        version_ = new QComboBox(versionPage);
        version_->setObjectName("cboVersion");
        version_->setEditable(false);
        for (std::string_view entry : VersionEntries) {
            version_->addItem(
                QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
        }
        version_->setCurrentIndex(-1);
        version_->setMinimumWidth(200);
        row->addWidget(version_);
        row->addStretch();
        v->addLayout(row);
        v->addWidget(MakeLabel(versionPage, "RTFLabel3",
                               "Now we can click 'Next' to locate the Sage Home Directory..."));
        v->addStretch();
    }

    // Page 2: the Sage home directory.
    auto* locate = new QWidget;
    locate->setObjectName("tabLocate");
    {
        auto* v = new QVBoxLayout(locate);
        auto* html3 = MakeLabel(locate, "HTMLabel3", "");
        html3->setWordWrap(true);
        html3->setMinimumHeight(64);
        v->addWidget(html3);
        auto* browse = MakeButton(locate, "cmdBrowse", "Browse to Sage Home Directory");
        browse->hide();
        auto* browseRow = new QHBoxLayout;
        browseRow->addWidget(browse);
        browseRow->addStretch();
        v->addLayout(browseRow);
        v->addWidget(MakeRule(locate));
        drives_ = new QListWidget(locate);
        drives_->setObjectName("chkDrives");
        drives_->setMaximumHeight(90);
        drives_->hide();
        v->addWidget(drives_);
        auto* scan = MakeButton(locate, "cmdScan", "Scan for Home Directory");
        scan->hide();
        auto* scanRow = new QHBoxLayout;
        scanRow->addWidget(scan);
        auto* lblScan = MakeLabel(locate, "lblScan", "Scanning drive for home directory...",
                                  Qt::PlainText, true);
        lblScan->hide();
        scanRow->addWidget(lblScan);
        scanRow->addStretch();
        v->addLayout(scanRow);
        v->addStretch();
    }

    // Page 3: company and login.
    auto* login = new QWidget;
    login->setObjectName("tabLogin");
    {
        auto* v = new QVBoxLayout(login);
        v->addWidget(MakeLabel(login, "RTFLabel4", LoginText, Qt::RichText));
        auto* companyRow = new QHBoxLayout;
        companyRow->addWidget(MakeLabel(login, "Label2", "Select Company:"));
        auto* company = new QLineEdit("Please click '...' button to select company", login);
        company->setObjectName("txtCompanySelect");
        company->setReadOnly(true);
        companyRow->addWidget(company, 1);
        auto* select = MakeButton(login, "cmdCompanySelect", "...");
        select->setFixedWidth(28);
        companyRow->addWidget(select);
        v->addLayout(companyRow);
        v->addWidget(MakeRule(login));
        v->addWidget(MakeLabel(login, "RTFLabel5",
                               "Now we can login to Sage using a valid username and password."));
        auto* grid = new QGridLayout;
        grid->addWidget(MakeLabel(login, "lblInitials", "User ID:"), 0, 0);
        auto* user = new QLineEdit(login);
        user->setObjectName("txtUserID");
        grid->addWidget(user, 0, 1);
        grid->addWidget(MakeLabel(login, "lblPassword", "Password:"), 1, 0);
        auto* password = new QLineEdit(login);
        password->setObjectName("txtPassword");
        password->setEchoMode(QLineEdit::Password);
        grid->addWidget(password, 1, 1);
        grid->setColumnStretch(2, 1);
        v->addLayout(grid);
        auto* loginRow = new QHBoxLayout;
        loginRow->addWidget(MakeButton(login, "cmdLogin", "Login..."));
        loginRow->addWidget(MakeButton(login, "cmdCheck", "Check..."));
        auto* status =
            MakeLabel(login, "lblStatus", "Successfully Logged into Sage!", Qt::PlainText, true);
        status->hide();
        loginRow->addWidget(status);
        loginRow->addStretch();
        v->addLayout(loginRow);
        v->addStretch();
    }

    // Page 4: finish.
    auto* options = new QWidget;
    options->setObjectName("tabOptions");
    {
        auto* v = new QVBoxLayout(options);
        v->addWidget(MakeLabel(options, "HTMLabel2", FinishText, Qt::RichText));
        auto* help = MakeLabel(options, "lblURLHelp",
                               "If the program doesn't automatically take you to the website you "
                               "can copy and paste\nthe following into your browser");
        help->hide();
        v->addWidget(help);
        auto* url = new QLineEdit(options);
        url->setObjectName("txtURL");
        url->setReadOnly(true);
        url->hide();
        v->addWidget(url);
        status_ = new QPlainTextEdit(options);
        status_->setObjectName("txtStatus");
        status_->setReadOnly(true);
        status_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        status_->hide();
        v->addWidget(status_, 1);
        progress_ = new QProgressBar(options);
        progress_->setObjectName("pbMain");
        progress_->setRange(0, 100);
        progress_->setValue(0);
        progress_->hide();
        v->addWidget(progress_);
        v->addStretch();
    }

    for (QWidget* page : {intro, versionPage, locate, login, options}) {
        pages_->addWidget(page);
    }
    pages_->setFixedSize(560, 380);
    pages_->setCurrentIndex(0);
}

void QtWizardWindow::attach(TfrmMain* form) {
    form_ = form;
    auto button = [this](const char* name) { return findChild<QPushButton*>(name); };
    connect(button("cmdNext"), &QPushButton::clicked, this,
            [this] { dispatch(&TfrmMain::cmdNextClick); });
    connect(button("cmdBack"), &QPushButton::clicked, this,
            [this] { dispatch(&TfrmMain::cmdBackClick); });
    connect(button("cmdCancel"), &QPushButton::clicked, this,
            [this] { dispatch(&TfrmMain::cmdCancelClick); });
    connect(version_, &QComboBox::currentIndexChanged, this,
            [this] { dispatch(&TfrmMain::cboVersionChange); });
    connect(button("cmdBrowse"), &QPushButton::clicked, this,
            [this] { dispatch(&TfrmMain::cmdBrowseClick); });
    connect(button("cmdScan"), &QPushButton::clicked, this,
            [this] { dispatch(&TfrmMain::cmdScanClick); });
    connect(&timer1_, &QTimer::timeout, this, [this] { dispatch(&TfrmMain::Timer1Timer); });
    connect(button("cmdCompanySelect"), &QPushButton::clicked, this,
            [this] { dispatch(&TfrmMain::txtCompanySelectOldClickBtn); });
    connect(button("cmdLogin"), &QPushButton::clicked, this,
            [this] { dispatch(&TfrmMain::cmdLoginClick); });
    connect(button("cmdFinish"), &QPushButton::clicked, this,
            [this] { dispatch(&TfrmMain::cmdFinishClick); });
    // Beside the page flow: the pre-flight check in a dialog of its own.
    connect(button("cmdCheck"), &QPushButton::clicked, this, [this] {
        PreflightDialog dialog(form_->CheckSettings(), form_->Sys(), this);
        dialog.exec();
    });
}

void QtWizardWindow::dispatch(void (TfrmMain::*handler)()) {
    if (form_) {
        form_->Dispatch(handler);
    }
}

void QtWizardWindow::closeEvent(QCloseEvent* event) {
    if (closing_ || !form_) {
        event->accept();
        return;
    }
    // TfrmMain decides: at once when idle, or when the running handler ends.
    event->ignore();
    form_->RequestClose();
}

void QtWizardWindow::reject() {
    if (auto* cancel = findChild<QPushButton*>("cmdCancel"); cancel && cancel->isEnabled()) {
        cancel->click();
    }
}

QWidget* QtWizardWindow::control(std::string_view name) const {
    auto* w = findChild<QWidget*>(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
    if (!w) {
        throw Exception("No control named " + std::string(name));
    }
    return w;
}

MsgResult QtWizardWindow::messageBox(const std::string& text, MsgType type, MsgButtons buttons) {
    QMessageBox box(this);
    box.setObjectName("messageBox");
    box.setWindowTitle(MsgTypeTitle(type));
    box.setText(DisplayText(text));
    switch (type) {
        case MsgType::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgType::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgType::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgType::Confirmation:
            box.setIcon(QMessageBox::Question);
            break;
    }
    if (buttons == MsgButtons::YesNo) {
        QPushButton* yes = box.addButton("&Yes", QMessageBox::YesRole);
        QPushButton* no = box.addButton("&No", QMessageBox::NoRole);
        yes->setObjectName("Yes");
        no->setObjectName("No");
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MsgResult::Yes : MsgResult::No;
    }
    QPushButton* ok = box.addButton("OK", QMessageBox::AcceptRole);
    ok->setObjectName("OK");
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return MsgResult::OK;
}

SendChoice QtWizardWindow::askBeforeSending(const SendQuestion& question) {
    QMessageBox box(this);
    box.setObjectName("sendQuestion");
    box.setWindowTitle(SendQuestionTitle);
    box.setIcon(QMessageBox::Warning);
    box.setText(DisplayText(question.text));
    // Buttons of their own roles, in this order; none of them is a plain
    // "accept", so that Enter after a stray Finish sends nothing.
    QPushButton* send =
        box.addButton(QString("&") + SendAnywayCaption, QMessageBox::DestructiveRole);
    QPushButton* open = box.addButton(QString("&") + OpenReportCaption, QMessageBox::ActionRole);
    QPushButton* keep = box.addButton(QString("&") + KeepArchiveCaption, QMessageBox::RejectRole);
    send->setObjectName("SendAnyway");
    open->setObjectName("OpenReport");
    keep->setObjectName("KeepArchive");
    // Enter, Escape and the close box all keep the archive.
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    keep->setFocus(Qt::OtherFocusReason);
    // The window gets its focus back when the box goes, not only when a
    // window manager hands the activation back: the user reads the status
    // lines next, and Escape must still reach Cancel.
    QPointer<QWidget> focus = QApplication::focusWidget();
    box.exec();
    activateWindow();
    if (focus && focus->isEnabled() && focus->isVisible()) {
        focus->setFocus(Qt::OtherFocusReason);
    }
    if (box.clickedButton() == send) {
        return SendChoice::SendAnyway;
    }
    if (box.clickedButton() == open) {
        return SendChoice::OpenReport;
    }
    return SendChoice::KeepArchive;
}

void QtWizardWindow::errorReport(const std::string& title, const std::string& text) {
    QMessageBox box(this);
    box.setObjectName("errorReport");
    box.setWindowTitle(ToQ(title));
    box.setIcon(QMessageBox::Critical);
    box.setText(DisplayText(text));
    QPushButton* ok = box.addButton("OK", QMessageBox::AcceptRole);
    ok->setObjectName("OK");
    box.setEscapeButton(ok);
    box.exec();
}

int QtWizardWindow::pageCount() const {
    return pages_->count();
}

int QtWizardWindow::activePage() const {
    return pages_->currentIndex();
}

void QtWizardWindow::setActivePage(int index) {
    pages_->setCurrentIndex(index);
}

void QtWizardWindow::moveFocusFrom(QWidget* widget) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !(focus == widget || widget->isAncestorOf(focus))) {
        return;
    }
    // Qt would move on to the next widget in the focus chain, which after
    // Next or Scan is Cancel. The focus goes to the button that leads on
    // instead, or to a widget of the page; never to Cancel.
    for (const char* name : {"cmdNext", "cmdFinish", "cmdBack"}) {
        auto* button = findChild<QPushButton*>(name);
        if (button != widget && button->isEnabled() && !button->isHidden()) {
            button->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    for (QWidget* w : pages_->currentWidget()->findChildren<QWidget*>()) {
        if (w != widget && !widget->isAncestorOf(w) && w->isEnabled() && !w->isHidden() &&
            (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    pages_->currentWidget()->setFocus(Qt::OtherFocusReason);
}

void QtWizardWindow::setEnabled(std::string_view name, bool enabled) {
    QWidget* widget = control(name);
    if (!enabled) {
        moveFocusFrom(widget);
    }
    widget->setEnabled(enabled);
    // Enter presses Next, or Finish on the page where Next is disabled.
    auto* next = findChild<QPushButton*>("cmdNext");
    auto* finish = findChild<QPushButton*>("cmdFinish");
    const bool finishLeads = !next->isEnabled() && finish->isEnabled();
    next->setDefault(!finishLeads);
    finish->setDefault(finishLeads);
}

bool QtWizardWindow::isEnabled(std::string_view name) const {
    return control(name)->isEnabled();
}

void QtWizardWindow::setVisible(std::string_view name, bool visible) {
    QWidget* widget = control(name);
    if (!visible) {
        moveFocusFrom(widget);
    }
    widget->setVisible(visible);
}

bool QtWizardWindow::isVisible(std::string_view name) const {
    // The control's own flag, whichever page is showing.
    return !control(name)->isHidden();
}

void QtWizardWindow::setText(std::string_view name, const std::string& text) {
    QWidget* w = control(name);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(DisplayText(text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(ToQ(text));
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
        memo->setPlainText(DisplayText(text));
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        button->setText(ToQ(text));
    } else {
        throw Exception("Control " + std::string(name) + " holds no text");
    }
}

std::string QtWizardWindow::text(std::string_view name) const {
    QWidget* w = control(name);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return label->text().toStdString();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        return edit->text().toStdString();
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
        return memo->toPlainText().toStdString();
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        return button->text().toStdString();
    }
    throw Exception("Control " + std::string(name) + " holds no text");
}

int QtWizardWindow::versionIndex() const {
    return version_->currentIndex();
}

std::string QtWizardWindow::versionText() const {
    return version_->currentText().toStdString();
}

void QtWizardWindow::addDrive(const std::string& root) {
    auto* item = new QListWidgetItem(ToQ(root), drives_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
}

int QtWizardWindow::driveCount() const {
    return drives_->count();
}

std::string QtWizardWindow::driveText(int index) const {
    return drives_->item(index)->text().toStdString();
}

bool QtWizardWindow::driveChecked(int index) const {
    return drives_->item(index)->checkState() == Qt::Checked;
}

void QtWizardWindow::clearStatus() {
    status_->clear();
}

void QtWizardWindow::addStatusLine(const std::string& line) {
    status_->appendPlainText(DisplayText(line));
}

void QtWizardWindow::setProgressMax(int maximum) {
    progress_->setMaximum(maximum);
}

void QtWizardWindow::setProgressPosition(int position) {
    progress_->setValue(position);
}

void QtWizardWindow::setWaitingText(const std::string& text) {
    waiting_->setText(DisplayText(text));
    waiting_->setVisible(!text.empty());
}

void QtWizardWindow::processMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtWizardWindow::setTimerEnabled(bool enabled) {
    if (enabled) {
        timer1_.start();
    } else {
        timer1_.stop();
    }
}

void QtWizardWindow::closeWindow() {
    closing_ = true;
    timer1_.stop();
    QDialog::done(QDialog::Accepted);
    close();
}

std::optional<std::string> QtWizardWindow::browseForFolder(const std::string& prompt,
                                                           const std::string& start) {
    // An empty start leaves the dialog at its default place.
    const QString dir =
        QFileDialog::getExistingDirectory(this, ToQ(prompt), ToQ(start), QFileDialog::ShowDirsOnly);
    if (dir.isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(dir).toStdString();
}

std::optional<int> QtWizardWindow::chooseDirectory(const std::vector<std::string>& directories) {
    auto* chooser = static_cast<TfrmDirSelect*>(dirSelect_);
    chooser->ListBox1->clear();
    for (const std::string& dir : directories) {
        chooser->ListBox1->addItem(ToQ(dir));
    }
    if (!directories.empty()) {
        chooser->ListBox1->setCurrentRow(0);
    }
    if (chooser->exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return chooser->ListBox1->currentRow();
}

std::optional<int> QtWizardWindow::chooseCompany(
    const std::vector<std::pair<std::string, std::string>>& rows) {
    // A chooser of its own for each selection, released when it is done.
    TfrmSelectCompany chooser(this);
    chooser.SetCompanies(rows);
    if (chooser.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return chooser.SelectedRow();
}

int QtWizardWindow::chooseChart(const std::vector<std::string>& items) {
    // A chooser of its own for each choice. How it was closed does not
    // matter: the highlighted item is the answer.
    TfrmChartSelect chooser(this);
    chooser.SetCharts(items);
    chooser.exec();
    return chooser.HighlightedIndex();
}

}  // namespace quillmere
