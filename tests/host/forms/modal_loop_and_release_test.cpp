// The modal loop: buttons set results, OnCloseQuery and OnClose can keep a window open, Escape
// and the close box cancel, released windows are freed after the event, and a host that
// refuses windows makes Handle fail.
#include "FormsTestSupport.h"

namespace formstest {
namespace {

TEST_F(FormsTest, ButtonWithModalResultEndsModalShowing) {
    TfrmSample f;
    std::vector<std::string> order;
    f.btnOk.OnClick = [&](zf::Control&) {
        order.push_back("click result=" + std::to_string(static_cast<int>(f.modalResult)));
    };
    f.OnCloseQuery = [&](zf::Form&, bool&) { order.push_back("closequery"); };
    f.OnClose = [&](zf::Form&, zf::CloseAction&) { order.push_back("close"); };
    ui->When<TfrmSample>([](TfrmSample& form, zf::User& u) { u.Click(form.btnOk); });
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Ok);
    // The result is set before OnClick, as the host framework does.
    EXPECT_EQ(order, (std::vector<std::string>{"click result=1", "closequery", "close"}));
    EXPECT_FALSE(f.Visible);
    EXPECT_FALSE(f.IsModal());
}

TEST_F(FormsTest, HandlerClearingResultKeepsWindowOpen) {
    TfrmSample f;
    bool refuse = true;
    f.btnOk.OnClick = [&](zf::Control&) {
        if (refuse) {
            f.modalResult = zf::ModalResult::None;
        }
    };
    ui->When<TfrmSample>([&](TfrmSample& form, zf::User& u) {
        u.Click(form.btnOk);
        EXPECT_FALSE(form.ModalEnded());
        refuse = false;
        u.Click(form.btnOk);
        EXPECT_TRUE(form.ModalEnded());
    });
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Ok);
}

TEST_F(FormsTest, CloseQueryRefusingKeepsWindowOpenAndResetsResult) {
    TfrmSample f;
    int queries = 0;
    f.OnCloseQuery = [&](zf::Form& form, bool& canClose) {
        ++queries;
        // Checks as the short-message window runs them: only for results other than Cancel.
        if (form.modalResult != zf::ModalResult::Cancel && f.edtName.Text().empty()) {
            canClose = false;
        }
    };
    ui->When<TfrmSample>([&](TfrmSample& form, zf::User& u) {
        u.Click(form.btnOk);
        EXPECT_FALSE(form.ModalEnded());
        EXPECT_EQ(form.modalResult, zf::ModalResult::None);
        u.Type(form.edtName, "x");
        u.Click(form.btnOk);
    });
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Ok);
    EXPECT_EQ(queries, 2);
}

TEST_F(FormsTest, OnCloseWithActionNoneKeepsWindowOpen) {
    TfrmSample f;
    int closes = 0;
    f.OnClose = [&](zf::Form&, zf::CloseAction& action) {
        if (++closes == 1) {
            action = zf::CloseAction::None;
        }
    };
    ui->When<TfrmSample>([](TfrmSample& form, zf::User& u) {
        u.CloseBox(form);
        EXPECT_FALSE(form.ModalEnded());
        u.CloseBox(form);
    });
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Cancel);
    EXPECT_EQ(closes, 2);
}

TEST_F(FormsTest, EscapeClicksCancelButtonEnterClicksDefaultButton) {
    TfrmSample f;
    ui->When<TfrmSample>([](TfrmSample& form, zf::User& u) { u.Escape(form); });
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Cancel);
    ui->When<TfrmSample>([](TfrmSample& form, zf::User& u) {
        u.Focus(form.edtName);
        u.Enter(form);
    });
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Ok);
}

TEST_F(FormsTest, EnterOnFocusedButtonClicksThatButton) {
    TfrmSample f;
    ui->When<TfrmSample>([](TfrmSample& form, zf::User& u) {
        u.Focus(form.btnCancel);
        u.Enter(form);
    });
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Cancel);
}

TEST_F(FormsTest, ActionOnClosedWindowIsRefused) {
    TfrmSample f;
    ui->When<TfrmSample>([](TfrmSample& form, zf::User& u) {
        u.Click(form.btnOk);
        u.Type(form.edtName, "late");
    });
    EXPECT_THROW(f.ShowModal(), zf::EUserAction);
    // The window is usable again afterwards.
    EXPECT_FALSE(f.IsModal());
    EXPECT_FALSE(f.Visible);
}

TEST_F(FormsTest, ShowModalOfShownWindowIsInvalid) {
    TfrmSample f;
    ui->When<TfrmSample>(
        [](TfrmSample& form, zf::User&) { EXPECT_THROW(form.ShowModal(), zf::EInvalidOperation); });
    f.ShowModal();
    f.Show();
    EXPECT_THROW(f.ShowModal(), zf::EInvalidOperation);
}

