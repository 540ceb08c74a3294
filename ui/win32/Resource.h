/* Identifiers of the wizard's resources: the main window, its five pages,
   the three choosers and every control on them. Read by the resource
   compiler and by C++, so plain #defines only. */
#pragma once

#define IDI_WIZARD 1

/* The main window and its pages. */
#define IDD_MAIN 100
#define IDD_TABINTRO 101
#define IDD_TABVERSION 102
#define IDD_TABLOCATE 103
#define IDD_TABLOGIN 104
#define IDD_TABOPTIONS 105

/* The horizontal rules between parts of a page and above the buttons. */
#define IDC_RULE 1900

/* The bottom strip. */
#define IDC_CMDCANCEL 1001
#define IDC_CMDBACK 1002
#define IDC_CMDNEXT 1003
#define IDC_CMDFINISH 1004
/* The line under the pages that says the program waits for the Sage driver. */
#define IDC_LBLWAITING 1005

/* tabIntro */
#define IDC_LABEL1 1101
#define IDC_HTMLABEL1 1102

/* tabVersion */
#define IDC_RTFLABEL1 1201
#define IDC_LABEL3 1202
#define IDC_CBOVERSION 1203
#define IDC_RTFLABEL3 1204

/* tabLocate */
#define IDC_HTMLABEL3 1301
#define IDC_CMDBROWSE 1302
#define IDC_CHKDRIVES 1303
#define IDC_CMDSCAN 1304
#define IDC_LBLSCAN 1305

/* tabLogin */
#define IDC_RTFLABEL4 1401
#define IDC_LABEL2 1402
#define IDC_TXTCOMPANYSELECT 1403
#define IDC_CMDCOMPANYSELECT 1404
#define IDC_RTFLABEL5 1405
#define IDC_LBLINITIALS 1406
#define IDC_TXTUSERID 1407
#define IDC_LBLPASSWORD 1408
#define IDC_TXTPASSWORD 1409
#define IDC_CMDLOGIN 1410
#define IDC_LBLSTATUS 1411
#define IDC_CMDCHECK 1412

/* tabOptions */
#define IDC_HTMLABEL2 1501
#define IDC_LBLURLHELP 1502
#define IDC_TXTURL 1503
#define IDC_TXTSTATUS 1504
#define IDC_PBMAIN 1505

/* TfrmDirSelect: OK is Button1, the close box IDCANCEL. */
#define IDD_DIRSELECT 200
#define IDC_PANEL2 2001
#define IDC_LISTBOX1 2002

/* TfrmSelectCompany: cmdOpen is IDOK, cmdCancel IDCANCEL. */
#define IDD_SELECTCOMPANY 300
#define IDC_GROUPBOX1 3001
#define IDC_GRDCOMPANY 3002

/* TfrmChartSelect: Button1 is IDOK. */
#define IDD_CHARTSELECT 400
#define IDC_CHARTLABEL1 4001
#define IDC_LSTCHART 4002

/* The pre-flight checklist: Close is IDCANCEL. */
#define IDD_CHECK 500
#define IDC_CHECKINTRO 5001
#define IDC_TXTCHECKS 5002
#define IDC_CHECKWAITING 5003

/* Timer1 of the main window. */
#define IDT_TIMER1 1

/* The formatted-text control: a window class of this program. Style bit
   FTS_BOLD draws every line in bold. */
#define FORMATTED_TEXT_CLASS "QuillmereFormattedText"
#define FTS_BOLD 0x0001
