#include "ui/win32/Win32WizardWindow.h"

#include <commctrl.h>
#include <shlobj.h>

#include <iterator>
#include <string>

#include "app/SendDecision.h"
#include "app/VersionEntries.h"
#include "app/ufMain.h"
#include "platform/Exceptions.h"
#include "ui/win32/FormattedText.h"
#include "ui/win32/PageTexts.h"
#include "ui/win32/PreflightDialog.h"
#include "ui/win32/Resource.h"
#include "ui/win32/WideText.h"
#include "ui/win32/ufChartSelect.h"
#include "ui/win32/ufDirSelect.h"
#include "ui/win32/ufSelectCompany.h"

namespace quillmere {

namespace {

constexpr UINT WM_PLACE_PAGES = WM_APP + 1;

// The pages, in page order, by name and dialog template.
struct PageEntry {
    const char* name;
    int dialog;
};
constexpr PageEntry PageEntries[] = {
    {"tabIntro", IDD_TABINTRO}, {"tabVersion", IDD_TABVERSION}, {"tabLocate", IDD_TABLOCATE},
    {"tabLogin", IDD_TABLOGIN}, {"tabOptions", IDD_TABOPTIONS},
};

// Every control by name: the page that holds it (-1: the button strip) and
// its identifier.
struct ControlEntry {
    const char* name;
    int page;
    int id;
};
constexpr ControlEntry ControlEntries[] = {
    {"cmdCancel", -1, IDC_CMDCANCEL},
    {"cmdBack", -1, IDC_CMDBACK},
    {"cmdNext", -1, IDC_CMDNEXT},
    {"cmdFinish", -1, IDC_CMDFINISH},
    {"lblWaiting", -1, IDC_LBLWAITING},
    {"Label1", tabIntro, IDC_LABEL1},
    {"HTMLabel1", tabIntro, IDC_HTMLABEL1},
    {"RTFLabel1", tabVersion, IDC_RTFLABEL1},
    {"Label3", tabVersion, IDC_LABEL3},
    {"cboVersion", tabVersion, IDC_CBOVERSION},
    {"RTFLabel3", tabVersion, IDC_RTFLABEL3},
    {"HTMLabel3", tabLocate, IDC_HTMLABEL3},
    {"cmdBrowse", tabLocate, IDC_CMDBROWSE},
    {"chkDrives", tabLocate, IDC_CHKDRIVES},
    {"cmdScan", tabLocate, IDC_CMDSCAN},
    {"lblScan", tabLocate, IDC_LBLSCAN},
    {"RTFLabel4", tabLogin, IDC_RTFLABEL4},
    {"Label2", tabLogin, IDC_LABEL2},
    {"txtCompanySelect", tabLogin, IDC_TXTCOMPANYSELECT},
    {"cmdCompanySelect", tabLogin, IDC_CMDCOMPANYSELECT},
    {"RTFLabel5", tabLogin, IDC_RTFLABEL5},
    {"lblInitials", tabLogin, IDC_LBLINITIALS},
    {"txtUserID", tabLogin, IDC_TXTUSERID},
    {"lblPassword", tabLogin, IDC_LBLPASSWORD},
    {"txtPassword", tabLogin, IDC_TXTPASSWORD},
    {"cmdLogin", tabLogin, IDC_CMDLOGIN},
    {"cmdCheck", tabLogin, IDC_CMDCHECK},
    {"lblStatus", tabLogin, IDC_LBLSTATUS},
    {"HTMLabel2", tabOptions, IDC_HTMLABEL2},
    {"lblURLHelp", tabOptions, IDC_LBLURLHELP},
    {"txtURL", tabOptions, IDC_TXTURL},
    {"txtStatus", tabOptions, IDC_TXTSTATUS},
    {"pbMain", tabOptions, IDC_PBMAIN},
};

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

// CR LF back to the "\n" of the program's texts.
std::string ProgramLines(const std::wstring& text) {
    std::string s = Utf8(text);
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
            continue;
        }
        out += s[i];
    }
    return out;
}

void SetText(HWND control, const char* text) {
    SetWindowTextW(control, WindowsLines(text).c_str());
}

