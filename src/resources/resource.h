// Resource ids shared by gathrix.rc, the code and the tests.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_GATHRIX_DIALOG 129
#define IDD_INFO_DIALOG 130
#define IDD_USERINFO_DIALOG 131
#define IDD_REGIMPORT_DIALOG 102

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Collection dialog.
#define IDC_INFO 9
#define IDC_PROGRESS 1002
#define IDC_STATUS 1003
#define IDC_MESSAGE 1004

// Info box.
#define IDC_INFO_TITLE 1005
#define IDC_INFO_TEXT 1007

// Questionnaire: the fields and their labels.
#define IDC_INTRO 1009
#define IDC_NAME 1010
#define IDC_COMPUTER 1011
#define IDC_PROBLEM 1012
#define IDC_NAME_LABEL 1013
#define IDC_COMPUTER_LABEL 1014
#define IDC_PROBLEM_LABEL 1015
#define IDC_PRODUCT 1018
#define IDC_PRODUCT_LABEL 1019
#define IDC_EMAIL 1020
#define IDC_EMAIL_LABEL 1021

// Registry import tool.
#define IDC_IMPORT 1000
#define IDC_IMPORT_TEXT 1001
#define IDC_DELETE 1002
#define IDC_SUBFOLDER 1008
