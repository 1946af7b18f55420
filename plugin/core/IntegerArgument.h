// Integer arguments of interface words arrive as text.
#pragma once

#include <stdexcept>
#include <string>

namespace morvane {

// Raised for an argument that is not an integer: "'x' is not a valid integer value".
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text as a 32-bit decimal integer (optional sign); EConvertError otherwise.
int TextToInteger(const std::string& text);

} // namespace morvane
