// The workbook export of a large dataset under the Qt backend, driven by real Qt events: the
// progress window paints while the walk over the records runs, and a click on its "&Cancel"
// stops the walk at once, leaving the rows written before it in the workbook.
#include "ExportTestKit.h"
#include "export/untExportStatus.h"

#include <zeph/client/Delivery.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>
#include <zeph/platform/Paths.h>
#include <zeph/qtforms/QtBackend.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iostream>
#include <optional>
#include <thread>

namespace export_test {
namespace {

using Clock = std::chrono::steady_clock;
namespace forms = zeph::forms;

constexpr int kRecords = 65535;
constexpr int kColumns = 40;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

const std::string& BigPacket() {
    static const std::string packet = [] {
        std::vector<Field> fields;
        for (int c = 1; c <= kColumns; ++c) {
            fields.push_back({"F" + std::to_string(c)});
        }
        std::vector<std::vector<std::string>> rows(kRecords);
        for (int r = 0; r < kRecords; ++r) {
            rows[r].reserve(kColumns);
            for (int c = 1; c <= kColumns; ++c) {
                rows[r].push_back("r" + std::to_string(r + 1) + "c" + std::to_string(c));
            }
        }
        return Packet(fields, rows);
    }();
    return packet;
}

// Every paint of a window's widgets, the bar's value at each paint of the bar, and when the
// window went away.
class PaintLog : public QObject {
public:
    std::vector<Clock::time_point> paints;
    std::vector<std::pair<Clock::time_point, int>> barPaints;
    std::optional<Clock::time_point> goneAt;
    // Read by the clicking thread.
    std::atomic<bool> barMoved{false};

    void Watch(QWidget* window) {
        window_ = window;
        window->installEventFilter(this);
        for (QWidget* child : window->findChildren<QWidget*>()) {
            child->installEventFilter(this);
        }
        QObject::connect(window, &QObject::destroyed, this, [this] { Gone(); });
    }

    // The longest time between two paints from since up to until.
    double LargestGapMs(Clock::time_point until,
                        Clock::time_point since = Clock::time_point::min()) const {
        double largest = 0;
        for (std::size_t i = 1; i < paints.size() && paints[i] <= until; ++i) {
            if (paints[i - 1] >= since) {
                largest = std::max(largest, Ms(paints[i] - paints[i - 1]));
            }
        }
        return largest;
    }
    // The first paint of the bar full: the walk is over, the workbook is being written out.
    std::optional<Clock::time_point> FullAt() const {
        for (const auto& [at, value] : barPaints) {
            if (value == 100) {
                return at;
            }
        }
        return std::nullopt;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Hide) {
            Gone();
        }
        if (event->type() == QEvent::Paint) {
            const Clock::time_point now = Clock::now();
            paints.push_back(now);
            if (auto* bar = qobject_cast<QProgressBar*>(watched)) {
                barPaints.emplace_back(now, bar->value());
                if (bar->value() > 0) {
                    barMoved = true;
                }
            }
        }
        return false;
    }

private:
    void Gone() {
        if (!goneAt) {
            goneAt = Clock::now();
        }
    }
    QObject* window_ = nullptr;
};

class QtExport : public ::testing::Test {
protected:
    void SetUp() override {
        backend = std::make_shared<zeph::qtforms::QtBackend>();
        forms::Application()->SetBackend(backend);
        services = std::make_shared<zeph::testing::FakeHostServices>();
        previousServices = zeph::InstallHostServices(services);
        handle = ShowMorvane(7);
        ASSERT_NE(handle, 0u);
        dir = zeph::text::Utf8ToGbk(temp.Path());
        zeph::platform::SetProgramDirectory(dir);
    }
    void TearDown() override {
        poll.reset();
        zeph::CloseWindow(handle);
        zeph::platform::SetProgramDirectory("");
        zeph::InstallHostServices(previousServices);
        forms::Application()->SetBackend(nullptr);
    }

    morvane::exporting::TfrmExportStatus* StatusForm() const {
        forms::Form* main = forms::Form::FromHandle(handle);
        return main == nullptr ? nullptr
                               : main->FindComponentOf<morvane::exporting::TfrmExportStatus>();
    }

