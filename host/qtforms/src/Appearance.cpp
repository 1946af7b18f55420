#include "Appearance.h"

#include <zeph/qtforms/QtText.h>

#include <QPalette>
#include <QWidget>

namespace zeph::qtforms {

void InstallFontSubstitutions() {
    static const bool installed = [] {
        const QStringList cjk{"WenQuanYi Micro Hei", "Noto Sans CJK SC", "AR PL UMing CN",
                              "Droid Sans Fallback"};
        for (const char* face : {"宋体", "SimSun", "新宋体", "NSimSun", "黑体", "SimHei",
                                 "MS Sans Serif", "Tahoma", "Arial", "System"}) {
            QFont::insertSubstitutions(QString::fromUtf8(face), cjk);
        }
        return true;
    }();
    (void)installed;
}

zeph::forms::Font EffectiveFont(const zeph::forms::Control& control) {
    const zeph::forms::Font standard;
    const zeph::forms::Control* c = &control;
    while (c->Parent() != nullptr && c->Font.Name == standard.Name &&
           c->Font.Size == standard.Size && c->Font.Style == standard.Style &&
           c->Font.Color == standard.Color) {
        c = c->Parent();
    }
    return c->Font;
}

QFont ToQFont(const zeph::forms::Font& font) {
    QFont q(ToQt(font.Name));
    q.setPointSize(font.Size > 0 ? font.Size : 9);
    q.setBold((font.Style & zeph::forms::fsBold) != 0);
    q.setItalic((font.Style & zeph::forms::fsItalic) != 0);
    q.setUnderline((font.Style & zeph::forms::fsUnderline) != 0);
    q.setStrikeOut((font.Style & zeph::forms::fsStrikeOut) != 0);
    return q;
}

std::optional<QColor> ToQColor(zeph::forms::Color color) {
    if ((color & 0xFF000000u) != 0) {
        if (color == zeph::forms::clInfoBk) {
            return QColor(0xFF, 0xFF, 0xE1);
        }
        return std::nullopt;
    }
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

void ApplyColours(const zeph::forms::Control& control, QWidget& widget) {
    QPalette palette =
        widget.parentWidget() != nullptr ? widget.parentWidget()->palette() : QPalette();
    bool filled = false;
    if (auto background = ToQColor(control.Color)) {
        palette.setColor(QPalette::Window, *background);
        palette.setColor(QPalette::Base, *background);
        palette.setColor(QPalette::Button, *background);
        filled = true;
    }
    if (auto text = ToQColor(EffectiveFont(control).Color)) {
        palette.setColor(QPalette::WindowText, *text);
        palette.setColor(QPalette::Text, *text);
        palette.setColor(QPalette::ButtonText, *text);
    }
    if (widget.palette() != palette) {
        widget.setPalette(palette);
    }
    if (widget.autoFillBackground() != filled) {
        widget.setAutoFillBackground(filled);
    }
}

Qt::WindowFlags WindowFlagsOf(const zeph::forms::Form& form) {
    using zeph::forms::BorderStyle;
    Qt::WindowFlags flags = Qt::Window;
    switch (form.BorderStyle) {
    case BorderStyle::None:
        flags |= Qt::FramelessWindowHint;
        break;
    case BorderStyle::Dialog:
        flags = Qt::Dialog;
        break;
    case BorderStyle::ToolWindow:
        flags = Qt::Tool;
        break;
    case BorderStyle::Single:
    case BorderStyle::Sizeable:
        break;
    }
    if (form.BorderStyle != BorderStyle::None) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if ((form.BorderIcons & zeph::forms::biSystemMenu) != 0) {
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
            // A dialog frame has no minimise or maximise box, whatever its icons say.
            if (form.BorderStyle != BorderStyle::Dialog &&
                form.BorderStyle != BorderStyle::ToolWindow) {
                if ((form.BorderIcons & zeph::forms::biMinimize) != 0) {
                    flags |= Qt::WindowMinimizeButtonHint;
                }
                if ((form.BorderIcons & zeph::forms::biMaximize) != 0) {
                    flags |= Qt::WindowMaximizeButtonHint;
                }
            }
            if ((form.BorderIcons & zeph::forms::biHelp) != 0) {
                flags |= Qt::WindowContextHelpButtonHint;
            }
        }
    }
    if (form.FormStyle == zeph::forms::FormStyle::StayOnTop) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    return flags;
}

} // namespace zeph::qtforms
