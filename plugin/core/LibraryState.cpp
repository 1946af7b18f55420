#include "core/LibraryState.h"

namespace morvane {

LibraryState& State() {
    static LibraryState state;
    return state;
}

} // namespace morvane
