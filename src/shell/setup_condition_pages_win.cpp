// The condition pages: the overview of the four entries, the entry page with its pattern and
// action sub-pages (one page for the four entries; the tree item in view names the entry), and
// the parameter page. Their rules are the page models'.
#include <tuple>

#include "resources/ids/setup_act_beep_res.h"
#include "resources/ids/setup_act_count_res.h"
#include "resources/ids/setup_act_level_res.h"
#include "resources/ids/setup_act_marker_res.h"
#include "resources/ids/setup_act_pulse_res.h"
#include "resources/ids/setup_act_trigger_res.h"
#include "resources/ids/setup_cond_frame_res.h"
#include "resources/ids/setup_cond_inputs_res.h"
#include "resources/ids/setup_cond_lin_errors_res.h"
#include "resources/ids/setup_cond_remote_res.h"
#include "resources/ids/setup_cond_sync_line_res.h"
#include "resources/ids/setup_cond_trigger_input_res.h"
#include "resources/ids/setup_condition_entry_res.h"
#include "resources/ids/setup_condition_params_res.h"
#include "resources/ids/setup_conditions_res.h"
#include "shell/main_window_win.h"
#include "shell/setup_model_page_win.h"
#include "shell/setup_pages_win.h"
#include "zvlkctrl/core/control_messages.h"

