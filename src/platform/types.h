// Win32-shaped types of the operating-system boundary.
// Fixed-width on every host so that the fake behaves like 32-bit Windows;
// the win32 adapter converts to the <windows.h> types at the boundary.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gx {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using UINT = std::uint32_t;
using INT_PTR = std::intptr_t;
using LANGID = std::uint16_t;
using HRESULT = std::int32_t;
using LPCSTR = const char*;
using REGSAM = DWORD;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using USHORT = std::uint16_t;
using ULONG = std::uint32_t;
using TCOMP = std::uint16_t;

struct HKEY__;
using HKEY = HKEY__*;
struct HWND__;
using HWND = HWND__*;
struct HICON__;
using HICON = HICON__*;
struct HMODULE__;
using HMODULE = HMODULE__*;
struct HDC__;
using HDC = HDC__*;
using HANDLE = void*;
using PACL = void*;
using PSECURITY_DESCRIPTOR = void*;
using PSID = void*;

// Address of a function looked up at run time; the boundary hands out only
// the lookups the program makes and calls them through dedicated operations.
struct ProcAddress__;
using FARPROC = ProcAddress__*;

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// Both records share their head; the plain one is 148 bytes, the extended 156.
struct OSVERSIONINFOEXA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};
struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "plain version record");
static_assert(sizeof(OSVERSIONINFOEXA) == 156, "extended version record");

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    char cFileName[260];
    char cAlternateFileName[14];
};

struct SHFILEOPSTRUCTA {
    HWND hwnd;
    UINT wFunc;
    const char* pFrom;
    const char* pTo;
    WORD fFlags;
    BOOL fAnyOperationsAborted;
    void* hNameMappings;
    const char* lpszProgressTitle;
};

struct LUID {
    DWORD LowPart;
    LONG HighPart;
};
struct LUID_AND_ATTRIBUTES {
    LUID Luid;
    DWORD Attributes;
};
struct TOKEN_PRIVILEGES {
    DWORD PrivilegeCount;
    LUID_AND_ATTRIBUTES Privileges[1];
};
static_assert(sizeof(TOKEN_PRIVILEGES) == 16, "one-entry privilege request");

struct TRUSTEE_A {
    void* pMultipleTrustee;
    int MultipleTrusteeOperation;
    int TrusteeForm;
    int TrusteeType;
    char* ptstrName;
};
struct EXPLICIT_ACCESS_A {
    DWORD grfAccessPermissions;
    int grfAccessMode;
    DWORD grfInheritance;
    TRUSTEE_A Trustee;
};

// The fields of the open-file dialog record the program sets or reads.
struct OPENFILENAMEA {
    HWND hwndOwner;
    const char* lpstrFilter;
    char* lpstrFile;
    DWORD nMaxFile;
    const char* lpstrTitle;
    DWORD Flags;
    const char* lpstrDefExt;
};

struct POINT {
    LONG x;
    LONG y;
};

// Laid out as Windows lays it out, so the adapter hands it over whole.
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time = 0;
    POINT pt = {};
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

// Laid out as Windows lays it out, so the adapter hands it over whole.
struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};


struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};

// ---- the cabinet library (fci.h) --------------------------------------------
// Its callbacks use the C calling convention on every host, as DIAMONDAPI does.
struct ERF {
    int erfOper;  // FCIERR_...
    int erfType;  // the error a callback reported, or the C runtime's
    BOOL fError;
};

struct CCAB {
    ULONG cb;              // largest cabinet
    ULONG cbFolderThresh;  // largest folder
    UINT cbReserveCFHeader;
    UINT cbReserveCFFolder;
    UINT cbReserveCFData;
    int iCab;
    int iDisk;
    int fFailOnIncompressible;
    USHORT setID;
    char szDisk[256];
    char szCab[256];
    char szCabPath[256];  // ends with a backslash
};

struct FCIContext__;
using HFCI = FCIContext__*;

using PFNFCIALLOC = void* (*)(ULONG cb);
using PFNFCIFREE = void (*)(void* memory);
using PFNFCIOPEN = INT_PTR (*)(char* file, int oflag, int pmode, int* err, void* pv);
using PFNFCIREAD = UINT (*)(INT_PTR hf, void* memory, UINT cb, int* err, void* pv);
using PFNFCIWRITE = UINT (*)(INT_PTR hf, void* memory, UINT cb, int* err, void* pv);
using PFNFCICLOSE = int (*)(INT_PTR hf, int* err, void* pv);
using PFNFCISEEK = LONG (*)(INT_PTR hf, LONG dist, int seektype, int* err, void* pv);
using PFNFCIDELETE = int (*)(char* file, int* err, void* pv);
using PFNFCIGETTEMPFILE = BOOL (*)(char* tempName, int tempNameSize, void* pv);
using PFNFCIFILEPLACED = int (*)(CCAB* ccab, char* file, LONG cbFile, BOOL continuation, void* pv);
using PFNFCIGETNEXTCABINET = BOOL (*)(CCAB* ccab, ULONG cbPrevCab, void* pv);
using PFNFCISTATUS = LONG (*)(UINT typeStatus, ULONG cb1, ULONG cb2, void* pv);
using PFNFCIGETOPENINFO = INT_PTR (*)(char* name, USHORT* date, USHORT* time, USHORT* attribs,
                                      int* err, void* pv);

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);


// ---- the live system's state the findings read --------------------------------
struct ULARGE_INTEGER {
    std::uint64_t QuadPart;
};
using WCHAR = char16_t;
// The fixed head of one event-log record; the source name, computer name,
// strings, user id and data follow at the offsets it gives.
struct EVENTLOGRECORD {
    DWORD Length;
    DWORD Reserved;
    DWORD RecordNumber;
    DWORD TimeGenerated;  // seconds since 1970-01-01 UTC
    DWORD TimeWritten;
    DWORD EventID;
    WORD EventType;
    WORD NumStrings;
    WORD EventCategory;
    WORD ReservedFlags;
    DWORD ClosingRecordNumber;
    DWORD StringOffset;
    DWORD UserSidLength;
    DWORD UserSidOffset;
    DWORD DataLength;
    DWORD DataOffset;
};
struct TOKEN_ELEVATION {
    DWORD TokenIsElevated;
};
struct RM_UNIQUE_PROCESS {
    DWORD dwProcessId;
    FILETIME ProcessStartTime;
};
struct RM_PROCESS_INFO {
    RM_UNIQUE_PROCESS Process;
    WCHAR strAppName[256];
    WCHAR strServiceShortName[64];
    int ApplicationType;
    DWORD AppStatus;
    DWORD TSSessionId;
    BOOL bRestartable;
};

}  // namespace gx
