// The channel pages: one per channel, holding the CAN sub-page (bit rate, bit timing, value
// pairs) or the LIN sub-page (bit rate, time-out or identifier table) by the channel's
// protocol. Every text-to-value rule is field_text's; the pages only move values.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "base/bytes.h"
#include "resources/ids/setup_channel_page_res.h"
#include "resources/ids/string_ids.h"
#include "setup/field_text.h"
#include "setup/setup_places.h"
#include "setup/setup_rules.h"
#include "shell/setup_pages_win.h"
#include "zvlkctrl/core/control_messages.h"

namespace zv::shell {
namespace {

// Fields of a CanChannel record.
constexpr size_t kBitRateCode = 4, kCanOption1 = 5, kCanOption2 = 6, kBaseFrequency = 8;
constexpr size_t kPts = 12, kPbs1 = 13, kPbs2 = 14, kSjw = 15, kValuePairs = 16;
// Fields of a LinChannel record.
constexpr size_t kLinBitRate = 4, kUseIdTable = 8, kFrameTimeout = 12, kChecksumType = 16, kLinPair = 18;
constexpr size_t kLinIdEntries = 24 + 4;  // the LinIdTable's entries: data length, checksum type

constexpr int kHexPairKindCan = 5;
constexpr int kHexPairKindLin = 6;

// A page that edits one channel's records.
class ChannelRecordPage : public SetupPage {
public:
    ChannelRecordPage(SetupEditorContext& context, int channel) : SetupPage(context), channel_(channel) {}

protected:
    uint8_t* can() const { return places::canChannel(context_.setup.image, channel_); }
    uint8_t* lin() const { return places::linChannel(context_.setup.image, channel_); }

    int channel_;
};

// ---- CAN ---------------------------------------------------------------------------------

class TimingPage final : public ChannelRecordPage {
public:
    using ChannelRecordPage::ChannelRecordPage;

    void store() override {
        putU32(can(), kBaseFrequency, parseBaseFrequency(itemText(IDC_TIMING_BASE_FREQUENCY)));
        storeTiming();
    }
    void refresh() override {
        setItemText(IDC_TIMING_BASE_FREQUENCY, formatBaseFrequency(getU32(can(), kBaseFrequency)));
        fillTiming(clampBitTiming({can()[kPts], can()[kPbs1], can()[kPbs2], can()[kSjw]}));
        showBitRate();
    }

protected:
    bool onInit() override {
        SendDlgItemMessageA(window(), IDC_TIMING_BASE_FREQUENCY, CB_LIMITTEXT, 6, 0);
        fillCombo(IDC_TIMING_BASE_FREQUENCY, {"400000", "600000", "1M", "1.2M", "1.5M", "3M", "6M", "12M"});
        putU32(can(), kBaseFrequency, baseFrequencyOnOpen(getU32(can(), kBaseFrequency)));
        refresh();
        return false;
    }
    void selectionChanged(int id) override {
        if (id == IDC_TIMING_BASE_FREQUENCY) {
            const int entry = comboSelection(id);
            storeBaseFrequency(entry >= 0 ? comboEntry(id, entry) : itemText(id));
        } else if (id >= IDC_TIMING_PTS && id <= IDC_TIMING_SJW) {
            storeTiming();
        }
    }
    void editChanged(int id) override {
        if (id == IDC_TIMING_BASE_FREQUENCY) storeBaseFrequency(itemText(id));
    }
    void fieldLeft(int id) override {
        if (id != IDC_TIMING_BASE_FREQUENCY) return;
        storeBaseFrequency(itemText(id));
        setItemText(id, formatBaseFrequency(getU32(can(), kBaseFrequency)));
    }

private:
    static constexpr int kTimingIds[4] = {IDC_TIMING_PTS, IDC_TIMING_PBS1, IDC_TIMING_PBS2, IDC_TIMING_SJW};