// Whether a control can take the keyboard focus: shown and enabled.
bool Usable(HWND control) {
    return control && IsWindowEnabled(control) &&
           (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace

Win32WizardWindow::Win32WizardWindow(bool quitOnClose) : quitOnClose_(quitOnClose) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                             ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    RegisterFormattedText(Instance());
    hwnd_ = CreateDialogParamW(Instance(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainProc,
                               reinterpret_cast<LPARAM>(this));
    if (!hwnd_) {
        throw Exception("The wizard window cannot be created (error " +
                        std::to_string(GetLastError()) + ")");
    }
    createPages();
    fillControls();
}

Win32WizardWindow::~Win32WizardWindow() {
    if (hwnd_) {
        KillTimer(hwnd_, IDT_TIMER1);
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

void Win32WizardWindow::createPages() {
    for (size_t i = 0; i < pages_.size(); ++i) {
        pages_[i] = CreateDialogParamW(Instance(), MAKEINTRESOURCEW(PageEntries[i].dialog), hwnd_,
                                       PageProc, reinterpret_cast<LPARAM>(this));
        if (!pages_[i]) {
            throw Exception(std::string("The page ") + PageEntries[i].name + " cannot be created");
        }
    }
    SendMessageW(hwnd_, WM_PLACE_PAGES, 0, 0);
    ShowWindow(pages_[0], SW_SHOW);
}

void Win32WizardWindow::fillControls() {
    SetWindowTextW(hwnd_, Wide(MainCaption).c_str());
    const int big = GetSystemMetrics(SM_CXICON);
    const int small = GetSystemMetrics(SM_CXSMICON);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_WIZARD),
                                                     IMAGE_ICON, big, big, LR_SHARED)));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_WIZARD),
                                                     IMAGE_ICON, small, small, LR_SHARED)));
    SendMessageW(hwnd_, DM_SETDEFID, IDC_CMDNEXT, 0);

    SetText(dlgItem(IDC_HTMLABEL1), win32::IntroText);
    SetText(dlgItem(IDC_RTFLABEL1), win32::VersionText);
    SetText(dlgItem(IDC_RTFLABEL4), win32::LoginText);
    SetText(dlgItem(IDC_HTMLABEL2), win32::FinishText);
    SetText(dlgItem(IDC_LBLURLHELP), win32::UrlHelpText);
    SetText(dlgItem(IDC_TXTCOMPANYSELECT), win32::CompanySelectPrompt);

    HWND versions = dlgItem(IDC_CBOVERSION);
    for (std::string_view entry : VersionEntries) {
        SendMessageW(versions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
    }
    SendMessageW(versions, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);

    SendMessageW(dlgItem(IDC_TXTPASSWORD), EM_SETPASSWORDCHAR, L'*', 0);
    SendMessageW(dlgItem(IDC_TXTSTATUS), EM_SETLIMITTEXT, 0, 0);

    HWND drives = dlgItem(IDC_CHKDRIVES);
    ListView_SetExtendedListViewStyle(drives, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT r;
    GetClientRect(drives, &r);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = r.right - GetSystemMetrics(SM_CXVSCROLL);
    ListView_InsertColumn(drives, 0, &column);

    SendMessageW(dlgItem(IDC_PBMAIN), PBM_SETRANGE32, 0, 100);
    SendMessageW(dlgItem(IDC_PBMAIN), PBM_SETPOS, 0, 0);
}

void Win32WizardWindow::attach(TfrmMain* form) {
    form_ = form;
}

void Win32WizardWindow::start(TfrmMain& form) {
    attach(&form);
    form.Dispatch(&TfrmMain::FormCreate);
    show();
    // Once the window is up: an archive an earlier run left unsent.
    form.Dispatch(&TfrmMain::OfferUnsentArchive);
}

void Win32WizardWindow::show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    SetForegroundWindow(hwnd_);
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dlgItem(IDC_CMDNEXT)), TRUE);
}

