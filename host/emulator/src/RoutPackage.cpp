#include <zeph/emulator/RoutPackage.h>
#include <zeph/text/HostText.h>

#include <array>
#include <cstring>

namespace zeph::emulator {
namespace {

using K = RoutFieldKind;

std::int64_t NumberOf(const RoutField& field, const Cell& value) {
    std::int64_t number = 0;
    if (value.type == Cell::Type::Integer) {
        number = value.integer;
    } else if (value.type == Cell::Type::Text && !value.text.empty()) {
        std::size_t used = 0;
        try {
            number = std::stoll(value.text, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != value.text.size()) {
            throw EDatabaseError(std::string("rout_field ") + field.name +
                                 ": not a number: " + value.text);
        }
    } else if (value.type != Cell::Type::Null) {
        throw EDatabaseError(std::string("rout_field ") + field.name + ": not a number");
    }
    std::int64_t limit = field.size == 1 ? 0xFF : 0xFFFF;
    if (number < 0 || number > limit) {
        throw EDatabaseError(std::string("rout_field ") + field.name + ": " +
                             std::to_string(number) + " does not fit " +
                             std::to_string(field.size * 8) + " bits");
    }
    return number;
}

} // namespace

TRoutPackage PackRoutPackage(const std::vector<std::pair<std::string, Cell>>& fields) {
    TRoutPackage package{};
    for (const auto& [name, value] : fields) {
        const RoutField* field = FindRoutField(name);
        if (field == nullptr) {
            throw EDatabaseError("rout_field: the routing package has no field " + name);
        }
        unsigned char* at = package.bytes + field->offset;
        std::memset(at, 0, field->size);
        if (field->kind == K::UInt8 || field->kind == K::UInt16) {
            auto number = static_cast<std::uint16_t>(NumberOf(*field, value));
            at[0] = static_cast<unsigned char>(number & 0xFF);
            if (field->size == 2) {
                at[1] = static_cast<unsigned char>(number >> 8);
            }
            continue;
        }
        std::string bytes =
            value.type == Cell::Type::Blob ? value.text : text::Utf8ToGbk(value.AsText());
        std::memcpy(at, bytes.data(), std::min(bytes.size(), field->size));
    }
    return package;
}

std::optional<TRoutPackage> LoadRoutPackage(Database& db) {
    if (!db.TableExists("rout_field")) {
        return std::nullopt;
    }
    RunResult run = db.Run("SELECT name, value FROM rout_field", {});
    if (!run.answer || run.answer->rows.empty()) {
        return std::nullopt;
    }
    std::vector<std::pair<std::string, Cell>> fields;
    for (const auto& row : run.answer->rows) {
        fields.emplace_back(row[0].AsText(), row[1]);
    }
    return PackRoutPackage(fields);
}

} // namespace zeph::emulator
