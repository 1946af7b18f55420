// A report list view asked for grid lines draws lines between its cells; without them it draws
// none.
#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/ListView.h>
#include <zeph/qtforms/QtBackend.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <memory>

namespace {

namespace forms = zeph::forms;

class GridWindow : public forms::Form {
public:
    explicit GridWindow(bool gridLines) : Form(nullptr, "GridWindow") {
        SetClientWidth(300);
        SetClientHeight(200);
        lvFiles.SetBounds(0, 0, 300, 200);
        lvFiles.ViewStyle = forms::ViewStyle::Report;
        lvFiles.GridLines = gridLines;
        lvFiles.Columns = {forms::ListColumn{}, forms::ListColumn{}};
        lvFiles.Columns[0].Caption = "Name";
        lvFiles.Columns[0].Width = 120;
        lvFiles.Columns[1].Caption = "Size";
        lvFiles.Columns[1].Width = 120;
        for (int i = 0; i < 4; ++i) {
            forms::ListItem& item = lvFiles.Items.Add();
            item.Caption = "file" + std::to_string(i);
            item.SubItems = {std::to_string(i * 100)};
        }
        Created();
    }
    forms::ListView lvFiles{*this, "lvFiles"};
};

// Pixels of the grid's colour in the list's picture.
int GridPixels(bool gridLines) {
    auto backend = std::make_shared<zeph::qtforms::QtBackend>();
    forms::Application()->SetBackend(backend);
    int count = 0;
    {
        GridWindow window(gridLines);
        window.Show();
        backend->Refresh();
        QImage picture = backend->WidgetOf(window.lvFiles)->grab().toImage();
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (picture.pixelColor(x, y) == QColor(0xc0, 0xc0, 0xc0)) {
                    ++count;
                }
            }
        }
        window.Hide();
    }
    forms::Application()->SetBackend(nullptr);
    return count;
}

TEST(ListViewGridLines, AReportWithGridLinesDrawsThemAndOneWithoutDrawsNone) {
    const int with = GridPixels(true);
    const int without = GridPixels(false);
    // Four rows of 240 pixels and two column lines of the rows' height, at the least.
    EXPECT_GT(with, without + 4 * 200);
}

} // namespace
