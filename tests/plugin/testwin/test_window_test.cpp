// The call test window in the built plug-in of each edition: a person generates fields, picks a
// known word, calls, and closes; the host's CallDll delivers the call back into the plug-in as
// the desk does (ShowMorvane, then the request).
#include "support/FakeHostServices.h"
#include "support/PluginHost.h"
#include "support/ScopedBackend.h"

#include <zeph/client/Delivery.h>
#include <zeph/formdrive/User.h>
#include <zeph/forms/Button.h>
#include <zeph/forms/ComboBox.h>
#include <zeph/forms/Edit.h>
#include <zeph/forms/Form.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using zeph::Variant;
using zeph::forms::Form;
using zeph::forms::LabeledEdit;
using zeph::testing::Edition;

constexpr std::uint32_t kApplication = 4242;

struct DllCall {
    std::string library;
    Variant input;
    bool option = false;
};

template <typename T>
T& Find(Form& form, const std::string& name) {
    auto* control = dynamic_cast<T*>(zeph::forms::FindControl(form, name));
    if (control == nullptr) {
        throw std::runtime_error("no control " + name);
    }
    return *control;
}

std::string Utf8(const std::string& host) {
    return zeph::text::GbkToUtf8(host);
}

// The generated fields of an area, in order: edit texts or label captions.
std::vector<LabeledEdit*> FieldsOf(Form& form, const char* area) {
    std::vector<LabeledEdit*> fields;
    for (auto* control : Find<zeph::forms::ScrollBox>(form, area).Controls()) {
        if (auto* field = dynamic_cast<LabeledEdit*>(control)) {
            fields.push_back(field);
        }
    }
    return fields;
}

std::vector<std::string> Texts(Form& form, const char* area) {
    std::vector<std::string> texts;
    for (LabeledEdit* field : FieldsOf(form, area)) {
        texts.push_back(field->Text());
    }
    return texts;
}

class TestWindowTest : public ::testing::TestWithParam<Edition> {
protected:
    TestWindowTest() {
        services->onCallDll = [this](const std::string& library, const Variant& input,
                                     Variant& output, bool option) {
            dllCalls.push_back({library, input, option});
            if (host.ShowMorvane(kApplication) == 0) {
                return false;
            }
            host.Call(input, output);
            return true;
        };
        host.ShowMorvane(kApplication);
    }
    ~TestWindowTest() override {
        EXPECT_TRUE(ui->Failures().empty()) << ui->Failures().front();
        EXPECT_EQ(ui->UnusedAnswers(), 0u);
    }

    Form* MainWindow() { return Form::FromHandle(host.MainHandle()); }
    // Opens the window with the word and returns it.
    Form& Open() {
        EXPECT_TRUE(host.CallWords({"TEST"}).IsEmpty());
        Form* main = MainWindow();
        if (main == nullptr) {
            throw std::runtime_error("no main window");
        }
        auto* window = dynamic_cast<Form*>(main->FindComponent("FrmTestMain"));
        if (window == nullptr) {
            throw std::runtime_error("TEST left no test window");
        }
        return *window;
    }
    void Click(Form& window, const char* name) {
        ASSERT_TRUE(user.Click(Find<zeph::forms::Control>(window, name))) << name;
    }
    void Type(Form& window, const std::string& name, const std::string& text) {
        auto& edit = Find<zeph::forms::CustomEdit>(window, name);
        user.ClearText(edit);
        ASSERT_TRUE(text.empty() || user.Type(edit, text)) << name;
    }
    int WindowsShown() {
        int count = 0;
        for (const auto& shown : ui->Records()) {
            count += shown.kind == zeph::forms::ShownKind::Window ? 1 : 0;
        }
        return count;
    }

    zeph::testing::ServicesScope<> services;
    zeph::testing::PluginHost host{GetParam()};
    zeph::testing::ScopedBackend ui;
    zeph::forms::User user;
    std::vector<DllCall> dllCalls;
};

