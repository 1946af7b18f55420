#include "core/IntegerArgument.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/client/Variant.h>

namespace morvane {

int TextToInteger(const std::string& text) {
    if (!zeph::IfNumber(text)) {
        throw EConvertError("'" + text + "' is not a valid integer value");
    }
    return static_cast<int>(zeph::Variant(text).AsInteger());
}

} // namespace morvane
