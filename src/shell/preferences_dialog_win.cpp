// Command 2019: the preferences dialog. It edits copies of the settings on five pages; OK
// writes them to profile.ini, makes them the program's settings and hands the connection to
// the session again. A profile.ini that cannot be written is reported and the dialog stays
// open with the edits: the settings are taken only once they are saved. Cancel leaves
// everything as it was.
#include <array>

#include "main_window_win.h"
#include "resources/ids/command_ids.h"
#include "resources/ids/preferences_dialog_res.h"
#include "resources/ids/string_ids.h"
#include "resources/ids/buffer_page_res.h"
#include "resources/ids/connection_page_res.h"
#include "resources/ids/model_page_res.h"
#include "resources/ids/screenshot_page_res.h"
#include "resources/ids/sync_page_res.h"
#include "shell/preferences_pages_win.h"
#include "shell/profile_store_win.h"

namespace zv::shell {
namespace {

class PreferencesDialog final : public Dialog {
public:
    PreferencesDialog(MainWindow& main, const AppSettings& edit)
        : main_(main),
          edit_(edit),
          connection_(main, edit_, [this](uint32_t method) { model_.methodChanged(method); }),
          model_(main, edit_),
          buffer_(main, edit_),
          screenshot_(main, edit_),
          sync_(main, edit_) {}

protected:
    bool onInit() override;
    bool onCommand(int id, int code, HWND control) override;
    bool onNotify(const NMHDR& header, LRESULT& result) override;

private:
    struct Tab {
        UINT label;
        int templateId;
        PreferencesPage* page;
    };

    void showPage(int index);
    // False when profile.ini could not be written; nothing is taken then.
    bool accept();

    MainWindow& main_;
    AppSettings edit_;
    ConnectionPage connection_;
    ModelPage model_;
    BufferPage buffer_;
    ScreenshotPage screenshot_;
    SyncPage sync_;
    std::array<Tab, 5> tabs_{{
        {IDS_PREF_TAB_CONNECTION, IDD_PREF_CONNECTION, &connection_},
        {IDS_PREF_TAB_MODEL, IDD_PREF_MODEL, &model_},
        {IDS_PREF_TAB_BUFFER, IDD_PREF_BUFFER, &buffer_},
        {IDS_PREF_TAB_SCREENSHOT, IDD_PREF_SCREENSHOT, &screenshot_},
        {IDS_PREF_TAB_SYNCHRONISATION, IDD_PREF_SYNC, &sync_},
    }};
};

bool PreferencesDialog::onInit() {
    HWND tabControl = item(IDC_PREF_TABS);
    for (size_t i = 0; i < tabs_.size(); ++i) {
        std::string label = loadText(main_, tabs_[i].label);
        TCITEMA tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = label.data();
        SendMessageA(tabControl, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&tab));
    }
    // The pages cover the tab control's display area, above it in the z-order.
    RECT area{};
    GetWindowRect(tabControl, &area);
    MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&area), 2);
    SendMessageA(tabControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (Tab& tab : tabs_) {
        HWND page = tab.page->createPage(main_.modules.language, tab.templateId, window());
        if (!page) continue;
        SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOACTIVATE);
    }
    SendMessageA(tabControl, TCM_SETCURSEL, 0, 0);
    showPage(0);
    // The shown page has the focus already.
    return false;
}

void PreferencesDialog::showPage(int index) {
    for (const Tab& tab : tabs_)
        if (tab.page->window()) ShowWindow(tab.page->window(), SW_HIDE);
    if (index < 0 || index >= static_cast<int>(tabs_.size())) return;
    PreferencesPage* page = tabs_[static_cast<size_t>(index)].page;
    if (!page->window()) return;
    if (page == &connection_) connection_.showRows();
    ShowWindow(page->window(), SW_SHOW);
    SetFocus(page->window());
}

bool PreferencesDialog::onNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom != IDC_PREF_TABS || header.code != TCN_SELCHANGE) return false;
    showPage(static_cast<int>(SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
    result = 0;
    return true;
}

bool PreferencesDialog::onCommand(int id, int, HWND) {
    if (id == IDCANCEL) {
        end(IDCANCEL);
        return true;
    }
    if (id != IDOK) return false;
    if (connection_.window() && connection_.hostMissing()) {
        // The adapter cannot be reached without a host; the user fixes it and tries again.
        MessageBoxA(window(), loadText(main_, IDS_HOST_MISSING).c_str(), loadText(main_, IDS_PREF_ERROR_CAPTION).c_str(),
                    MB_OK | MB_ICONERROR);
        // Straight to the empty field.
        SendDlgItemMessageA(window(), IDC_PREF_TABS, TCM_SETCURSEL, 0, 0);
        showPage(0);
        SetFocus(connection_.item(IDC_CONN_HOST));
        return true;
    }
    if (accept()) end(IDOK);
    return true;
}

bool PreferencesDialog::accept() {
    for (const Tab& tab : tabs_)
        if (tab.page->window()) tab.page->gather();

    PrivateProfileStore store(main_.folders.profile);
    if (!saveConfiguration(store, edit_)) {
        // Settings the program used now but forgot at the next start would only look kept.
        MessageBoxA(window(), formatTextWith(main_, IDS_PROFILE_NOT_SAVED_TEXT_FMT, store.path()).c_str(),
                    loadText(main_, IDS_FILE_ERROR_CAPTION).c_str(), MB_OK | MB_ICONERROR);
        return false;
    }

    takeSettings(main_, edit_);
    if (main_.session) main_.session->applySettings();
    return true;
}

}  // namespace

void preferencesCommand(MainWindow& main) {
    // The active records, then what profile.ini holds now.
    AppSettings edit;
    edit.connection = main.connection;
    edit.model = {main.model.boardType.load(), main.model.exBoardCode.load()};
    edit.buffer = main.buffer;
    edit.screenshotFolder = main.screenshotFolder;
    edit.sync = main.sync;
    {
        const PrivateProfileStore store(main.folders.profile);
        readConfiguration(store, main.folders, edit);
    }
    PreferencesDialog dialog(main, edit);
    ModalScope modal(main);
    dialog.runModal(main.modules.language, IDD_PREFERENCES, main.window);
    // The status bar names the analyzer the program now assumes.
    InvalidateRect(main.window, nullptr, TRUE);
    showModelText(main);
}

}  // namespace zv::shell