TEST_P(TestWindowTest, OpensOnceModelessOwnedByTheMainWindowWithItsStartValues) {
    Form& window = Open();
    EXPECT_EQ(window.ClassName(), "TFrmTestMain");
    EXPECT_EQ(window.Owner(), MainWindow());
    EXPECT_EQ(window.Caption, "FrmTestMain");
    EXPECT_EQ(window.Width, 674);
    EXPECT_EQ(window.Height, 399);
    EXPECT_TRUE(window.Visible);
    EXPECT_FALSE(window.IsModal());
    ASSERT_EQ(WindowsShown(), 1);
    EXPECT_FALSE(ui->Records().back().modal);

    EXPECT_EQ(Find<zeph::forms::Edit>(window, "edDllName").Text(), "Morvane.dll");
    EXPECT_EQ(Utf8(Find<zeph::forms::Button>(window, "btnCall").Caption), "我～～调！");
    EXPECT_EQ(Utf8(Find<zeph::forms::Button>(window, "btnGo").Caption), "生成");
    const std::pair<const char*, const char*> labels[] = {{"lbDllName", "被调的动态库："},
                                                          {"lbInput", "Input维数："},
                                                          {"lbOutput", "Output维数："},
                                                          {"lbList", "已知的接口："}};
    for (const auto& [name, caption] : labels) {
        EXPECT_EQ(Utf8(Find<zeph::forms::Label>(window, name).Caption()), caption) << name;
    }
    for (const char* name : {"seInput", "seOutput"}) {
        auto& number = Find<zeph::forms::SpinEdit>(window, name);
        EXPECT_EQ(number.MinValue, number.MaxValue) << name << " has no bounds";
        EXPECT_TRUE(number.Enabled);
    }
    EXPECT_EQ(Find<zeph::forms::SpinEdit>(window, "seInput").Value(), 3);
    EXPECT_EQ(Find<zeph::forms::SpinEdit>(window, "seOutput").Value(), 2);
    auto& list = Find<zeph::forms::ComboBox>(window, "cbList");
    std::vector<std::string> items;
    for (int i = 0; i < list.Items.Count(); ++i) {
        items.push_back(list.Items[i]);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"TEST", "CHECK_STAFF_QUERY", "CHECK_REPORT",
                                               "CHECK_PERSON", "CHECK_DETAIL"}));
    auto& inputs = Find<zeph::forms::ScrollBox>(window, "sbxInput");
    auto& outputs = Find<zeph::forms::ScrollBox>(window, "sbxOutput");
    EXPECT_EQ(inputs.Width, 313);
    EXPECT_GT(outputs.Left, inputs.Left + inputs.Width);
    EXPECT_EQ(inputs.ControlCount(), 0);
    EXPECT_EQ(outputs.ControlCount(), 0);

    // A second TEST, in any case, shows the same window again.
    EXPECT_TRUE(host.CallWords({"test"}).IsEmpty());
    EXPECT_EQ(&Open(), &window);
    int testWindows = 0;
    for (auto* component : MainWindow()->Components()) {
        testWindows += dynamic_cast<Form*>(component) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(testWindows, 1);
    EXPECT_EQ(WindowsShown(), 1);
}