    void storeBaseFrequency(const std::string& text) {
        putU32(can(), kBaseFrequency, parseBaseFrequency(text));
        showBitRate();
    }
    // The lists offer each field's range; a change moves the others into theirs.
    void storeTiming() {
        int values[4];
        for (int i = 0; i < 4; ++i) {
            const int entry = comboSelection(kTimingIds[i]);
            values[i] = entry >= 0 ? std::atoi(comboEntry(kTimingIds[i], entry).c_str()) : can()[kPts + static_cast<size_t>(i)];
        }
        const BitTiming timing = clampBitTiming({values[0], values[1], values[2], values[3]});
        can()[kPts] = static_cast<uint8_t>(timing.pts);
        can()[kPbs1] = static_cast<uint8_t>(timing.pbs1);
        can()[kPbs2] = static_cast<uint8_t>(timing.pbs2);
        can()[kSjw] = static_cast<uint8_t>(timing.sjw);
        fillTiming(timing);
        showBitRate();
    }
    void fillTiming(const BitTiming& t) const {
        const IntRange ranges[4] = {{1, 8}, pbs1Range(t.pts), pbs2Range(t.pts, t.pbs1), sjwRange(t.pbs2)};
        const int values[4] = {t.pts, t.pbs1, t.pbs2, t.sjw};
        for (int i = 0; i < 4; ++i) {
            clearCombo(kTimingIds[i]);
            for (int v = ranges[i].minimum; v <= ranges[i].maximum; ++v) addComboEntry(kTimingIds[i], std::to_string(v));
            selectCombo(kTimingIds[i], values[i] - ranges[i].minimum);
        }
    }
    void showBitRate() const {
        const uint32_t quanta = uint32_t{can()[kPts]} + can()[kPbs1] + can()[kPbs2] + 1;
        setItemText(IDC_TIMING_BIT_RATE, formatBitRate(getU32(can(), kBaseFrequency) / quanta));
    }
};

class PairsPage final : public ChannelRecordPage {
public:
    using ChannelRecordPage::ChannelRecordPage;

    void store() override {
        for (int pair = 0; pair < 4; ++pair) storePair(pair);
    }
    void refresh() override {
        for (int pair = 0; pair < 4; ++pair)
            setHexPair(kIds[pair], can()[pairAt(pair)], can()[pairAt(pair) + 1]);
    }

protected:
    bool onInit() override {
        for (int pair = 0; pair < 4; ++pair) {
            configureHexInput(kIds[pair], kHexPairKindCan);
            if (pair < 3) SendDlgItemMessageA(window(), kIds[pair], ctrl::kMsgGetBytes, ctrl::kChainParam, kIds[pair + 1]);
        }
        refresh();
        return false;
    }
    void fieldLeft(int id) override {
        for (int pair = 0; pair < 4; ++pair)
            if (kIds[pair] == id) storePair(pair);
    }

private:
    static constexpr int kIds[4] = {IDC_PAIRS_1, IDC_PAIRS_2, IDC_PAIRS_3, IDC_PAIRS_4};
    static size_t pairAt(int pair) { return kValuePairs + 4 * static_cast<size_t>(pair); }

    void storePair(int pair) const {
        hexPair(kIds[pair], can()[pairAt(pair)], can()[pairAt(pair) + 1]);
    }
};

class CanPage final : public ChannelRecordPage {
public:
    using ChannelRecordPage::ChannelRecordPage;

