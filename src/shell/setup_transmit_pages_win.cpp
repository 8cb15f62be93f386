// The transmit table pages: the overview of the sixteen entries, and the entry pages for a
// CAN or a LIN transmit channel with their variation and LIN data sub-pages. An entry page
// edits the entry of the tree item in view (context.transmitIndex).
#include <functional>

#include "base/bytes.h"
#include "resources/ids/setup_transmit_page_res.h"
#include "resources/ids/string_ids.h"
#include "setup/field_text.h"
#include "setup/setup_places.h"
#include "setup/setup_rules.h"
#include "shell/setup_pages_win.h"

namespace zv::shell {
namespace {

// Fields of a CanTransmitEntry.
constexpr size_t kCanField4 = 4, kCanField8 = 8, kCanId29 = 12, kCanId11 = 16, kCanFrameType = 18;
constexpr size_t kCanDataLength = 20, kCanDataCount = 21, kCanData = 22;
// Fields of a LinTransmitEntry.
constexpr size_t kLinId = 8, kLinHasChecksum = 9, kLinChecksum = 10, kLinKind = 11, kLinDataCount = 15, kLinData = 16;
// Fields of a VariationRecord.
constexpr size_t kVariationOn = 4, kVariationWidth = 5, kVariationMode = 6, kVariationPosition = 7, kVariationItems = 12;

constexpr int kHexBytesKind = 8;
constexpr int kHexByteKind = 1;

// ---- Variation -------------------------------------------------------------------------------

class VariationPage final : public SetupPage {
public:
    using Record = std::function<uint8_t*()>;
    VariationPage(SetupEditorContext& context, Record record) : SetupPage(context), record_(std::move(record)) {}

    void store() override {
        storeSelection(IDC_VARIATION_MODE, kVariationMode);
        storeSelection(IDC_VARIATION_WIDTH, kVariationWidth);
        storeSelection(IDC_VARIATION_POSITION, kVariationPosition);
        for (const Field& f : kFields) storeField(f);
    }
    void refresh() override {
        const uint8_t* v = record_();
        selectCombo(IDC_VARIATION_MODE, v[kVariationMode] <= 1 ? v[kVariationMode] : -1);
        selectCombo(IDC_VARIATION_WIDTH, v[kVariationWidth] <= 1 ? v[kVariationWidth] : -1);
        selectCombo(IDC_VARIATION_POSITION, v[kVariationPosition] <= 7 ? v[kVariationPosition] : -1);
        for (const Field& f : kFields) setDecimal(f.id, getI32(v, offsetOf(f)));
    }

protected:
    bool onInit() override {
        fillComboWithStrings(IDC_VARIATION_MODE, {IDS_VARIATION_MODE_0, IDS_VARIATION_MODE_1});
        fillCombo(IDC_VARIATION_WIDTH, {"8 bit", "16 bit"});
        fillCombo(IDC_VARIATION_POSITION, {"0", "1", "2", "3", "4", "5", "6", "7"});
        for (const Field& f : kFields) SendDlgItemMessageA(window(), f.id, EM_LIMITTEXT, 6, 0);
        return false;
    }
    void selectionChanged(int) override { store(); }
    void fieldLeft(int id) override {
        for (const Field& f : kFields) {
            if (f.id != id) continue;
            storeField(f);
            setDecimal(id, getI32(record_(), offsetOf(f)));
        }
    }

private:
    struct Field {
        int id;
        int item;
        bool second;  // the item's second value (signed), else its first
    };
    static constexpr Field kFields[] = {
        {IDC_VARIATION_0_SECOND, 0, true}, {IDC_VARIATION_1_FIRST, 1, false}, {IDC_VARIATION_1_SECOND, 1, true},
        {IDC_VARIATION_2_FIRST, 2, false}, {IDC_VARIATION_2_SECOND, 2, true}, {IDC_VARIATION_3_FIRST, 3, false},
        {IDC_VARIATION_3_SECOND, 3, true},
    };
    static size_t offsetOf(const Field& f) { return kVariationItems + 12 * static_cast<size_t>(f.item) + (f.second ? 4 : 0); }