    // Answers the save dialog with path, confirms the column picker with a click and closes
    // the outcome message; calls onStatus once the progress window is up. Runs from a timer,
    // so also from inside the walk when it lets events through.
    void Drive(const std::string& pathUtf8, std::function<void(QWidget&)> onStatus) {
        poll = std::make_unique<QTimer>();
        poll->setInterval(10);
        QObject::connect(poll.get(), &QTimer::timeout, [this, pathUtf8, onStatus] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                dialog->selectFile(QString::fromStdString(pathUtf8));
                static_cast<QDialog*>(dialog)->accept(); // the dialog's Save button
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                outcome = box->text().toStdString();
                QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
            } else if (modal != nullptr &&
                       modal->property("zephClass").toString() == "TfrmSelectCol") {
                for (QPushButton* button : modal->findChildren<QPushButton*>()) {
                    if (button->text() == QString::fromUtf8("确认")) {
                        QTest::mouseClick(button, Qt::LeftButton);
                    }
                }
            }
            if (!statusSeen) {
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (w->isVisible() &&
                        w->property("zephClass").toString() == "TfrmExportStatus") {
                        statusSeen = true;
                        onStatus(*w);
                    }
                }
            }
        });
        poll->start();
    }

    std::shared_ptr<zeph::qtforms::QtBackend> backend;
    std::shared_ptr<zeph::testing::FakeHostServices> services;
    std::shared_ptr<zeph::HostServices> previousServices;
    std::uint32_t handle = 0;
    zeph::testing::TempDir temp;
    std::string dir;
    std::string outcome;
    bool statusSeen = false;
    std::unique_ptr<QTimer> poll;
};

// Rows of the first sheet as openpyxl reads them, the title row included.
long RowsInWorkbook(const std::string& pathUtf8) {
    zeph::testing::ProcessResult r = zeph::testing::Run(
        {"/usr/bin/python3", "-c",
         "import sys, openpyxl\n"
         "ws = openpyxl.load_workbook(open(sys.argv[1], 'rb'), read_only=True).worksheets[0]\n"
         "print(sum(1 for row in ws.iter_rows(values_only=True)))\n",
         pathUtf8});
    EXPECT_EQ(r.status, 0) << r.err;
    return std::stol(r.out);
}

TEST_F(QtExport, ACancelClickedHalfASecondInStopsTheWalkAtOnceAndKeepsTheRowsWritten) {
    const std::string path = temp.Path() + "/cancelled.xls";
    PaintLog log;
    QPointer<QWidget> statusWindow;
    std::thread clicker;
    std::atomic<bool> clicked{false};
    Clock::time_point clickAt;
    std::optional<Clock::time_point> stoppedAt;
    Drive(path, [&](QWidget& window) {
        statusWindow = &window;
        log.Watch(&window);
        morvane::exporting::TfrmExportStatus* status = StatusForm();
        ASSERT_NE(status, nullptr);
        status->OnStopped = [&stoppedAt](morvane::exporting::TfrmExportStatus&) {
            stoppedAt = Clock::now();
        };
        QPointer<QPushButton> cancel;
        for (QPushButton* button : window.findChildren<QPushButton*>()) {
            if (button->text() == "&Cancel") {
                cancel = button;
            }
        }
        ASSERT_TRUE(cancel);
        // A person clicks half a second in, once the bar has been seen to move (a slow build
        // on a loaded machine may take longer to get there), whenever the desk is busy: the
        // press and release wait in the queue until the walk lets events through.
        clicker = std::thread([cancel, &clicked, &clickAt, &log] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            for (int i = 0; i < 6000 && !log.barMoved; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            const QPointF at(10, 10);
            clickAt = Clock::now();
            QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonPress, at, at,
                                                                Qt::LeftButton, Qt::LeftButton,
                                                                Qt::NoModifier));
            QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonRelease, at, at,
                                                                Qt::LeftButton, Qt::NoButton,
                                                                Qt::NoModifier));
            clicked = true;
        });
    });
    const zeph::Variant output = zeph::DeliverRequest(
        handle, zeph::Variant::ArrayOf({"SAVE_DATASET_TO_EXCEL", "", "", "", BigPacket()}));
    if (clicker.joinable()) {
        clicker.join();
    }
    ASSERT_TRUE(statusSeen);
    ASSERT_TRUE(clicked);
    ASSERT_TRUE(stoppedAt) << "the walk never saw the cancel";
    const double latency = Ms(*stoppedAt - clickAt);
    std::cout << "[measure] cancel: the walk stopped " << latency << " ms after the click\n";
    EXPECT_LT(latency, 250.0);

    // The bar was painted with a value above 0 before the click.
    const bool barShownMoving =
        std::any_of(log.barPaints.begin(), log.barPaints.end(),
                    [&](const auto& paint) { return paint.first < clickAt && paint.second > 0; });
    EXPECT_TRUE(barShownMoving);
    const long rows = RowsInWorkbook(path);
    std::cout << "[measure] cancel: " << rows - 1 << " of " << kRecords << " records saved\n";
    EXPECT_GT(rows, 1);
    EXPECT_LT(rows, kRecords + 1);
}

