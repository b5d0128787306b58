// Resource ids shared by gathrix.rc and the code.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_GATHRIX_DIALOG 129
#define IDD_INFO_DIALOG 130
#define IDD_USERINFO_DIALOG 131
#define IDD_REGIMPORT_DIALOG 102