    void storeField(const Field& f) const {
        const long typed = decimalOf(f.id);
        putU32(record_(), offsetOf(f),
               static_cast<uint32_t>(f.second ? clampVariationSecond(typed) : clampVariationFirst(typed)));
    }
    void storeSelection(int id, size_t offset) const {
        const int entry = comboSelection(id);
        if (entry >= 0) record_()[offset] = static_cast<uint8_t>(entry);
    }

    Record record_;
};

void fillOnOff(SetupPage& page, int id);

// ---- CAN entry ---------------------------------------------------------------------------------

class CanEntryPage final : public SetupPage {
public:
    using SetupPage::SetupPage;

    void store() override {
        uint8_t* e = entry();
        const int type = comboSelection(IDC_CAN_ENTRY_FRAME_TYPE);
        if (type >= 0) e[kCanFrameType] = static_cast<uint8_t>(type);
        storeIdentifier();
        storeData();
        e[kCanDataLength] = clampDataLength(decimalOf(IDC_CAN_ENTRY_LENGTH));
        putU32(e, kCanField4, clampTransmitField4(decimalOf(IDC_CAN_ENTRY_FIELD4)));
        putU32(e, kCanField8, clampTransmitField8(decimalOf(IDC_CAN_ENTRY_FIELD8)));
        const int on = comboSelection(IDC_CAN_ENTRY_VARIATION);
        if (on >= 0) variationRecord()[kVariationOn] = static_cast<uint8_t>(on);
        variation_->store();
    }
    void refresh() override {
        const uint8_t* e = entry();
        selectCombo(IDC_CAN_ENTRY_FRAME_TYPE, e[kCanFrameType] <= 3 ? e[kCanFrameType] : -1);
        showIdentifier();
        setHexBytes(IDC_CAN_ENTRY_DATA, e + kCanData, std::min<int>(e[kCanDataCount], 8));
        setDecimal(IDC_CAN_ENTRY_LENGTH, e[kCanDataLength]);
        setDecimal(IDC_CAN_ENTRY_FIELD4, getU32(e, kCanField4));
        setDecimal(IDC_CAN_ENTRY_FIELD8, getU32(e, kCanField8));
        selectCombo(IDC_CAN_ENTRY_VARIATION, variationRecord()[kVariationOn] <= 1 ? variationRecord()[kVariationOn] : -1);
        variation_->refresh();
        showByFrameType();
    }

protected:
    bool onInit() override {
        fillComboWithStrings(IDC_CAN_ENTRY_FRAME_TYPE, {IDS_FRAME_TYPE_STANDARD, IDS_FRAME_TYPE_STANDARD + 1,
                                                        IDS_FRAME_TYPE_STANDARD + 2, IDS_FRAME_TYPE_STANDARD + 3});
        filterHexadecimal(IDC_CAN_ENTRY_IDENTIFIER);
        configureHexInput(IDC_CAN_ENTRY_DATA, kHexBytesKind);
        SendDlgItemMessageA(window(), IDC_CAN_ENTRY_LENGTH, EM_LIMITTEXT, 1, 0);
        SendDlgItemMessageA(window(), IDC_CAN_ENTRY_FIELD4, EM_LIMITTEXT, 5, 0);
        SendDlgItemMessageA(window(), IDC_CAN_ENTRY_FIELD8, EM_LIMITTEXT, 5, 0);
        fillOnOff(*this, IDC_CAN_ENTRY_VARIATION);
        variation_ = &addSubPage<VariationPage>(IDD_SETUP_VARIATION, IDC_CAN_ENTRY_PLACE,
                                                [this] { return variationRecord(); });
        return false;
    }
    void selectionChanged(int id) override {
        if (id == IDC_CAN_ENTRY_FRAME_TYPE) {
            const int type = comboSelection(id);
            if (type >= 0) entry()[kCanFrameType] = static_cast<uint8_t>(type);
            showIdentifier();
            showByFrameType();
        } else if (id == IDC_CAN_ENTRY_VARIATION) {
            const int on = comboSelection(id);
            if (on >= 0) variationRecord()[kVariationOn] = static_cast<uint8_t>(on);
            showByFrameType();
        }
    }
    void fieldLeft(int id) override {
        uint8_t* e = entry();
        switch (id) {
            case IDC_CAN_ENTRY_IDENTIFIER:
                storeIdentifier();
                showIdentifier();
                break;
            case IDC_CAN_ENTRY_DATA: storeData(); break;
            case IDC_CAN_ENTRY_LENGTH:
                e[kCanDataLength] = clampDataLength(decimalOf(id));
                setDecimal(id, e[kCanDataLength]);
                break;
            case IDC_CAN_ENTRY_FIELD4:
                putU32(e, kCanField4, clampTransmitField4(decimalOf(id)));
                setDecimal(id, getU32(e, kCanField4));
                break;
            case IDC_CAN_ENTRY_FIELD8:
                putU32(e, kCanField8, clampTransmitField8(decimalOf(id)));
                setDecimal(id, getU32(e, kCanField8));
                break;
            default: break;
        }
    }

private:
    uint8_t* entry() const { return places::canEntry(context_.setup.canTables, context_.transmitIndex); }
    uint8_t* variationRecord() const { return entry() + places::kCanVariation; }
    int frameType() const { return entry()[kCanFrameType]; }

