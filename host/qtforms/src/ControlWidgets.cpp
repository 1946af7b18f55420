#include "ControlWidgets.h"

#include "KindAdapter.h"

#include <zeph/qtforms/QtText.h>
#include <zeph/text/HostText.h>

#include <QWidget>
#include <algorithm>

namespace zeph::qtforms {
namespace forms = zeph::forms;

QString WithoutAccelerator(const QString& caption) {
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;
        }
        out += caption[i];
    }
    return out;
}

int CharOffset(const std::string& hostText, int byteOffset) {
    std::size_t bytes =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(byteOffset, 0)), hostText.size());
    return static_cast<int>(ToQt(std::string_view(hostText).substr(0, bytes)).size());
}

int ByteOffset(const std::string& hostText, int charOffset) {
    std::size_t i = 0;
    for (int chars = 0; i < hostText.size() && chars < charOffset;) {
        std::size_t length = zeph::text::CharLength(hostText, i);
        chars += static_cast<int>(ToQt(std::string_view(hostText).substr(i, length)).size());
        i += length;
    }
    return static_cast<int>(i);
}

QWidget* CreateControlWidget(forms::Control& control, QWidget* parent, Router& router) {
    QWidget* widget = AdapterFor(control).Create(control, parent, router);
    widget->setObjectName(ToQt(control.Name()));
    router.Watch(widget, &control);
    return widget;
}

} // namespace zeph::qtforms
