// Setup pages of the operation mode, the channel protocols and the scheduled timer, the pages
// not built yet, and the one place that knows which class serves which template.
#include "base/bytes.h"
#include "resources/ids/setup_channel_page_res.h"
#include "resources/ids/setup_later_pages_res.h"
#include "resources/ids/setup_lin_schedule_res.h"
#include "setup/page_models.h"
#include "resources/ids/setup_mode_page_res.h"
#include "resources/ids/setup_protocol_page_res.h"
#include "resources/ids/setup_timer_page_res.h"
#include "resources/ids/setup_transmit_page_res.h"
#include "resources/ids/string_ids.h"
#include "setup/field_text.h"
#include "setup/setup_places.h"
#include "shell/setup_pages_win.h"

namespace zv::shell {
namespace {

// A page whose fields follow in a later version: it shows nothing and stores nothing.
class EmptyPage final : public SetupPage {
public:
    using SetupPage::SetupPage;
};

// Operation mode (radio buttons 8000 = mode 0, 8004 = mode 4); the LIN schedule page sits on
// placeholder 2001 and shows for mode 4 with LIN on the transmit channel.
class ModePage final : public SetupPage {
public:
    using SetupPage::SetupPage;

    void store() override {
        places::setupIdent(context_.setup.image)[places::kOperationMode] = checked(IDC_MODE_NORMAL) ? 0 : 4;
        if (schedule_) schedule_->store();
    }
    void refresh() override {
        const bool normal = places::setupIdent(context_.setup.image)[places::kOperationMode] == 0;
        CheckRadioButton(window(), IDC_MODE_NORMAL, IDC_MODE_SCHEDULE, normal ? IDC_MODE_NORMAL : IDC_MODE_SCHEDULE);
        showSchedule();
    }

protected:
    bool onInit() override {
        refresh();
        return false;
    }
    void clicked(int id) override {
        if (id != IDC_MODE_NORMAL && id != IDC_MODE_SCHEDULE) return;
        places::setupIdent(context_.setup.image)[places::kOperationMode] = checked(IDC_MODE_NORMAL) ? 0 : 4;
        showSchedule();
    }

private:
    // Hiding it changes nothing in the setup. It is made the first time it shows: its slot
    // table is most of the cost of opening the setup window, and most setups never show it.
    void showSchedule() {
        const bool shown = linSchedulePageShown(context_.setup.image);
        if (shown && !schedule_) {
            schedule_ = makeLinSchedulePage(context_);
            if (!schedule_->create(IDD_SETUP_LIN_SCHEDULE, window(), IDC_MODE_SCHEDULE_PLACE)) schedule_.reset();
        }
        if (!schedule_) return;
        if (shown) schedule_->refresh();
        schedule_->show(shown);
    }

    std::unique_ptr<SetupPage> schedule_;
};

// Channel protocols and the transmit channel.
class ProtocolPage final : public SetupPage {
public:
    using SetupPage::SetupPage;

    void store() override {
        for (int channel = 0; channel < 2; ++channel) storeProtocol(channel);
        storeTransmit();
    }
    void refresh() override {
        uint8_t* selection = places::protocolSelection(context_.setup.image);
        for (int channel = 0; channel < 2; ++channel)
            selectCombo(kCombos[channel], protocolEntry(selection[places::kChannelProtocol[channel]], context_.linAvailable));
        selectCombo(IDC_PROTOCOL_TRANSMIT, selection[places::kTransmitChannel] != 0 ? 1 : 0);
    }

protected:
    bool onInit() override {
        for (int id : kCombos) {
            fillComboWithStrings(id, {IDS_PROTOCOL_NONE, IDS_PROTOCOL_CAN});
            if (context_.linAvailable) addComboEntry(id, text(IDS_PROTOCOL_LIN));
        }
        fillComboWithStrings(IDC_PROTOCOL_TRANSMIT, {IDS_WATCH_CHANNEL_1, IDS_WATCH_CHANNEL_2});
        refresh();
        return false;
    }
    void selectionChanged(int id) override {
        if (id == IDC_PROTOCOL_TRANSMIT) storeTransmit();
        else if (id == kCombos[0]) storeProtocol(0);
        else if (id == kCombos[1]) storeProtocol(1);
    }

private:
    static constexpr int kCombos[2] = {IDC_PROTOCOL_CHANNEL1, IDC_PROTOCOL_CHANNEL2};

    // No selection (a stored LIN on a board without LIN) leaves the value as it is.
    void storeProtocol(int channel) const {
        const int entry = comboSelection(kCombos[channel]);
        if (entry >= 0) places::protocolSelection(context_.setup.image)[places::kChannelProtocol[channel]] = static_cast<uint8_t>(entry);
    }
    void storeTransmit() const {
        const int entry = comboSelection(IDC_PROTOCOL_TRANSMIT);
        if (entry >= 0) places::protocolSelection(context_.setup.image)[places::kTransmitChannel] = static_cast<uint8_t>(entry);
    }
};

// One of the timer's two times (start or stop): day, hour, minute at OFFSET (day at + 2, hour
// at + 1, minute at + 0 of MiscSettings, from 21 or 25).
class TimerTimePage final : public SetupPage {
public:
    TimerTimePage(SetupEditorContext& context, size_t minuteOffset) : SetupPage(context), minute_(minuteOffset) {}

