#include "testwin/TestWords.h"

#include "core/LibraryState.h"
#include "core/untZeph.h"
#include "testwin/untTestMain.h"

#include <memory>

namespace morvane::testwin {

void Test(TInterFacefrmMain& main, const zeph::Variant&, zeph::Variant&) {
    auto& state = State();
    if (state.testWindow == nullptr) {
        state.testWindow = main.Adopt(std::make_unique<TFrmTestMain>(main));
    }
    state.testWindow->Show();
}

} // namespace morvane::testwin
