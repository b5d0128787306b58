// The Win32 constants the program uses, by their Win32 names and values.
// platform/win32/check_constants.cpp compares every one with <windows.h>;
// add a constant here and there together.
#pragma once

#include "platform/types.h"

// BOOL results, as <windows.h> spells them.
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

namespace gx {

// Predefined keys and registry options.
inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u));
constexpr DWORD KEY_READ = 0x20019;
constexpr DWORD KEY_ALL_ACCESS = 0xF003F;
constexpr DWORD DELETE = 0x10000;
constexpr DWORD READ_CONTROL = 0x20000;
constexpr DWORD WRITE_DAC = 0x40000;
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_OPTION_VOLATILE = 1;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;
constexpr DWORD REG_FORCE_RESTORE = 8;
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// Error codes.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_CANCELLED = 1223;
constexpr DWORD ERROR_NOT_ALL_ASSIGNED = 1300;
constexpr DWORD ERROR_PRIVILEGE_NOT_HELD = 1314;
constexpr DWORD ERROR_NO_MORE_FILES = 18;

// Files.
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_COMPRESSED = 0x800;
constexpr DWORD FILE_ATTRIBUTE_ENCRYPTED = 0x4000;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
constexpr UINT MAX_PATH = 260;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD CREATE_ALWAYS = 2;

// Shell operations and folders.
constexpr UINT FO_COPY = 2;
constexpr UINT FO_DELETE = 3;
constexpr WORD FOF_MULTIDESTFILES = 0x1;
constexpr WORD FOF_SILENT = 0x4;
constexpr WORD FOF_NOCONFIRMATION = 0x10;
constexpr WORD FOF_NOCONFIRMMKDIR = 0x200;
constexpr WORD FOF_NOERRORUI = 0x400;
constexpr int CSIDL_LOCAL_APPDATA = 0x1C;
constexpr int CSIDL_COMMON_APPDATA = 0x23;
constexpr int CSIDL_WINDOWS = 0x24;
constexpr int CSIDL_PROGRAM_FILES = 0x26;
constexpr int CSIDL_PROGRAM_FILES_COMMON = 0x2B;
constexpr int CSIDL_COMMON_DOCUMENTS = 0x2E;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;

// Version records.
constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
constexpr WORD VER_SUITE_SMALLBUSINESS = 0x0001;
constexpr WORD VER_SUITE_ENTERPRISE = 0x0002;
constexpr WORD VER_SUITE_BACKOFFICE = 0x0004;
constexpr WORD VER_SUITE_COMMUNICATIONS = 0x0008;
constexpr WORD VER_SUITE_TERMINAL = 0x0010;
constexpr WORD VER_SUITE_SMALLBUSINESS_RESTRICTED = 0x0020;
constexpr WORD VER_SUITE_EMBEDDEDNT = 0x0040;
constexpr WORD VER_SUITE_DATACENTER = 0x0080;
constexpr WORD VER_SUITE_SINGLEUSERTS = 0x0100;
constexpr WORD VER_SUITE_PERSONAL = 0x0200;
constexpr WORD VER_SUITE_BLADE = 0x0400;
constexpr BYTE VER_NT_WORKSTATION = 1;
constexpr BYTE VER_NT_DOMAIN_CONTROLLER = 2;
constexpr BYTE VER_NT_SERVER = 3;
constexpr LANGID LANG_GERMAN = 0x07;

// Tokens, privileges and security.
constexpr DWORD TOKEN_ADJUST_PRIVILEGES = 0x20;
constexpr DWORD TOKEN_QUERY = 0x8;
constexpr DWORD SE_PRIVILEGE_ENABLED = 2;
constexpr int SE_REGISTRY_KEY = 4;
constexpr DWORD DACL_SECURITY_INFORMATION = 4;
constexpr int GRANT_ACCESS = 1;
constexpr DWORD SUB_CONTAINERS_AND_OBJECTS_INHERIT = 3;
constexpr int TRUSTEE_IS_NAME = 1;
constexpr int TRUSTEE_IS_UNKNOWN = 0;
constexpr int NO_MULTIPLE_TRUSTEE = 0;

// Windows, messages and dialogs.
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_ICONERASEBKGND = 0x0027;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_NULL = 0x0000;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT BM_CLICK = 0x00F5;
constexpr UINT PBM_SETRANGE = 0x0401;
constexpr UINT PBM_SETPOS = 0x0402;
constexpr UINT PBM_SETSTEP = 0x0404;
constexpr UINT PBM_STEPIT = 0x0405;
constexpr UINT PBM_GETPOS = 0x0408;
constexpr UINT BN_CLICKED = 0;
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr UINT PM_REMOVE = 1;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_SETFOREGROUND = 0x10000;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr DWORD OFN_HIDEREADONLY = 0x4;
constexpr DWORD OFN_EXPLORER = 0x80000;

// Dialog templates, control styles and the dialog manager.
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_DISABLED = 0x08000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_VSCROLL = 0x00200000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_GROUP = 0x00020000u;
constexpr DWORD WS_TABSTOP = 0x00010000u;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000u;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_CENTER = 0x1;
constexpr DWORD SS_ICON = 0x3;
constexpr DWORD ES_MULTILINE = 0x4;
constexpr DWORD ES_AUTOVSCROLL = 0x40;
constexpr DWORD ES_AUTOHSCROLL = 0x80;
constexpr DWORD ES_WANTRETURN = 0x1000;
constexpr int DWLP_MSGRESULT = 0;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_BADKEY = 1010;
constexpr DWORD ERROR_KEY_DELETED = 1018;
constexpr DWORD ERROR_CHILD_MUST_BE_VOLATILE = 1021;
constexpr DWORD ERROR_NO_SUCH_PRIVILEGE = 1313;
constexpr DWORD ERROR_CONTROL_ID_NOT_FOUND = 1421;

// File access beyond creating text files: reading, seeking, file data.
constexpr DWORD KEY_WOW64_64KEY = 0x0100;
constexpr DWORD KEY_WOW64_32KEY = 0x0200;
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
constexpr DWORD ERROR_HANDLE_EOF = 38;
constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;
constexpr int GetFileExInfoStandard = 0;

// The cabinet library (fci.h): error operations, compression types, name
// limits, and the C runtime's open flags its callbacks use.
constexpr int FCIERR_NONE = 0;
constexpr int FCIERR_OPEN_SRC = 1;
constexpr int FCIERR_READ_SRC = 2;
constexpr int FCIERR_ALLOC_FAIL = 3;
constexpr int FCIERR_TEMP_FILE = 4;
constexpr int FCIERR_BAD_COMPR_TYPE = 5;
constexpr int FCIERR_CAB_FILE = 6;
constexpr int FCIERR_USER_ABORT = 7;
constexpr int FCIERR_MCI_FAIL = 8;
constexpr TCOMP tcompTYPE_NONE = 0x0000;
constexpr TCOMP tcompTYPE_MSZIP = 0x0001;
constexpr int CB_MAX_FILENAME = 256;
constexpr int CB_MAX_CAB_PATH = 256;
constexpr int CB_MAX_CABINET_NAME = 256;
constexpr int _O_RDONLY = 0x0000;
constexpr int _O_WRONLY = 0x0001;
constexpr int _O_RDWR = 0x0002;
constexpr int _O_APPEND = 0x0008;
constexpr int _O_CREAT = 0x0100;
constexpr int _O_TRUNC = 0x0200;
constexpr int _O_EXCL = 0x0400;
constexpr int _O_BINARY = 0x8000;

}  // namespace gx