TEST_F(FormsTest, ModalWindowMayHideAndShowAgainWithoutEnding) {
    TfrmSample f;
    int shows = 0;
    f.OnShow = [&](zf::Form&) { ++shows; };
    f.btnOk.OnClick = [&](zf::Control&) {
        f.Hide();
        EXPECT_TRUE(f.IsModal());
        f.Show();
    };
    ui->When<TfrmSample>([](TfrmSample& form, zf::User& u) { u.Click(form.btnOk); });
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Ok);
    EXPECT_EQ(shows, 2);
}

TEST_F(FormsTest, CloseInsideOnShowEndsModalAtOnce) {
    TfrmSample f;
    f.OnShow = [](zf::Form& form) { form.Close(); };
    ui->When<TfrmSample>(
        [](TfrmSample&, zf::User&) { ADD_FAILURE() << "never shown to a person"; });
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Cancel);
}

TEST_F(FormsTest, ReleasedHeapWindowIsFreedAfterTheEventNotDuringIt) {
    auto* owner = new zf::Form(nullptr, "owner");
    auto* f = owner->Adopt(std::make_unique<TfrmSample>(owner));
    bool destroyed = false;
    f->OnDestroy = [&](zf::Form&) { destroyed = true; };
    f->OnClose = [](zf::Form&, zf::CloseAction& action) { action = zf::CloseAction::Free; };
    f->btnOk.OnClick = [&](zf::Control&) {
        f->Close();
        EXPECT_FALSE(destroyed); // still whole while its handler runs
        f->edtName.SetText("still here");
    };
    f->Show();
    user.Click(f->btnOk);
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(owner->Components().empty());
    delete owner;
}

TEST_F(FormsTest, ModalWindowReleasedInOnCloseLivesUntilShowModalReturned) {
    auto* f = new TfrmSample();
    bool destroyed = false;
    f->OnDestroy = [&](zf::Form&) { destroyed = true; };
    f->OnClose = [](zf::Form&, zf::CloseAction& action) { action = zf::CloseAction::Free; };
    ui->When<TfrmSample>([](TfrmSample& form, zf::User& u) { u.Click(form.btnOk); });
    EXPECT_EQ(f->ShowModal(), zf::ModalResult::Ok);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(f->edtName.Text(), ""); // readable after ShowModal, as the openers read it
    zf::Application()->ProcessReleases();
    EXPECT_TRUE(destroyed);
}

TEST_F(FormsTest, ReleasedWindowDeletedByItsOpenerIsNotFreedTwice) {
    auto* f = new TfrmSample();
    f->Release();
    delete f;
    zf::Application()->ProcessReleases(); // nothing left to free
    SUCCEED();
}

TEST_F(FormsTest, FailNextWindowCreationsMakesHandleFailThatManyTimes) {
    TfrmSample a;
    TfrmSample b;
    TfrmSample c;
    zf::FailNextWindowCreations(2);
    EXPECT_THROW(a.Handle(), zf::EWindowCreation);
    EXPECT_FALSE(a.HandleAllocated());
    EXPECT_THROW(b.Handle(), zf::EWindowCreation);
    zf::WindowHandle handle = c.Handle();
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(zf::Form::FromHandle(handle), &c);
    EXPECT_NE(a.Handle(), handle);
}

TEST_F(FormsTest, FailedHandleMakesShowModalFailWithoutShowing) {
    TfrmSample f;
    zf::FailNextWindowCreations(1);
    EXPECT_THROW(f.ShowModal(), zf::EWindowCreation);
    EXPECT_TRUE(ui->Records().empty());
}

TEST_F(FormsTest, ErrorInHandlerIsShownAndWindowStaysOpen) {
    TfrmSample f;
    f.btnOk.ModalResult = zf::ModalResult::None;
    f.btnOk.OnClick = [](zf::Control&) { throw std::runtime_error("boom"); };
    ui->When<TfrmSample>([](TfrmSample& form, zf::User& u) {
        u.Click(form.btnOk);
        EXPECT_FALSE(form.ModalEnded());
        u.Click(form.btnCancel);
    });
    EXPECT_EQ(f.ShowModal(), zf::ModalResult::Cancel);
    ASSERT_EQ(ui->Messages().size(), 1u);
    EXPECT_EQ(ui->Messages()[0].source, "Exception");
    EXPECT_EQ(ui->Messages()[0].text, "boom");
    EXPECT_EQ(ui->Failures().size(), 1u);
}

TEST_F(FormsTest, WindowWithoutCloseBoxRefusesCloseBox) {
    TfrmSample f;
    f.BorderIcons = 0;
    EXPECT_THROW(user.CloseBox(f), zf::EUserAction);
}

TEST_F(FormsTest, ClientSizeFollowsBorder) {
    TfrmSample f;
    f.BorderStyle = zf::BorderStyle::None;
    f.SetClientWidth(249);
    f.SetClientHeight(48);
    EXPECT_EQ(f.Width, 249);
    EXPECT_EQ(f.ClientHeight(), 48);
    f.BorderStyle = zf::BorderStyle::Dialog;
    f.SetClientWidth(191);
    EXPECT_EQ(f.ClientWidth(), 191);
    EXPECT_GT(f.Width, 191);
}

} // namespace
} // namespace formstest
