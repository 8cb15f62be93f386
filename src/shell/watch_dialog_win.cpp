// Command 40020: the watch data dialog. It shows the entries of profile.ini, edits a working
// copy of them and, on OK, hands the boxes' texts to the watch list, which writes them to
// profile.ini and takes them as the live entries. A profile.ini that cannot be written is
// reported, and the dialog stays open with the entries unchanged.
#include <array>

#include <windows.h>

#include <commctrl.h>

#include "capture/watch_edit.h"
#include "dialog_win.h"
#include "main_window_win.h"
#include "resources/ids/string_ids.h"
#include "resources/ids/watch_dialog_res.h"
#include "shell/profile_store_win.h"

namespace zv::shell {
namespace {

constexpr std::array<int, kWatchEntryCount> kChannelIds = {
    IDC_WATCH_CHANNEL_0,  IDC_WATCH_CHANNEL_1,  IDC_WATCH_CHANNEL_2,  IDC_WATCH_CHANNEL_3,
    IDC_WATCH_CHANNEL_4,  IDC_WATCH_CHANNEL_5,  IDC_WATCH_CHANNEL_6,  IDC_WATCH_CHANNEL_7,
    IDC_WATCH_CHANNEL_8,  IDC_WATCH_CHANNEL_9,  IDC_WATCH_CHANNEL_10, IDC_WATCH_CHANNEL_11,
    IDC_WATCH_CHANNEL_12, IDC_WATCH_CHANNEL_13, IDC_WATCH_CHANNEL_14, IDC_WATCH_CHANNEL_15,
};
constexpr std::array<int, kWatchEntryCount> kFrameTypeIds = {
    IDC_WATCH_FRAME_TYPE_0,  IDC_WATCH_FRAME_TYPE_1,  IDC_WATCH_FRAME_TYPE_2,  IDC_WATCH_FRAME_TYPE_3,
    IDC_WATCH_FRAME_TYPE_4,  IDC_WATCH_FRAME_TYPE_5,  IDC_WATCH_FRAME_TYPE_6,  IDC_WATCH_FRAME_TYPE_7,
    IDC_WATCH_FRAME_TYPE_8,  IDC_WATCH_FRAME_TYPE_9,  IDC_WATCH_FRAME_TYPE_10, IDC_WATCH_FRAME_TYPE_11,
    IDC_WATCH_FRAME_TYPE_12, IDC_WATCH_FRAME_TYPE_13, IDC_WATCH_FRAME_TYPE_14, IDC_WATCH_FRAME_TYPE_15,
};
constexpr std::array<int, kWatchEntryCount> kIdentifierIds = {
    IDC_WATCH_IDENTIFIER_0,  IDC_WATCH_IDENTIFIER_1,  IDC_WATCH_IDENTIFIER_2,  IDC_WATCH_IDENTIFIER_3,
    IDC_WATCH_IDENTIFIER_4,  IDC_WATCH_IDENTIFIER_5,  IDC_WATCH_IDENTIFIER_6,  IDC_WATCH_IDENTIFIER_7,
    IDC_WATCH_IDENTIFIER_8,  IDC_WATCH_IDENTIFIER_9,  IDC_WATCH_IDENTIFIER_10, IDC_WATCH_IDENTIFIER_11,
    IDC_WATCH_IDENTIFIER_12, IDC_WATCH_IDENTIFIER_13, IDC_WATCH_IDENTIFIER_14, IDC_WATCH_IDENTIFIER_15,
};

// The entry a control belongs to, or -1.
int entryOf(const std::array<int, kWatchEntryCount>& ids, int id) {
    for (int n = 0; n < kWatchEntryCount; ++n) {
        if (ids[static_cast<size_t>(n)] == id) return n;
    }
    return -1;
}

constexpr UINT_PTR kIdentifierBoxSubclass = 1;

// The identifier boxes take typed hexadecimal digits only (letters upper case), never a
// paste (Ctrl+V, Shift+Insert or any other route to WM_PASTE), and show no context menu.
LRESULT CALLBACK identifierBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR) {
    switch (message) {
        case WM_CHAR: {
            // Characters past ASCII are never digits, whatever the code page or the width of
            // the message makes of them.
            const char key = wParam < 0x80 ? watchIdentifierKey(static_cast<char>(wParam)) : 0;
            if (key == 0) {
                MessageBeep(MB_OK);
                return 0;
            }
            wParam = static_cast<unsigned char>(key);
            break;
        }
        case WM_KEYDOWN:
            // Shift+Insert pastes without going through WM_PASTE in some edit controls.
            if (wParam == VK_INSERT && GetKeyState(VK_SHIFT) < 0) return 0;
            break;
        case WM_PASTE:
        case WM_CONTEXTMENU:
            return 0;
        case WM_NCDESTROY:
            RemoveWindowSubclass(box, identifierBoxProcedure, kIdentifierBoxSubclass);
            break;
        default:
            break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

class WatchDialog final : public Dialog {
public:
    WatchDialog(MainWindow& main, const std::array<WatchEntry, kWatchEntryCount>& live)
        : main_(main), working_(live) {}

protected:
    bool onInit() override {
        const std::string channel1 = loadText(main_, IDS_WATCH_CHANNEL_1);
        const std::string channel2 = loadText(main_, IDS_WATCH_CHANNEL_2);
        const std::string standard = loadText(main_, IDS_WATCH_STANDARD);
        const std::string extended = loadText(main_, IDS_WATCH_EXTENDED);
        for (int n = 0; n < kWatchEntryCount; ++n) {
            const auto i = static_cast<size_t>(n);
            const WatchEntry& e = working_.entry(n);
            fillCombo(kChannelIds[i], {channel1, channel2});
            selectCombo(kChannelIds[i], e.channel == 2 ? 1 : 0);
            fillCombo(kFrameTypeIds[i], {standard, extended});
            selectCombo(kFrameTypeIds[i], e.frameType == 1 ? 1 : 0);
            HWND box = item(kIdentifierIds[i]);
            SetWindowSubclass(box, identifierBoxProcedure, kIdentifierBoxSubclass, 0);
            SendMessageA(box, EM_LIMITTEXT, static_cast<WPARAM>(working_.identifierLimit(n)), 0);
            setItemText(kIdentifierIds[i], working_.identifierText(n));
        }
        return true;
    }

    bool onCommand(int id, int code, HWND control) override {
        if (id == IDOK) {
            accept();
            return true;
        }
        if (id == IDCANCEL) return Dialog::onCommand(id, code, control);
        if (const int n = entryOf(kIdentifierIds, id); n >= 0 && code == EN_KILLFOCUS) {
            leaveIdentifier(n);
            return true;
        }
        if (const int n = entryOf(kFrameTypeIds, id); n >= 0 && code == CBN_SELCHANGE) {
            changeFrameType(n);
            return true;
        }
        return false;
    }

private:
    void showIdentifier(int n, const std::string& shown) {
        const int id = kIdentifierIds[static_cast<size_t>(n)];
        if (itemText(id) != shown) setItemText(id, shown);
    }

    void leaveIdentifier(int n) {
        showIdentifier(n, working_.leaveIdentifier(n, itemText(kIdentifierIds[static_cast<size_t>(n)])));
    }

    void changeFrameType(int n) {
        const auto i = static_cast<size_t>(n);
        const uint8_t frameType = comboSelection(kFrameTypeIds[i]) == 1 ? 1 : 0;
        const std::string shown = working_.changeFrameType(n, frameType, itemText(kIdentifierIds[i]));
        SendMessageA(item(kIdentifierIds[i]), EM_LIMITTEXT, static_cast<WPARAM>(working_.identifierLimit(n)), 0);
        showIdentifier(n, shown);
    }

    void accept() {
        // OK by the Enter key leaves the focus where it is: the box being typed in is read
        // and clamped as if it had been left, as a click on OK would have done.
        const int focused = entryOf(kIdentifierIds, GetDlgCtrlID(GetFocus()));
        if (focused >= 0 && GetParent(GetFocus()) == window()) leaveIdentifier(focused);

        std::array<WatchEntryText, kWatchEntryCount> texts;
        for (size_t i = 0; i < texts.size(); ++i) {
            texts[i].channel = comboSelection(kChannelIds[i]) == 1 ? 2 : 1;
            texts[i].frameType = comboSelection(kFrameTypeIds[i]) == 1 ? 1 : 0;
            texts[i].identifier = itemText(kIdentifierIds[i]);
        }
        PrivateProfileStore store(main_.folders.profile);
        if (!main_.watchList.applyDialog(texts, store)) {
            MessageBoxA(window(), formatTextWith(main_, IDS_PROFILE_NOT_SAVED_TEXT_FMT, store.path()).c_str(),
                        loadText(main_, IDS_FILE_ERROR_CAPTION).c_str(), MB_OK | MB_ICONERROR);
            return;
        }
        end(IDOK);
    }

    MainWindow& main_;
    WatchDialogEntries working_;
};

}  // namespace

void watchSettingsCommand(MainWindow& main) {
    // The dialog opens on what profile.ini holds now, not on what was read at start.
    const PrivateProfileStore store(main.folders.profile);
    main.watchList.loadWatchTable(store);
    WatchDialog dialog(main, main.watchList.entries());
    ModalScope modal(main);
    dialog.runModal(main.modules.language, IDD_WATCH_DATA, main.window);
}

}  // namespace zv::shell
