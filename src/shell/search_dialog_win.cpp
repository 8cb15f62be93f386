// Command 1008, the search dialog (template 0x5f4): the condition page with the kind and the
// mode, and the six kind pages, every control writing into the search condition as it changes.
// Find next and find previous (1010 / 1009) scan the capture list with that condition.
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>

#include "resources/ids/command_ids.h"
#include "resources/ids/search_pages_res.h"
#include "resources/ids/string_ids.h"
#include "search/search_match.h"
#include "shell/dialog_win.h"
#include "shell/main_window_win.h"
#include "zvlkctrl/core/control_messages.h"

namespace zv::shell {
namespace {

// A kind page or the condition page: every change of a control goes to the dialog.
class SearchPage final : public Dialog {
public:
    explicit SearchPage(std::function<void(int id, int code)> changed) : changed_(std::move(changed)) {}

protected:
    bool onInit() override { return false; }
    bool onCommand(int id, int code, HWND control) override {
        if (!control) return id == IDOK || id == IDCANCEL;  // Enter and Escape belong to the dialog
        changed_(id, code);
        return true;
    }
    bool onNotify(const NMHDR& header, LRESULT&) override {
        if (static_cast<int>(header.code) != ctrl::kNotifyLostFocus) return false;
        changed_(static_cast<int>(header.idFrom), ctrl::kNotifyLostFocus);
        return true;
    }

private:
    std::function<void(int, int)> changed_;
};

constexpr std::array<int, kSearchKindCount> kKindPages = {IDD_SEARCH_TRIGGER, IDD_SEARCH_LIN_ERRORS,
                                                          IDD_SEARCH_FRAME,   IDD_SEARCH_REMOTE,
                                                          IDD_SEARCH_TIME,    IDD_SEARCH_EXT_LEVEL};
constexpr std::array<UINT, kSearchKindCount> kKindLabels = {IDS_SEARCH_KIND_TRIGGER, IDS_SEARCH_KIND_LIN_ERROR,
                                                            IDS_SEARCH_KIND_FRAME,   IDS_SEARCH_KIND_REMOTE,
                                                            IDS_SEARCH_KIND_TIME,    IDS_SEARCH_KIND_EXT_LEVEL};
constexpr std::array<int, 5> kLinBoxes = {IDC_SEARCH_LIN_CODE_B, IDC_SEARCH_LIN_CODE_S, IDC_SEARCH_LIN_CODE_P,
                                          IDC_SEARCH_LIN_CODE_C, IDC_SEARCH_LIN_MARK};
constexpr std::array<int, 4> kFrameIds = {IDC_SEARCH_FRAME_ID_1, IDC_SEARCH_FRAME_ID_2, IDC_SEARCH_FRAME_ID_3,
                                          IDC_SEARCH_FRAME_ID_4};
constexpr std::array<int, 3> kExtraIds = {IDC_SEARCH_FRAME_EXTRA_1, IDC_SEARCH_FRAME_EXTRA_2, IDC_SEARCH_FRAME_EXTRA_3};
constexpr std::array<int, 4> kRemoteIds = {IDC_SEARCH_REMOTE_ID_1, IDC_SEARCH_REMOTE_ID_2, IDC_SEARCH_REMOTE_ID_3,
                                           IDC_SEARCH_REMOTE_ID_4};
constexpr std::array<int, 3> kTimeIds = {IDC_SEARCH_MINUTES, IDC_SEARCH_SECONDS, IDC_SEARCH_HUNDREDTHS};

void setCell(HWND field, const BitPatternCell& cell) {
    int pair[2] = {cell.mask, cell.value};
    SendMessageA(field, ctrl::kMsgSetValue, 0, reinterpret_cast<LPARAM>(pair));
}

BitPatternCell cellOf(HWND field) {
    int pair[2] = {0, 0};
    SendMessageA(field, ctrl::kMsgGetValue, 0, reinterpret_cast<LPARAM>(pair));
    BitPatternCell cell{static_cast<uint8_t>(pair[0]), static_cast<uint8_t>(pair[1])};
    cell.value &= cell.mask;
    return cell;
}

class SearchDialog final : public Dialog {
public:
    SearchDialog(MainWindow& main, SearchCondition& condition) : main_(main), condition_(condition) {}

