// The setup editor's page frame (template 0x193): the tree of page captions and, beside it,
// the page of the selected item. Pages are created the first time an item needs them; one
// page may serve several items (the four conditions, the sixteen transmit entries).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>
#include <vector>

#include "setup/setup_page_table.h"
#include "shell/dialog_win.h"
#include "shell/setup_page_win.h"

namespace zv::shell {

class SetupFrame final : public Dialog {
public:
    SetupFrame(SetupEditorContext& context, bool connected) : context_(context), connected_(connected) {}

    // Creates the frame on placeholder PLACE of the setup window and shows the first page.
    HWND create(HWND setupWindow, int place);

    // The key of the current item, -1 when it has no page.
    int32_t currentKey() const { return currentKey_; }
    SetupPage* currentPage() const { return current_ < entries_.size() ? entries_[current_].page : nullptr; }
    // The page protocol towards the current page.
    void storeCurrent() const;
    void postRefreshCurrent() const;
    // Selects the tree item of KEY (as a click on it would); false when there is none.
    bool selectKey(uint32_t key);
    // The connection ended: the clock item shows its offline page from now on.
    void connectionEnded();

protected:
    bool onInit() override;
    bool onCommand(int id, int code, HWND control) override;
    bool onNotify(const NMHDR& header, LRESULT& result) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    struct Entry {
        SetupPageItem item;
        HTREEITEM treeItem = nullptr;
        SetupPage* page = nullptr;  // for items that choose, the page chosen last
    };

    void fillTree();
    void select(size_t entry);
    PageChoice choice() const;
    SetupPage* pageFor(const PageTemplate& page);

    SetupEditorContext& context_;
    bool connected_;
    std::vector<Entry> entries_;
    std::map<std::pair<int, int>, std::unique_ptr<SetupPage>> pages_;
    size_t current_ = 0;
    int32_t currentKey_ = static_cast<int32_t>(kKeyOperationMode);
    bool filling_ = false;
};

}  // namespace zv::shell
