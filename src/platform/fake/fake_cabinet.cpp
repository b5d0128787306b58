// The fake's cabinet library. It does its file work only through the
// callbacks it is given, in the order the real library does (temporary file
// at creation, each source opened, read and closed as it is added, the
// cabinet written at the flush, temporary files closed and deleted at the
// end), and reports a failing callback in the ERF as the real one does. It
// stores the data uncompressed (type none): the compression is the
// platform's business, checked under Wine against an independent extractor;
// what the fake must show is every file step that can fail.
#include <cstring>
#include <string>
#include <vector>

#include "platform/fake/fake_cabinet.h"

namespace gx {

namespace {

constexpr UINT kBlock = 32768;  // CB_MAX_CHUNK: uncompressed bytes per data block
constexpr int kStatusFile = 0;  // statusFile
constexpr int kPmode = 0x180;   // _S_IREAD | _S_IWRITE

struct Entry {
    std::string name;
    DWORD size;
    DWORD folderOffset;
    USHORT date, time, attribs;
};

struct Cabinet {
    ERF* erf;
    PFNFCIFILEPLACED filePlaced;
    PFNFCIALLOC alloc;
    PFNFCIFREE free;
    PFNFCIOPEN open;
    PFNFCIREAD read;
    PFNFCIWRITE write;
    PFNFCICLOSE close;
    PFNFCISEEK seek;
    PFNFCIDELETE remove;
    PFNFCIGETTEMPFILE tempFile;
    CCAB ccab;
    void* pv;
    char tempName[256] = {};
    INT_PTR temp = -1;
    std::vector<Entry> entries;
    DWORD dataBytes = 0;