int Win32WizardWindow::run() {
    MSG msg;
    while (!closed_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            return got == 0 ? static_cast<int>(msg.wParam) : 1;
        }
        if (!IsDialogMessageW(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}

INT_PTR CALLBACK Win32WizardWindow::MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        return FALSE;  // the focus is set when the window is shown
    }
    auto* self = reinterpret_cast<Win32WizardWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) {
        return FALSE;
    }
    switch (msg) {
        case WM_COMMAND:
            self->onCommand(LOWORD(wp), HIWORD(wp));
            return TRUE;
        case WM_TIMER:
            if (wp == IDT_TIMER1) {
                self->dispatch(&TfrmMain::Timer1Timer);
            }
            return TRUE;
        case WM_CLOSE:
            // The close box: TfrmMain closes at once, or when the running
            // handler returns.
            if (!self->closed_) {
                if (self->form_) {
                    self->form_->RequestClose();
                } else {
                    self->closeWindow();
                }
            }
            return TRUE;
        case WM_DPICHANGED:
            // The dialog manager scales the window and its controls; the
            // pages follow once it is done.
            PostMessageW(hwnd, WM_PLACE_PAGES, 0, 0);
            return FALSE;
        case WM_PLACE_PAGES: {
            RECT area{0, 0, 390, 230};  // the page area, in dialog units
            MapDialogRect(hwnd, &area);
            for (HWND page : self->pages_) {
                if (page) {
                    SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left,
                                 area.bottom - area.top, SWP_NOACTIVATE);
                }
            }
            return TRUE;
        }
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK Win32WizardWindow::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // The pages' controls report to the main window.
    if (msg == WM_COMMAND) {
        SendMessageW(GetParent(hwnd), WM_COMMAND, wp, 0);
        return TRUE;
    }
    if (msg == WM_NOTIFY) {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
        if (hdr->idFrom == IDC_CHKDRIVES && hdr->code == NM_SETFOCUS) {
            // The drive list shows where the keyboard is: without an item
            // that has the focus mark, nothing shows until an arrow key is
            // pressed, and Space would tick nothing.
            if (ListView_GetItemCount(hdr->hwndFrom) > 0 &&
                ListView_GetNextItem(hdr->hwndFrom, -1, LVNI_FOCUSED) < 0) {
                ListView_SetItemState(hdr->hwndFrom, 0, LVIS_FOCUSED, LVIS_FOCUSED);
            }
            return TRUE;
        }
    }
    return FALSE;
}

void Win32WizardWindow::onCommand(int id, int code) {
    if (id == IDC_CBOVERSION) {
        if (code == CBN_SELCHANGE) {
            dispatch(&TfrmMain::cboVersionChange);
        }
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    // Enter and Escape arrive as IDOK and IDCANCEL: the default button
    // (Next, or Finish on the finish page) and Cancel.
    if (id == IDOK) {
        id = defaultButton();
    } else if (id == IDCANCEL) {
        id = IDC_CMDCANCEL;
    }
    HWND button = dlgItem(id);
    if (!button || !IsWindowEnabled(button) || !(GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE)) {
        return;
    }
    switch (id) {
        case IDC_CMDNEXT:
            dispatch(&TfrmMain::cmdNextClick);
            break;
        case IDC_CMDBACK:
            dispatch(&TfrmMain::cmdBackClick);
            break;
        case IDC_CMDCANCEL:
            dispatch(&TfrmMain::cmdCancelClick);
            break;
        case IDC_CMDFINISH:
            dispatch(&TfrmMain::cmdFinishClick);
            break;
        case IDC_CMDBROWSE:
            dispatch(&TfrmMain::cmdBrowseClick);
            break;
        case IDC_CMDSCAN:
            dispatch(&TfrmMain::cmdScanClick);
            break;
        case IDC_CMDCOMPANYSELECT:
            dispatch(&TfrmMain::txtCompanySelectOldClickBtn);
            break;
        case IDC_CMDLOGIN:
            dispatch(&TfrmMain::cmdLoginClick);
            break;
        case IDC_CMDCHECK:
            // Beside the page flow: the pre-flight check in a dialog of its
            // own, for what the pages hold so far.
            if (form_ && !closed_) {
                form_->Dispatch([this] {
                    PreflightDialog::Execute(owner(), form_->CheckSettings(), form_->Sys());
                });
            }
            break;
        default:
            break;
    }
}

void Win32WizardWindow::dispatch(void (TfrmMain::*handler)()) {
    if (form_ && !closed_) {
        form_->Dispatch(handler);
    }
}

HWND Win32WizardWindow::dlgItem(int id) const {
    for (const ControlEntry& c : ControlEntries) {
        if (c.id == id) {
            return GetDlgItem(c.page < 0 ? hwnd_ : pages_[static_cast<size_t>(c.page)], id);
        }
    }
    return nullptr;
}

HWND Win32WizardWindow::control(std::string_view name) const {
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (name == PageEntries[i].name) {
            return pages_[i];
        }
    }
    for (const ControlEntry& c : ControlEntries) {
        if (name == c.name) {
            return dlgItem(c.id);
        }
    }
    throw Exception("No control named " + std::string(name));
}