    void store() override {
        storeSelection(IDC_CAN_BIT_RATE, kBitRateCode);
        storeSelection(IDC_CAN_OPTION1, kCanOption1);
        storeSelection(IDC_CAN_OPTION2, kCanOption2);
        timing_->store();
        pairs_->store();
    }
    void refresh() override {
        const uint8_t code = can()[kBitRateCode];
        selectCombo(IDC_CAN_BIT_RATE, code <= 8 ? code : -1);
        selectCombo(IDC_CAN_OPTION1, can()[kCanOption1] <= 1 ? can()[kCanOption1] : -1);
        selectCombo(IDC_CAN_OPTION2, can()[kCanOption2] <= 1 ? can()[kCanOption2] : -1);
        timing_->refresh();
        pairs_->refresh();
        showSubPages();
    }

protected:
    bool onInit() override {
        fillCombo(IDC_CAN_BIT_RATE, {"Custom", "33.3k", "50k", "83.3k", "100k", "125k", "250k", "500k", "1M"});
        fillComboWithStrings(IDC_CAN_OPTION1, {IDS_CAN_OPTION1_0, IDS_CAN_OPTION1_1});
        fillComboWithStrings(IDC_CAN_OPTION2, {IDS_CAN_OPTION2_0, IDS_CAN_OPTION2_1});
        timing_ = &addSubPage<TimingPage>(IDD_SETUP_CAN_TIMING, IDC_CAN_TIMING_PLACE, channel_);
        pairs_ = &addSubPage<PairsPage>(IDD_SETUP_CAN_PAIRS, IDC_CAN_PAIRS_PLACE, channel_);
        refresh();
        return false;
    }
    void selectionChanged(int id) override {
        if (id == IDC_CAN_BIT_RATE) storeSelection(id, kBitRateCode);
        else if (id == IDC_CAN_OPTION1) storeSelection(id, kCanOption1);
        else if (id == IDC_CAN_OPTION2) storeSelection(id, kCanOption2);
        showSubPages();
    }

private:
    // No selection leaves the stored value as it is.
    void storeSelection(int id, size_t offset) const {
        const int entry = comboSelection(id);
        if (entry >= 0) can()[offset] = static_cast<uint8_t>(entry);
    }
    // A code of 9 or more is computed from the timing, as "Custom" is.
    void showSubPages() const {
        const uint8_t code = can()[kBitRateCode];
        timing_->show(code == 0 || code > 8);
        pairs_->show(can()[kCanOption2] == 1);
    }

    TimingPage* timing_ = nullptr;
    PairsPage* pairs_ = nullptr;
};

// ---- LIN ---------------------------------------------------------------------------------

class TimeoutPage final : public ChannelRecordPage {
public:
    using ChannelRecordPage::ChannelRecordPage;

    void store() override {
        putU32(lin(), kFrameTimeout, clampFrameTimeout(decimalOf(IDC_TIMEOUT_MS)));
        const int entry = comboSelection(IDC_TIMEOUT_CHECKSUM);
        if (entry >= 0) lin()[kChecksumType] = static_cast<uint8_t>(entry);
    }
    void refresh() override {
        setDecimal(IDC_TIMEOUT_MS, frameTimeoutOnRefresh(getU32(lin(), kFrameTimeout)));
        selectCombo(IDC_TIMEOUT_CHECKSUM, lin()[kChecksumType] <= 1 ? lin()[kChecksumType] : -1);
    }

protected:
    bool onInit() override {
        SendDlgItemMessageA(window(), IDC_TIMEOUT_MS, EM_LIMITTEXT, 5, 0);
        fillComboWithStrings(IDC_TIMEOUT_CHECKSUM, {IDS_CHECKSUM_CLASSIC, IDS_CHECKSUM_ENHANCED});
        refresh();
        return false;
    }
    void selectionChanged(int id) override {
        if (id == IDC_TIMEOUT_CHECKSUM) store();
    }
    void fieldLeft(int id) override {
        if (id != IDC_TIMEOUT_MS) return;
        putU32(lin(), kFrameTimeout, clampFrameTimeout(decimalOf(id)));
        setDecimal(id, getU32(lin(), kFrameTimeout));
    }
    void clicked(int id) override {
        if (id != IDC_TIMEOUT_AUTOMATIC || lin()[kUseIdTable] == 1) return;
        putU32(lin(), kFrameTimeout, automaticLinFrameTimeoutMs(getU32(lin(), kLinBitRate)));
        setDecimal(IDC_TIMEOUT_MS, getU32(lin(), kFrameTimeout));
    }
};

class IdListPage final : public ChannelRecordPage {
public:
    using ChannelRecordPage::ChannelRecordPage;

