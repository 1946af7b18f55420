#include "export/SpreadsheetExport.h"

#include "export/OwnedWindow.h"
#include "export/untExportStatus.h"

#include <zeph/platform/Files.h>
#include <zeph/platform/ReplacingFile.h>
#include <zeph/text/HostText.h>

#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

namespace morvane::exporting {
namespace {

namespace dataset = zeph::dataset;

enum class ColumnKind { Integer, Floating, Currency, Date, DateTime, Time, Logical, Text };

std::string Attribute(const dataset::TFieldDef& field, std::string_view name) {
    for (const auto& [key, value] : field.extra) {
        if (zeph::text::SameText(key, name)) {
            return value;
        }
    }
    return {};
}

ColumnKind KindOf(const dataset::TFieldDef& field) {
    const std::string type = zeph::text::LowerCase(field.fieldType);
    const std::string subtype = zeph::text::LowerCase(Attribute(field, "SUBTYPE"));
    if (type == "i1" || type == "i2" || type == "i4" || type == "i8" || type == "ui1" ||
        type == "ui2" || type == "ui4" || type == "ui8") {
        return ColumnKind::Integer;
    }
    if (type == "r8" || type == "r4" || type == "fixed" || type == "fixedfmt") {
        return subtype == "money" ? ColumnKind::Currency : ColumnKind::Floating;
    }
    if (type == "date") {
        return ColumnKind::Date;
    }
    if (type == "datetime" || type == "sqldatetime") {
        return ColumnKind::DateTime;
    }
    if (type == "time") {
        return ColumnKind::Time;
    }
    if (type == "boolean") {
        return ColumnKind::Logical;
    }
    return ColumnKind::Text;
}

std::optional<double> Number(std::string_view text) {
    std::string value(zeph::text::Trim(text));
    if (value.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    double number = std::strtod(value.c_str(), &end);
    // Infinities and NaN have no cell value; they stay text.
    if (end != value.c_str() + value.size() || !std::isfinite(number)) {
        return std::nullopt;
    }
    return number;
}

bool Digits(std::string_view text, std::size_t at, std::size_t count, int& out) {
    if (at + count > text.size()) {
        return false;
    }
    out = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            return false;
        }
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

// "20240105" or "2024-01-05"; the rest of the text after the date is returned in rest.
bool ParseDate(std::string_view text, lxw_datetime& out, std::string_view& rest) {
    int year = 0;
    int month = 0;
    int day = 0;
    if (Digits(text, 0, 4, year) && Digits(text, 4, 2, month) && Digits(text, 6, 2, day)) {
        rest = text.substr(8);
    } else if (text.size() >= 10 && text[4] == '-' && text[7] == '-' && Digits(text, 0, 4, year) &&
               Digits(text, 5, 2, month) && Digits(text, 8, 2, day)) {
        rest = text.substr(10);
    } else {
        return false;
    }
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > kDays[month - 1] || (month == 2 && day == 29 && !leap)) {
        return false;
    }
    out.year = year;
    out.month = month;
    out.day = day;
    return true;
}

// "10:20:30" followed by milliseconds or nothing.
bool ParseTime(std::string_view text, lxw_datetime& out) {
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!(Digits(text, 0, 2, hour) && text.size() >= 8 && text[2] == ':' &&
          Digits(text, 3, 2, minute) && text[5] == ':' && Digits(text, 6, 2, second))) {
        return false;
    }
    if (hour > 23 || minute > 59 || second > 59) {
        return false;
    }
    int millis = 0;
    std::string_view tail = text.substr(8);
    if (!tail.empty() && (tail[0] == '.' || tail[0] == ',')) {
        tail.remove_prefix(1);
    }
    // The packet's milliseconds: three digits at most, so a longer run is no time of day.
    if (!tail.empty() && (tail.size() > 3 || !Digits(tail, 0, tail.size(), millis))) {
        return false;
    }
    out.hour = hour;
    out.min = minute;
    out.sec = second + (tail.empty() ? 0.0 : millis / 1000.0);
    return true;
}

std::optional<lxw_datetime> DateTimeOf(std::string_view text, ColumnKind kind) {
    lxw_datetime value{};
    std::string_view rest;
    if (kind == ColumnKind::Time) {
        // Times count from the spreadsheet's day zero.
        value.year = 1899;
        value.month = 12;
        value.day = 31;
        return ParseTime(text, value) ? std::optional(value) : std::nullopt;
    }
    if (!ParseDate(text, value, rest)) {
        return std::nullopt;
    }
    if (!rest.empty()) {
        if (rest[0] != 'T' && rest[0] != ' ') {
            return std::nullopt;
        }
        if (!ParseTime(rest.substr(1), value)) {
            return std::nullopt;
        }
    }
    return value;
}

// Display width in characters: a double-byte character takes two.
int DisplayWidth(std::string_view text) {
    return static_cast<int>(std::min<std::size_t>(text.size(), kMaxColumnWidth));
}

struct Column {
    std::size_t position = 0;
    ColumnKind kind = ColumnKind::Text;
    lxw_format* format = nullptr;
    std::string formatText;
    int width = 0;
};

class Workbook {
public:
    // The library opens the workbook by name with the C runtime, so the name is given in its
    // form.
    explicit Workbook(const std::string& nativePath) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        book_ = workbook_new_opt(zeph::platform::CRuntimePath(nativePath).c_str(), &options);
    }
    ~Workbook() {
        if (book_ != nullptr) {
            workbook_close(book_);
        }
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;
    lxw_workbook* get() const noexcept { return book_; }
    // The workbook for a closing elsewhere; this one no longer closes it.
    lxw_workbook* Release() noexcept { return std::exchange(book_, nullptr); }
    // Frees a workbook that has no worksheet without writing it: the library's close would
    // add one, and when that fails too (no row file could be made) it reads the missing sheet.
    void Discard() noexcept {
        if (book_ != nullptr) {
            lxw_workbook_free(std::exchange(book_, nullptr));
        }
    }

private:
    lxw_workbook* book_ = nullptr;
};

// The dataset's positions of the export's columns, with their titles; columns whose field the
// dataset lacks are left out.
void ChooseColumns(const dataset::TClientDataSet& set, const TExportColumns& columns,
                   std::vector<Column>& used, std::vector<std::string>& titles) {
    for (std::size_t i = 0; i < columns.fields.size(); ++i) {
        int position = set.FindField(columns.fields[i]);
        if (position < 0) {
            continue;
        }
        Column column;
        column.position = static_cast<std::size_t>(position);
        column.kind = KindOf(set.FieldDefs()[column.position]);
        used.push_back(column);
        titles.push_back(i < columns.titles.size() ? columns.titles[i] : columns.fields[i]);
    }
}

// Writes one sheet, a row at a time, and keeps each column's widest text.
class SheetWriter {
public:
    SheetWriter(lxw_worksheet* sheet, std::vector<Column>& used, const TSMExportSettings& settings)
        : sheet_(sheet), used_(used), settings_(settings) {}

