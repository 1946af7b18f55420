#include "WidgetChecks.h"

#include <zeph/forms/Forms.h>
#include <zeph/text/HostText.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTreeWidget>
#include <functional>

namespace zeph::qtforms::testing {
namespace forms = zeph::forms;

namespace {

// Qt's strings are compared in UTF-8, converted here rather than through the backend's code.
std::string U(const std::string& host) {
    return zeph::text::GbkToUtf8(host);
}
std::string U(const QString& qt) {
    return qt.toStdString();
}

class Checker {
public:
    Checker(const QtBackend& backend, std::vector<std::string>& out)
        : backend_(backend), out_(out) {}

    void Expect(const forms::Control& c, const char* what, const std::string& model,
                const std::string& shown) {
        if (model != shown) {
            out_.push_back(c.Name() + ": " + what + " \"" + model + "\" shows \"" + shown + "\"");
        }
    }
    void Expect(const forms::Control& c, const char* what, long long model, long long shown) {
        Expect(c, what, std::to_string(model), std::to_string(shown));
    }

    void Control(const forms::Control& c) {
        QWidget* w = backend_.WidgetOf(c);
        if (w == nullptr) {
            out_.push_back(c.Name() + ": no widget");
            return;
        }
        if (dynamic_cast<const forms::TabSheet*>(&c) == nullptr) {
            Expect(c, "left", c.Left, w->x());
            Expect(c, "top", c.Top, w->y());
            auto* label = dynamic_cast<const forms::Label*>(&c);
            if (label != nullptr && label->AutoSize && !label->WordWrap) {
                // Grown to its text in the face drawn, never shrunk.
                Expect(c, "at least width", c.Width, std::min(c.Width, w->width()));
                Expect(c, "at least height", c.Height, std::min(c.Height, w->height()));
                Expect(c, "text fits", 1, w->width() >= w->sizeHint().width());
            } else {
                Expect(c, "width", c.Width, w->width());
                Expect(c, "height", c.Height, w->height());
            }
            Expect(c, "visible", c.Visible, !w->isHidden());
        }
        Expect(c, "enabled", c.Enabled, !w->testAttribute(Qt::WA_ForceDisabled));
        if (!c.Hint.empty() && (c.ShowHint || (c.ParentForm() && c.ParentForm()->ShowHint))) {
            Expect(c, "hint", U(c.Hint), U(w->toolTip()));
        }
        Kind(c, w);
        if (auto* container = dynamic_cast<const forms::WinControl*>(&c)) {
            for (const forms::Control* child : container->Controls()) {
                Control(*child);
            }
        }
    }