    void storeIdentifier() const {
        const uint32_t id = clampCanIdentifier(hexadecimalOf(IDC_CAN_ENTRY_IDENTIFIER), frameType());
        if (usesExtendedIdentifier(frameType())) putU32(entry(), kCanId29, id);
        else putU16(entry(), kCanId11, static_cast<uint16_t>(id));
    }
    void showIdentifier() const {
        const int type = frameType();
        SendDlgItemMessageA(window(), IDC_CAN_ENTRY_IDENTIFIER, EM_LIMITTEXT, usesExtendedIdentifier(type) ? 8 : 3, 0);
        setItemText(IDC_CAN_ENTRY_RANGE, canIdentifierRangeText(type));
        const uint32_t id = usesExtendedIdentifier(type) ? getU32(entry(), kCanId29) : getU16(entry(), kCanId11);
        setItemText(IDC_CAN_ENTRY_IDENTIFIER, formatCanIdentifier(id, type));
    }
    // All eight bytes are cleared first: bytes no longer entered do not linger.
    void storeData() const {
        uint8_t bytes[8] = {};
        const int count = hexBytes(IDC_CAN_ENTRY_DATA, bytes, 8);
        uint8_t* e = entry();
        e[kCanDataCount] = static_cast<uint8_t>(std::clamp(count, 0, 8));
        std::copy(bytes, bytes + 8, e + kCanData);
    }
    void showByFrameType() const {
        const int type = frameType();
        const bool data = type == 0 || type == 1;
        const bool length = type == 2 || type == 3;
        for (int id : {IDC_CAN_ENTRY_DATA, IDC_CAN_ENTRY_DATA_LABEL, IDC_CAN_ENTRY_VARIATION, IDC_CAN_ENTRY_VARIATION_LABEL})
            showItem(id, data);
        for (int id : {IDC_CAN_ENTRY_LENGTH, IDC_CAN_ENTRY_LENGTH_LABEL, IDC_CAN_ENTRY_LENGTH_UNIT}) showItem(id, length);
        variation_->show(data && variationRecord()[kVariationOn] == 1);
    }