    void store() override {
        for (int row = 0; row < 16; ++row) {
            storeRow(IDC_ID_LIST_LENGTH_FIRST + row);
            storeRow(IDC_ID_LIST_CHECKSUM_FIRST + row);
        }
    }
    void refresh() override {
        for (int row = 0; row < 16; ++row) {
            setItemText(IDC_ID_LIST_LABEL_FIRST + row, linIdRowLabel(tab_, row));
            const uint8_t* entry = entryOf(row);
            selectCombo(IDC_ID_LIST_LENGTH_FIRST + row, entry[0] <= 8 ? entry[0] : -1);
            selectCombo(IDC_ID_LIST_CHECKSUM_FIRST + row, entry[1] <= 1 ? entry[1] : -1);
        }
    }
    void showTab(int tab) {
        tab_ = tab & 3;
        refresh();
    }

protected:
    bool onInit() override {
        for (int row = 0; row < 16; ++row) {
            fillCombo(IDC_ID_LIST_LENGTH_FIRST + row, {"0", "1", "2", "3", "4", "5", "6", "7", "8"});
            fillComboWithStrings(IDC_ID_LIST_CHECKSUM_FIRST + row, {IDS_CHECKSUM_CLASSIC, IDS_CHECKSUM_ENHANCED});
        }
        refresh();
        return false;
    }
    void selectionChanged(int id) override { storeRow(id); }

private:
    uint8_t* entryOf(int row) const { return lin() + kLinIdEntries + 4 * static_cast<size_t>(16 * tab_ + row); }
    void storeRow(int id) const {
        const bool length = id >= IDC_ID_LIST_LENGTH_FIRST && id < IDC_ID_LIST_LENGTH_FIRST + 16;
        const bool checksum = id >= IDC_ID_LIST_CHECKSUM_FIRST && id < IDC_ID_LIST_CHECKSUM_FIRST + 16;
        if (!length && !checksum) return;
        const int row = id - (length ? IDC_ID_LIST_LENGTH_FIRST : IDC_ID_LIST_CHECKSUM_FIRST);
        const int entry = comboSelection(id);
        if (entry >= 0) entryOf(row)[length ? 0 : 1] = static_cast<uint8_t>(entry);
    }

    int tab_ = 0;
};

class IdTablePage final : public ChannelRecordPage {
public:
    using ChannelRecordPage::ChannelRecordPage;

