// The LIN schedule page on the operation-mode page: the schedule mode, the schedule sub-page
// (its fields and the slot table) or the simple one. Its rules are the page model's.
#include "resources/ids/setup_lin_schedule_res.h"
#include "resources/ids/setup_schedule_simple_res.h"
#include "resources/ids/setup_schedule_table_res.h"
#include "shell/lin_schedule_table_win.h"
#include "shell/main_window_win.h"
#include "shell/setup_model_page_win.h"
#include "shell/setup_pages_win.h"

namespace zv::shell {
namespace {

class LinSchedulePage final : public SetupPage {
public:
    using SetupPage::SetupPage;

    void store() override {
        if (!window()) return;
        storeLinSchedule(context_.setup.image, read(), paneOnView(), PageContext{context_.boardType, context_.remoteModel});
    }
    void refresh() override {
        if (!window()) return;
        const LinScheduleView v = showLinSchedule(context_.setup.image, PageContext{context_.boardType, context_.remoteModel});
        controls::write(item(IDC_SCHEDULE_MODE), FieldRef{const_cast<int*>(&v.mode)});
        for (const Field& f : fields()) {
            LinScheduleView copy = v;
            if (HWND c = GetDlgItem(f.simple ? simple_->window() : table_->window(), f.id)) controls::write(c, f.member(copy));
        }
        if (slots_) {
            for (int s = 0; s < kScheduleSlots; ++s) {
                const LinScheduleSlotView& row = v.slots[static_cast<size_t>(s)];
                slots_->showRow(s, {row.table, row.enabled, row.value, row.byte});
            }
        }
        const bool simple = linSchedulePaneFor(v.mode) == LinSchedulePane::Simple;
        table_->show(!simple);
        simple_->show(simple);
    }

protected:
    bool onInit() override {
        controls::fillWithStrings(context_, item(IDC_SCHEDULE_MODE), 54, 1);
        const std::string simpleText = text(53);
        SendDlgItemMessageA(window(), IDC_SCHEDULE_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(simpleText.c_str()));
        table_ = &addSubPage<ModelSubPage>(IDD_SETUP_SCHEDULE_TABLE, IDC_SCHEDULE_PLACE, [this](int) { changed(); });
        simple_ = &addSubPage<ModelSubPage>(IDD_SETUP_SCHEDULE_SIMPLE, IDC_SCHEDULE_PLACE, [this](int) { changed(); });
        controls::fillWithStrings(context_, GetDlgItem(table_->window(), IDC_SCHEDULE_FRAME_TIMING), 55, 2);
        for (const Field& f : fields()) {
            SendMessageA(GetDlgItem(f.simple ? simple_->window() : table_->window(), f.id), EM_LIMITTEXT,
                         static_cast<WPARAM>(f.limit), 0);
        }
        slots_ = LinScheduleTable::create(context_.main.modules.program, table_->window(), IDC_SCHEDULE_SLOTS_PLACE,
                                          context_.main.modules.uiFont,
                                          [this](int, int, LinScheduleTable::Event) { changed(); });
        refresh();
        return false;
    }
    void selectionChanged(int) override { changed(); }

private:
    struct Field {
        bool simple;  // on the simple sub-page, else on the schedule sub-page
        int id;
        int limit;    // characters (0: a drop-down)
        FieldRef (*member)(LinScheduleView&);
    };
    static const std::vector<Field>& fields() {
        using V = LinScheduleView;
        static const std::vector<Field> list = {
            {false, IDC_SCHEDULE_BREAK, 2, [](V& v) -> FieldRef { return &v.value6; }},
            {false, IDC_SCHEDULE_BYTE_SPACE, 2, [](V& v) -> FieldRef { return &v.value7; }},
            {false, IDC_SCHEDULE_RESPONSE_SPACE, 2, [](V& v) -> FieldRef { return &v.value8; }},
            {false, IDC_SCHEDULE_SLOT_TIME, 5, [](V& v) -> FieldRef { return &v.value12; }},
            {false, IDC_SCHEDULE_START_DELAY, 5, [](V& v) -> FieldRef { return &v.value16; }},
            {false, IDC_SCHEDULE_FRAME_TIMING, 0, [](V& v) -> FieldRef { return &v.choice20; }},
            {true, IDC_SCHEDULE_SIMPLE_BYTE_SPACE, 2, [](V& v) -> FieldRef { return &v.simpleValue7; }},
        };
        return list;
    }
    LinSchedulePane paneOnView() const { return simple_->visible() ? LinSchedulePane::Simple : LinSchedulePane::Schedule; }
    LinScheduleView read() const {
        LinScheduleView v = showLinSchedule(context_.setup.image, PageContext{context_.boardType, context_.remoteModel});
        controls::read(item(IDC_SCHEDULE_MODE), FieldRef{&v.mode});
        for (const Field& f : fields())
            if (HWND c = GetDlgItem(f.simple ? simple_->window() : table_->window(), f.id)) controls::read(c, f.member(v));
        if (slots_) {
            for (int s = 0; s < kScheduleSlots; ++s) {
                const SlotRow row = slots_->row(s);
                v.slots[static_cast<size_t>(s)] = {row.table, row.enabled, row.value, row.byte};
            }
        }
        return v;
    }
    // A field changed: store and show the stored values again, normalised.
    void changed() {
        store();
        refresh();
    }

    ModelSubPage* table_ = nullptr;
    ModelSubPage* simple_ = nullptr;
    LinScheduleTable* slots_ = nullptr;
};

}  // namespace

std::unique_ptr<SetupPage> makeLinSchedulePage(SetupEditorContext& context) {
    return std::make_unique<LinSchedulePage>(context);
}

}  // namespace zv::shell
