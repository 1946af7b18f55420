// A list view draws its items as its style asks: large icons with the caption beneath in rows,
// small icons with the caption beside in rows, a list in columns, or a report with columns;
// a click on an item in any style selects it, and the arrow keys go through the items as
// they lie.
#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/ListView.h>
#include <zeph/qtforms/QtBackend.h>

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QStackedWidget>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace forms = zeph::forms;

constexpr int kItems = 8;

class StyleWindow : public forms::Form {
public:
    explicit StyleWindow(forms::ViewStyle style) : Form(nullptr, "StyleWindow") {
        SetClientWidth(300);
        SetClientHeight(200);
        lvFiles.SetBounds(0, 0, 300, 200);
        lvFiles.ViewStyle = style;
        lvFiles.Columns = {forms::ListColumn{}, forms::ListColumn{}};
        lvFiles.Columns[0].Caption = "Name";
        lvFiles.Columns[0].Width = 100;
        lvFiles.Columns[1].Caption = "Size";
        lvFiles.Columns[1].Width = 100;
        for (int i = 0; i < kItems; ++i) {
            forms::ListItem& item = lvFiles.Items.Add();
            item.Caption = "Item" + std::to_string(i);
            item.SubItems = {"WWWWWWWW"};
        }
        Created();
    }
    forms::ListView lvFiles{*this, "lvFiles"};
};

// Where ink is in a picture: each dark pixel's row and column, counted.
struct Ink {
    std::vector<int> rows;    // dark pixels per row
    std::vector<int> columns; // dark pixels per column
    int top = -1;
    int bottom = -1;
    int left = -1;
    int right = -1;

    // Runs of rows holding ink, separated by at least one blank row.
    int RowBands() const { return Bands(rows); }
    int ColumnBands(int gap) const { return Bands(columns, gap); }

private:
    static int Bands(const std::vector<int>& counts, int gap = 1) {
        int bands = 0;
        int blank = gap;
        for (int count : counts) {
            if (count > 0) {
                if (blank >= gap) {
                    ++bands;
                }
                blank = 0;
            } else {
                ++blank;
            }
        }
        return bands;
    }
};

Ink InkOf(const QImage& picture) {
    Ink ink;
    ink.rows.assign(static_cast<std::size_t>(picture.height()), 0);
    ink.columns.assign(static_cast<std::size_t>(picture.width()), 0);
    // The frame stays out.
    for (int y = 3; y < picture.height() - 3; ++y) {
        for (int x = 3; x < picture.width() - 3; ++x) {
            if (picture.pixelColor(x, y).lightness() < 96) {
                ++ink.rows[static_cast<std::size_t>(y)];
                ++ink.columns[static_cast<std::size_t>(x)];
                ink.top = ink.top < 0 ? y : ink.top;
                ink.bottom = y;
                ink.left = ink.left < 0 ? x : std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
        }
    }
    return ink;
}

struct Drawn {
    Ink ink;
    int selected = -1;        // the item a click on the second item's place selected
    int afterRight = -1;      // then the item the right arrow chose
    int afterDown = -1;       // then the item the down arrow chose
    bool downIsBelow = false; // that item shows under the one before it
};

Drawn Draw(forms::ViewStyle style, const char* name) {
    auto backend = std::make_shared<zeph::qtforms::QtBackend>();
    forms::Application()->SetBackend(backend);
    Drawn drawn;
    {
        StyleWindow window(style);
        window.Show();
        backend->Refresh();
        QWidget* widget = backend->WidgetOf(window.lvFiles);
        const QImage picture = widget->grab().toImage();
        drawn.ink = InkOf(picture);
        // For the record, beside the window photos.
        QDir().mkpath(ZEPH_WINDOW_PHOTOS);
        picture.save(QString(ZEPH_WINDOW_PHOTOS) + "/list-view-" + name + ".png");
        // A real click on the second item where this style shows it.
        auto* view =
            qobject_cast<QAbstractItemView*>(static_cast<QStackedWidget*>(widget)->currentWidget());
        if (view != nullptr) {
            const QRect place = view->visualRect(view->model()->index(1, 0));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, place.center());
            drawn.selected = window.lvFiles.ItemIndex();
            QTest::keyClick(view, Qt::Key_Right);
            drawn.afterRight = window.lvFiles.ItemIndex();
            QTest::keyClick(view, Qt::Key_Down);
            drawn.afterDown = window.lvFiles.ItemIndex();
            const QRect before = view->visualRect(view->model()->index(drawn.afterRight, 0));
            const QRect below = view->visualRect(view->model()->index(drawn.afterDown, 0));
            drawn.downIsBelow =
                below.top() >= before.bottom() &&
                std::abs(below.center().x() - before.center().x()) < before.width() / 2;
        }
        window.Hide();
    }
    forms::Application()->SetBackend(nullptr);
    return drawn;
}

TEST(ListViewStyles, EachStyleLaysTheItemsOutAsItShowsThem) {
    const Drawn icon = Draw(forms::ViewStyle::Icon, "icon");
    const Drawn small = Draw(forms::ViewStyle::SmallIcon, "small-icon");
    const Drawn list = Draw(forms::ViewStyle::List, "list");
    const Drawn report = Draw(forms::ViewStyle::Report, "report");
    for (const Drawn* d : {&icon, &small, &list, &report}) {
        ASSERT_GE(d->ink.top, 0) << "nothing drawn";
        EXPECT_EQ(d->selected, 1);
    }

    // Report: a header and one line per item, the sub-items in the second column (from 100).
    EXPECT_EQ(report.ink.RowBands(), kItems + 1);
    EXPECT_GT(report.ink.right, 110);

    // List: the captions alone, one under another in the first column.
    EXPECT_EQ(list.ink.RowBands(), kItems);
    EXPECT_LT(list.ink.right, 100);

    // Small icons: the captions side by side in rows, from the top.
    EXPECT_LT(small.ink.RowBands(), kItems / 2);
    EXPECT_GE(small.ink.ColumnBands(8), 3);
    EXPECT_LT(small.ink.top, 20);

    // Icons: rows of captions beneath the empty room of a large icon.
    EXPECT_LT(icon.ink.RowBands(), kItems / 2);
    EXPECT_GE(icon.ink.ColumnBands(8), 3);
    EXPECT_GT(icon.ink.top, 32);
    EXPECT_GT(icon.ink.bottom - icon.ink.top, small.ink.bottom - small.ink.top);

    // The right arrow goes to the next item in a row, and stays in a column; the down arrow
    // goes to the item beneath.
    for (const Drawn* d : {&icon, &small}) {
        EXPECT_EQ(d->afterRight, 2);
        EXPECT_GT(d->afterDown, 2);
        EXPECT_TRUE(d->downIsBelow);
    }
    for (const Drawn* d : {&list, &report}) {
        EXPECT_EQ(d->afterRight, 1);
        EXPECT_EQ(d->afterDown, 2);
        EXPECT_TRUE(d->downIsBelow);
    }
}

} // namespace
