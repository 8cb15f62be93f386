#include "main_window_layout.h"

namespace zv::shell {
namespace {

constexpr int kToolbarHeight = 27;
constexpr int kTabHeaderHeight = 20;
constexpr int kReservedWithoutStatusBar = 46;

int atLeastZero(int value) { return value < 0 ? 0 : value; }

}  // namespace

MainWindowLayout layoutMainWindow(int clientWidth, int clientHeight, int statusBarHeight) {
    const int reserved = statusBarHeight < 0 ? kReservedWithoutStatusBar : statusBarHeight + kToolbarHeight;
    MainWindowLayout layout;
    layout.tabs = {0, kToolbarHeight, atLeastZero(clientWidth), atLeastZero(clientHeight - reserved)};
    layout.lists = {0, kToolbarHeight + kTabHeaderHeight, atLeastZero(clientWidth),
                    atLeastZero(clientHeight - reserved - kTabHeaderHeight)};
    return layout;
}

}  // namespace zv::shell