    SearchConditionStore::DialogEnd run() {
        ModalScope modal(main_);
        const INT_PTR result = runModal(main_.modules.language, IDD_SEARCH, main_.window);
        return static_cast<SearchConditionStore::DialogEnd>(result < 0 ? static_cast<INT_PTR>(SearchConditionStore::DialogEnd::Cancel)
                                                                      : result);
    }

protected:
    bool onInit() override {
        container_ = std::make_unique<SearchPage>([this](int id, int code) { changed(id, code); });
        HWND page = container_->createPage(main_.modules.language, IDD_SEARCH_CONDITION, window());
        place(page, window(), IDC_SEARCH_PLACE);
        for (size_t k = 0; k < kKindPages.size(); ++k) {
            pages_[k] = std::make_unique<SearchPage>([this](int id, int code) { changed(id, code); });
            place(pages_[k]->createPage(main_.modules.language, kKindPages[k], page), page, IDC_SEARCH_KIND_PLACE);
        }
        prepare();
        show();
        return true;
    }
    bool onCommand(int id, int, HWND) override {
        switch (id) {
            case IDC_SEARCH_NEXT: finish(SearchConditionStore::DialogEnd::Forward); return true;
            case IDC_SEARCH_PREVIOUS: finish(SearchConditionStore::DialogEnd::Backward); return true;
            case IDC_SEARCH_CANCEL: finish(SearchConditionStore::DialogEnd::Cancel); return true;
            default: return false;
        }
    }
    bool onMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) override {
        if (message != WM_CLOSE) return false;
        // The close box, unlike Cancel, forgets the condition.
        end(static_cast<INT_PTR>(SearchConditionStore::DialogEnd::CloseBox));
        result = TRUE;
        return true;
    }

private:
    static void place(HWND page, HWND parent, int placeholder) {
        if (!page) return;
        RECT r{};
        if (HWND at = GetDlgItem(parent, placeholder)) {
            GetWindowRect(at, &r);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
            SetWindowPos(page, at, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    HWND kindControl(size_t kind, int id) const { return pages_[kind] ? GetDlgItem(pages_[kind]->window(), id) : nullptr; }
    HWND containerControl(int id) const { return container_ ? GetDlgItem(container_->window(), id) : nullptr; }

    void fill(HWND combo, std::initializer_list<UINT> strings) const {
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (UINT s : strings) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(loadText(main_, s).c_str()));
    }
    void prepare() const {
        HWND kinds = containerControl(IDC_SEARCH_KIND);
        SendMessageA(kinds, CB_RESETCONTENT, 0, 0);
        for (UINT s : kKindLabels) SendMessageA(kinds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(loadText(main_, s).c_str()));
        fill(containerControl(IDC_SEARCH_MODE), {IDS_SEARCH_MODE_FIND, IDS_SEARCH_MODE_COUNT});
        fill(kindControl(1, IDC_SEARCH_LIN_CHANNEL), {IDS_SEARCH_ALL_CHANNELS, IDS_WATCH_CHANNEL_1, IDS_WATCH_CHANNEL_2});
        fill(kindControl(2, IDC_SEARCH_FRAME_CHANNEL), {IDS_WATCH_CHANNEL_1, IDS_WATCH_CHANNEL_2});
        fill(kindControl(3, IDC_SEARCH_REMOTE_CHANNEL), {IDS_WATCH_CHANNEL_1, IDS_WATCH_CHANNEL_2});
        fill(kindControl(5, IDC_SEARCH_EXT_LEVEL), {IDS_SEARCH_LEVEL_0, IDS_SEARCH_LEVEL_1});
        const auto configure = [](HWND field, int bits, int next) {
            SendMessageA(field, ctrl::kMsgConfigure, 0, bits);
            if (next) SendMessageA(field, ctrl::kMsgGetBytes, ctrl::kChainParam, next);
        };
        for (size_t i = 0; i < 4; ++i) {
            configure(kindControl(2, kFrameIds[i]), i == 0 ? 5 : 8, i < 3 ? kFrameIds[i + 1] : 0);
            configure(kindControl(3, kRemoteIds[i]), i == 0 ? 5 : 8, i < 3 ? kRemoteIds[i + 1] : 0);
        }
        for (int id : kExtraIds) configure(kindControl(2, id), 8, 0);
        SendMessageA(kindControl(2, IDC_SEARCH_FRAME_DATA), ctrl::kMsgConfigure, 0, 8);
        for (int id : kTimeIds) SendMessageA(kindControl(4, id), EM_LIMITTEXT, 2, 0);
    }

    // The condition into the controls, and the page of its kind in view.
    void show() const {
        const SearchCondition& c = condition_;
        SendMessageA(containerControl(IDC_SEARCH_KIND), CB_SETCURSEL, c.kind < kSearchKindCount ? c.kind : 0, 0);
        SendMessageA(containerControl(IDC_SEARCH_MODE), CB_SETCURSEL, c.countMode ? 1 : 0, 0);
        SendMessageA(kindControl(1, IDC_SEARCH_LIN_CHANNEL), CB_SETCURSEL, c.linErrorChannel, 0);
        for (size_t b = 0; b < kLinBoxes.size(); ++b)
            SendMessageA(kindControl(1, kLinBoxes[b]), BM_SETCHECK, (c.linErrorFlags >> b) & 1 ? BST_CHECKED : BST_UNCHECKED, 0);
        SendMessageA(kindControl(2, IDC_SEARCH_FRAME_CHANNEL), CB_SETCURSEL, c.frameChannel, 0);
        for (size_t i = 0; i < 4; ++i) {
            setCell(kindControl(2, kFrameIds[i]), c.frameIdPattern[i]);
            setCell(kindControl(3, kRemoteIds[i]), c.remoteIdPattern[i]);
        }
        for (size_t i = 0; i < 3; ++i) setCell(kindControl(2, kExtraIds[i]), c.extraPatterns[i]);
        const SearchConditionBytes bytes = encodeSearchCondition(c);
        SendMessageA(kindControl(2, IDC_SEARCH_FRAME_DATA), ctrl::kMsgSetValue, 8,
                     reinterpret_cast<LPARAM>(bytes.data() + search_field::kDataPattern));
        SendMessageA(kindControl(3, IDC_SEARCH_REMOTE_CHANNEL), CB_SETCURSEL, c.remoteChannel, 0);
        for (size_t i = 0; i < 3; ++i) SetWindowTextA(kindControl(4, kTimeIds[i]), timeDigitsText(c.timeDigits[i]).c_str());
        SendMessageA(kindControl(5, IDC_SEARCH_EXT_LEVEL), CB_SETCURSEL, c.extLevel ? 1 : 0, 0);
        showKindPage();
    }
    void showKindPage() const {
        for (size_t k = 0; k < pages_.size(); ++k)
            if (pages_[k]) ShowWindow(pages_[k]->window(), k == condition_.kind ? SW_SHOW : SW_HIDE);
    }

    // A control changed: its field goes into the condition at once.
    void changed(int id, int code) {
        SearchCondition& c = condition_;
        const auto selection = [](HWND combo) { return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)); };
        if (code == CBN_SELCHANGE) {
            if (id == IDC_SEARCH_KIND) {
                const int kind = selection(containerControl(id));
                if (kind >= 0) c.kind = static_cast<uint8_t>(kind);
                showKindPage();
            } else if (id == IDC_SEARCH_MODE) {
                c.countMode = selection(containerControl(id)) == 1 ? 1 : 0;
            } else if (id == IDC_SEARCH_LIN_CHANNEL) {
                c.linErrorChannel = static_cast<uint8_t>(std::max(0, selection(kindControl(1, id))));
            } else if (id == IDC_SEARCH_FRAME_CHANNEL) {
                c.frameChannel = selection(kindControl(2, id)) == 1 ? 1 : 0;
            } else if (id == IDC_SEARCH_REMOTE_CHANNEL) {
                c.remoteChannel = selection(kindControl(3, id)) == 1 ? 1 : 0;
            } else if (id == IDC_SEARCH_EXT_LEVEL) {
                c.extLevel = selection(kindControl(5, id)) == 1 ? 1 : 0;
            }
            return;
        }
        if (code == BN_CLICKED) {
            for (size_t b = 0; b < kLinBoxes.size(); ++b) {
                if (kLinBoxes[b] != id) continue;
                const bool on = SendMessageA(kindControl(1, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
                c.linErrorFlags = static_cast<uint8_t>(on ? c.linErrorFlags | (1u << b) : c.linErrorFlags & ~(1u << b));
            }
            return;
        }
        if (code == EN_KILLFOCUS) {
            // Leaving a time field stores all three and shows the one left normalised.
            for (size_t i = 0; i < 3; ++i) {
                char text[8] = {};
                GetWindowTextA(kindControl(4, kTimeIds[i]), text, sizeof text);
                c.timeDigits[i] = timeDigitsFromText(text);
                if (kTimeIds[i] == id) SetWindowTextA(kindControl(4, id), timeDigitsText(c.timeDigits[i]).c_str());
            }
            return;
        }
        if (code != ctrl::kNotifyLostFocus) return;  // the bit-pattern fields and the data input
        for (size_t i = 0; i < 4; ++i) {
            if (id == kFrameIds[i]) c.frameIdPattern[i] = cellOf(kindControl(2, id));
            if (id == kRemoteIds[i]) c.remoteIdPattern[i] = cellOf(kindControl(3, id));
        }
        for (size_t i = 0; i < 3; ++i)
            if (id == kExtraIds[i]) c.extraPatterns[i] = cellOf(kindControl(2, id));
        if (id == IDC_SEARCH_FRAME_DATA) {
            SearchConditionBytes bytes = encodeSearchCondition(c);
            SendMessageA(kindControl(2, id), ctrl::kMsgGetValue, 8,
                         reinterpret_cast<LPARAM>(bytes.data() + search_field::kDataPattern));
            if (const std::optional<SearchCondition> read = decodeSearchCondition(bytes.data(), bytes.size()))
                c.dataPattern = read->dataPattern;
        }
    }

    // A field the user is still in has not reported yet: read every field before ending.
    void finish(SearchConditionStore::DialogEnd how) {
        if (how != SearchConditionStore::DialogEnd::Cancel) {
            for (int id : kFrameIds) changed(id, ctrl::kNotifyLostFocus);
            for (int id : kRemoteIds) changed(id, ctrl::kNotifyLostFocus);
            for (int id : kExtraIds) changed(id, ctrl::kNotifyLostFocus);
            changed(IDC_SEARCH_FRAME_DATA, ctrl::kNotifyLostFocus);
            changed(IDC_SEARCH_MINUTES, EN_KILLFOCUS);
        }
        end(static_cast<INT_PTR>(how));
    }

    MainWindow& main_;
    SearchCondition& condition_;
    std::unique_ptr<SearchPage> container_;
    std::array<std::unique_ptr<SearchPage>, kSearchKindCount> pages_;
};

void selectOnly(HWND list, int row) {
    // Clearing the selection item by item, not with item -1: on a list of hundreds of thousands
    // of rows that would visit (and notify) every row.
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    // The search for the next selected row also stops once all of them were seen.
    LRESULT left = SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0);
    for (LRESULT at = -1; left > 0 && (at = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(at), LVNI_SELECTED)) >= 0;
         --left) {
        if (at != row) SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&none));
    }
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

}  // namespace