    void Kind(const forms::Control& c, QWidget* w) {
        if (auto* memo = dynamic_cast<const forms::Memo*>(&c)) {
            auto* edit = qobject_cast<QPlainTextEdit*>(w);
            std::vector<std::string> lines;
            for (const auto& line : memo->Lines()) {
                lines.push_back(U(line));
            }
            Expect(c, "text", zeph::text::Join(lines, "\n"),
                   edit ? U(edit->toPlainText()) : "(not a text box)");
        } else if (auto* edit = dynamic_cast<const forms::CustomEdit*>(&c)) {
            auto* line = qobject_cast<QLineEdit*>(w);
            if (line == nullptr) {
                line = w->findChild<QLineEdit*>();
            }
            Expect(c, "text", U(edit->Text()), line ? U(line->text()) : "(no line edit)");
            if (line != nullptr) {
                Expect(c, "read-only", edit->ReadOnly, line->isReadOnly());
            }
        } else if (auto* combo = dynamic_cast<const forms::ComboBox*>(&c)) {
            auto* box = qobject_cast<QComboBox*>(w);
            Expect(c, "items", combo->Items.Count(), box ? box->count() : -1);
            for (int i = 0; box && i < combo->Items.Count() && i < box->count(); ++i) {
                Expect(c, "item", U(combo->Items[i]), U(box->itemText(i)));
            }
            Expect(c, "item index", combo->ItemIndex(), box ? box->currentIndex() : -2);
            Expect(c, "text", U(combo->Text()), box ? U(box->currentText()) : "");
            Expect(c, "rows", combo->DropDownCount, box ? box->maxVisibleItems() : -1);
            Expect(c, "editable", combo->Style == forms::ComboStyle::DropDown,
                   box && box->isEditable());
        } else if (auto* list = dynamic_cast<const forms::ListBox*>(&c)) {
            auto* widget = qobject_cast<QListWidget*>(w);
            auto* checks = dynamic_cast<const forms::CheckListBox*>(list);
            Expect(c, "items", list->Items.Count(), widget ? widget->count() : -1);
            for (int i = 0; widget && i < list->Items.Count() && i < widget->count(); ++i) {
                Expect(c, "item", U(list->Items[i]), U(widget->item(i)->text()));
                Expect(c, "selected", list->Selected(i), widget->item(i)->isSelected());
                if (checks != nullptr) {
                    Expect(c, "tick", checks->Checked(i),
                           widget->item(i)->checkState() == Qt::Checked);
                }
            }
        } else if (auto* view = dynamic_cast<const forms::ListView*>(&c)) {
            auto* tree = w != nullptr ? w->findChild<QTreeWidget*>() : nullptr;
            Expect(c, "items", view->Items.Count(), tree ? tree->topLevelItemCount() : -1);
            if (tree != nullptr && view->ViewStyle == forms::ViewStyle::Report) {
                for (std::size_t k = 0; k < view->Columns.size(); ++k) {
                    int col = static_cast<int>(k);
                    Expect(c, "column", U(view->Columns[k].Caption),
                           U(tree->headerItem()->text(col)));
                    Expect(c, "column width", view->Columns[k].Width, tree->columnWidth(col));
                }
                Expect(c, "column headers", view->ShowColumnHeaders, !tree->isHeaderHidden());
            }
            for (int i = 0; tree && i < view->Items.Count() && i < tree->topLevelItemCount(); ++i) {
                const forms::ListItem& item = view->Items[i];
                QTreeWidgetItem* row = tree->topLevelItem(i);
                Expect(c, "caption", U(item.Caption), U(row->text(0)));
                for (std::size_t s = 0;
                     s < item.SubItems.size() && view->ViewStyle == forms::ViewStyle::Report; ++s) {
                    Expect(c, "sub-item", U(item.SubItems[s]),
                           U(row->text(static_cast<int>(s) + 1)));
                }
                if (view->Checkboxes) {
                    Expect(c, "tick", item.Checked(), row->checkState(0) == Qt::Checked);
                }
                Expect(c, "selected", item.Selected(), row->isSelected());
            }
        } else if (auto* treeView = dynamic_cast<const forms::TreeView*>(&c)) {
            auto* tree = qobject_cast<QTreeWidget*>(w);
            std::vector<forms::TreeNode*> nodes = treeView->Items.All();
            std::vector<QTreeWidgetItem*> items;
            for (QTreeWidgetItemIterator it(tree); tree && *it; ++it) {
                items.push_back(*it);
            }
            Expect(c, "nodes", static_cast<long long>(nodes.size()),
                   static_cast<long long>(items.size()));
            for (std::size_t i = 0; i < nodes.size() && i < items.size(); ++i) {
                Expect(c, "node", U(nodes[i]->Text), U(items[i]->text(0)));
                Expect(c, "expanded", nodes[i]->Expanded() && nodes[i]->HasChildren(),
                       items[i]->isExpanded() && items[i]->childCount() > 0);
                Expect(c, "selected node", nodes[i] == treeView->Selected(),
                       items[i] == tree->currentItem());
            }
        } else if (auto* button = dynamic_cast<const forms::Button*>(&c)) {
            auto* b = qobject_cast<QAbstractButton*>(w);
            Expect(c, "caption", U(button->Caption), b ? U(b->text()) : "");
        } else if (auto* radio = dynamic_cast<const forms::RadioButton*>(&c)) {
            auto* b = qobject_cast<QAbstractButton*>(w);
            Expect(c, "caption", U(radio->Caption), b ? U(b->text()) : "");
            Expect(c, "checked", radio->Checked(), b && b->isChecked());
        } else if (auto* check = dynamic_cast<const forms::CheckBox*>(&c)) {
            auto* b = qobject_cast<QAbstractButton*>(w);
            Expect(c, "caption", U(check->Caption), b ? U(b->text()) : "");
            Expect(c, "checked", check->Checked(), b && b->isChecked());
        } else if (auto* label = dynamic_cast<const forms::Label*>(&c)) {
            auto* l = qobject_cast<QLabel*>(w);
            std::string caption = U(label->Caption());
            std::string shown;
            for (std::size_t i = 0; i < caption.size(); ++i) {
                if (caption[i] == '&' && i + 1 < caption.size()) {
                    ++i;
                }
                shown += caption[i];
            }
            Expect(c, "caption", shown, l ? U(l->text()) : "");
        } else if (auto* pages = dynamic_cast<const forms::PageControl*>(&c)) {
            auto* bar = w->findChild<QTabBar*>();
            auto* stack = w->findChild<QStackedWidget*>();
            std::vector<std::string> tabs;
            for (int i = 0; i < pages->PageCount(); ++i) {
                if (pages->Page(i).TabVisible) {
                    tabs.push_back(U(pages->Page(i).Caption));
                }
            }
            std::vector<std::string> shownTabs;
            for (int i = 0; bar && i < bar->count(); ++i) {
                shownTabs.push_back(U(bar->tabText(i)));
            }
            Expect(c, "tabs", zeph::text::Join(tabs, ","), zeph::text::Join(shownTabs, ","));
            QWidget* activeWidget =
                pages->ActivePage() ? backend_.WidgetOf(*pages->ActivePage()) : nullptr;
            Expect(c, "active page", pages->ActivePage() ? pages->ActivePage()->Name() : "",
                   stack && stack->currentWidget() == activeWidget && activeWidget
                       ? pages->ActivePage()->Name()
                       : "another");
        } else if (auto* picker = dynamic_cast<const forms::DateTimePicker*>(&c)) {
            auto* edit = qobject_cast<QDateTimeEdit*>(w);
            forms::DateTimeParts parts = forms::DecodeDateTime(picker->DateTime());
            char wanted[32];
            if (picker->Kind == forms::DateTimeKind::Time) {
                std::snprintf(wanted, sizeof wanted, "%02d:%02d:%02d", parts.hour, parts.minute,
                              parts.second);
                Expect(c, "time", wanted,
                       edit ? U(edit->time().toString("HH:mm:ss")) : std::string());
            } else {
                std::snprintf(wanted, sizeof wanted, "%04d-%02d-%02d", parts.year, parts.month,
                              parts.day);
                Expect(c, "date", wanted,
                       edit ? U(edit->date().toString("yyyy-MM-dd")) : std::string());
            }
        } else if (auto* progress = dynamic_cast<const forms::ProgressBar*>(&c)) {
            auto* bar = qobject_cast<QProgressBar*>(w);
            Expect(c, "position", progress->Position(), bar ? bar->value() : -1);
            Expect(c, "maximum", progress->Max(), bar ? bar->maximum() : -1);
        } else if (auto* group = dynamic_cast<const forms::GroupBox*>(&c)) {
            auto* g = qobject_cast<QGroupBox*>(w);
            Expect(c, "caption", U(group->Caption), g ? U(g->title()) : "");
        } else if (auto* panel = dynamic_cast<const forms::Panel*>(&c)) {
            auto* l = w->findChild<QLabel*>();
            Expect(c, "caption", U(panel->Caption), l ? U(l->text()) : "");
        }
    }

private:
    const QtBackend& backend_;
    std::vector<std::string>& out_;
};

} // namespace

std::vector<std::string> Mismatches(const QtBackend& backend, forms::Form& form) {
    std::vector<std::string> out;
    QWidget* window = backend.WidgetOf(form);
    if (window == nullptr) {
        out.push_back(form.ClassName() + ": no window");
        return out;
    }
    Checker check(backend, out);
    check.Expect(form, "caption", U(form.Caption), U(window->windowTitle()));
    check.Expect(form, "client width", form.ClientWidth(), window->width());
    check.Expect(form, "client height", form.ClientHeight(), window->height());
    check.Expect(form, "left", form.Left, window->x());
    check.Expect(form, "top", form.Top, window->y());
    check.Expect(form, "shown", form.Visible, window->isVisible());
    check.Expect(form, "stays on top", form.FormStyle == forms::FormStyle::StayOnTop,
                 (window->windowFlags() & Qt::WindowStaysOnTopHint) != 0);
    for (const forms::Control* child : form.Controls()) {
        check.Control(*child);
    }
    return out;
}

int ControlCount(const forms::Form& form) {
    std::function<int(const forms::WinControl&)> count = [&](const forms::WinControl& c) {
        int n = 0;
        for (const forms::Control* child : c.Controls()) {
            ++n;
            if (auto* inner = dynamic_cast<const forms::WinControl*>(child)) {
                n += count(*inner);
            }
        }
        return n;
    };
    return count(form);
}

} // namespace zeph::qtforms::testing