    bool WriteTitles(const std::vector<std::string>& titles) {
        bool ok = true;
        for (std::size_t c = 0; c < used_.size(); ++c) {
            used_[c].width = std::max(used_[c].width, DisplayWidth(titles[c]));
            ok = ok && worksheet_write_string(sheet_, row_, static_cast<lxw_col_t>(c),
                                              zeph::text::GbkToUtf8(titles[c]).c_str(),
                                              nullptr) == LXW_NO_ERROR;
        }
        ++row_;
        return ok;
    }

    bool WriteRecord(const dataset::TRecordTable& table, std::size_t record) {
        bool ok = true;
        for (std::size_t c = 0; ok && c < used_.size(); ++c) {
            ok = WriteCell(used_[c], static_cast<lxw_col_t>(c),
                           table.Value(record, used_[c].position));
        }
        ++row_;
        return ok;
    }

    // Each column as wide as its widest text, or the spreadsheet's default width.
    bool SetWidths() {
        for (std::size_t c = 0; c < used_.size(); ++c) {
            double width = settings_.autoFitColumns ? std::clamp(used_[c].width, 1, kMaxColumnWidth)
                                                    : LXW_DEF_COL_WIDTH;
            if (worksheet_set_column(sheet_, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                     width, used_[c].format) != LXW_NO_ERROR) {
                return false;
            }
        }
        return true;
    }

private:
    // A number, a date or time in its column's format, the settings' word for a logical value,
    // or text; an empty value is a blank cell.
    bool WriteCell(Column& column, lxw_col_t col, std::string_view value) {
        std::optional<double> number;
        std::optional<lxw_datetime> when;
        switch (column.kind) {
        case ColumnKind::Integer:
        case ColumnKind::Floating:
        case ColumnKind::Currency:
            number = Number(value);
            break;
        case ColumnKind::Date:
        case ColumnKind::DateTime:
        case ColumnKind::Time:
            when = DateTimeOf(value, column.kind);
            break;
        case ColumnKind::Logical:
            if (zeph::text::SameText(value, "true")) {
                value = settings_.trueText;
            } else if (zeph::text::SameText(value, "false")) {
                value = settings_.falseText;
            }
            break;
        case ColumnKind::Text:
            break;
        }
        lxw_error error = LXW_NO_ERROR;
        if (value.empty()) {
            error = worksheet_write_blank(sheet_, row_, col, column.format);
        } else if (number) {
            error = worksheet_write_number(sheet_, row_, col, *number, column.format);
        } else if (when) {
            error = worksheet_write_datetime(sheet_, row_, col, &*when, column.format);
        } else {
            utf8_ = zeph::text::GbkToUtf8(value);
            error = worksheet_write_string(sheet_, row_, col, utf8_.c_str(), column.format);
        }
        // A date shows in its column's format, whatever the packet's spelling.
        const int shown = when ? static_cast<int>(column.formatText.size()) : DisplayWidth(value);
        column.width = std::max(column.width, shown);
        return error == LXW_NO_ERROR;
    }

