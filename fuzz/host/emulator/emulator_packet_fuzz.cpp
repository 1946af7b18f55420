// Whatever a desk database holds, the server's answer is a packet the dataset reader accepts,
// with one row per result row and every text value back as host text.
#include <zeph/dataset/DataPacket.h>
#include <zeph/emulator/PacketWriter.h>
#include <zeph/text/HostText.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zeph::emulator;
    // Layout: byte 0 = column count (1..8); then cells separated by 0xFF, each led by a type
    // byte; the first row's cells name the columns.
    if (size < 2) {
        return 0;
    }
    std::size_t columns = data[0] % 8 + 1;
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= rest.size(); ++i) {
        if (i == rest.size() || static_cast<unsigned char>(rest[i]) == 0xFF) {
            pieces.push_back(rest.substr(start, i - start));
            start = i + 1;
        }
    }
    ResultTable table;
    std::size_t at = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        table.columns.push_back(at < pieces.size() ? pieces[at++] : "");
        table.declTypes.push_back(c % 3 == 0 ? "DATETIME" : "");
    }
    while (at < pieces.size() && table.rows.size() < 64) {
        std::vector<Cell> row;
        for (std::size_t c = 0; c < columns; ++c) {
            Cell cell;
            std::string piece = at < pieces.size() ? pieces[at++] : "";
            int kind = piece.empty() ? 0 : static_cast<unsigned char>(piece[0]) % 5;
            std::string body = piece.empty() ? "" : piece.substr(1);
            switch (kind) {
            case 1:
                cell.type = Cell::Type::Integer;
                cell.integer = static_cast<std::int64_t>(std::hash<std::string>{}(body));
                break;
            case 2:
                cell.type = Cell::Type::Real;
                cell.real = static_cast<double>(body.size()) / 3.0;
                break;
            case 3:
                cell.type = Cell::Type::Text;
                cell.text = body;
                break;
            case 4:
                cell.type = Cell::Type::Blob;
                cell.text = body;
                break;
            default:
                break;
            }
            row.push_back(cell);
        }
        table.rows.push_back(std::move(row));
    }
    std::string packet = WriteDatasetPacket(table);
    zeph::dataset::TRecordTable read;
    try {
        read = zeph::dataset::ReadDataPacket(packet);
    } catch (const zeph::dataset::EDataSetError&) {
        // A blob is taken as host text; one that is not valid GBK may not read back.
        for (const auto& row : table.rows) {
            for (const Cell& cell : row) {
                if (cell.type == Cell::Type::Blob) {
                    return 0;
                }
            }
        }
        std::abort();
    }
    if (read.RowCount() != table.rows.size() || read.FieldCount() != columns) {
        std::abort();
    }
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        for (std::size_t c = 0; c < columns; ++c) {
            const Cell& cell = table.rows[r][c];
            if (cell.type == Cell::Type::Text && table.declTypes[c].empty() &&
                zeph::text::IsValidGbk(zeph::text::Utf8ToGbk(cell.text))) {
                std::string expected = zeph::text::Utf8ToGbk(cell.text);
                for (char& ch : expected) {
                    auto u = static_cast<unsigned char>(ch);
                    if (u < 0x20 && ch != '\t' && ch != '\n' && ch != '\r') {
                        ch = '?';
                    }
                }
                if (read.Value(r, c) != expected) {
                    std::abort();
                }
            }
        }
    }
    return 0;
}
