// How saving an export file ended, so that the word shows the message that fits.
#pragma once

#include <zeph/platform/ReplacingFile.h>

#include <cstddef>

namespace morvane::exporting {

struct TSaveOutcome {
    enum class Kind {
        Saved,
        Failed,      // nothing usable was written; the old file, if any, is kept
        Refused,     // the folder or the file there refused the change; the old file is kept
        CellTooLong, // a cell holds more than the workbook allows; nothing was written
    };
    Kind kind = Kind::Failed;
    std::size_t row = 0; // CellTooLong: the sheet's row and column, counted from 1
    std::size_t column = 0;

    // A save through file: saved, or why not.
    static TSaveOutcome Of(bool saved, const zeph::platform::TReplacingFile& file) {
        if (saved) {
            return {Kind::Saved};
        }
        return {file.Refused() ? Kind::Refused : Kind::Failed};
    }
};

} // namespace morvane::exporting