    void store() override {
        uint8_t* misc = places::miscSettings(context_.setup.image);
        misc[minute_ + 2] = clampTimerDay(decimalOf(IDC_TIMER_DAY));
        misc[minute_ + 1] = clampTimerHour(decimalOf(IDC_TIMER_HOUR));
        misc[minute_] = clampTimerMinute(decimalOf(IDC_TIMER_MINUTE));
    }
    void refresh() override {
        const uint8_t* misc = places::miscSettings(context_.setup.image);
        setDecimal(IDC_TIMER_DAY, misc[minute_ + 2]);
        setDecimal(IDC_TIMER_HOUR, misc[minute_ + 1]);
        setDecimal(IDC_TIMER_MINUTE, misc[minute_]);
    }
    // Day and hour follow the period code; the minute always shows.
    void showPeriod(int periodCode) const {
        for (int id : {IDC_TIMER_DAY, IDC_TIMER_DAY_LABEL}) showItem(id, timerShowsDay(periodCode));
        for (int id : {IDC_TIMER_HOUR, IDC_TIMER_HOUR_LABEL}) showItem(id, timerShowsHour(periodCode));
    }

protected:
    bool onInit() override {
        SendDlgItemMessageA(window(), IDC_TIMER_DAY, EM_LIMITTEXT, 2, 0);
        SendDlgItemMessageA(window(), IDC_TIMER_HOUR, EM_LIMITTEXT, 2, 0);
        SendDlgItemMessageA(window(), IDC_TIMER_MINUTE, EM_LIMITTEXT, 2, 0);
        return false;
    }
    // Each field stores as it is left and shows what was stored.
    void fieldLeft(int id) override {
        if (id != IDC_TIMER_DAY && id != IDC_TIMER_HOUR && id != IDC_TIMER_MINUTE) return;
        store();
        refresh();
    }

private:
    size_t minute_;
};

constexpr size_t kMiscTimerStart = 20, kMiscTimerStop = 24, kMiscTimerPeriod = 36, kMiscTimerOption = 39;

// The scheduled start / stop timer.
class TimerPage final : public SetupPage {
public:
    using SetupPage::SetupPage;

    void store() override {
        uint8_t* misc = places::miscSettings(context_.setup.image);
        misc[kMiscTimerPeriod] = timerPeriodFromEntry(comboSelection(IDC_TIMER_PERIOD));
        misc[kMiscTimerOption] = checked(IDC_TIMER_OPTION) ? 1 : 0;
        start_->store();
        stop_->store();
    }
    void refresh() override {
        const uint8_t* misc = places::miscSettings(context_.setup.image);
        selectCombo(IDC_TIMER_PERIOD, misc[kMiscTimerPeriod] <= 2 ? misc[kMiscTimerPeriod] : 0);
        setChecked(IDC_TIMER_START, misc[kMiscTimerStart] != 0);
        setChecked(IDC_TIMER_STOP, misc[kMiscTimerStop] != 0);
        setChecked(IDC_TIMER_OPTION, misc[kMiscTimerOption] != 0);
        start_->refresh();
        stop_->refresh();
        showTimes();
    }

protected:
    bool onInit() override {
        fillComboWithStrings(IDC_TIMER_PERIOD, {IDS_TIMER_PERIOD_MONTH, IDS_TIMER_PERIOD_MONTH + 1, IDS_TIMER_PERIOD_MONTH + 2});
        start_ = &addSubPage<TimerTimePage>(IDD_SETUP_TIMER_TIME, IDC_TIMER_START_PLACE, size_t{21});
        stop_ = &addSubPage<TimerTimePage>(IDD_SETUP_TIMER_TIME, IDC_TIMER_STOP_PLACE, size_t{25});
        refresh();
        return false;
    }
    void selectionChanged(int id) override {
        if (id != IDC_TIMER_PERIOD) return;
        places::miscSettings(context_.setup.image)[kMiscTimerPeriod] = timerPeriodFromEntry(comboSelection(id));
        showTimes();
    }
    void clicked(int id) override {
        uint8_t* misc = places::miscSettings(context_.setup.image);
        if (id == IDC_TIMER_START || id == IDC_TIMER_STOP) {
            // A click toggles the stored flag, whatever the box showed.
            uint8_t& flag = misc[id == IDC_TIMER_START ? kMiscTimerStart : kMiscTimerStop];
            flag = flag ? 0 : 1;
            setChecked(id, flag != 0);
            showTimes();
        } else if (id == IDC_TIMER_OPTION) {
            misc[kMiscTimerOption] = checked(id) ? 1 : 0;
        }
    }

private:
    void showTimes() const {
        const uint8_t* misc = places::miscSettings(context_.setup.image);
        start_->show(misc[kMiscTimerStart] != 0);
        stop_->show(misc[kMiscTimerStop] != 0);
        start_->showPeriod(misc[kMiscTimerPeriod]);
        stop_->showPeriod(misc[kMiscTimerPeriod]);
    }

    TimerTimePage* start_ = nullptr;
    TimerTimePage* stop_ = nullptr;
};

}  // namespace

std::unique_ptr<SetupPage> makeSetupPage(int templateId, int parameter, SetupEditorContext& context) {
    if (auto page = makeConditionPage(context, templateId)) return page;
    if (auto page = makeRecordPage(context, templateId)) return page;
    switch (templateId) {
        case IDD_SETUP_MODE: return std::make_unique<ModePage>(context);
        case IDD_SETUP_CLOCK_ONLINE: return makeClockPage(context);
        case IDD_SETUP_PROTOCOLS: return std::make_unique<ProtocolPage>(context);
        case IDD_SETUP_CHANNEL: return makeChannelPage(context, parameter);
        case IDD_SETUP_TRANSMIT_OVERVIEW: return makeTransmitOverviewPage(context);
        case IDD_SETUP_CAN_ENTRY: return makeCanEntryPage(context);
        case IDD_SETUP_LIN_ENTRY: return makeLinEntryPage(context);
        case IDD_SETUP_TIMER: return std::make_unique<TimerPage>(context);
        default: return std::make_unique<EmptyPage>(context);
    }
}

}  // namespace zv::shell
