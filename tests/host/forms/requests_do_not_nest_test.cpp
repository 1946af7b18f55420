// A word that lets events through (a long export, a download) while a person asks for another
// word: the second is refused at once, neither run inside the first nor queued behind it; the
// scripted person's actions run at the moment the work lets events through.
#include <zeph/client/Delivery.h>
#include <zeph/client/TZephClient.h>
#include <zeph/formdrive/ScriptedBackend.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/MessagePump.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using zeph::Variant;
namespace forms = zeph::forms;

// "work" lets events through three times; any other word is recorded.
class WorkWindow : public forms::Form {
public:
    WorkWindow() : Form(nullptr, "WorkWindow") {
        client.OnCalled = [this](forms::Component*, int, const Variant& input, Variant& output) {
            ran.push_back(input.AsText());
            if (input.AsText() == "work") {
                for (int step = 0; step < 3; ++step) {
                    forms::Application()->ProcessMessages();
                    steps.push_back(step);
                }
            }
            output = Variant::ArrayOf({Variant("True")});
        };
    }
    zeph::TZephClient client{this};
    std::vector<std::string> ran;
    std::vector<int> steps;
};

class RequestsDoNotNest : public ::testing::Test {
protected:
    void SetUp() override {
        backend = std::make_shared<forms::ScriptedBackend>();
        forms::Application()->SetBackend(backend);
    }
    void TearDown() override { forms::Application()->SetBackend(nullptr); }
    std::shared_ptr<forms::ScriptedBackend> backend;
};

TEST_F(RequestsDoNotNest, ASecondWordDeliveredWhileOneRunsIsRefusedAndNeverRuns) {
    WorkWindow window;
    bool refused = false;
    std::string reason;
    backend->WhenProcessingMessages(2, [&](forms::User&) {
        try {
            zeph::DeliverRequest(window.Handle(), Variant("second"));
        } catch (const zeph::EDeliveryError& e) {
            refused = true;
            reason = e.what();
        }
    });
    Variant output = zeph::DeliverRequest(window.Handle(), Variant("work"));
    EXPECT_TRUE(refused);
    EXPECT_NE(reason.find("running"), std::string::npos) << reason;
    // Not run inside the first, and not run after it either.
    EXPECT_EQ(window.ran, std::vector<std::string>{"work"});
    EXPECT_EQ(window.steps, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(output[0].AsText(), "True");
    EXPECT_EQ(backend->ProcessMessagesCalls(), 3u);
    EXPECT_FALSE(forms::Application()->RequestRunning());

    // Once the first has returned, the next word is delivered as usual.
    zeph::DeliverRequest(window.Handle(), Variant("second"));
    EXPECT_EQ(window.ran, (std::vector<std::string>{"work", "second"}));
}

TEST_F(RequestsDoNotNest, AWordThatFailsEndsItsRequestSoTheNextIsDelivered) {
    WorkWindow window;
    window.client.OnCalled = [](forms::Component*, int, const Variant&, Variant&) {
        throw std::runtime_error("word failed");
    };
    EXPECT_THROW(zeph::DeliverRequest(window.Handle(), Variant("x")), std::runtime_error);
    EXPECT_FALSE(forms::Application()->RequestRunning());
}

TEST_F(RequestsDoNotNest, AMessagePumpLetsEventsThroughOnlyOnceItsIntervalHasPassed) {
    forms::MessagePump pump(std::chrono::milliseconds(30));
    EXPECT_FALSE(pump.Tick());
    EXPECT_EQ(backend->ProcessMessagesCalls(), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_TRUE(pump.Due());
    EXPECT_TRUE(pump.Tick());
    EXPECT_EQ(backend->ProcessMessagesCalls(), 1u);
    EXPECT_FALSE(pump.Tick());
    pump.Now();
    EXPECT_EQ(backend->ProcessMessagesCalls(), 2u);
}

} // namespace