namespace zv::shell {
namespace {

// ---- Overview ------------------------------------------------------------------------------

class ConditionOverviewPage final : public ModelPage<ConditionOverviewView> {
public:
    using ModelPage::ModelPage;

protected:
    ConditionOverviewView showView() const override {
        return showConditionOverview(context_.setup.image, pageContextOf(context_));
    }
    void storeView(const ConditionOverviewView& view) override {
        storeConditionOverview(context_.setup.image, view, pageContextOf(context_));
    }
    std::vector<Binding> bindings() const override {
        return {{0, IDC_CONDITIONS_ENABLE_1, [](ConditionOverviewView& v) -> FieldRef { return &v.enabled[0]; }},
                {0, IDC_CONDITIONS_ENABLE_2, [](ConditionOverviewView& v) -> FieldRef { return &v.enabled[1]; }},
                {0, IDC_CONDITIONS_ENABLE_3, [](ConditionOverviewView& v) -> FieldRef { return &v.enabled[2]; }},
                {0, IDC_CONDITIONS_ENABLE_4, [](ConditionOverviewView& v) -> FieldRef { return &v.enabled[3]; }}};
    }
    void shown(const ConditionOverviewView& v) override {
        const auto label = [this](int id) { return id > 0 ? text(static_cast<UINT>(id)) : std::string(); };
        for (int i = 0; i < 4; ++i) {
            setItemText(IDC_CONDITIONS_KIND_1 + i, label(v.kindLabel[static_cast<size_t>(i)]));
            setItemText(IDC_CONDITIONS_ACTION_1 + i, label(v.actionLabel[static_cast<size_t>(i)]));
        }
        for (size_t i = 0; i < 2; ++i) {
            setItemText(IDC_CONDITIONS_TIME_1 + static_cast<int>(i), v.param12Value[i]);
            setItemText(IDC_CONDITIONS_UNIT_1 + static_cast<int>(i), label(v.param12UnitLabel[i]));
            setItemText(IDC_CONDITIONS_COUNT_1 + static_cast<int>(i), v.param8Value[i]);
        }
    }
};

// ---- Entry ---------------------------------------------------------------------------------

// Sub-pages in binding order: the pattern pages on 2001, then the action pages on 2002.
constexpr int kLinErrors = 1, kFrame = 2, kRemote = 3, kTriggerInput = 4, kSyncLine = 5, kInputs = 6;
constexpr int kActTrigger = 7, kActCount = 8, kActPulse = 9, kActLevel = 10, kActBeep = 11, kActMarker = 12;
constexpr int kPatternPages[] = {IDD_SETUP_COND_LIN_ERRORS, IDD_SETUP_COND_FRAME, IDD_SETUP_COND_REMOTE,
                                 IDD_SETUP_COND_TRIGGER_INPUT, IDD_SETUP_COND_SYNC_LINE, IDD_SETUP_COND_INPUTS};
constexpr int kActionPages[] = {IDD_SETUP_ACT_TRIGGER, IDD_SETUP_ACT_COUNT, IDD_SETUP_ACT_PULSE,
                                IDD_SETUP_ACT_LEVEL, IDD_SETUP_ACT_BEEP, IDD_SETUP_ACT_MARKER};

class ConditionEntryPage final : public ModelPage<ConditionEntryView> {
public:
    using ModelPage::ModelPage;

protected:
    ConditionEntryView showView() const override {
        return showConditionEntry(context_.setup.image, pageContextOf(context_));
    }
    void storeView(const ConditionEntryView& view) override {
        storeConditionEntry(context_.setup.image, view, pageContextOf(context_));
    }
    std::vector<SubPage> subPages() const override {
        std::vector<SubPage> pages;
        for (int id : kPatternPages) {
            // Boards without the LIN-error or input sub-page do not get one.
            const bool exists = (id != IDD_SETUP_COND_LIN_ERRORS || conditionHasLinErrors(context_.boardType)) &&
                                (id != IDD_SETUP_COND_INPUTS || conditionHasInputPattern(context_.boardType));
            pages.push_back({exists ? id : 0, IDC_CONDITION_PATTERN_PLACE});
        }
        for (int id : kActionPages) pages.push_back({id, IDC_CONDITION_ACTION_PLACE});
        return pages;
    }
    bool subPageShown(size_t index, const ConditionEntryView& v) const override {
        if (index < std::size(kPatternPages)) return conditionPatternPage(v.kind, context_.boardType) == kPatternPages[index];
        return conditionActionPage(v.action) == kActionPages[index - std::size(kPatternPages)];
    }
    std::vector<Binding> bindings() const override {
        using V = ConditionEntryView;
        return {
            {0, IDC_CONDITION_KIND, [](V& v) -> FieldRef { return &v.kind; }},
            {0, IDC_CONDITION_ACTION, [](V& v) -> FieldRef { return &v.action; }},
            {kLinErrors, IDC_LIN_ERRORS_PARITY, [](V& v) -> FieldRef { return &v.linErrors[0]; }},
            {kLinErrors, IDC_LIN_ERRORS_CHECKSUM, [](V& v) -> FieldRef { return &v.linErrors[1]; }},
            {kLinErrors, IDC_LIN_ERRORS_NO_RESPONSE, [](V& v) -> FieldRef { return &v.linErrors[2]; }},
            {kLinErrors, IDC_LIN_ERRORS_SYNC, [](V& v) -> FieldRef { return &v.linErrors[3]; }},
            {kLinErrors, IDC_LIN_ERRORS_BIT, [](V& v) -> FieldRef { return &v.linErrors[4]; }},
            {kFrame, IDC_COND_FRAME_CHANNEL, [](V& v) -> FieldRef { return &v.frameChannel; }},
            {kFrame, IDC_COND_FRAME_ID_1, [](V& v) -> FieldRef { return &v.frameId[0]; }},
            {kFrame, IDC_COND_FRAME_ID_2, [](V& v) -> FieldRef { return &v.frameId[1]; }},
            {kFrame, IDC_COND_FRAME_ID_3, [](V& v) -> FieldRef { return &v.frameId[2]; }},
            {kFrame, IDC_COND_FRAME_ID_4, [](V& v) -> FieldRef { return &v.frameId[3]; }},
            {kFrame, IDC_COND_FRAME_DATA, [](V& v) -> FieldRef { return &v.data; }},
            {kFrame, IDC_COND_FRAME_EXTRA_1, [](V& v) -> FieldRef { return &v.extra[0]; }},
            {kFrame, IDC_COND_FRAME_EXTRA_2, [](V& v) -> FieldRef { return &v.extra[1]; }},
            {kFrame, IDC_COND_FRAME_EXTRA_3, [](V& v) -> FieldRef { return &v.extra[2]; }},
            {kRemote, IDC_COND_REMOTE_CHANNEL, [](V& v) -> FieldRef { return &v.remoteChannel; }},
            {kRemote, IDC_COND_REMOTE_ID_1, [](V& v) -> FieldRef { return &v.remoteId[0]; }},
            {kRemote, IDC_COND_REMOTE_ID_2, [](V& v) -> FieldRef { return &v.remoteId[1]; }},
            {kRemote, IDC_COND_REMOTE_ID_3, [](V& v) -> FieldRef { return &v.remoteId[2]; }},
            {kRemote, IDC_COND_REMOTE_ID_4, [](V& v) -> FieldRef { return &v.remoteId[3]; }},
            {kTriggerInput, IDC_COND_TRIGGER_INPUT, [](V& v) -> FieldRef { return &v.fourWay; }},
            {kSyncLine, IDC_COND_SYNC_LINE, [](V& v) -> FieldRef { return &v.twoWay; }},
            {kInputs, IDC_COND_INPUTS, [](V& v) -> FieldRef { return &v.input; }},
            {kActTrigger, IDC_ACT_TRIGGER_POSITION, [](V& v) -> FieldRef { return &v.action1Choice; }},
            {kActCount, IDC_ACT_COUNT_WAIT, [](V& v) -> FieldRef { return &v.action2First; }},
            {kActCount, IDC_ACT_COUNT_SKIP, [](V& v) -> FieldRef { return &v.action2Second; }},
            {kActPulse, IDC_ACT_PULSE_EDGE, [](V& v) -> FieldRef { return &v.action3First; }},
            {kActPulse, IDC_ACT_PULSE_WIDTH, [](V& v) -> FieldRef { return &v.action3Second; }},
            {kActLevel, IDC_ACT_LEVEL, [](V& v) -> FieldRef { return &v.action4First; }},
            {kActLevel, IDC_ACT_LEVEL_HOLD, [](V& v) -> FieldRef { return &v.action4Second; }},
            {kActBeep, IDC_ACT_BEEP_SOUND, [](V& v) -> FieldRef { return &v.action5First; }},
            {kActBeep, IDC_ACT_BEEP_REPEAT, [](V& v) -> FieldRef { return &v.action5Second; }},
            {kActMarker, IDC_ACT_MARKER, [](V& v) -> FieldRef { return &v.action6Selection; }},
            {kActMarker, IDC_ACT_MARKER_REPEAT, [](V& v) -> FieldRef { return &v.action6Choice; }},
            {kActMarker, IDC_ACT_MARKER_HOLD_OFF, [](V& v) -> FieldRef { return &v.action6Value; }},
        };
    }
    void prepare() override {
        HWND kinds = item(IDC_CONDITION_KIND);
        SendMessageA(kinds, CB_RESETCONTENT, 0, 0);
        for (const ConditionKindItem& k : conditionKinds(context_.boardType))
            SendMessageA(kinds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text(static_cast<UINT>(k.labelId)).c_str()));
        controls::fillWithStrings(context_, item(IDC_CONDITION_ACTION), 10311, kConditionActionCount);
        struct List {
            int page, id, first, count;
        };
        for (const List& l : {List{kFrame, IDC_COND_FRAME_CHANNEL, 10115, 2}, List{kRemote, IDC_COND_REMOTE_CHANNEL, 10115, 2},
                              List{kTriggerInput, IDC_COND_TRIGGER_INPUT, 10321, 4}, List{kSyncLine, IDC_COND_SYNC_LINE, 10329, 2},
                              List{kActTrigger, IDC_ACT_TRIGGER_POSITION, 10341, 4}, List{kActPulse, IDC_ACT_PULSE_EDGE, 10321, 2},
                              List{kActPulse, IDC_ACT_PULSE_WIDTH, 10345, 3}, List{kActLevel, IDC_ACT_LEVEL, 10323, 2},
                              List{kActLevel, IDC_ACT_LEVEL_HOLD, 10348, 2}, List{kActBeep, IDC_ACT_BEEP_SOUND, 10331, 4},
                              List{kActBeep, IDC_ACT_BEEP_REPEAT, 10350, 3}, List{kActMarker, IDC_ACT_MARKER, 11301, 30},
                              List{kActMarker, IDC_ACT_MARKER_REPEAT, 10350, 2}})
            if (HWND c = control(l.page, l.id)) controls::fillWithStrings(context_, c, l.first, l.count);
        struct Bits {
            int page, id, bits, next;
        };
        for (const Bits& b : {Bits{kFrame, IDC_COND_FRAME_ID_1, 5, IDC_COND_FRAME_ID_2}, Bits{kFrame, IDC_COND_FRAME_ID_2, 8, IDC_COND_FRAME_ID_3},
                              Bits{kFrame, IDC_COND_FRAME_ID_3, 8, IDC_COND_FRAME_ID_4}, Bits{kFrame, IDC_COND_FRAME_ID_4, 8, 0},
                              Bits{kFrame, IDC_COND_FRAME_EXTRA_1, 8, 0}, Bits{kFrame, IDC_COND_FRAME_EXTRA_2, 8, 0},
                              Bits{kFrame, IDC_COND_FRAME_EXTRA_3, 8, 0}, Bits{kRemote, IDC_COND_REMOTE_ID_1, 5, IDC_COND_REMOTE_ID_2},
                              Bits{kRemote, IDC_COND_REMOTE_ID_2, 8, IDC_COND_REMOTE_ID_3}, Bits{kRemote, IDC_COND_REMOTE_ID_3, 8, IDC_COND_REMOTE_ID_4},
                              Bits{kRemote, IDC_COND_REMOTE_ID_4, 8, 0}, Bits{kInputs, IDC_COND_INPUTS, 4, 0}}) {
            HWND c = control(b.page, b.id);
            if (!c) continue;
            controls::configureBits(c, b.bits);
            if (b.next) controls::chain(c, b.next);
        }
        if (HWND data = control(kFrame, IDC_COND_FRAME_DATA)) SendMessageA(data, ctrl::kMsgConfigure, 0, 8);
        for (const auto& [page, id, limit] : {std::tuple{kActCount, IDC_ACT_COUNT_WAIT, 4}, std::tuple{kActCount, IDC_ACT_COUNT_SKIP, 4},
                                               std::tuple{kActMarker, IDC_ACT_MARKER_HOLD_OFF, 5}})
            if (HWND c = control(page, id)) SendMessageA(c, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
    }
};

// ---- Parameters --------------------------------------------------------------------------

class ConditionParametersPage final : public ModelPage<ConditionParametersView> {
public:
    using ModelPage::ModelPage;

protected:
    ConditionParametersView showView() const override {
        return showConditionParameters(context_.setup.image, pageContextOf(context_));
    }
    void storeView(const ConditionParametersView& view) override {
        storeConditionParameters(context_.setup.image, view, pageContextOf(context_));
    }
    std::vector<Binding> bindings() const override {
        using V = ConditionParametersView;
        return {{0, IDC_PARAMS_TIME_1, [](V& v) -> FieldRef { return &v.param12Value[0]; }},
                {0, IDC_PARAMS_TIME_2, [](V& v) -> FieldRef { return &v.param12Value[1]; }},
                {0, IDC_PARAMS_UNIT_1, [](V& v) -> FieldRef { return &v.param12Unit[0]; }},
                {0, IDC_PARAMS_UNIT_2, [](V& v) -> FieldRef { return &v.param12Unit[1]; }},
                {0, IDC_PARAMS_COUNT_1, [](V& v) -> FieldRef { return &v.param8Value[0]; }},
                {0, IDC_PARAMS_COUNT_2, [](V& v) -> FieldRef { return &v.param8Value[1]; }}};
    }
    void prepare() override {
        controls::fillWithStrings(context_, item(IDC_PARAMS_UNIT_1), 10361, 3);
        controls::fillWithStrings(context_, item(IDC_PARAMS_UNIT_2), 10361, 3);
        for (int id : {IDC_PARAMS_TIME_1, IDC_PARAMS_TIME_2, IDC_PARAMS_COUNT_1, IDC_PARAMS_COUNT_2})
            SendDlgItemMessageA(window(), id, EM_LIMITTEXT, 6, 0);
    }
};

}  // namespace

std::unique_ptr<SetupPage> makeConditionPage(SetupEditorContext& context, int templateId) {
    switch (templateId) {
        case IDD_SETUP_CONDITIONS: return std::make_unique<ConditionOverviewPage>(context);
        case IDD_SETUP_CONDITION_ENTRY: return std::make_unique<ConditionEntryPage>(context);
        case IDD_SETUP_CONDITION_PARAMS: return std::make_unique<ConditionParametersPage>(context);
        default: return nullptr;
    }
}

}  // namespace zv::shell
