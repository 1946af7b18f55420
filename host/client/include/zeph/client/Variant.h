// The host's variant: Empty, Null, Boolean, integer, floating, text (host text) and
// one-dimensional arrays with a lower bound. Arrays copy by value, as the host's do.
#pragma once

#include <zeph/text/HostText.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace zeph {

// Raised for a conversion or an array access the variant cannot make.
class ZEPH_HOST_API EVariantError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ZEPH_HOST_API Variant {
public:
    enum class Kind { Empty, Null, Boolean, Integer, Floating, Text, Array };

    Variant() = default;
    Variant(bool value) : value_(value) {}
    Variant(int value) : value_(static_cast<std::int64_t>(value)) {}
    Variant(unsigned value) : value_(static_cast<std::int64_t>(value)) {}
    Variant(std::int64_t value) : value_(value) {}
    Variant(double value) : value_(value) {}
    Variant(std::string text) : value_(std::move(text)) {}
    Variant(const char* text) : value_(std::string(text)) {}

    static Variant Null();
    // An array lowBound..highBound of Empty elements; highBound may be lowBound - 1 (no elements).
    static Variant Array(int lowBound, int highBound);
    // An array 0..n-1 of the given elements.
    static Variant ArrayOf(std::vector<Variant> elements);

    Kind GetKind() const noexcept;
    bool IsEmpty() const noexcept { return GetKind() == Kind::Empty; }
    bool IsNull() const noexcept { return GetKind() == Kind::Null; }
    bool IsEmptyOrNull() const noexcept { return IsEmpty() || IsNull(); }
    bool IsArray() const noexcept { return GetKind() == Kind::Array; }

    // Array bounds and elements; EVariantError when not an array or the index is out of bounds.
    int LowBound() const;
    int HighBound() const;
    Variant& operator[](int index);
    const Variant& operator[](int index) const;

    // The host's conversions. Text: Empty and Null give "", Booleans "True"/"False", integers in
    // decimal, floating values in general format (15 significant digits). An array cannot be
    // converted (EVariantError).
    std::string AsText() const;
    // Integer: from integers, Booleans (-1/0), floating values rounded, or text holding a
    // decimal integer; EVariantError otherwise.
    std::int64_t AsInteger() const;
    double AsFloat() const;
    bool AsBoolean() const;

    bool operator==(const Variant& other) const = default;

private:
    struct NullValue {
        bool operator==(const NullValue&) const = default;
    };
    struct ArrayValue {
        int lowBound = 0;
        std::vector<Variant> elements;
        bool operator==(const ArrayValue&) const = default;
    };
    using Storage = std::variant<std::monostate, NullValue, bool, std::int64_t, double, std::string,
                                 ArrayValue>;
    explicit Variant(Storage storage) : value_(std::move(storage)) {}
    const ArrayValue& Elements() const;

    Storage value_;
};

// Text of a floating value as the host prints it: general format, 15 significant digits.
ZEPH_HOST_API std::string FloatToText(double value);

} // namespace zeph