HWND Win32WizardWindow::owner() const {
    return IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
}

MsgResult Win32WizardWindow::messageBox(const std::string& text, MsgType type, MsgButtons buttons) {
    UINT flags = buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK;
    switch (type) {
        case MsgType::Warning:
            flags |= MB_ICONWARNING;
            break;
        case MsgType::Error:
            flags |= MB_ICONERROR;
            break;
        case MsgType::Information:
            flags |= MB_ICONINFORMATION;
            break;
        case MsgType::Confirmation:
            flags |= MB_ICONQUESTION;
            break;
    }
    const int answer =
        MessageBoxW(owner(), WindowsLines(text).c_str(), Wide(MsgTypeTitle(type)).c_str(), flags);
    if (buttons == MsgButtons::YesNo) {
        return answer == IDYES ? MsgResult::Yes : MsgResult::No;
    }
    return MsgResult::OK;
}

namespace {

// The question's buttons. Any other way out of the dialog (Escape, the close
// box, IDCANCEL) keeps the archive.
constexpr int IdSendAnyway = 101;
constexpr int IdOpenReport = 102;
constexpr int IdKeepArchive = 103;

// The answers of the message box that stands in for the task dialog.
constexpr const char* MessageBoxChoices =
    "Yes: send anyway.\nNo: open the report.\nCancel: don't send (keep the archive).";

using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// TaskDialogIndirect lives in version 6 of the common controls only, which
// the program's manifest asks for; looked up rather than imported, so that
// a comctl32 without it (no manifest, an old system) still starts the
// program and gets the message box below.
TaskDialogIndirectFn FindTaskDialogIndirect() {
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    if (!comctl) {
        return nullptr;
    }
    return reinterpret_cast<TaskDialogIndirectFn>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")));
}

// Escape and the close box keep the archive. Windows ends a task dialog
// that allows cancellation with IDCANCEL; Wine's ignores Escape and the close
// box when no button is IDCANCEL. Both are turned into a press of "Don't
// send" here, which ends the dialog the same way on both.
LRESULT CALLBACK KeepOnCancel(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
    if ((message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE) {
        SendMessageW(dialog, TDM_CLICK_BUTTON, IdKeepArchive, 0);
        return 0;
    }
    return DefSubclassProc(dialog, message, wParam, lParam);
}

HRESULT CALLBACK SendQuestionEvents(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR) {
    if (notification == TDN_CREATED) {
        SetWindowSubclass(dialog, KeepOnCancel, 1, 0);
    } else if (notification == TDN_DESTROYED) {
        RemoveWindowSubclass(dialog, KeepOnCancel, 1);
    }
    return S_OK;
}

}  // namespace

SendChoice Win32WizardWindow::askBeforeSending(const SendQuestion& question) {
    const std::wstring title = Wide(SendQuestionTitle);
    const std::wstring text = WindowsLines(question.text);
    if (const TaskDialogIndirectFn taskDialog = FindTaskDialogIndirect()) {
        const std::wstring send = Wide(SendAnywayCaption);
        const std::wstring open = Wide(OpenReportCaption);
        const std::wstring keep = Wide(KeepArchiveCaption);
        const TASKDIALOG_BUTTON buttons[] = {
            {IdSendAnyway, send.c_str()},
            {IdOpenReport, open.c_str()},
            {IdKeepArchive, keep.c_str()},
        };
        TASKDIALOGCONFIG config{};
        config.cbSize = sizeof config;
        config.hwndParent = owner();
        // Command links: each caption on a line of its own, never cut off.
        config.dwFlags =
            TDF_USE_COMMAND_LINKS | TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
        config.pszWindowTitle = title.c_str();
        config.pszMainIcon = TD_WARNING_ICON;
        config.pszContent = text.c_str();
        config.cButtons = static_cast<UINT>(std::size(buttons));
        config.pButtons = buttons;
        // Enter keeps the archive: sending takes a deliberate choice.
        config.nDefaultButton = IdKeepArchive;
        config.pfCallback = SendQuestionEvents;
        int pressed = 0;
        if (SUCCEEDED(taskDialog(&config, &pressed, nullptr, nullptr))) {
            switch (pressed) {
                case IdSendAnyway:
                    return SendChoice::SendAnyway;
                case IdOpenReport:
                    return SendChoice::OpenReport;
                default:
                    return SendChoice::KeepArchive;
            }
        }
        // A task dialog that cannot be shown: the message box asks instead.
    }
    const std::wstring choices = text + L"\r\n\r\n" + WindowsLines(MessageBoxChoices);
    switch (MessageBoxW(owner(), choices.c_str(), title.c_str(),
                        MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3)) {
        case IDYES:
            return SendChoice::SendAnyway;
        case IDNO:
            return SendChoice::OpenReport;
        default:
            return SendChoice::KeepArchive;
    }
}

void Win32WizardWindow::errorReport(const std::string& title, const std::string& text) {
    MessageBoxW(owner(), WindowsLines(text).c_str(), Wide(title).c_str(), MB_OK | MB_ICONERROR);
}

int Win32WizardWindow::pageCount() const {
    return static_cast<int>(pages_.size());
}

int Win32WizardWindow::activePage() const {
    return activePage_;
}

void Win32WizardWindow::setActivePage(int index) {
    if (index < 0 || index >= pageCount() || index == activePage_) {
        return;
    }
    HWND old = pages_[static_cast<size_t>(activePage_)];
    HWND focus = GetFocus();
    const bool hadFocus = focus && (focus == old || IsChild(old, focus));
    activePage_ = index;
    ShowWindow(pages_[static_cast<size_t>(index)], SW_SHOW);
    ShowWindow(old, SW_HIDE);
    if (hadFocus) {
        SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dlgItem(IDC_CMDNEXT)), TRUE);
    }
}

