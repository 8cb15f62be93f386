// What the setup editor's scenarios share: the window opened and closed, its tree, the controls
// of the page in view, boxes besides the window.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <string>
#include <vector>

#include "measurement_fixture_win.h"

namespace zvui {

constexpr const char* kSetupCaption = "Setup";
constexpr int kSetupTree = 2043;
constexpr int kSetupToolbar = 2006;
constexpr int kSetupSyncBox = 2290;
constexpr int kSetupBoardText = 2030;

double msSince(std::chrono::steady_clock::time_point start);

class SetupEditor : public MeasurementFixture {
protected:
    // Opens the window with command 2012; null when it does not come up.
    HWND openEditor();
    bool closeEditor();
    std::vector<HTREEITEM> treeItems() const;
    // Selects the item of KEY as a click would; its page has been refreshed on return.
    bool selectPage(uint32_t key);
    // The visible control ID of the open window (the page in view and its sub-pages), waiting
    // up to 5 s for it to show; visibleNow does not wait.
    HWND field(int id) const;
    HWND visibleNow(int id) const;
    // The caption of the page in view (the name its template carries).
    std::string pageCaption() const;
    bool typeHexBytes(HWND control, const std::vector<uint8_t>& bytes);
    int setupButtonState(int command) const;
    std::string profileValue(const char* section, const char* key) const;
    // A message box (not the setup window, nor BESIDES) with CAPTION; an empty one when none
    // comes within 10 s.
    MessageBoxInfo waitForBox(const std::string& caption, HWND besides = nullptr) const;
    void snap(const std::string& name) const;

    HWND editor_ = nullptr;
};

}  // namespace zvui
