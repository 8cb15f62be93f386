// Where WM_SIZE puts the main window's children below the toolbar and above the status bar.
#pragma once

namespace zv::shell {

struct ChildRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const ChildRect&) const = default;
};

struct MainWindowLayout {
    ChildRect tabs;
    ChildRect lists;  // both lists share it; one is shown at a time
};

// statusBarHeight < 0 when the status bar's rectangle could not be read.
MainWindowLayout layoutMainWindow(int clientWidth, int clientHeight, int statusBarHeight);

}  // namespace zv::shell