    lxw_worksheet* sheet_;
    std::vector<Column>& used_;
    const TSMExportSettings& settings_;
    lxw_row_t row_ = 0;
    std::string utf8_;
};

// More characters than a workbook cell holds; a double-byte character counts one.
bool TooLongForCell(std::string_view text) {
    if (text.size() <= kMaxCellCharacters) {
        return false;
    }
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); at += zeph::text::CharLength(text, at)) {
        if (++characters > kMaxCellCharacters) {
            return true;
        }
    }
    return false;
}

// A value the column writes as text (not as a number or a date) that no cell can hold.
bool TooLongValue(const Column& column, std::string_view value) {
    if (value.size() <= kMaxCellCharacters) {
        return false;
    }
    switch (column.kind) {
    case ColumnKind::Integer:
    case ColumnKind::Floating:
    case ColumnKind::Currency:
        if (Number(value)) {
            return false;
        }
        break;
    case ColumnKind::Date:
    case ColumnKind::DateTime:
    case ColumnKind::Time:
        if (DateTimeOf(value, column.kind)) {
            return false;
        }
        break;
    case ColumnKind::Logical: // "True" and "False" are short; any other value stays as it is
    case ColumnKind::Text:
        break;
    }
    return TooLongForCell(value);
}

// The first title or value too long for its cell, with its sheet row and column (from 1).
std::optional<TSaveOutcome> FirstTooLongCell(const dataset::TRecordTable& table,
                                             const std::vector<Column>& used,
                                             const std::vector<std::string>& titles,
                                             const TSMExportSettings& settings) {
    std::size_t row = 1;
    if (settings.titleRow) {
        for (std::size_t c = 0; c < used.size(); ++c) {
            if (TooLongForCell(titles[c])) {
                return TSaveOutcome{TSaveOutcome::Kind::CellTooLong, row, c + 1};
            }
        }
        ++row;
    }
    for (std::size_t record = 0; record < table.RowCount(); ++record, ++row) {
        for (std::size_t c = 0; c < used.size(); ++c) {
            if (TooLongValue(used[c], table.Value(record, used[c].position))) {
                return TSaveOutcome{TSaveOutcome::Kind::CellTooLong, row, c + 1};
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::string ColumnNumberFormat(const dataset::TFieldDef& field, const TSMExportSettings& settings) {
    const std::string date =
        std::string("yyyy") + settings.dateSeparator + "mm" + settings.dateSeparator + "dd";
    const std::string time =
        std::string("hh") + settings.timeSeparator + "mm" + settings.timeSeparator + "ss";
    switch (KindOf(field)) {
    case ColumnKind::Integer:
        return "0";
    case ColumnKind::Floating: {
        int decimals = std::atoi(Attribute(field, "DECIMALS").c_str());
        return "0." + std::string(static_cast<std::size_t>(std::max(decimals, 1)), '0');
    }
    case ColumnKind::Currency:
        return "#,##0.00\"" + settings.currencyText + "\"";
    case ColumnKind::Date:
        return date;
    case ColumnKind::DateTime:
        return date + " " + time;
    case ColumnKind::Time:
        return time;
    case ColumnKind::Logical:
    case ColumnKind::Text:
        break;
    }
    return "@";
}

TSMExportToExcel::TSMExportToExcel(zeph::forms::Component* owner, std::string name)
    : Component(owner, std::move(name)) {
    Settings.sheetName = "数据导出..."_host;
    Settings.currencyText = "￥"_host;
}

TSMExportToXLS::TSMExportToXLS(zeph::forms::Component* owner, std::string name)
    : Component(owner, std::move(name)) {
    Settings.sheetName = "数据导出..."_host;
    Settings.currencyText = "￥"_host;
    Settings.autoFitColumns = false;
}

TSaveOutcome TSMExportToExcel::Export(const dataset::TClientDataSet& set,
                                      const TExportColumns& columns, const std::string& fileName) {
    using Kind = TSaveOutcome::Kind;
    std::vector<Column> used;
    std::vector<std::string> titles;
    ChooseColumns(set, columns, used, titles);
    if (!set.Active() || set.IsEmpty()) {
        return {Kind::Failed};
    }
    // What the workbook cannot hold is refused before anything is written.
    if (std::optional<TSaveOutcome> tooLong =
            FirstTooLongCell(set.Table(), used, titles, Settings)) {
        return *tooLong;
    }
    zeph::platform::TReplacingFile target(fileName);
    if (!target.Usable()) {
        return TSaveOutcome::Of(false, target);
    }
    Workbook book(target.TemporaryPath());
    if (book.get() == nullptr) {
        return {Kind::Failed};
    }
    const std::string sheetName = zeph::text::GbkToUtf8(Settings.sheetName);
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), sheetName.c_str());
    if (sheet == nullptr) {
        book.Discard();
        return {Kind::Failed};
    }
    for (Column& column : used) {
        column.format = workbook_add_format(book.get());
        column.formatText = ColumnNumberFormat(set.FieldDefs()[column.position], Settings);
        format_set_num_format(column.format, zeph::text::GbkToUtf8(column.formatText).c_str());
    }

    std::optional<OwnedWindow<TfrmExportStatus>> status;
    if (Settings.animatedStatus && Owner() != nullptr) {
        status.emplace(*Owner());
        (*status)->Start(set.Table().RowCount());
    }

    SheetWriter writer(sheet, used, Settings);
    bool ok = !Settings.titleRow || writer.WriteTitles(titles);
    const dataset::TRecordTable& table = set.Table();
    for (std::size_t record = 0; ok && record < table.RowCount(); ++record) {
        // Cancelling stops the walk; the rows written so far make the workbook.
        if (status && (*status)->Cancelled()) {
            break;
        }
        ok = writer.WriteRecord(table, record);
        if (status) {
            (*status)->Progress(record + 1);
        }
    }
    if (!ok || !writer.SetWidths()) {
        return {Kind::Failed};
    }
    // Closing writes the whole file out, seconds for a large sheet: while it runs on a thread of
    // its own the progress window keeps painting.
    auto close = [raw = book.Release()] { return workbook_close(raw) == LXW_NO_ERROR; };
    if (!(status ? (*status)->Finish(close) : close())) {
        return {Kind::Failed};
    }
    return TSaveOutcome::Of(target.Commit(), target);
}

} // namespace morvane::exporting