void Win32WizardWindow::moveFocusFrom(HWND control) {
    HWND focus = GetFocus();
    if (!focus || !(focus == control || IsChild(control, focus))) {
        return;
    }
    // The dialog manager would move on to the next control in tab order,
    // which after Next or Scan is Cancel, and Enter would then ask to
    // cancel. The focus goes to the button that leads on instead, or to a
    // control of the page; never to Cancel.
    HWND target = nullptr;
    for (int id : {IDC_CMDNEXT, IDC_CMDFINISH, IDC_CMDBACK}) {
        HWND button = dlgItem(id);
        if (button != control && Usable(button)) {
            target = button;
            break;
        }
    }
    HWND page = pages_[static_cast<size_t>(activePage_)];
    for (HWND c = GetWindow(page, GW_CHILD); !target && c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (c != control && Usable(c) && (GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP)) {
            target = c;
        }
    }
    if (target) {
        SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    } else {
        // Nothing takes it: the page holds it, and Escape still reaches
        // the window through the dialog manager.
        SetFocus(page);
    }
}

int Win32WizardWindow::defaultButton() const {
    return IsWindowEnabled(dlgItem(IDC_CMDNEXT)) || !IsWindowEnabled(dlgItem(IDC_CMDFINISH))
               ? IDC_CMDNEXT
               : IDC_CMDFINISH;
}

void Win32WizardWindow::setEnabled(std::string_view name, bool enabled) {
    HWND h = control(name);
    if (!enabled) {
        moveFocusFrom(h);
    }
    EnableWindow(h, enabled);
    // Enter presses Next, or Finish on the page where Next is disabled.
    SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(defaultButton()), 0);
}

bool Win32WizardWindow::isEnabled(std::string_view name) const {
    return IsWindowEnabled(control(name)) != FALSE;
}

void Win32WizardWindow::setVisible(std::string_view name, bool visible) {
    HWND h = control(name);
    if (!visible) {
        moveFocusFrom(h);
    }
    ShowWindow(h, visible ? SW_SHOWNA : SW_HIDE);
}

