#include <zeph/emulator/DeskWindow.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Forms.h>
#include <zeph/qtforms/QtBackend.h>
#include <zeph/qtforms/QtLanguage.h>
#include <zeph/text/HostText.h>

#include <QApplication>
#include <iostream>

namespace zeph::emulator {
namespace forms = zeph::forms;

namespace {

// The desk as a window of the toolkit: the handle ShowMorvane receives is its handle.
class TfrmZephDesk : public forms::Form {
public:
    TfrmZephDesk(const std::string& title, DeskWindowCalls& calls)
        : Form(nullptr, "frmZephDesk"), calls_(calls) {
        Caption = text::Utf8ToGbk(title);
        Font.Name = "宋体"_host;
        Font.Size = 9;
        Position = forms::Position::ScreenCenter;
        SetClientWidth(520);
        SetClientHeight(330);
        lblWord.SetBounds(8, 12, 110, 14);
        lblWord.SetCaption("词和参数(&W):"_host);
        lblWord.FocusControl = &edtWord;
        edtWord.SetBounds(120, 8, 230, 22);
        edtWord.Hint = "例如 CHECK_STAFF_QUERY a b c"_host;
        edtWord.ShowHint = true;
        btnDeliver.SetBounds(358, 7, 75, 24);
        btnDeliver.Caption = "发送(&D)"_host;
        btnDeliver.Default = true;
        btnDeliver.OnClick = [this](forms::Control&) { Deliver(text::GbkToUtf8(edtWord.Text())); };
        btnTest.SetBounds(438, 7, 75, 24);
        btnTest.Caption = "TEST";
        btnTest.OnClick = [this](forms::Control&) { Deliver("TEST"); };
        lblOutput.SetBounds(8, 40, 200, 14);
        lblOutput.SetCaption("Output:");
        memOutput.SetBounds(8, 58, 505, 244);
        memOutput.ReadOnly = true;
        memOutput.ScrollBars = forms::ScrollStyle::Both;
        memOutput.WordWrap = false;
        lblStatus.SetBounds(8, 310, 505, 14);
        lblStatus.SetCaption("就绪"_host);
        OnClose = [](forms::Form&, forms::CloseAction&) { QApplication::quit(); };
        Created();
    }

    forms::Label lblWord{*this, "lblWord"};
    forms::Edit edtWord{*this, "edtWord"};
    forms::Button btnDeliver{*this, "btnDeliver"};
    forms::Button btnTest{*this, "btnTest"};
    forms::Label lblOutput{*this, "lblOutput"};
    forms::Memo memOutput{*this, "memOutput"};
    forms::Label lblStatus{*this, "lblStatus"};

    int failedStatus = 0;

private:
    void Deliver(const std::string& line) {
        if (running_) {
            return; // the field and buttons are disabled while a word runs
        }
        if (text::Trim(line).empty()) {
            lblStatus.SetCaption("请先输入一个词"_host);
            return;
        }
        lblStatus.SetCaption(text::Utf8ToGbk("正在发送 " + line));
        DeskAnswer answer;
        {
            // The word's windows let events through while it runs: the desk takes no second
            // word meanwhile.
            Running running(*this);
            answer = calls_.deliver(line);
        }
        if (answer.status != 0) {
            failedStatus = answer.status;
        }
        memOutput.SetText(text::Utf8ToGbk(answer.shown));
        lblStatus.SetCaption(
            text::Utf8ToGbk(line + " → 退出状态 " + std::to_string(answer.status)));
        // The transcript, for whoever started the desk from a terminal.
        std::cout << line << '\n' << answer.shown << '\n' << std::flush;
    }

    struct Running {
        explicit Running(TfrmZephDesk& desk) : desk_(desk) { desk_.SetRunning(true); }
        ~Running() { desk_.SetRunning(false); }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;
        TfrmZephDesk& desk_;
    };

    void SetRunning(bool running) {
        running_ = running;
        edtWord.Enabled = !running;
        btnDeliver.Enabled = !running;
        btnTest.Enabled = !running;
        Invalidate();
        if (!running && edtWord.CanFocus()) {
            edtWord.SetFocus();
        }
    }

    DeskWindowCalls& calls_;
    bool running_ = false;
};

} // namespace

int RunDeskWindow(int argc, char** argv, const std::string& title, DeskWindowCalls calls) {
    QApplication application(argc, argv);
    if (!qtforms::InstallQtTranslations()) {
        std::cerr << "zeph-host: Qt's Chinese translations are not installed "
                     "(qt6-translations-l10n); its dialogs speak English\n";
    }
    auto backend = std::make_shared<qtforms::QtBackend>();
    forms::Application()->SetBackend(backend);
    int status = 0;
    {
        TfrmZephDesk desk(title, calls);
        calls.attach(desk, backend);
        desk.Show();
        desk.edtWord.SetFocus();
        backend->SetMainWidget(backend->WidgetOf(desk));
        backend->Refresh();
        application.exec();
        status = desk.failedStatus;
        desk.Hide();
    }
    forms::Application()->SetBackend(nullptr);
    return status;
}

} // namespace zeph::emulator