TEST_P(TestWindowTest, GenerateMakesTheFieldsAndClearRemovesThem) {
    Form& window = Open();
    Click(window, "btnGo");
    EXPECT_EQ(Utf8(Find<zeph::forms::Button>(window, "btnGo").Caption), "清空");
    EXPECT_FALSE(Find<zeph::forms::SpinEdit>(window, "seInput").Enabled);
    EXPECT_FALSE(Find<zeph::forms::SpinEdit>(window, "seOutput").Enabled);
    for (const auto& [area, kind, count] :
         {std::tuple{"sbxInput", "Input", 4}, std::tuple{"sbxOutput", "Output", 3}}) {
        std::vector<LabeledEdit*> fields = FieldsOf(window, area);
        ASSERT_EQ(static_cast<int>(fields.size()), count) << area;
        for (int i = 0; i < count; ++i) {
            SCOPED_TRACE(std::string(kind) + std::to_string(i));
            EXPECT_EQ(fields[i]->EditLabel.Caption(),
                      std::string(kind) + "[" + std::to_string(i) + "]: ");
            EXPECT_LT(fields[i]->EditLabel.Left + fields[i]->EditLabel.Width, fields[i]->Left)
                << "the label stands left of the edit";
            EXPECT_EQ(fields[i]->Left, 70);
            EXPECT_EQ(fields[i]->Top, 25 * (i + 1));
            EXPECT_EQ(fields[i]->Width, 200);
            EXPECT_EQ(fields[i]->Text(), "");
        }
    }
    Click(window, "btnGo");
    EXPECT_EQ(Utf8(Find<zeph::forms::Button>(window, "btnGo").Caption), "生成");
    EXPECT_TRUE(Find<zeph::forms::SpinEdit>(window, "seInput").Enabled);
    EXPECT_EQ(Find<zeph::forms::ScrollBox>(window, "sbxInput").ControlCount(), 0);
    EXPECT_EQ(Find<zeph::forms::ScrollBox>(window, "sbxOutput").ControlCount(), 0);

    // A negative number adds no field; a call then has nothing to work with.
    Type(window, "seInput", "-1");
    Type(window, "seOutput", "0");
    Click(window, "btnGo");
    EXPECT_TRUE(FieldsOf(window, "sbxInput").empty());
    EXPECT_EQ(FieldsOf(window, "sbxOutput").size(), 1u);
    ASSERT_TRUE(user.Select(Find<zeph::forms::ComboBox>(window, "cbList"), "TEST"));
    Click(window, "btnCall");
    ASSERT_EQ(ui->Messages().size(), 1u);
    EXPECT_EQ(ui->Messages()[0].source, "ShowMessage");
    EXPECT_EQ(ui.MessageTextsUtf8()[0], "没有输入输出");
    EXPECT_TRUE(dllCalls.empty());
}

TEST_P(TestWindowTest, CallWithoutFieldsShowsTheMessage) {
    Form& window = Open();
    Click(window, "btnCall");
    ASSERT_EQ(ui.MessageTextsUtf8(), std::vector<std::string>{"没有输入输出"});
    EXPECT_TRUE(dllCalls.empty());
}

TEST_P(TestWindowTest, CallOfAKnownWordComesBackIntoTheDispatcherAndFillsTheOutputs) {
    Form& window = Open();
    Click(window, "btnGo");
    auto& list = Find<zeph::forms::ComboBox>(window, "cbList");
    ASSERT_TRUE(user.Select(list, "CHECK_PERSON"));
    EXPECT_EQ(Find<LabeledEdit>(window, "edInput0").Text(), "CHECK_PERSON");
    ASSERT_TRUE(user.Select(list, "CHECK_STAFF_QUERY"));
    EXPECT_EQ(Find<LabeledEdit>(window, "edInput0").Text(), "CHECK_STAFF_QUERY");
    Type(window, "edInput1", "a");
    Type(window, "edInput2", "中"_host);
    // The library named in the window has no part in the call.
    Type(window, "edDllName", "Other.dll");
    Click(window, "btnCall");

    ASSERT_EQ(dllCalls.size(), 1u);
    EXPECT_EQ(dllCalls[0].library, "Morvane.dll");
    EXPECT_TRUE(dllCalls[0].option);
    EXPECT_EQ(dllCalls[0].input, Variant::ArrayOf({"CHECK_STAFF_QUERY", "a", "中"_host, ""}));
    EXPECT_EQ(Texts(window, "sbxOutput"), (std::vector<std::string>{"True", "a" + "中"_host, "0"}));
    EXPECT_TRUE(ui->Messages().empty());
}