bool Win32WizardWindow::isVisible(std::string_view name) const {
    // The control's own flag, whichever page is showing.
    return (GetWindowLongW(control(name), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32WizardWindow::setText(std::string_view name, const std::string& text) {
    SetWindowTextW(control(name), WindowsLines(text).c_str());
}

std::string Win32WizardWindow::text(std::string_view name) const {
    return ProgramLines(WindowText(control(name)));
}

int Win32WizardWindow::versionIndex() const {
    return static_cast<int>(SendMessageW(dlgItem(IDC_CBOVERSION), CB_GETCURSEL, 0, 0));
}

std::string Win32WizardWindow::versionText() const {
    HWND versions = dlgItem(IDC_CBOVERSION);
    const LRESULT index = SendMessageW(versions, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return {};
    }
    std::wstring text(static_cast<size_t>(SendMessageW(versions, CB_GETLBTEXTLEN, index, 0)) + 1,
                      L'\0');
    SendMessageW(versions, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(text.size() - 1);
    return Utf8(text);
}

void Win32WizardWindow::addDrive(const std::string& root) {
    HWND drives = dlgItem(IDC_CHKDRIVES);
    std::wstring text = Wide(root);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(drives);
    item.pszText = text.data();
    const int index = ListView_InsertItem(drives, &item);
    ListView_SetCheckState(drives, index, FALSE);
}

int Win32WizardWindow::driveCount() const {
    return ListView_GetItemCount(dlgItem(IDC_CHKDRIVES));
}

std::string Win32WizardWindow::driveText(int index) const {
    wchar_t text[MAX_PATH] = {};
    ListView_GetItemText(dlgItem(IDC_CHKDRIVES), index, 0, text, MAX_PATH);
    return Utf8(text);
}

bool Win32WizardWindow::driveChecked(int index) const {
    return ListView_GetCheckState(dlgItem(IDC_CHKDRIVES), index) != FALSE;
}

void Win32WizardWindow::clearStatus() {
    SetWindowTextW(dlgItem(IDC_TXTSTATUS), L"");
}

void Win32WizardWindow::addStatusLine(const std::string& line) {
    // Appended at the end, which scrolls the memo to its last line.
    HWND memo = dlgItem(IDC_TXTSTATUS);
    const int length = GetWindowTextLengthW(memo);
    const std::wstring text = (length > 0 ? L"\r\n" : L"") + WindowsLines(line);
    SendMessageW(memo, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32WizardWindow::setProgressMax(int maximum) {
    SendMessageW(dlgItem(IDC_PBMAIN), PBM_SETRANGE32, 0, maximum);
}

void Win32WizardWindow::setProgressPosition(int position) {
    HWND bar = dlgItem(IDC_PBMAIN);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    // The upload moves the bar without pumping messages: paint it now.
    UpdateWindow(bar);
}

void Win32WizardWindow::setWaitingText(const std::string& text) {
    // Painted by the next pump: the caller pumps while it waits.
    HWND line = dlgItem(IDC_LBLWAITING);
    SetWindowTextW(line, Wide(text).c_str());
    ShowWindow(line, text.empty() ? SW_HIDE : SW_SHOWNA);
}

void Win32WizardWindow::processMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that waits for it
            return;
        }
        if (!IsDialogMessageW(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void Win32WizardWindow::setTimerEnabled(bool enabled) {
    if (enabled) {
        SetTimer(hwnd_, IDT_TIMER1, 1000, nullptr);
    } else {
        KillTimer(hwnd_, IDT_TIMER1);
    }
}

void Win32WizardWindow::closeWindow() {
    // Hidden, not destroyed: its controls keep what they show (txtURL) until
    // the window object goes.
    closed_ = true;
    KillTimer(hwnd_, IDT_TIMER1);
    ShowWindow(hwnd_, SW_HIDE);
    if (quitOnClose_) {
        PostQuitMessage(0);
    }
}

namespace {

// Starts the folder browser at the directory it is given.
int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) {
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

}  // namespace

std::optional<std::string> Win32WizardWindow::browseForFolder(const std::string& prompt,
                                                              const std::string& start) {
    // The new dialog style needs COM in this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring title = Wide(prompt);
    const std::wstring from = Wide(start);
    BROWSEINFOW info{};
    info.hwndOwner = owner();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = from.empty() ? 0 : reinterpret_cast<LPARAM>(from.c_str());
    // No "drive not ready" boxes while the user browses.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&info);
    SetErrorMode(oldMode);
    std::optional<std::string> result;
    if (picked) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(picked, path)) {
            result = Utf8(path);
        }
        CoTaskMemFree(picked);
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return result;
}

std::optional<int> Win32WizardWindow::chooseDirectory(const std::vector<std::string>& directories) {
    return TfrmDirSelect::Execute(owner(), directories);
}

std::optional<int> Win32WizardWindow::chooseCompany(
    const std::vector<std::pair<std::string, std::string>>& rows) {
    return TfrmSelectCompany::Execute(owner(), rows);
}

int Win32WizardWindow::chooseChart(const std::vector<std::string>& items) {
    return TfrmChartSelect::Execute(owner(), items);
}

}  // namespace quillmere
