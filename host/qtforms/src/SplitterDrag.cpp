#include "SplitterDrag.h"

#include <algorithm>

namespace zeph::qtforms {
namespace forms = zeph::forms;

void DragSplitter(forms::Splitter& splitter, int distance) {
    forms::WinControl* parent = splitter.Parent();
    if (parent == nullptr || distance == 0) {
        return;
    }
    const bool sideways = splitter.Height >= splitter.Width;
    // Along the drag and across it.
    auto start = [&](const forms::Control& c) { return sideways ? c.Left : c.Top; };
    auto length = [&](const forms::Control& c) { return sideways ? c.Width : c.Height; };
    auto crossStart = [&](const forms::Control& c) { return sideways ? c.Top : c.Left; };
    auto crossLength = [&](const forms::Control& c) { return sideways ? c.Height : c.Width; };
    forms::Control* before = nullptr;
    forms::Control* after = nullptr;
    for (forms::Control* c : parent->Controls()) {
        bool beside = crossStart(*c) < crossStart(splitter) + crossLength(splitter) &&
                      crossStart(splitter) < crossStart(*c) + crossLength(*c);
        if (c == &splitter || !c->Visible || !beside) {
            continue;
        }
        if (start(*c) + length(*c) == start(splitter)) {
            before = c;
        } else if (start(*c) == start(splitter) + length(splitter)) {
            after = c;
        }
    }
    if (before == nullptr && after == nullptr) {
        return;
    }
    const int minSize = std::max(0, splitter.MinSize);
    const int room = sideways ? parent->ClientWidth() : parent->ClientHeight();
    int lowest = before != nullptr ? minSize - length(*before) : -start(splitter);
    int highest =
        after != nullptr ? length(*after) - minSize : room - start(splitter) - length(splitter);
    distance = std::clamp(distance, std::min(0, lowest), std::max(0, highest));
    if (distance == 0) {
        return;
    }
    // Moves c's start by shift and changes its length by grow, along the drag.
    auto change = [&](forms::Control& c, int shift, int grow) {
        if (sideways) {
            c.SetBounds(c.Left + shift, c.Top, c.Width + grow, c.Height);
        } else {
            c.SetBounds(c.Left, c.Top + shift, c.Width, c.Height + grow);
        }
    };
    if (before != nullptr) {
        change(*before, 0, distance);
    }
    change(splitter, distance, 0);
    if (after != nullptr) {
        change(*after, distance, -distance);
    }
}

} // namespace zeph::qtforms