void findCommand(MainWindow& main, bool forward) {
    if (!main.display || !main.search.held()) return;
    const CCapture& capture = main.display->capture();
    const SearchCondition& condition = main.search.condition();
    const SearchMatcher matcher(condition, capture.recordTag());
    const SearchOutcome outcome = searchCapture(capture, matcher, main.selectedRow, forward, condition.countMode != 0);
    if (outcome.row >= 0) {
        selectOnly(main.captureList, static_cast<int>(outcome.row));
        main.selectedRow = static_cast<int>(outcome.row);
        SetFocus(main.captureList);
        return;
    }
    const std::string text = condition.countMode && outcome.matches > 0
                                 ? formatText(main, IDS_SEARCH_COUNT_FMT, static_cast<unsigned long>(outcome.matches))
                                 : loadText(main, IDS_SEARCH_NO_MATCH);
    showMessage(main, loadText(main, IDS_SEARCH_CAPTION), text, MB_OK | MB_ICONINFORMATION);
    SetFocus(main.captureList);
}

void searchCommand(MainWindow& main) {
    SearchDialog dialog(main, main.search.beginDialog());
    if (!main.search.endDialog(dialog.run())) return;
    main.commands.searchDefined = true;
    applyCommandState(main);
    findCommand(main, main.search.condition().direction != 0);
}

}  // namespace zv::shell