    void store() override { list_->store(); }
    void refresh() override { list_->refresh(); }

protected:
    bool onInit() override {
        HWND tabs = item(IDC_ID_TABLE_TABS);
        for (int t = 0; t < 4; ++t) {
            std::string label = text(static_cast<UINT>(IDS_ID_TABLE_TAB_1 + t));
            TCITEMA tab{};
            tab.mask = TCIF_TEXT;
            tab.pszText = label.data();
            SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(t), reinterpret_cast<LPARAM>(&tab));
        }
        list_ = &addSubPage<IdListPage>(IDD_SETUP_LIN_ID_LIST, IDC_ID_TABLE_PLACE, channel_);
        // Above the tab control, which was created first.
        SetWindowPos(list_->window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        list_->show(true);
        return false;
    }
    bool onNotify(const NMHDR& header, LRESULT& result) override {
        if (header.idFrom == IDC_ID_TABLE_TABS && header.code == static_cast<UINT>(TCN_SELCHANGE)) {
            list_->store();
            list_->showTab(static_cast<int>(SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
            return true;
        }
        return ChannelRecordPage::onNotify(header, result);
    }

private:
    IdListPage* list_ = nullptr;
};

class LinPage final : public ChannelRecordPage {
public:
    using ChannelRecordPage::ChannelRecordPage;

    void store() override {
        putU32(lin(), kLinBitRate, parseLinBitRate(itemText(IDC_LIN_BIT_RATE), context_.linBitRateMinimum));
        const int entry = comboSelection(IDC_LIN_USE_ID_TABLE);
        if (entry >= 0) lin()[kUseIdTable] = static_cast<uint8_t>(entry);
        hexPair(IDC_LIN_VALUE_PAIR, lin()[kLinPair], lin()[kLinPair + 1]);
        timeout_->store();
        idTable_->store();
    }
    void refresh() override {
        const uint32_t minimum = context_.linBitRateMinimum;
        putU32(lin(), kLinBitRate, linBitRateOnRefresh(getU32(lin(), kLinBitRate), minimum));
        setItemText(IDC_LIN_BIT_RATE, formatLinBitRate(getU32(lin(), kLinBitRate), minimum));
        selectCombo(IDC_LIN_USE_ID_TABLE, lin()[kUseIdTable] <= 1 ? lin()[kUseIdTable] : -1);
        setHexPair(IDC_LIN_VALUE_PAIR, lin()[kLinPair], lin()[kLinPair + 1]);
        timeout_->refresh();
        idTable_->refresh();
        showSubPages();
    }

protected:
    bool onInit() override {
        SendDlgItemMessageA(window(), IDC_LIN_BIT_RATE, CB_LIMITTEXT, 5, 0);
        fillCombo(IDC_LIN_BIT_RATE, {"2400", "9600", "19200"});
        configureHexInput(IDC_LIN_VALUE_PAIR, kHexPairKindLin);
        fillComboWithStrings(IDC_LIN_USE_ID_TABLE, {IDS_LIN_RULES_COMMON, IDS_LIN_RULES_PER_ID});
        timeout_ = &addSubPage<TimeoutPage>(IDD_SETUP_LIN_TIMEOUT, IDC_LIN_PLACE, channel_);
        idTable_ = &addSubPage<IdTablePage>(IDD_SETUP_LIN_ID_TABLE, IDC_LIN_PLACE, channel_);
        refresh();
        return false;
    }
    void selectionChanged(int id) override {
        if (id == IDC_LIN_BIT_RATE) {
            const int entry = comboSelection(id);
            storeBitRate(entry >= 0 ? comboEntry(id, entry) : itemText(id));
        } else if (id == IDC_LIN_USE_ID_TABLE) {
            const int entry = comboSelection(id);
            if (entry >= 0) lin()[kUseIdTable] = static_cast<uint8_t>(entry);
            showSubPages();
        }
    }
    void editChanged(int id) override {
        if (id == IDC_LIN_BIT_RATE) storeBitRate(itemText(id));
    }
    void fieldLeft(int id) override {
        if (id != IDC_LIN_BIT_RATE) return;
        storeBitRate(itemText(id));
        setItemText(id, formatLinBitRate(getU32(lin(), kLinBitRate), context_.linBitRateMinimum));
    }

private:
    void storeBitRate(const std::string& text) const {
        putU32(lin(), kLinBitRate, parseLinBitRate(text, context_.linBitRateMinimum));
    }
    void showSubPages() const {
        const bool table = lin()[kUseIdTable] == 1;
        timeout_->show(!table);
        idTable_->show(table);
    }

    TimeoutPage* timeout_ = nullptr;
    IdTablePage* idTable_ = nullptr;
};

// ---- The channel page ----------------------------------------------------------------------

class ChannelPage final : public ChannelRecordPage {
public:
    using ChannelRecordPage::ChannelRecordPage;

    // Both sub-pages store, whichever shows.
    void store() override {
        can_->store();
        lin_->store();
    }
    void refresh() override {
        can_->show(false);
        lin_->show(false);
        const bool isLin = places::protocolSelection(context_.setup.image)[places::kChannelProtocol[channel_]] == 2;
        SetupPage* shown = isLin ? static_cast<SetupPage*>(lin_) : can_;
        shown->refresh();
        shown->show(true);
    }

protected:
    bool onInit() override {
        can_ = &addSubPage<CanPage>(IDD_SETUP_CAN, IDC_CHANNEL_PLACE, channel_);
        lin_ = &addSubPage<LinPage>(IDD_SETUP_LIN, IDC_CHANNEL_PLACE, channel_);
        return false;
    }

private:
    CanPage* can_ = nullptr;
    LinPage* lin_ = nullptr;
};

}  // namespace

std::unique_ptr<SetupPage> makeChannelPage(SetupEditorContext& context, int channel) {
    return std::make_unique<ChannelPage>(context, channel);
}

}  // namespace zv::shell
