// The analyzer clock page while connected: the PC's time, refreshed ten times a second, and
// two ways to set the analyzer's clock: to the date and time entered, or to the PC's time.
#include <cstring>

#include "resources/ids/setup_clock_online_res.h"
#include "shell/main_window_win.h"
#include "shell/setup_pages_win.h"
#include "setup/page_models.h"

namespace zv::shell {
namespace {

constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockTimerMs = 100;
constexpr UINT kClockInvalidText = 9021;
constexpr UINT kClockCaption = 12051;

ClockTime localTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    ClockTime t;
    t.year = now.wYear;
    t.month = now.wMonth;
    t.dayOfWeek = now.wDayOfWeek;
    t.day = now.wDay;
    t.hour = now.wHour;
    t.minute = now.wMinute;
    t.second = now.wSecond;
    t.milliseconds = now.wMilliseconds;
    return t;
}

class ClockPage final : public SetupPage {
public:
    using SetupPage::SetupPage;

protected:
    bool onInit() override {
        SendDlgItemMessageA(window(), IDC_CLOCK_YEAR, EM_LIMITTEXT, 4, 0);
        for (int id = IDC_CLOCK_MONTH; id <= IDC_CLOCK_SECOND; ++id) SendDlgItemMessageA(window(), id, EM_LIMITTEXT, 2, 0);
        showPcTime();
        SetTimer(window(), kClockTimer, kClockTimerMs, nullptr);
        return false;
    }
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        if (message == WM_TIMER && wParam == kClockTimer) {
            showPcTime();
            result = TRUE;
            return true;
        }
        if (message == WM_DESTROY) KillTimer(window(), kClockTimer);
        return SetupPage::onMessage(message, wParam, lParam, result);
    }
    void clicked(int id) override {
        if (id == IDC_CLOCK_SET_PC_TIME) {
            setClock(localTime());
        } else if (id == IDC_CLOCK_SET) {
            const ClockCheck check = checkClockEntry({itemText(IDC_CLOCK_YEAR), itemText(IDC_CLOCK_MONTH),
                                                      itemText(IDC_CLOCK_DAY), itemText(IDC_CLOCK_HOUR),
                                                      itemText(IDC_CLOCK_MINUTE), itemText(IDC_CLOCK_SECOND)});
            if (check.failed != ClockField::None) {
                MessageBoxA(GetAncestor(window(), GA_ROOT), text(kClockInvalidText).c_str(), text(kClockCaption).c_str(),
                            MB_OK | MB_ICONWARNING);
                SetFocus(item(IDC_CLOCK_YEAR));
                return;
            }
            ClockTime t;
            static_assert(sizeof t == sizeof check.record);
            std::memcpy(&t, check.record.data(), sizeof t);
            setClock(t);
        }
    }

private:
    void showPcTime() const {
        const std::array<std::string, 6> texts = clockDisplayTexts(localTime());
        for (int i = 0; i < 6; ++i) {
            if (itemText(IDC_CLOCK_PC_YEAR + i) != texts[static_cast<size_t>(i)])
                setItemText(IDC_CLOCK_PC_YEAR + i, texts[static_cast<size_t>(i)]);
        }
    }
    void setClock(const ClockTime& time) const {
        if (context_.main.session) context_.main.session->setClock(time);
    }
};

}  // namespace

std::unique_ptr<SetupPage> makeClockPage(SetupEditorContext& context) { return std::make_unique<ClockPage>(context); }

}  // namespace zv::shell
