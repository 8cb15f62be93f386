#include "shell/setup_frame_win.h"

#include "resources/ids/setup_window_res.h"
#include "setup/setup_places.h"
#include "shell/main_window_win.h"

namespace zv::shell {
namespace {

constexpr UINT kHintColourMessage = 0x400;
constexpr WPARAM kHintColourCode = 194;

}  // namespace

HWND SetupFrame::create(HWND setupWindow, int place) {
    HWND frame = createPage(context_.main.modules.language, IDD_SETUP_FRAME, setupWindow);
    if (!frame) return nullptr;
    if (HWND placeholder = GetDlgItem(setupWindow, place)) {
        RECT r{};
        GetWindowRect(placeholder, &r);
        MapWindowPoints(nullptr, setupWindow, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(frame, placeholder, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ShowWindow(frame, SW_SHOW);
    return frame;
}

bool SetupFrame::onInit() {
    SendDlgItemMessageA(window(), IDC_FRAME_HINT, kHintColourMessage, kHintColourCode, static_cast<LPARAM>(GetSysColor(COLOR_GRAYTEXT)));
    fillTree();
    // The first item is current from the start; its page shows at once.
    current_ = 0;
    if (!entries_.empty()) {
        currentKey_ = static_cast<int32_t>(entries_[0].item.key);
        context_.currentKey = entries_[0].item.key;
        filling_ = true;
        TreeView_SelectItem(item(IDC_FRAME_TREE), entries_[0].treeItem);
        filling_ = false;
        if (SetupPage* page = pageFor(pageTemplateFor(entries_[0].item.key, choice()))) {
            entries_[0].page = page;
            page->refresh();
            page->show(true);
        }
    }
    return false;  // the setup window sets the focus
}

void SetupFrame::fillTree() {
    HWND tree = item(IDC_FRAME_TREE);
    filling_ = true;
    TreeView_DeleteAllItems(tree);
    entries_.clear();
    // The most recent item of each depth: a new item goes below the one a level up.
    HTREEITEM parents[4] = {TVI_ROOT, nullptr, nullptr, nullptr};
    size_t openAt[4] = {0, 0, 0, 0};
    const auto items = setupPageItems();
    for (size_t i = 0; i < items.size(); ++i) {
        const int depth = std::clamp(itemDepth(items[i]), 1, 3);
        char caption[65] = {};
        LoadStringA(context_.main.modules.language, items[i].key, caption, sizeof caption);
        TVINSERTSTRUCTA insert{};
        insert.hParent = parents[depth - 1] ? parents[depth - 1] : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = caption;
        insert.item.lParam = static_cast<LPARAM>(i);
        HTREEITEM handle = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        entries_.push_back({items[i], handle, nullptr});
        parents[depth] = depth < 3 ? handle : nullptr;
        openAt[depth] = i;
        // Closing levels: expand the items whose level ends here, if they start expanded.
        const int nextDepth = i + 1 < items.size() ? std::clamp(itemDepth(items[i + 1]), 1, 3) : 1;
        for (int d = depth; d > nextDepth; --d) {
            const size_t parent = openAt[d - 1];
            if (d - 1 >= 1 && itemExpanded(items[parent])) TreeView_Expand(tree, entries_[parent].treeItem, TVE_EXPAND);
        }
    }
    filling_ = false;
}

PageChoice SetupFrame::choice() const {
    return {places::transmitIsLin(context_.setup.image), connected_, context_.boardType};
}

SetupPage* SetupFrame::pageFor(const PageTemplate& page) {
    if (page.templateId == 0) return nullptr;
    const auto key = std::make_pair(page.templateId, page.parameter);
    if (auto found = pages_.find(key); found != pages_.end()) return found->second.get();
    std::unique_ptr<SetupPage> created = makeSetupPage(page.templateId, page.parameter, context_);
    if (!created || !created->create(page.templateId, window(), IDC_FRAME_PAGE_PLACE)) return nullptr;
    return pages_.emplace(key, std::move(created)).first->second.get();
}

void SetupFrame::select(size_t index) {
    if (index >= entries_.size()) return;
    if (SetupPage* leaving = currentPage()) {
        leaving->store();
        leaving->show(false);
    }
    current_ = index;
    Entry& entry = entries_[index];
    // Chosen now, after the page left has stored: a protocol changed there counts.
    entry.page = pageFor(pageTemplateFor(entry.item.key, choice()));
    currentKey_ = entry.page ? static_cast<int32_t>(entry.item.key) : -1;
    if (!entry.page) return;
    context_.transmitIndex = transmitIndexOfKey(entry.item.key);
    context_.currentKey = entry.item.key;
    // Refreshed before it shows, so that it never shows the values of the entry before.
    entry.page->refresh();
    entry.page->show(true);
}

bool SetupFrame::selectKey(uint32_t key) {
    for (const Entry& entry : entries_) {
        if (entry.item.key == key) return TreeView_SelectItem(item(IDC_FRAME_TREE), entry.treeItem) != FALSE;
    }
    return false;
}

void SetupFrame::storeCurrent() const {
    if (SetupPage* page = currentPage()) page->store();
}

void SetupFrame::postRefreshCurrent() const {
    if (SetupPage* page = currentPage()) PostMessageA(page->window(), kPageRefresh, 0, 0);
}

void SetupFrame::connectionEnded() {
    connected_ = false;
    if (current_ >= entries_.size() || entries_[current_].item.key != kKeyClock) return;
    // The clock item is showing: its online page gives way to the offline one.
    SetupPage* online = entries_[current_].page;
    SetupPage* offline = pageFor(pageTemplateFor(kKeyClock, choice()));
    if (online == offline) return;
    if (online) online->show(false);
    entries_[current_].page = offline;
    if (offline) offline->show(true);
}

bool SetupFrame::onCommand(int id, int, HWND control) {
    // Enter and Escape in the tree: the setup window's Close.
    if (!control && id == IDCANCEL) {
        PostMessageA(GetParent(window()), WM_COMMAND, IDCANCEL, 0);
        return true;
    }
    return !control && id == IDOK;
}

bool SetupFrame::onNotify(const NMHDR& header, LRESULT&) {
    if (header.idFrom != IDC_FRAME_TREE || header.code != TVN_SELCHANGEDA || filling_) return false;
    const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
    if (!change.itemNew.hItem) return false;
    select(static_cast<size_t>(change.itemNew.lParam));
    return true;
}

bool SetupFrame::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message != WM_CTLCOLORSTATIC || GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_FRAME_HINT) return false;
    const auto dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

}  // namespace zv::shell