    VariationPage* variation_ = nullptr;
};

// ---- LIN entry -----------------------------------------------------------------------------

class LinDataPage final : public SetupPage {
public:
    LinDataPage(SetupEditorContext& context, std::function<uint8_t*()> entry, std::function<void()> variationChanged)
        : SetupPage(context), entry_(std::move(entry)), variationChanged_(std::move(variationChanged)) {}

    void store() override {
        storeData();
        storeChecksum();
        const int on = comboSelection(IDC_LIN_DATA_VARIATION);
        if (on >= 0) entry_()[places::kLinVariation + kVariationOn] = static_cast<uint8_t>(on);
    }
    void refresh() override {
        const uint8_t* e = entry_();
        setHexBytes(IDC_LIN_DATA_BYTES, e + kLinData, std::min<int>(e[kLinDataCount], 8));
        setHexBytes(IDC_LIN_DATA_CHECKSUM, e + kLinChecksum, e[kLinHasChecksum] ? 1 : 0);
        const uint8_t on = e[places::kLinVariation + kVariationOn];
        selectCombo(IDC_LIN_DATA_VARIATION, on <= 1 ? on : -1);
    }

protected:
    bool onInit() override {
        configureHexInput(IDC_LIN_DATA_BYTES, kHexBytesKind);
        configureHexInput(IDC_LIN_DATA_CHECKSUM, kHexByteKind);
        fillOnOff(*this, IDC_LIN_DATA_VARIATION);
        return false;
    }
    void fieldLeft(int id) override {
        if (id == IDC_LIN_DATA_BYTES) storeData();
        else if (id == IDC_LIN_DATA_CHECKSUM) storeChecksum();
    }
    void clicked(int id) override {
        if (id != IDC_LIN_DATA_AUTOMATIC) return;
        storeData();
        SetupImage& image = context_.setup.image;
        uint8_t* e = entry_();
        applyAutomaticLinChecksum(e, places::linChannel(image, places::transmitChannel(image)));
        setHexBytes(IDC_LIN_DATA_CHECKSUM, e + kLinChecksum, 1);
    }
    void selectionChanged(int id) override {
        if (id != IDC_LIN_DATA_VARIATION) return;
        const int on = comboSelection(id);
        if (on >= 0) entry_()[places::kLinVariation + kVariationOn] = static_cast<uint8_t>(on);
        variationChanged_();
    }

private:
    void storeData() const {
        uint8_t bytes[8] = {};
        const int count = hexBytes(IDC_LIN_DATA_BYTES, bytes, 8);
        uint8_t* e = entry_();
        e[kLinDataCount] = static_cast<uint8_t>(std::clamp(count, 0, 8));
        std::copy(bytes, bytes + 8, e + kLinData);
    }
    void storeChecksum() const {
        uint8_t byte = 0;
        const int count = hexBytes(IDC_LIN_DATA_CHECKSUM, &byte, 1);
        uint8_t* e = entry_();
        e[kLinHasChecksum] = count > 0 ? 1 : 0;
        e[kLinChecksum] = count > 0 ? byte : 0;
    }

    std::function<uint8_t*()> entry_;
    std::function<void()> variationChanged_;
};

class LinEntryPage final : public SetupPage {
public:
    using SetupPage::SetupPage;

