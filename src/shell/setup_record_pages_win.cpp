// The pages of single records: signal pattern, settings, recording and the option board's
// page. Their rules are the page models'.
#include "resources/ids/setup_board_2a_res.h"
#include "resources/ids/setup_board_6100_res.h"
#include "resources/ids/setup_board_other_res.h"
#include "resources/ids/setup_recording_pc_res.h"
#include "resources/ids/setup_recording_res.h"
#include "resources/ids/setup_settings_res.h"
#include "resources/ids/setup_signal_pattern_res.h"
#include "resources/ids/setup_signal_settings_res.h"
#include "resources/ids/setup_thinning_res.h"
#include "shell/main_window_win.h"
#include "shell/setup_model_page_win.h"
#include "shell/setup_pages_win.h"

namespace zv::shell {
namespace {

constexpr int kSub = 1;  // the page's one sub-page

class SignalPatternPage final : public ModelPage<SignalPatternView> {
public:
    using ModelPage::ModelPage;

protected:
    SignalPatternView showView() const override { return showSignalPattern(context_.setup.image, pageContextOf(context_)); }
    void storeView(const SignalPatternView& view) override {
        storeSignalPattern(context_.setup.image, view, pageContextOf(context_));
    }
    std::vector<SubPage> subPages() const override { return {{IDD_SETUP_SIGNAL_SETTINGS, IDC_SIGNAL_PLACE}}; }
    bool subPageShown(size_t, const SignalPatternView& v) const override { return v.on; }
    std::vector<Binding> bindings() const override {
        using V = SignalPatternView;
        std::vector<Binding> b = {{0, IDC_SIGNAL_ON, [](V& v) -> FieldRef { return &v.on; }},
                                  {kSub, IDC_SIGNAL_HOLD, [](V& v) -> FieldRef { return &v.choice5; }},
                                  {kSub, IDC_SIGNAL_RESULT, [](V& v) -> FieldRef { return &v.choice6; }},
                                  {kSub, IDC_SIGNAL_QUALIFIER_LEVEL, [](V& v) -> FieldRef { return &v.choice12; }},
                                  {kSub, IDC_SIGNAL_QUALIFIER, [](V& v) -> FieldRef { return &v.signal; }}};
        // Only the board's own field: the other one is hidden and not read.
        if (const int field = signalPatternFieldId(context_.boardType))
            b.push_back({kSub, field, [](V& v) -> FieldRef { return &v.pattern; }});
        return b;
    }
    void prepare() override {
        ShowWindow(item(IDC_SIGNAL_NOTE), SW_HIDE);
        ShowWindow(item(IDC_SIGNAL_ON), SW_SHOW);
        controls::fillWithStrings(context_, control(kSub, IDC_SIGNAL_HOLD), 12031, 14);
        controls::fillWithStrings(context_, control(kSub, IDC_SIGNAL_RESULT), 12045, 3);
        controls::fillWithStrings(context_, control(kSub, IDC_SIGNAL_QUALIFIER_LEVEL), 10329, 2);
        HWND names = control(kSub, IDC_SIGNAL_QUALIFIER);
        SendMessageA(names, CB_RESETCONTENT, 0, 0);
        for (std::string_view name : signalNames(context_.boardType))
            SendMessageA(names, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::string(name).c_str()));
        const int field = signalPatternFieldId(context_.boardType);
        const bool nine = field == IDC_SIGNAL_PATTERN_9, five = field == IDC_SIGNAL_PATTERN_5;
        for (int id : {IDC_SIGNAL_PATTERN_9, IDC_SIGNAL_CAPTION_9_1, IDC_SIGNAL_CAPTION_9_2, IDC_SIGNAL_CAPTION_9_3,
                       IDC_SIGNAL_CAPTION_9_4, IDC_SIGNAL_CAPTION_9_5})
            ShowWindow(control(kSub, id), nine ? SW_SHOW : SW_HIDE);
        for (int id : {IDC_SIGNAL_PATTERN_5, IDC_SIGNAL_CAPTION_5}) ShowWindow(control(kSub, id), five ? SW_SHOW : SW_HIDE);
        if (field) controls::configureBits(control(kSub, field), signalPatternBits(context_.boardType));
    }
};

class SettingsPage final : public ModelPage<SettingsView> {
public:
    using ModelPage::ModelPage;

protected:
    SettingsView showView() const override { return showSettings(context_.setup.image, pageContextOf(context_)); }
    void storeView(const SettingsView& view) override { storeSettings(context_.setup.image, view, pageContextOf(context_)); }
    std::vector<SubPage> subPages() const override { return {{IDD_SETUP_THINNING, IDC_SETTINGS_PLACE}}; }
    bool subPageShown(size_t, const SettingsView& v) const override { return v.subPageOn; }
    std::vector<Binding> bindings() const override {
        using V = SettingsView;
        return {{0, IDC_SETTINGS_RESOLUTION, [](V& v) -> FieldRef { return &v.choice4; }},
                {0, IDC_SETTINGS_ERROR_FRAMES, [](V& v) -> FieldRef { return &v.check5; }},
                {0, IDC_SETTINGS_REMOTE_FRAMES, [](V& v) -> FieldRef { return &v.check6; }},
                {0, IDC_SETTINGS_WAKE_UP, [](V& v) -> FieldRef { return &v.check7; }},
                {0, IDC_SETTINGS_FULL_BEEP, [](V& v) -> FieldRef { return &v.check8; }},
                {0, IDC_SETTINGS_THINNING, [](V& v) -> FieldRef { return &v.subPageOn; }},
                {kSub, IDC_THINNING_PER_ID, [](V& v) -> FieldRef { return &v.check11; }},
                {kSub, IDC_THINNING_FRAMES, [](V& v) -> FieldRef { return &v.choice13; }},
                {kSub, IDC_THINNING_KEEP, [](V& v) -> FieldRef { return &v.value14; }}};
    }
    void prepare() override {
        controls::fillWithStrings(context_, item(IDC_SETTINGS_RESOLUTION), 10151, 3);
        controls::fillWithStrings(context_, control(kSub, IDC_THINNING_FRAMES), 10154, 5);
        SendMessageA(control(kSub, IDC_THINNING_KEEP), EM_LIMITTEXT, 4, 0);
    }
};

class RecordingPage final : public ModelPage<RecordingView> {
public:
    using ModelPage::ModelPage;

protected:
    RecordingView showView() const override { return showRecording(context_.setup.image, pageContextOf(context_)); }
    void storeView(const RecordingView& view) override { storeRecording(context_.setup.image, view, pageContextOf(context_)); }
    std::vector<SubPage> subPages() const override { return {{IDD_SETUP_RECORDING_PC, IDC_RECORDING_PLACE}}; }
    bool subPageShown(size_t, const RecordingView& v) const override { return v.switch10 == 1; }
    std::vector<Binding> bindings() const override {
        using V = RecordingView;
        return {{0, IDC_RECORDING_START, [](V& v) -> FieldRef { return &v.choice4; }},
                {0, IDC_RECORDING_LENGTH, [](V& v) -> FieldRef { return &v.size6; }},
                {0, IDC_RECORDING_BUFFER, [](V& v) -> FieldRef { return &v.value8; }},
                {0, IDC_RECORDING_TARGET, [](V& v) -> FieldRef { return &v.switch10; }},
                {kSub, IDC_RECORDING_PC_KEEP, [](V& v) -> FieldRef { return &v.check11; }}};
    }
    void prepare() override {
        controls::fillWithStrings(context_, item(IDC_RECORDING_START), 12006, 5);
        controls::fillWithStrings(context_, item(IDC_RECORDING_LENGTH), 12001, 3);
        controls::fillWithStrings(context_, item(IDC_RECORDING_BUFFER), 12004, 2);
        HWND target = item(IDC_RECORDING_TARGET);
        controls::fillWithStrings(context_, target, recordingFirstSwitchLabel(context_.remoteModel), 1);
        const std::string second = text(12012);
        SendMessageA(target, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(second.c_str()));
    }
};

// The option board's page: one of three templates by board type, with the controls it has.
class BoardPage final : public ModelPage<BoardPageView> {
public:
    BoardPage(SetupEditorContext& context, int templateId) : ModelPage(context), template_(templateId) {}

protected:
    BoardPageView showView() const override { return showBoardPage(context_.setup.image, pageContextOf(context_)); }
    void storeView(const BoardPageView& view) override { storeBoardPage(context_.setup.image, view, pageContextOf(context_)); }
    std::vector<Binding> bindings() const override {
        using V = BoardPageView;
        std::vector<Binding> b = {{0, IDC_BOARD_OTHER_TERMINATION, [](V& v) -> FieldRef { return &v.check28; }},
                                  {0, IDC_BOARD_OTHER_KEY_CLICK, [](V& v) -> FieldRef { return &v.check31; }}};
        if (boardPageHas2249(template_)) b.push_back({0, IDC_BOARD_OTHER_BACKLIGHT, [](V& v) -> FieldRef { return &v.value30; }});
        if (boardPageHas2251(template_)) b.push_back({0, IDC_BOARD_OTHER_SUPPLY, [](V& v) -> FieldRef { return &v.check37; }});
        return b;
    }
    void prepare() override { SendDlgItemMessageA(window(), IDC_BOARD_OTHER_BACKLIGHT, EM_LIMITTEXT, 2, 0); }

private:
    int template_;
};

}  // namespace

std::unique_ptr<SetupPage> makeRecordPage(SetupEditorContext& context, int templateId) {
    switch (templateId) {
        case IDD_SETUP_SIGNAL_PATTERN: return std::make_unique<SignalPatternPage>(context);
        case IDD_SETUP_SETTINGS: return std::make_unique<SettingsPage>(context);
        case IDD_SETUP_RECORDING: return std::make_unique<RecordingPage>(context);
        case IDD_SETUP_BOARD_2A:
        case IDD_SETUP_BOARD_6100:
        case IDD_SETUP_BOARD_OTHER: return std::make_unique<BoardPage>(context, templateId);
        default: return nullptr;
    }
}

}  // namespace zv::shell
