#include "export/FileWriters.h"

#include <zeph/platform/Paths.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

namespace morvane::exporting {
namespace {

constexpr std::size_t kBufferBytes = 1 << 20;

// A file being written: buffered, and removed again unless Commit succeeds.
class OutputFile {
public:
    explicit OutputFile(const std::string& hostPath)
        : native_(zeph::platform::NativePath(hostPath)), file_(std::fopen(native_.c_str(), "wb")) {
        if (file_ != nullptr) {
            // The writers hand over whole buffers; the stream adds no copy of its own.
            std::setvbuf(file_, nullptr, _IONBF, 0);
        }
    }
    ~OutputFile() {
        if (file_ != nullptr) {
            std::fclose(file_);
            std::remove(native_.c_str());
        }
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool IsOpen() const noexcept { return file_ != nullptr; }
    bool Write(std::string_view bytes) {
        ok_ = ok_ && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
        return ok_;
    }
    bool Commit() {
        bool ok = ok_ && std::fflush(file_) == 0;
        ok = std::fclose(file_) == 0 && ok;
        file_ = nullptr;
        if (!ok) {
            std::remove(native_.c_str());
        }
        return ok;
    }

private:
    std::string native_;
    std::FILE* file_;
    bool ok_ = true;
};

// Appends one LABEL record: the 12 bytes of its header, then the text.
void PutLabel(std::string& out, std::size_t row, std::size_t column, std::string_view text) {
    const auto length = static_cast<std::uint16_t>(text.size());
    const std::uint16_t words[6] = {0x0204,
                                    static_cast<std::uint16_t>(length + 8),
                                    static_cast<std::uint16_t>(row),
                                    static_cast<std::uint16_t>(column),
                                    0,
                                    length};
    char header[12];
    for (int i = 0; i < 6; ++i) {
        header[2 * i] = static_cast<char>(words[i] & 0xFF);
        header[2 * i + 1] = static_cast<char>(words[i] >> 8);
    }
    out.append(header, sizeof header);
    out.append(text);
}

constexpr std::string_view kBof("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00", 12);
constexpr std::string_view kEof("\x0A\x00\x00\x00", 4);

// Records are gathered into a buffer of about kBufferBytes and written in one piece.
bool FlushTo(OutputFile& file, std::string& buffer) {
    bool ok = file.Write(buffer);
    buffer.clear();
    return ok;
}

} // namespace

bool FitsXls(const zeph::dataset::TRecordTable& table, const TFileColumns& columns) {
    if (table.RowCount() > kXlsMaxRecords || columns.titles.size() > kXlsMaxColumns) {
        return false;
    }
    for (const std::string& title : columns.titles) {
        if (title.size() > kXlsMaxTextBytes) {
            return false;
        }
    }
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        for (int position : columns.positions) {
            if (table.Value(row, static_cast<std::size_t>(position)).size() > kXlsMaxTextBytes) {
                return false;
            }
        }
    }
    return true;
}

bool WriteXlsFile(const std::string& path, const zeph::dataset::TRecordTable& table,
                  const TFileColumns& columns, const TRecordStep& onRecord) {
    if (!FitsXls(table, columns)) {
        return false;
    }
    OutputFile file(path);
    if (!file.IsOpen()) {
        return false;
    }
    std::string buffer;
    buffer.reserve(2 * kBufferBytes);
    buffer += kBof;
    for (std::size_t column = 0; column < columns.titles.size(); ++column) {
        PutLabel(buffer, 0, column, columns.titles[column]);
    }
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        for (std::size_t column = 0; column < columns.positions.size(); ++column) {
            PutLabel(buffer, row + 1, column,
                     table.Value(row, static_cast<std::size_t>(columns.positions[column])));
        }
        if (buffer.size() >= kBufferBytes && !FlushTo(file, buffer)) {
            return false;
        }
        if (onRecord) {
            onRecord();
        }
    }
    buffer += kEof;
    return file.Write(buffer) && file.Commit();
}

bool WriteTextFile(const std::string& path, const zeph::dataset::TRecordTable& table,
                   const TFileColumns& columns, const TRecordStep& onRecord) {
    OutputFile file(path);
    if (!file.IsOpen()) {
        return false;
    }
    std::string line;
    line.reserve(2 * kBufferBytes);
    for (std::size_t column = 0; column < columns.titles.size(); ++column) {
        if (column > 0) {
            line += ',';
        }
        line += columns.titles[column];
    }
    line += "\r\n";
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        for (std::size_t column = 0; column < columns.positions.size(); ++column) {
            if (column > 0) {
                line += ',';
            }
            line += table.Value(row, static_cast<std::size_t>(columns.positions[column]));
        }
        line += "\r\n";
        if (line.size() >= kBufferBytes && !FlushTo(file, line)) {
            return false;
        }
        if (onRecord) {
            onRecord();
        }
    }
    return file.Write(line) && file.Commit();
}

} // namespace morvane::exporting