    void store() override {
        const int kind = comboSelection(IDC_LIN_ENTRY_KIND);
        if (kind >= 0) entry()[kLinKind] = static_cast<uint8_t>(kind);
        entry()[kLinId] = clampLinIdentifier(hexadecimalOf(IDC_LIN_ENTRY_IDENTIFIER));
        data_->store();
        variation_->store();
    }
    void refresh() override {
        const uint8_t* e = entry();
        selectCombo(IDC_LIN_ENTRY_KIND, e[kLinKind] <= 1 ? e[kLinKind] : -1);
        setItemText(IDC_LIN_ENTRY_IDENTIFIER, formatLinIdentifier(e[kLinId]));
        data_->refresh();
        variation_->refresh();
        showSubPages();
    }

protected:
    bool onInit() override {
        fillComboWithStrings(IDC_LIN_ENTRY_KIND, {IDS_LIN_ENTRY_HEADER, IDS_LIN_ENTRY_RESPONSE});
        filterHexadecimal(IDC_LIN_ENTRY_IDENTIFIER);
        SendDlgItemMessageA(window(), IDC_LIN_ENTRY_IDENTIFIER, EM_LIMITTEXT, 2, 0);
        data_ = &addSubPage<LinDataPage>(IDD_SETUP_LIN_DATA, IDC_LIN_ENTRY_DATA_PLACE, [this] { return entry(); },
                                         [this] { showSubPages(); });
        variation_ = &addSubPage<VariationPage>(IDD_SETUP_VARIATION, IDC_LIN_ENTRY_VARIATION_PLACE,
                                                [this] { return entry() + places::kLinVariation; });
        return false;
    }
    void selectionChanged(int id) override {
        if (id != IDC_LIN_ENTRY_KIND) return;
        const int kind = comboSelection(id);
        if (kind >= 0) entry()[kLinKind] = static_cast<uint8_t>(kind);
        showSubPages();
    }
    void fieldLeft(int id) override {
        if (id != IDC_LIN_ENTRY_IDENTIFIER) return;
        entry()[kLinId] = clampLinIdentifier(hexadecimalOf(id));
        setItemText(id, formatLinIdentifier(entry()[kLinId]));
    }

private:
    uint8_t* entry() const { return places::linEntry(context_.setup.linTables, context_.transmitIndex); }

    // The data sub-page for entries with a response; their variation when it is on.
    void showSubPages() const {
        const bool response = entry()[kLinKind] == 1;
        data_->show(response);
        variation_->show(response && entry()[places::kLinVariation + kVariationOn] == 1);
    }

    LinDataPage* data_ = nullptr;
    VariationPage* variation_ = nullptr;
};

// ---- Overview ------------------------------------------------------------------------------

class TransmitOverviewPage final : public SetupPage {
public:
    using SetupPage::SetupPage;

    void refresh() override {
        const bool lin = places::transmitIsLin(context_.setup.image);
        for (int row = 0; row < 16; ++row) {
            const int label = row == 0 ? IDC_OVERVIEW_LABEL_0 : IDC_OVERVIEW_LABEL_1 + row - 1;
            const int ident = row == 0 ? IDC_OVERVIEW_IDENT_0 : IDC_OVERVIEW_IDENT_1 + row - 1;
            if (lin) {
                const uint8_t* e = places::linEntry(context_.setup.linTables, row);
                setItemText(label, e[kLinKind] <= 1 ? text(IDS_LIN_ENTRY_HEADER + e[kLinKind]) : std::string());
                setItemText(ident, formatLinIdentifier(e[kLinId]));
            } else {
                const uint8_t* e = places::canEntry(context_.setup.canTables, row);
                const int type = e[kCanFrameType];
                setItemText(label, type <= 3 ? text(static_cast<UINT>(IDS_FRAME_TYPE_STANDARD + type)) : std::string());
                const uint32_t id = usesExtendedIdentifier(type) ? getU32(e, kCanId29) : getU16(e, kCanId11);
                setItemText(ident, formatCanIdentifier(id, type));
            }
        }
    }

protected:
    bool onInit() override {
        refresh();
        return false;
    }
};

void fillOnOff(SetupPage& page, int id) { page.fillCombo(id, {"OFF", "ON"}); }

}  // namespace

std::unique_ptr<SetupPage> makeTransmitOverviewPage(SetupEditorContext& context) {
    return std::make_unique<TransmitOverviewPage>(context);
}
std::unique_ptr<SetupPage> makeCanEntryPage(SetupEditorContext& context) { return std::make_unique<CanEntryPage>(context); }
std::unique_ptr<SetupPage> makeLinEntryPage(SetupEditorContext& context) { return std::make_unique<LinEntryPage>(context); }

}  // namespace zv::shell
