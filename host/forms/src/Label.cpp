#include <zeph/forms/Label.h>

#include <algorithm>

namespace zeph::forms {

Label::Label(Component* owner, std::string name) : Control(owner, std::move(name)) {
    Height = 13;
}

void Label::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    if (AutoSize) {
        AdjustSize();
    }
    Invalidate();
}

int Label::TextWidth(std::string_view text) const {
    // Pixel height of the font at 96 dots per inch; a half-width character of the host's
    // fonts is half as wide, a double-byte character as wide.
    int pixelHeight = (Font.Size * 96 + 36) / 72;
    int halfWidth = pixelHeight / 2;
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = zeph::text::CharLength(text, i);
        width += static_cast<int>(length) * halfWidth;
        i += length;
    }
    if ((Font.Style & fsBold) != 0 && !text.empty()) {
        width += 1;
    }
    return width;
}

void Label::AdjustSize() {
    int longest = 0;
    int lines = 0;
    std::string_view text = caption_;
    std::size_t start = 0;
    do {
        std::size_t stop = text.find('\n', start);
        std::string_view line =
            text.substr(start, stop == std::string_view::npos ? text.npos : stop - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        longest = std::max(longest, TextWidth(line));
        ++lines;
        start = stop == std::string_view::npos ? text.size() + 1 : stop + 1;
    } while (start <= text.size());
    Width = longest;
    Height = lines * ((Font.Size * 96 + 36) / 72 + 1);
}

} // namespace zeph::forms