TEST_F(QtExport, TheProgressWindowPaintsThroughoutAnUncancelledExport) {
    const std::string path = temp.Path() + "/whole.xls";
    PaintLog log;
    Clock::time_point shownAt;
    QPointer<QWidget> statusWindow;
    Drive(path, [&](QWidget& window) {
        shownAt = Clock::now();
        statusWindow = &window;
        log.Watch(&window);
        // The window as the person sees it during the walk, for the record.
        QTimer::singleShot(500, [&] {
            if (statusWindow) {
                statusWindow->grab().save(QString::fromStdString(std::string(ZEPH_BINARY_DIR) +
                                                                 "/export-progress-window.png"));
            }
        });
    });
    const Clock::time_point started = Clock::now();
    zeph::DeliverRequest(
        handle, zeph::Variant::ArrayOf({"SAVE_DATASET_TO_EXCEL", "", "", "", BigPacket()}));
    const Clock::time_point ended = Clock::now();
    ASSERT_TRUE(statusSeen);
    ASSERT_GE(log.paints.size(), 2u);
    ASSERT_TRUE(log.goneAt);
    const Clock::time_point lastPaint = log.paints.back();
    // The window is up from its first paint until it goes: the workbook's writing-out after
    // the walk counts as much as the walk.
    const double largest = std::max(log.LargestGapMs(lastPaint), Ms(*log.goneAt - lastPaint));
    std::cout << "[measure] uncancelled: " << log.paints.size() << " paints of the progress window;"
              << " largest gap between two paints while it is up " << largest
              << " ms (between its last paint and its going " << Ms(*log.goneAt - lastPaint)
              << " ms); shown for " << Ms(*log.goneAt - shownAt) << " ms; word took "
              << Ms(ended - started) << " ms\n";
    if (std::optional<Clock::time_point> full = log.FullAt()) {
        std::cout << "[measure] uncancelled: the walk took " << Ms(*full - shownAt)
                  << " ms, largest gap " << log.LargestGapMs(*full)
                  << " ms; writing the workbook out after it took " << Ms(*log.goneAt - *full)
                  << " ms, largest gap "
                  << std::max(log.LargestGapMs(lastPaint, *full), Ms(*log.goneAt - lastPaint))
                  << " ms\n";
    }
    EXPECT_GT(log.paints.size(), 10u);
    // The target is 100 ms; the margin is for a machine busy with other work.
    EXPECT_LT(largest, 1000.0);
    zeph::testing::ProcessResult r = zeph::testing::Run(
        {"/usr/bin/python3", "-c",
         "import sys, openpyxl\n"
         "ws = openpyxl.load_workbook(open(sys.argv[1], 'rb'), read_only=True).worksheets[0]\n"
         "print(ws.max_row, ws.max_column)\n",
         path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, std::to_string(kRecords + 1) + " " + std::to_string(kColumns) + "\n");
}

} // namespace
} // namespace export_test
