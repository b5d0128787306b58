#include "environment/run_record.h"

#include "platform/constants.h"
#include "platform/platform.h"

using namespace gx;

RecordedItem FailedItem(const char* step, long code, const std::string& path) {
    RecordedItem item;
    item.outcome = ItemOutcome::Failed;
    item.step = step;
    item.code = code;
    item.path = path;
    return item;
}

RecordedItem RefusedItem(long code, const std::string& path) {
    RecordedItem item;
    item.outcome = ItemOutcome::Refused;
    item.code = code;
    item.path = path;
    return item;
}

bool RecordWrittenFile(const std::string& path, RecordedItem& item) {
    item.path = path;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!os().GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        item.outcome = ItemOutcome::WithoutFile;
        return false;
    }
    item.outcome = ItemOutcome::Written;
    item.bytes = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    item.sizeKnown = true;
    return true;
}
