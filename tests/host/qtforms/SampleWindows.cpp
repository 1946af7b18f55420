#include "SampleWindows.h"

namespace zeph::qtforms::testing {

TfrmToolkitSample::TfrmToolkitSample(forms::Component* owner) : Form(owner, "frmToolkitSample") {
    Caption = "工具包示例"_host;
    BorderStyle = forms::BorderStyle::Single;
    BorderIcons = forms::biSystemMenu | forms::biMinimize;
    Position = forms::Position::ScreenCenter;
    Font.Name = "宋体"_host;
    Font.Size = 9;
    Font.Charset = 134;
    ShowHint = true;
    SetClientWidth(640);
    SetClientHeight(400);

    lblName.SetBounds(8, 8, 60, 12);
    lblName.AutoSize = false;
    lblName.SetCaption("姓名(&N):"_host);
    lblName.FocusControl = &edtName;
    edtName.SetBounds(70, 5, 120, 21);
    edtName.SetText("张三"_host);
    edtName.Hint = "输入姓名"_host;
    edtNumber.SetBounds(200, 5, 80, 21);
    edtNumber.MaxLength = 6;
    edtNumber.OnKeyPress = [this](forms::Control&, char& key) {
        if (!(key >= '0' && key <= '9') && key != '\b') {
            events.push_back(std::string("refused ") + key);
            key = 0;
        }
    };
    ledCity.SetBounds(300, 20, 100, 21);
    ledCity.EditLabel.SetCaption("城市"_host);
    ledCity.PlaceLabel();
    ledCity.SetText("杭州"_host);
    bedFile.SetBounds(420, 5, 150, 21);
    bedFile.SetText("/tmp/a.xls");
    bedFile.ButtonHint = "选择文件"_host;
    speCount.SetBounds(580, 5, 50, 21);
    speCount.MaxValue = 99;
    speCount.SetValue(5);

    memNote.SetBounds(8, 50, 200, 60);
    memNote.ScrollBars = forms::ScrollStyle::Vertical;
    memNote.SetLines({"第一行"_host, "第二行"_host});
    btnApply.SetBounds(220, 50, 75, 25);
    btnApply.Caption = "应用(&A)"_host;
    btnApply.Default = true;
    btnApply.OnClick = [this](forms::Control&) {
        ++applyClicks;
        lblName.SetCaption("已应用"_host);
        btnDisabled.Enabled = true;
        btnApply.Caption = "再次应用"_host;
        lstItems.Items.Add("新项"_host);
        pcPages.SetActivePage(&tsSecond);
        edtName.SetText("李四"_host);
        Left += 10;
    };
    btnDisabled.SetBounds(300, 50, 75, 25);
    btnDisabled.Caption = "禁用"_host;
    btnDisabled.Enabled = false;
    rbDay.SetBounds(220, 85, 60, 17);
    rbDay.Caption = "日"_host;
    rbDay.SetChecked(true);
    rbMonth.SetBounds(290, 85, 60, 17);
    rbMonth.Caption = "月"_host;
    chkAll.SetBounds(360, 85, 80, 17);
    chkAll.Caption = "全选"_host;
    chkAll.SetChecked(true);
    chkAll.OnClick = [this](forms::Control&) { events.push_back("chkAll clicked"); };
    cbbKind.SetBounds(460, 50, 120, 21);
    cbbKind.Style = forms::ComboStyle::DropDownList;
    cbbKind.DropDownCount = 3;
    for (const char* item : {"日报", "周报", "月报"}) {
        cbbKind.Items.Add(zeph::text::Utf8ToGbk(item));
    }
    cbbKind.SetItemIndex(1);
    cbbFree.SetBounds(460, 80, 120, 21);
    cbbFree.SetText("自由文本"_host);

    lstItems.SetBounds(8, 120, 120, 80);
    for (const char* item : {"甲", "乙", "丙"}) {
        lstItems.Items.Add(zeph::text::Utf8ToGbk(item));
    }
    lstItems.SetItemIndex(1);
    clbFields.SetBounds(136, 120, 120, 80);
    for (const char* item : {"工号", "姓名", "部门"}) {
        clbFields.Items.Add(zeph::text::Utf8ToGbk(item));
    }
    clbFields.SetChecked(0, true);
    clbFields.SetChecked(2, true);
    lvRecords.SetBounds(264, 120, 240, 100);
    lvRecords.ViewStyle = forms::ViewStyle::Report;
    lvRecords.Checkboxes = true;
    lvRecords.RowSelect = true;
    lvRecords.AddColumn("工号"_host, 60);
    lvRecords.AddColumn("姓名"_host, 80);
    lvRecords.AddColumn("金额"_host, 70, forms::Alignment::Right);
    forms::ListItem& first = lvRecords.Items.Add();
    first.Caption = "1001";
    first.SubItems = {"王五"_host, "12.50"};
    first.SetChecked(true);
    forms::ListItem& second = lvRecords.Items.Add();
    second.Caption = "1002";
    second.SubItems = {"赵六"_host, "3.00"};
    tvDepartments.SetBounds(512, 120, 120, 100);
    forms::TreeNode& root = tvDepartments.Items.Add("总部"_host);
    tvDepartments.Items.AddChild(&root, "财务部"_host);
    forms::TreeNode& tech = tvDepartments.Items.AddChild(&root, "技术部"_host);
    root.Expand();
    tvDepartments.SetSelected(&tech);

    pcPages.SetBounds(8, 230, 296, 120);
    tsFirst.Caption = "基本"_host;
    tsSecond.Caption = "高级"_host;
    tsHidden.Caption = "隐藏"_host;
    tsHidden.TabVisible = false;
    pcPages.SetActivePage(&tsFirst);
    lblOnFirst.SetParent(&tsFirst);
    lblOnFirst.SetBounds(8, 8, 60, 12);
    lblOnFirst.AutoSize = false;
    lblOnFirst.SetCaption("第一页"_host);
    edtOnSecond.SetParent(&tsSecond);
    edtOnSecond.SetBounds(8, 8, 100, 21);
    edtOnSecond.SetText("第二页"_host);
    splSides.SetBounds(308, 230, 4, 120);

    dtpDate.SetBounds(320, 230, 110, 21);
    dtpDate.SetDate(forms::EncodeDate(2024, 3, 15));
    dtpTime.SetBounds(440, 230, 90, 21);
    dtpTime.Kind = forms::DateTimeKind::Time;
    dtpTime.SetTime(forms::EncodeTime(13, 45, 30));
    pbProgress.SetBounds(320, 260, 200, 16);
    pbProgress.SetPosition(40);
    gbOptions.SetBounds(320, 285, 150, 60);
    gbOptions.Caption = "选项"_host;
    chkInGroup.SetParent(&gbOptions);
    chkInGroup.SetBounds(10, 22, 120, 17);
    chkInGroup.Caption = "包含子部门"_host;
    sbArea.SetBounds(480, 285, 150, 60);
    shpMark.SetParent(&sbArea);
    shpMark.SetBounds(10, 10, 40, 30);
    shpMark.Type = forms::ShapeType::Ellipse;
    shpMark.Brush.Color = forms::clRed;
    pnlBottom.SetBounds(0, 0, 100, 40);
    pnlBottom.Align = forms::Align::Bottom;
    pnlBottom.Caption = "状态：就绪"_host;
    pnlBottom.Color = 0xE0FFE0;
    Created();
}

TfrmSampleDialog::TfrmSampleDialog(forms::Component* owner) : Form(owner, "frmSampleDialog") {
    Caption = "请选择列"_host;
    BorderStyle = forms::BorderStyle::Dialog;
    Position = forms::Position::ScreenCenter;
    Font.Name = "宋体"_host;
    Font.Size = 9;
    SetClientWidth(191);
    SetClientHeight(241);
    lvSelect.SetBounds(8, 8, 175, 150);
    lvSelect.ViewStyle = forms::ViewStyle::Report;
    lvSelect.Checkboxes = true;
    lvSelect.ShowColumnHeaders = false;
    lvSelect.AddColumn("", 150);
    for (const char* column : {"工号", "姓名", "部门"}) {
        lvSelect.Items.Add().Caption = zeph::text::Utf8ToGbk(column);
    }
    edtFilter.SetBounds(8, 164, 175, 21);
    bbtnSave.SetBounds(8, 205, 55, 25);
    bbtnSave.Caption = "确认"_host;
    bbtnSave.Default = true;
    bbtnSave.ModalResult = forms::ModalResult::Ok;
    bbtnCancel.SetBounds(68, 205, 55, 25);
    bbtnCancel.Caption = "取消"_host;
    bbtnCancel.Cancel = true;
    bbtnCancel.ModalResult = forms::ModalResult::Cancel;
    bbtnAsk.SetBounds(128, 205, 55, 25);
    bbtnAsk.Caption = "询问"_host;
    bbtnAsk.OnClick = [this](forms::Control&) {
        answer = forms::MessageBox(Handle(), "保存所选的列吗？"_host, "提示"_host,
                                   forms::MessageButtons::YesNo, forms::MessageKind::Question);
    };
    OnCloseQuery = [this](forms::Form&, bool& canClose) {
        ++closeQueries;
        canClose = !refuseClose;
    };
    Created();
}

} // namespace zeph::qtforms::testing
