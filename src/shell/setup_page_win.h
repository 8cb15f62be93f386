// The setup editor's pages: what every page and sub-page shares. A page is a child dialog of
// the language library that edits part of the working setup; it answers two messages:
// kPageStore (copy the controls into the working setup) and kPageRefresh (show the working
// setup). Sub-pages are pages of their page, laid onto one of its placeholder controls.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/board_type.h"
#include "setup/setup_areas.h"
#include "shell/dialog_win.h"

namespace zv::shell {

struct MainWindow;

constexpr UINT kPageStore = 32871;
constexpr UINT kPageRefresh = 32874;

// What the pages work on, shared by the setup window, its frame and every page.
struct SetupEditorContext {
    MainWindow& main;
    SetupWorkspace& setup;   // the working copies
    BoardType boardType = 0;
    bool linAvailable = false;
    uint32_t linBitRateMinimum = 4000;
    int transmitIndex = 0;   // the transmit entry of the current tree item, 0..15
    uint32_t currentKey = 0; // the key of the current tree item (the condition entry it opens)
    std::string remoteModel; // "model" of [remote]: labels and limits that follow the model
};

class SetupPage : public Dialog {
public:
    explicit SetupPage(SetupEditorContext& context) : context_(context) {}

    // Creates the page from the language library as a child of PARENT, laid onto the
    // placeholder PLACE of PARENT (or at 0,0 when PLACE is 0) and placed behind it in the
    // z-order, hidden. Null when the template is missing.
    HWND create(int templateId, HWND parent, int place);
    void show(bool visible) const;
    bool visible() const;

    // The page protocol; both also reach the page as kPageStore / kPageRefresh.
    virtual void store() {}
    virtual void refresh() {}

protected:
    // Notifications of the page's controls, already told apart.
    virtual void selectionChanged(int) {}  // CBN_SELCHANGE
    virtual void editChanged(int) {}       // CBN_EDITCHANGE of an editable combo box
    virtual void fieldLeft(int) {}         // EN_KILLFOCUS, CBN_KILLFOCUS, NM_KILLFOCUS
    virtual void clicked(int) {}           // BN_CLICKED

    bool onCommand(int id, int code, HWND control) override;
    bool onNotify(const NMHDR& header, LRESULT& result) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    // Creates a sub-page on placeholder PLACE of this page and keeps it.
    template <typename Page, typename... Args>
    Page& addSubPage(int templateId, int place, Args&&... args) {
        auto page = std::make_unique<Page>(context_, std::forward<Args>(args)...);
        Page& ref = *page;
        ref.create(templateId, window(), place);
        subPages_.push_back(std::move(page));
        return ref;
    }

    std::string text(UINT id) const;
    void fillComboWithStrings(int id, std::initializer_list<UINT> strings) const;
    // An edit or combo box's number as the page reads it (0 when it holds none).
    long decimalOf(int id) const;
    long hexadecimalOf(int id) const;
    void setDecimal(int id, int64_t value) const;
    // Hexadecimal input controls of the control library.
    void configureHexInput(int id, int kind) const;
    int hexBytes(int id, uint8_t* bytes, int capacity) const;
    void setHexBytes(int id, const uint8_t* bytes, int count) const;
    void hexPair(int id, uint8_t& first, uint8_t& second) const;
    void setHexPair(int id, uint8_t first, uint8_t second) const;
    // The typing filter of the hexadecimal identifier edits.
    void filterHexadecimal(int id) const;

    SetupEditorContext& context_;

private:
    std::vector<std::unique_ptr<SetupPage>> subPages_;
};

// The page of template TEMPLATE_ID with creation parameter PARAMETER (the channel of the
// channel page); a page without fields for templates whose fields are not built yet.
std::unique_ptr<SetupPage> makeSetupPage(int templateId, int parameter, SetupEditorContext& context);

}  // namespace zv::shell