TEST_P(TestWindowTest, ShorterAndEmptyResultsLeaveTheLaterFieldsAsTheyWere) {
    Form& window = Open();
    ASSERT_TRUE(user.Spin(Find<zeph::forms::SpinEdit>(window, "seOutput"), 2));
    Click(window, "btnGo");
    ASSERT_EQ(FieldsOf(window, "sbxOutput").size(), 5u);
    Type(window, "edOutput3", "kept 3");
    Type(window, "edOutput4", "kept 4");
    Type(window, "edInput0", "check_staff_query");
    Type(window, "edInput1", "x");
    Click(window, "btnCall");
    EXPECT_EQ(Texts(window, "sbxOutput"),
              (std::vector<std::string>{"True", "x", "0", "kept 3", "kept 4"}));

    // The question code answers one element: only the first field changes.
    Type(window, "edInput0", "1006");
    ui->AnswerNo();
    Click(window, "btnCall");
    EXPECT_EQ(Texts(window, "sbxOutput"),
              (std::vector<std::string>{"False", "x", "0", "kept 3", "kept 4"}));

    // Words that leave Output Empty change no field.
    for (const char* word : {"CHECK_DETAIL", "NO_SUCH_WORD", "1008"}) {
        Type(window, "edInput0", word);
        Click(window, "btnCall");
        EXPECT_EQ(Texts(window, "sbxOutput"),
                  (std::vector<std::string>{"False", "x", "0", "kept 3", "kept 4"}))
            << word;
    }
    EXPECT_EQ(dllCalls.size(), 5u);
}

TEST_P(TestWindowTest, ClosingClosesTheMainWindowAndTheNextRequestNeedsShowMorvane) {
    Form& window = Open();
    Click(window, "btnGo");
    const std::uint32_t first = host.MainHandle();
    ASSERT_TRUE(user.CloseBox(window));
    EXPECT_EQ(Form::FromHandle(first), nullptr) << "the main window freed itself";
    EXPECT_THROW(host.CallWords({"CHECK_STAFF_QUERY", "a"}), zeph::EDeliveryError);

    const std::uint32_t second = host.ShowMorvane(kApplication);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(host.CallWords({"CHECK_STAFF_QUERY", "a"})[1].AsText(), "a");
    // A new test window, from its start values.
    Form& again = Open();
    EXPECT_EQ(WindowsShown(), 2);
    EXPECT_EQ(Find<zeph::forms::ScrollBox>(again, "sbxInput").ControlCount(), 0);
    EXPECT_EQ(Utf8(Find<zeph::forms::Button>(again, "btnGo").Caption), "生成");
}

TEST_P(TestWindowTest, ClosedInsideItsOwnRequestTheWindowsGoAfterTheRequest) {
    // A person who closes the window while TEST is still being answered.
    ui->When("TFrmTestMain", [](Form& form, zeph::forms::User& person) {
        person.Click(Find<zeph::forms::Button>(form, "btnGo"));
        person.Select(Find<zeph::forms::ComboBox>(form, "cbList"), "CHECK_STAFF_QUERY");
        person.Click(Find<zeph::forms::Button>(form, "btnCall"));
        person.CloseBox(form);
    });
    const std::uint32_t first = host.MainHandle();
    EXPECT_TRUE(host.CallWords({"TEST"}).IsEmpty());
    EXPECT_EQ(dllCalls.size(), 1u);
    EXPECT_EQ(Form::FromHandle(first), nullptr);
    EXPECT_NE(host.ShowMorvane(kApplication), first);
}

TEST_P(TestWindowTest, MainWindowClosedByTheHostTakesTheTestWindowWithIt) {
    Open();
    const std::uint32_t first = host.MainHandle();
    ASSERT_TRUE(zeph::CloseWindow(first));
    EXPECT_EQ(Form::FromHandle(first), nullptr);
    ASSERT_NE(host.ShowMorvane(kApplication), 0u);
    Form& again = Open();
    EXPECT_EQ(WindowsShown(), 2);
    EXPECT_TRUE(again.Visible);
}

INSTANTIATE_TEST_SUITE_P(Editions, TestWindowTest, ::testing::Values(Edition::Full, Edition::Basic),
                         [](const auto& info) {
                             return info.param == Edition::Full ? "Full" : "Basic";
                         });

} // namespace