    BOOL Fail(int oper, int type) {
        erf->erfOper = oper;
        erf->erfType = type;
        erf->fError = TRUE;
        return FALSE;
    }
};

void Put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, DWORD value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

Cabinet* Of(HFCI fci) { return reinterpret_cast<Cabinet*>(fci); }

}  // namespace

HFCI FakeCabinet::FCICreate(ERF* erf, PFNFCIFILEPLACED filePlaced, PFNFCIALLOC alloc, PFNFCIFREE free,
                             PFNFCIOPEN open, PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close,
                             PFNFCISEEK seek, PFNFCIDELETE remove, PFNFCIGETTEMPFILE tempFile, CCAB* ccab,
                             void* pv) {
    Log(FakeOp::FCICreate, {ccab->szCabPath, ccab->szCab});
    *erf = {};
    DWORD code = 0;
    if (Injected(FakeOp::FCICreate, LastArgs(), &code)) {
        // With a code: the library could not be loaded, as the adapter reports it.
        erf->erfOper = code != 0 ? FCIERR_NONE : FCIERR_ALLOC_FAIL;
        erf->erfType = static_cast<int>(code);
        erf->fError = TRUE;
        return nullptr;
    }
    auto* cabinet = new Cabinet{erf, filePlaced, alloc, free, open, read, write, close, seek, remove,
                                tempFile, *ccab, pv, {}, -1, {}, 0};
    int err = 0;
    if (!tempFile(cabinet->tempName, sizeof(cabinet->tempName), pv) ||
        (cabinet->temp = open(cabinet->tempName, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, kPmode, &err, pv)) == -1) {
        cabinet->Fail(FCIERR_TEMP_FILE, err);
        delete cabinet;
        return nullptr;
    }
    ++openCabinets_;
    return reinterpret_cast<HFCI>(cabinet);
}

BOOL FakeCabinet::FCIAddFile(HFCI fci, char* sourceFile, char* nameInCabinet, BOOL, PFNFCIGETNEXTCABINET,
                              PFNFCISTATUS status, PFNFCIGETOPENINFO openInfo, TCOMP compression) {
    Log(FakeOp::FCIAddFile, {sourceFile, nameInCabinet});
    Cabinet* cabinet = Of(fci);
    if (compression != tcompTYPE_MSZIP && compression != tcompTYPE_NONE)
        return cabinet->Fail(FCIERR_BAD_COMPR_TYPE, 0);
    if (std::strlen(nameInCabinet) >= static_cast<std::size_t>(CB_MAX_FILENAME))
        return cabinet->Fail(FCIERR_OPEN_SRC, ERROR_FILENAME_EXCED_RANGE);
    Entry entry = {nameInCabinet, 0, cabinet->dataBytes, 0, 0, 0};
    int err = 0;
    INT_PTR source = openInfo(sourceFile, &entry.date, &entry.time, &entry.attribs, &err, cabinet->pv);
    if (source == -1) return cabinet->Fail(FCIERR_OPEN_SRC, err);
    std::vector<char> block(kBlock);
    for (;;) {
        UINT got = cabinet->read(source, block.data(), kBlock, &err, cabinet->pv);
        if (got == static_cast<UINT>(-1)) {
            int ignored = 0;
            cabinet->close(source, &ignored, cabinet->pv);
            return cabinet->Fail(FCIERR_READ_SRC, err);
        }
        if (got == 0) break;
        if (cabinet->write(cabinet->temp, block.data(), got, &err, cabinet->pv) != got) {
            int ignored = 0;
            cabinet->close(source, &ignored, cabinet->pv);
            return cabinet->Fail(FCIERR_TEMP_FILE, err);
        }
        entry.size += got;
        if (status != nullptr && status(kStatusFile, got, got, cabinet->pv) == -1) {
            int ignored = 0;
            cabinet->close(source, &ignored, cabinet->pv);
            return cabinet->Fail(FCIERR_USER_ABORT, 0);
        }
    }
    if (cabinet->close(source, &err, cabinet->pv) != 0) return cabinet->Fail(FCIERR_OPEN_SRC, err);
    cabinet->dataBytes += entry.size;
    cabinet->entries.push_back(entry);
    if (cabinet->filePlaced != nullptr)
        cabinet->filePlaced(&cabinet->ccab, nameInCabinet, static_cast<LONG>(entry.size), FALSE, cabinet->pv);
    return TRUE;
}

BOOL FakeCabinet::FCIFlushCabinet(HFCI fci, BOOL, PFNFCIGETNEXTCABINET, PFNFCISTATUS) {
    Cabinet* cabinet = Of(fci);
    std::string path = std::string(cabinet->ccab.szCabPath) + cabinet->ccab.szCab;
    Log(FakeOp::FCIFlushCabinet, {path});
    DWORD code = 0;
    if (Injected(FakeOp::FCIFlushCabinet, LastArgs(), &code)) return cabinet->Fail(FCIERR_MCI_FAIL, 0);

    // Header, one folder, the file records; then the data blocks.
    const DWORD blocks = (cabinet->dataBytes + kBlock - 1) / kBlock;
    std::string files;
    for (const Entry& entry : cabinet->entries) {
        Put32(files, entry.size);
        Put32(files, entry.folderOffset);
        Put16(files, 0);
        Put16(files, entry.date);
        Put16(files, entry.time);
        Put16(files, entry.attribs);
        files += entry.name;
        files += '\0';
    }
    const DWORD headerSize = 36, folderSize = 8;
    const DWORD dataStart = headerSize + folderSize + static_cast<DWORD>(files.size());
    const DWORD total = dataStart + blocks * 8 + cabinet->dataBytes;
    std::string head = "MSCF";
    Put32(head, 0);
    Put32(head, total);
    Put32(head, 0);
    Put32(head, headerSize + folderSize);
    Put32(head, 0);
    head += '\x03';
    head += '\x01';
    Put16(head, 1);
    Put16(head, static_cast<unsigned>(cabinet->entries.size()));
    Put16(head, 0);
    Put16(head, cabinet->ccab.setID);
    Put16(head, static_cast<unsigned>(cabinet->ccab.iCab));
    Put32(head, dataStart);
    Put16(head, blocks);
    Put16(head, tcompTYPE_NONE);
    head += files;

    int err = 0;
    INT_PTR cab = cabinet->open(&path[0], _O_RDWR | _O_CREAT | _O_TRUNC | _O_BINARY, kPmode, &err, cabinet->pv);
    if (cab == -1) return cabinet->Fail(FCIERR_CAB_FILE, err);
    auto write = [&](const void* data, UINT size) {
        return cabinet->write(cab, const_cast<void*>(data), size, &err, cabinet->pv) == size;
    };
    bool written = write(head.data(), static_cast<UINT>(head.size()));
    if (written && cabinet->seek(cabinet->temp, 0, 0 /* SEEK_SET */, &err, cabinet->pv) == -1) written = false;
    std::vector<char> block(kBlock);
    for (DWORD left = cabinet->dataBytes; written && left > 0;) {
        UINT want = left < kBlock ? left : kBlock;
        UINT got = cabinet->read(cabinet->temp, block.data(), want, &err, cabinet->pv);
        if (got != want) {
            written = false;
            break;
        }
        std::string data;
        Put32(data, 0);  // no checksum
        Put16(data, got);
        Put16(data, got);
        written = write(data.data(), static_cast<UINT>(data.size())) && write(block.data(), got);
        left -= got;
    }
    int closeErr = 0;
    if (cabinet->close(cab, &closeErr, cabinet->pv) != 0 && written) {
        written = false;
        err = closeErr;
    }
    if (!written) return cabinet->Fail(FCIERR_CAB_FILE, err);
    return TRUE;
}

BOOL FakeCabinet::FCIDestroy(HFCI fci) {
    Log(FakeOp::FCIDestroy);
    Cabinet* cabinet = Of(fci);
    int err = 0;
    cabinet->close(cabinet->temp, &err, cabinet->pv);
    cabinet->remove(cabinet->tempName, &err, cabinet->pv);
    delete cabinet;
    --openCabinets_;
    return TRUE;
}

}  // namespace gx
