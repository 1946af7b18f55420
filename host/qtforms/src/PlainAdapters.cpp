// Controls that show without taking input of their own: labels, shapes, progress bars, the
// containers, the splitter bar, and a window placed inside another.
#include "Adapters.h"
#include "Appearance.h"
#include "SplitterDrag.h"

#include <zeph/forms/Form.h>
#include <zeph/forms/Label.h>
#include <zeph/forms/ProgressBar.h>
#include <zeph/qtforms/QtText.h>

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <algorithm>

namespace zeph::qtforms {
namespace forms = zeph::forms;

namespace {

// A shape drawn from its brush and pen.
class ShapeWidget final : public QWidget {
public:
    using QWidget::QWidget;
    forms::ShapeType type = forms::ShapeType::Rectangle;
    forms::Brush brush;
    forms::Pen pen;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor penColour = ToQColor(pen.Color).value_or(Qt::black);
        painter.setPen(pen.Width > 0 ? QPen(penColour, pen.Width) : QPen(Qt::NoPen));
        if (brush.Style == forms::BrushStyle::Clear) {
            painter.setBrush(Qt::NoBrush);
        } else {
            painter.setBrush(ToQColor(brush.Color).value_or(Qt::white));
        }
        int w = width() - pen.Width;
        int h = height() - pen.Width;
        using forms::ShapeType;
        if (type == ShapeType::Square || type == ShapeType::RoundSquare ||
            type == ShapeType::Circle) {
            w = h = std::min(w, h);
        }
        QRect r((width() - w) / 2, (height() - h) / 2, w, h);
        switch (type) {
        case ShapeType::Ellipse:
        case ShapeType::Circle:
            painter.drawEllipse(r);
            break;
        case ShapeType::RoundRect:
        case ShapeType::RoundSquare:
            painter.drawRoundedRect(r, std::min(w, h) / 4.0, std::min(w, h) / 4.0);
            break;
        case ShapeType::Rectangle:
        case ShapeType::Square:
            painter.drawRect(r);
            break;
        }
    }
};

// A panel: a raised frame with its caption in the middle, under its controls.
class PanelWidget final : public QFrame {
public:
    explicit PanelWidget(QWidget* parent) : QFrame(parent) {
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        caption = new QLabel(this);
        caption->setAlignment(Qt::AlignCenter);
        caption->setAttribute(Qt::WA_TransparentForMouseEvents);
        caption->lower();
    }
    QLabel* caption;

protected:
    void resizeEvent(QResizeEvent*) override { caption->setGeometry(rect()); }
};

Qt::Alignment LabelAlignment(forms::Alignment alignment) {
    switch (alignment) {
    case forms::Alignment::Right:
        return Qt::AlignRight | Qt::AlignTop;
    case forms::Alignment::Center:
        return Qt::AlignHCenter | Qt::AlignTop;
    case forms::Alignment::Left:
    default:
        return Qt::AlignLeft | Qt::AlignTop;
    }
}

class LabelAdapterImpl final : public AdapterOf<forms::Label> {
public:
    // An auto-sized label is as large as its text in the face actually drawn, which the
    // toolkit can only estimate.
    QRect Bounds(forms::Control& control, QWidget* widget) const override {
        QRect bounds = KindAdapter::Bounds(control, widget);
        auto& label = static_cast<forms::Label&>(control);
        if (label.AutoSize && !label.WordWrap) {
            QSize text = widget->sizeHint();
            bounds.setWidth(std::max(bounds.width(), text.width()));
            bounds.setHeight(std::max(bounds.height(), text.height()));
        }
        return bounds;
    }

protected:
    QWidget* Make(forms::Label&, QWidget* parent, Router&) const override {
        return new QLabel(parent);
    }
    void Update(forms::Label& label, QWidget* widget, Router&) const override {
        auto* l = static_cast<QLabel*>(widget);
        QString text = WithoutAccelerator(ToQt(label.Caption()));
        if (l->text() != text) {
            l->setText(text);
        }
        l->setAlignment(LabelAlignment(label.Alignment));
        l->setWordWrap(label.WordWrap);
    }
};

class ShapeAdapterImpl final : public AdapterOf<forms::Shape> {
protected:
    QWidget* Make(forms::Shape&, QWidget* parent, Router&) const override {
        return new ShapeWidget(parent);
    }
    void Update(forms::Shape& shape, QWidget* widget, Router&) const override {
        auto* s = static_cast<ShapeWidget*>(widget);
        s->type = shape.Type;
        s->brush = shape.Brush;
        s->pen = shape.Pen;
        s->update();
    }
};

class ProgressBarAdapterImpl final : public AdapterOf<forms::ProgressBar> {
protected:
    QWidget* Make(forms::ProgressBar&, QWidget* parent, Router&) const override {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        return bar;
    }
    void Update(forms::ProgressBar& progress, QWidget* widget, Router&) const override {
        auto* bar = static_cast<QProgressBar*>(widget);
        bar->setOrientation(progress.Orientation == forms::Orientation::Vertical ? Qt::Vertical
                                                                                 : Qt::Horizontal);
        bar->setRange(progress.Min(), progress.Max());
        bar->setValue(progress.Position());
    }
};

class PanelAdapterImpl final : public AdapterOf<forms::Panel> {
protected:
    QWidget* Make(forms::Panel&, QWidget* parent, Router&) const override {
        return new PanelWidget(parent);
    }
    void Update(forms::Panel& panel, QWidget* widget, Router&) const override {
        static_cast<PanelWidget*>(widget)->caption->setText(
            WithoutAccelerator(ToQt(panel.Caption)));
    }
};

class GroupBoxAdapterImpl final : public AdapterOf<forms::GroupBox> {
protected:
    QWidget* Make(forms::GroupBox&, QWidget* parent, Router&) const override {
        return new QGroupBox(parent);
    }
    void Update(forms::GroupBox& group, QWidget* widget, Router&) const override {
        static_cast<QGroupBox*>(widget)->setTitle(ToQt(group.Caption));
    }
};

class ScrollBoxAdapterImpl final : public AdapterOf<forms::ScrollBox> {
protected:
    QWidget* Make(forms::ScrollBox&, QWidget* parent, Router&) const override {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        return frame;
    }
    void Update(forms::ScrollBox&, QWidget*, Router&) const override {}
};

class SplitterAdapterImpl final : public AdapterOf<forms::Splitter> {
public:
    // The splitter follows the left button; the pointer's place in the moved bar says how far
    // it is yet to go.
    void LeftDrag(forms::Control& control, QPoint moved, Router& router) const override {
        auto* splitter = &static_cast<forms::Splitter&>(control);
        int distance = splitter->Height >= splitter->Width ? moved.x() : moved.y();
        router.Act(splitter, [splitter, distance](forms::User&) {
            if (splitter->Reachable()) {
                DragSplitter(*splitter, distance);
            }
        });
    }

protected:
    QWidget* Make(forms::Splitter&, QWidget* parent, Router&) const override {
        auto* bar = new QFrame(parent);
        bar->setCursor(Qt::SplitHCursor);
        return bar;
    }
    void Update(forms::Splitter& splitter, QWidget* widget, Router&) const override {
        widget->setCursor(splitter.Width > splitter.Height ? Qt::SplitVCursor : Qt::SplitHCursor);
    }
};

// A window among another window's controls is drawn as a plain area.
class FormAdapterImpl final : public AdapterOf<forms::Form> {
protected:
    QWidget* Make(forms::Form&, QWidget* parent, Router&) const override {
        return new QWidget(parent);
    }
    void Update(forms::Form&, QWidget*, Router&) const override {}
};

} // namespace

const KindAdapter& LabelAdapter() {
    static const LabelAdapterImpl adapter;
    return adapter;
}

const KindAdapter& ShapeAdapter() {
    static const ShapeAdapterImpl adapter;
    return adapter;
}

const KindAdapter& ProgressBarAdapter() {
    static const ProgressBarAdapterImpl adapter;
    return adapter;
}

const KindAdapter& PanelAdapter() {
    static const PanelAdapterImpl adapter;
    return adapter;
}

const KindAdapter& GroupBoxAdapter() {
    static const GroupBoxAdapterImpl adapter;
    return adapter;
}

const KindAdapter& ScrollBoxAdapter() {
    static const ScrollBoxAdapterImpl adapter;
    return adapter;
}

const KindAdapter& SplitterAdapter() {
    static const SplitterAdapterImpl adapter;
    return adapter;
}

const KindAdapter& FormAdapter() {
    static const FormAdapterImpl adapter;
    return adapter;
}

} // namespace zeph::qtforms
