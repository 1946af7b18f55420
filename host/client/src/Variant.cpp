#include <zeph/client/Variant.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace zeph {

Variant Variant::Null() {
    return Variant(Storage(NullValue{}));
}

Variant Variant::Array(int lowBound, int highBound) {
    if (highBound < lowBound - 1) {
        throw EVariantError("Variant array bounds error");
    }
    ArrayValue array;
    array.lowBound = lowBound;
    array.elements.resize(static_cast<std::size_t>(highBound - lowBound + 1));
    return Variant(Storage(std::move(array)));
}

Variant Variant::ArrayOf(std::vector<Variant> elements) {
    ArrayValue array;
    array.elements = std::move(elements);
    return Variant(Storage(std::move(array)));
}

Variant::Kind Variant::GetKind() const noexcept {
    return static_cast<Kind>(value_.index());
}

const Variant::ArrayValue& Variant::Elements() const {
    const auto* array = std::get_if<ArrayValue>(&value_);
    if (array == nullptr) {
        throw EVariantError("Variant is not an array");
    }
    return *array;
}

int Variant::LowBound() const {
    return Elements().lowBound;
}

int Variant::HighBound() const {
    const auto& array = Elements();
    return array.lowBound + static_cast<int>(array.elements.size()) - 1;
}

const Variant& Variant::operator[](int index) const {
    const auto& array = Elements();
    if (index < array.lowBound || index > HighBound()) {
        throw EVariantError("Variant array index out of bounds");
    }
    return array.elements[static_cast<std::size_t>(index - array.lowBound)];
}

Variant& Variant::operator[](int index) {
    return const_cast<Variant&>(static_cast<const Variant&>(*this)[index]);
}

std::string FloatToText(double value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "INF" : "-INF";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::string text(buffer);
    // "%G" keeps an exponent of at least two digits and a '+'; the host writes "1E15", "1E-5".
    auto e = text.find('E');
    std::string mantissa = text.substr(0, e);
    std::string exponent = e == std::string::npos ? "" : text.substr(e + 1);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0') {
            mantissa.pop_back();
        }
        if (!mantissa.empty() && mantissa.back() == '.') {
            mantissa.pop_back();
        }
    }
    if (exponent.empty()) {
        return mantissa;
    }
    bool negative = exponent[0] == '-';
    std::size_t digits = exponent.find_first_not_of("+-");
    std::string magnitude = exponent.substr(digits);
    while (magnitude.size() > 1 && magnitude[0] == '0') {
        magnitude.erase(0, 1);
    }
    return mantissa + "E" + (negative ? "-" : "") + magnitude;
}

std::string Variant::AsText() const {
    switch (GetKind()) {
    case Kind::Empty:
    case Kind::Null:
        return {};
    case Kind::Boolean:
        return std::get<bool>(value_) ? "True" : "False";
    case Kind::Integer:
        return std::to_string(std::get<std::int64_t>(value_));
    case Kind::Floating:
        return FloatToText(std::get<double>(value_));
    case Kind::Text:
        return std::get<std::string>(value_);
    case Kind::Array:
        break;
    }
    throw EVariantError("Invalid variant type conversion");
}

std::int64_t Variant::AsInteger() const {
    switch (GetKind()) {
    case Kind::Empty:
        return 0;
    case Kind::Boolean:
        return std::get<bool>(value_) ? -1 : 0;
    case Kind::Integer:
        return std::get<std::int64_t>(value_);
    case Kind::Floating: {
        double d = std::get<double>(value_);
        if (!std::isfinite(d) || std::fabs(d) > 9.2e18) {
            throw EVariantError("Invalid variant type conversion");
        }
        return static_cast<std::int64_t>(std::llround(d));
    }
    case Kind::Text: {
        std::string text = zeph::text::Trim(std::get<std::string>(value_));
        std::int64_t result = 0;
        const char* begin = text.data();
        if (!text.empty() && text[0] == '+') {
            ++begin;
        }
        auto [end, ec] = std::from_chars(begin, text.data() + text.size(), result);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
            throw EVariantError("Could not convert variant of type (String) into type (Integer)");
        }
        return result;
    }
    case Kind::Null:
    case Kind::Array:
        break;
    }
    throw EVariantError("Invalid variant type conversion");
}

double Variant::AsFloat() const {
    switch (GetKind()) {
    case Kind::Empty:
        return 0;
    case Kind::Boolean:
        return std::get<bool>(value_) ? -1 : 0;
    case Kind::Integer:
        return static_cast<double>(std::get<std::int64_t>(value_));
    case Kind::Floating:
        return std::get<double>(value_);
    case Kind::Text: {
        std::string text = zeph::text::Trim(std::get<std::string>(value_));
        double result = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
            throw EVariantError("Could not convert variant of type (String) into type (Double)");
        }
        return result;
    }
    case Kind::Null:
    case Kind::Array:
        break;
    }
    throw EVariantError("Invalid variant type conversion");
}

bool Variant::AsBoolean() const {
    switch (GetKind()) {
    case Kind::Empty:
        return false;
    case Kind::Boolean:
        return std::get<bool>(value_);
    case Kind::Integer:
        return std::get<std::int64_t>(value_) != 0;
    case Kind::Floating:
        return std::get<double>(value_) != 0;
    case Kind::Text: {
        const auto& text = std::get<std::string>(value_);
        if (zeph::text::SameText(text, "True")) {
            return true;
        }
        if (zeph::text::SameText(text, "False")) {
            return false;
        }
        return AsInteger() != 0;
    }
    case Kind::Null:
    case Kind::Array:
        break;
    }
    throw EVariantError("Invalid variant type conversion");
}

} // namespace zeph
