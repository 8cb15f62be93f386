#include "setup_editor_fixture_win.h"

#include "dialog_read_win.h"
#include "remote_buffer_win.h"
#include "setup/setup_page_table.h"
#include "ui_driver_win.h"

namespace zvui {
namespace {

constexpr unsigned kHexSetBytes = 0x403;

struct FoundControl {
    int id;
    HWND found;
};

BOOL CALLBACK findVisible(HWND window, LPARAM context) {
    auto* f = reinterpret_cast<FoundControl*>(context);
    if (GetDlgCtrlID(window) != f->id || !IsWindowVisible(window)) return TRUE;
    f->found = window;
    return FALSE;
}

// Pre-order: the tree's items in the order of the page table.
void collectItems(HWND tree, HTREEITEM item, std::vector<HTREEITEM>& items) {
    for (; item; item = reinterpret_cast<HTREEITEM>(sendTo(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        items.push_back(item);
        collectItems(tree, reinterpret_cast<HTREEITEM>(sendTo(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))),
                     items);
    }
}

}  // namespace

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

HWND SetupEditor::openEditor() {
    postCommand(mainWindow_, 2012);
    editor_ = waitForDialog(program_.processId(), kSetupCaption, 20000);
    return editor_;
}

bool SetupEditor::closeEditor() {
    pressDialogButton(editor_, 2);
    return waitFor([&] { return !dialogOpen(program_.processId(), kSetupCaption); }, 20000);
}

std::vector<HTREEITEM> SetupEditor::treeItems() const {
    HWND tree = dialogControl(editor_, kSetupTree);
    std::vector<HTREEITEM> items;
    collectItems(tree, reinterpret_cast<HTREEITEM>(sendTo(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), items);
    return items;
}

bool SetupEditor::selectPage(uint32_t key) {
    const auto table = zv::setupPageItems();
    const std::vector<HTREEITEM> items = treeItems();
    for (size_t i = 0; i < table.size() && i < items.size(); ++i) {
        if (table[i].key != key) continue;
        return sendTo(dialogControl(editor_, kSetupTree), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[i])) != -1;
    }
    return false;
}

HWND SetupEditor::field(int id) const {
    HWND found = nullptr;
    waitFor([&] { return (found = visibleNow(id)) != nullptr; }, 5000);
    return found;
}

HWND SetupEditor::visibleNow(int id) const {
    FoundControl f{id, nullptr};
    EnumChildWindows(editor_, findVisible, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

std::string SetupEditor::pageCaption() const {
    HWND tree = dialogControl(editor_, kSetupTree);
    for (HWND child = GetWindow(GetParent(tree), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && className(child) == "#32770") return windowText(child);
    return {};
}

bool SetupEditor::typeHexBytes(HWND control, const std::vector<uint8_t>& bytes) {
    RemoteBuffer buffer(control, 16);
    return buffer.valid() && buffer.write(0, bytes.data(), bytes.size()) &&
           sendTo(control, kHexSetBytes, bytes.size(), reinterpret_cast<LPARAM>(buffer.address())) == TRUE;
}

int SetupEditor::setupButtonState(int command) const {
    return toolbarButtonState(dialogControl(editor_, kSetupToolbar), command);
}

std::string SetupEditor::profileValue(const char* section, const char* key) const {
    char value[256] = {};
    GetPrivateProfileStringA(section, key, "", value, sizeof value, (sandbox_->dataFolder() + "\\profile.ini").c_str());
    return value;
}

MessageBoxInfo SetupEditor::waitForBox(const std::string& caption, HWND besides) const {
    MessageBoxInfo box;
    waitFor([&] {
        for (const MessageBoxInfo& b : messageBoxesOf(program_.processId())) {
            if (b.window != editor_ && b.window != besides && b.caption == caption) box = b;
        }
        return box.window != nullptr;
    }, 10000);
    return box;
}

void SetupEditor::snap(const std::string& name) const { saveScreenshot(editor_, screenshotPath("setup-" + name)); }

}  // namespace zvui
