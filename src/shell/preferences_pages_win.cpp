// The pages of the preferences dialog: connection, analyzer model, buffer files, screenshot
// folder and setup synchronisation.
#include "shell/preferences_pages_win.h"
#include "shell/folder_browser_win.h"

#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "resources/ids/buffer_page_res.h"
#include "resources/ids/connection_page_res.h"
#include "resources/ids/model_page_res.h"
#include "resources/ids/screenshot_page_res.h"
#include "resources/ids/string_ids.h"
#include "resources/ids/sync_page_res.h"

namespace zv::shell {
namespace {

void limitEdit(HWND edit, size_t chars) { SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(chars), 0); }
void limitCombo(HWND combo, size_t chars) { SendMessageA(combo, CB_LIMITTEXT, static_cast<WPARAM>(chars), 0); }

// Folder paths show in the default GUI font, which fits more of a long path than the dialog's.
void useGuiFont(HWND control) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
}

void browseInto(const Dialog& page, int field) {
    std::string folder = page.itemText(field);
    if (browseForFolder(GetAncestor(page.window(), GA_ROOT), folder)) page.setItemText(field, folder);
}

// A folder field: what is typed, cut to what a path may hold.
std::string folderText(const Dialog& page, int field) {
    std::string folder = page.itemText(field);
    if (folder.size() > kMaxPathChars) folder.resize(kMaxPathChars);
    return folder;
}

struct UsbListing {
    std::vector<std::string> serials;
};

int32_t ZV_CALL listUsbDevice(const ZVUsbDeviceRecord* device, void* context) {
    auto* listing = static_cast<UsbListing*>(context);
    if (device && listing && prefs::isUsbAnalyzerKind(device->kind) && device->serialNumber)
        listing->serials.emplace_back(device->serialNumber);
    return 1;
}

}  // namespace

bool PreferencesPage::onCommand(int id, int code, HWND) {
    if (id == IDOK || id == IDCANCEL) {
        PostMessageA(GetParent(window()), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        return true;
    }
    return onPageCommand(id, code);
}

// --- Connection ---

bool ConnectionPage::onInit() {
    const ConnectionSettings& c = edit_.connection;
    fillCombo(IDC_CONN_METHOD, {text(IDS_METHOD_SERIAL), text(IDS_METHOD_XB40), text(IDS_METHOD_USB)});
    selectCombo(IDC_CONN_METHOD, prefs::methodIndexOf(c.method));

    clearCombo(IDC_CONN_PORT);
    for (const std::string& port : prefs::serialPortEntries()) addComboEntry(IDC_CONN_PORT, port);
    limitCombo(item(IDC_CONN_PORT), kSerialPortChars);
    setItemText(IDC_CONN_PORT, std::string(fieldText(c.serialPort)));

    limitEdit(item(IDC_CONN_HOST), kHostChars);
    limitEdit(item(IDC_CONN_DATA_SERVICE), kServiceChars);
    limitEdit(item(IDC_CONN_CONTROL_SERVICE), kServiceChars);
    setItemText(IDC_CONN_HOST, std::string(fieldText(c.host)));
    setItemText(IDC_CONN_DATA_SERVICE, std::string(fieldText(c.dataService)));
    setItemText(IDC_CONN_CONTROL_SERVICE, std::string(fieldText(c.controlService)));

    clearCombo(IDC_CONN_BAUD_RATE);
    for (const uint32_t rate : prefs::baudRates()) addComboEntry(IDC_CONN_BAUD_RATE, std::to_string(rate));
    selectCombo(IDC_CONN_BAUD_RATE, prefs::baudRateIndexOf(c.baudRate));
    fillCombo(IDC_CONN_DATA_BITS, {"8"});
    selectCombo(IDC_CONN_DATA_BITS, 0);
    fillCombo(IDC_CONN_PARITY, {text(IDS_PARITY_NONE), text(IDS_PARITY_EVEN), text(IDS_PARITY_ODD)});
    selectCombo(IDC_CONN_PARITY, prefs::parityIndexOf(c.parity));
    fillCombo(IDC_CONN_XCONTROL, {text(IDS_XCONTROL_OFF), text(IDS_XCONTROL_ON)});
    selectCombo(IDC_CONN_XCONTROL, c.xControl == 1 ? 1 : 0);

    limitCombo(item(IDC_CONN_SERIAL_NUMBER), kUsbSerialChars);
    fillUsbList();
    showRows();
    return false;
}

void ConnectionPage::fillUsbList() const {
    clearCombo(IDC_CONN_SERIAL_NUMBER);
    UsbListing listing;
    ZVEnumUSBDevicesEx(-1, listUsbDevice, &listing);
    for (const std::string& serial : listing.serials) addComboEntry(IDC_CONN_SERIAL_NUMBER, serial);
    if (listing.serials.empty()) addComboEntry(IDC_CONN_SERIAL_NUMBER, "");
    setItemText(IDC_CONN_SERIAL_NUMBER, std::string(fieldText(edit_.connection.usbSerialNumber)));
}

uint32_t ConnectionPage::method() const { return prefs::methodOfIndex(comboSelection(IDC_CONN_METHOD)); }

bool ConnectionPage::hostMissing() const {
    return method() == remote_api::kMethodLan && itemText(IDC_CONN_HOST).empty();
}

void ConnectionPage::showRows() const {
    const prefs::ConnectionRows rows = prefs::connectionRowsFor(method());
    for (const int id : {IDC_CONN_HOST_LABEL, IDC_CONN_HOST, IDC_CONN_DATA_SERVICE_LABEL, IDC_CONN_DATA_SERVICE,
                         IDC_CONN_DATA_SERVICE_HINT, IDC_CONN_CONTROL_SERVICE_LABEL, IDC_CONN_CONTROL_SERVICE,
                         IDC_CONN_CONTROL_SERVICE_HINT})
        showItem(id, rows.adapter);
    for (const int id : {IDC_CONN_PORT, IDC_CONN_PORT_LABEL}) showItem(id, rows.serialPort);
    for (const int id : {IDC_CONN_BAUD_RATE, IDC_CONN_DATA_BITS, IDC_CONN_PARITY, IDC_CONN_XCONTROL,
                         IDC_CONN_BAUD_RATE_LABEL, IDC_CONN_DATA_BITS_LABEL, IDC_CONN_PARITY_LABEL,
                         IDC_CONN_XCONTROL_LABEL})
        showItem(id, rows.line);
    for (const int id : {IDC_CONN_SERIAL_NUMBER, IDC_CONN_SERIAL_NUMBER_LABEL}) showItem(id, rows.usb);
}

bool ConnectionPage::onPageCommand(int id, int code) {
    if (id == IDC_CONN_METHOD && code == CBN_SELCHANGE) {
        const uint32_t now = method();
        showRows();
        if (now == remote_api::kMethodUsb) fillUsbList();
        if (methodChanged_) methodChanged_(now);
        return true;
    }
    if (id == IDC_CONN_PORT && code == CBN_SELCHANGE) {
        showRows();
        return true;
    }
    if (id == IDC_CONN_PORT && code == CBN_KILLFOCUS) {
        copyField(edit_.connection.serialPort, itemText(IDC_CONN_PORT), kSerialPortChars);
        return true;
    }
    return false;
}

void ConnectionPage::gather() {
    ConnectionSettings& c = edit_.connection;
    c.method = method();
    copyField(c.serialPort, itemText(IDC_CONN_PORT), kSerialPortChars);
    c.baudRate = prefs::baudRateOfIndex(comboSelection(IDC_CONN_BAUD_RATE));
    c.parity = prefs::parityOfIndex(comboSelection(IDC_CONN_PARITY));
    c.xControl = comboSelection(IDC_CONN_XCONTROL) == 1 ? 1u : 0u;
    copyField(c.host, itemText(IDC_CONN_HOST), kHostChars);
    copyField(c.dataService, itemText(IDC_CONN_DATA_SERVICE), kServiceChars);
    copyField(c.controlService, itemText(IDC_CONN_CONTROL_SERVICE), kServiceChars);
    copyField(c.usbSerialNumber, itemText(IDC_CONN_SERIAL_NUMBER), kUsbSerialChars);
}

// --- Analyzer model ---

bool ModelPage::onInit() {
    method_ = edit_.connection.method;
    show(prefs::openingChoice(method_, edit_.model));
    return false;
}

void ModelPage::show(const prefs::ModelChoice& choice) {
    choice_ = choice;
    clearCombo(IDC_MODEL_LIST);
    for (const std::string_view name : choice_.models) addComboEntry(IDC_MODEL_LIST, std::string(name));
    selectCombo(IDC_MODEL_LIST, choice_.model);
    clearCombo(IDC_MODEL_BOARD_LIST);
    for (const std::string_view name : choice_.boards) addComboEntry(IDC_MODEL_BOARD_LIST, std::string(name));
    selectCombo(IDC_MODEL_BOARD_LIST, choice_.board);
}

void ModelPage::methodChanged(uint32_t method) {
    method_ = method;
    show(prefs::choiceAfterMethodChange(method, choice_.modelName(), choice_.boardName()));
}

bool ModelPage::onPageCommand(int id, int code) {
    if (code != CBN_SELCHANGE) return false;
    if (id == IDC_MODEL_LIST) {
        show(prefs::choiceAfterModelChange(method_, choice_.models, comboSelection(IDC_MODEL_LIST),
                                           choice_.boardName()));
        return true;
    }
    if (id == IDC_MODEL_BOARD_LIST) {
        choice_.board = comboSelection(IDC_MODEL_BOARD_LIST);
        return true;
    }
    return false;
}

void ModelPage::gather() {
    edit_.model = prefs::modelForNames(choice_.modelName(), choice_.boardName(), edit_.model);
}

// --- Buffer files ---

bool BufferPage::onInit() {
    const BufferConfig& b = edit_.buffer;
    useGuiFont(item(IDC_BUFFER_FOLDER));
    limitEdit(item(IDC_BUFFER_FOLDER), kMaxPathChars);
    setItemText(IDC_BUFFER_FOLDER, b.folder);
    fillCombo(IDC_BUFFER_BLOCK_SIZE, {"1M", "2M", "4M", "8M"});
    selectCombo(IDC_BUFFER_BLOCK_SIZE, b.blockSizeIndex < kBlockSizeCount ? static_cast<int>(b.blockSizeIndex) : 0);
    limitEdit(item(IDC_BUFFER_BLOCK_COUNT), 4);
    setItemText(IDC_BUFFER_BLOCK_COUNT, std::to_string(clampBlockCount(b.blockCount)));
    // Monitoring always stops at the file count and never appends: both boxes stay as the
    // record has them, out of sight.
    setChecked(IDC_BUFFER_FULL_STOP, true);
    showItem(IDC_BUFFER_FULL_STOP, false);
    setChecked(IDC_BUFFER_APPEND, false);
    showItem(IDC_BUFFER_APPEND, false);
    setChecked(IDC_BUFFER_WARNING, (b.flags & kBufferWarning) != 0);
    return false;
}

bool BufferPage::onPageCommand(int id, int code) {
    if (id == IDC_BUFFER_BLOCK_COUNT && code == EN_KILLFOCUS) {
        edit_.buffer.blockCount = prefs::blockCountFromField(itemText(IDC_BUFFER_BLOCK_COUNT));
        setItemText(IDC_BUFFER_BLOCK_COUNT, std::to_string(edit_.buffer.blockCount));
        return true;
    }
    if (id == IDC_BUFFER_BROWSE && code == BN_CLICKED) {
        browseInto(*this, IDC_BUFFER_FOLDER);
        return true;
    }
    return false;
}

void BufferPage::gather() {
    BufferConfig& b = edit_.buffer;
    b.folder = folderText(*this, IDC_BUFFER_FOLDER);
    const int size = comboSelection(IDC_BUFFER_BLOCK_SIZE);
    if (size >= 0) b.blockSizeIndex = static_cast<uint32_t>(size);
    // Enter in the count field ends the dialog without the field losing the focus: the
    // count is clamped here as well, so that no count outside 2 .. 2000 becomes active.
    b.blockCount = prefs::blockCountFromField(itemText(IDC_BUFFER_BLOCK_COUNT));
    b.flags = 0;
    if (checked(IDC_BUFFER_FULL_STOP)) b.flags |= kBufferFullStop;
    if (checked(IDC_BUFFER_APPEND)) b.flags |= kBufferAppend;
    if (checked(IDC_BUFFER_WARNING)) b.flags |= kBufferWarning;
}

// --- Screenshot folder ---

bool ScreenshotPage::onInit() {
    useGuiFont(item(IDC_SCREENSHOT_FOLDER));
    limitEdit(item(IDC_SCREENSHOT_FOLDER), kMaxPathChars);
    setItemText(IDC_SCREENSHOT_FOLDER, edit_.screenshotFolder);
    return false;
}

bool ScreenshotPage::onPageCommand(int id, int code) {
    if (id != IDC_SCREENSHOT_BROWSE || code != BN_CLICKED) return false;
    browseInto(*this, IDC_SCREENSHOT_FOLDER);
    return true;
}

void ScreenshotPage::gather() { edit_.screenshotFolder = folderText(*this, IDC_SCREENSHOT_FOLDER); }

// --- Setup synchronisation ---

bool SyncPage::onInit() {
    setChecked(IDC_SYNC_SETUP, edit_.sync.syncSetup);
    setChecked(IDC_SYNC_SEND_ONLY, edit_.sync.syncSetupSendOnly);
    enableItem(IDC_SYNC_SEND_ONLY, edit_.sync.syncSetup);
    return false;
}

bool SyncPage::onPageCommand(int id, int code) {
    if (id != IDC_SYNC_SETUP || code != BN_CLICKED) return false;
    enableItem(IDC_SYNC_SEND_ONLY, checked(IDC_SYNC_SETUP));
    return true;
}

void SyncPage::gather() {
    edit_.sync.syncSetup = checked(IDC_SYNC_SETUP);
    edit_.sync.syncSetupSendOnly = checked(IDC_SYNC_SEND_ONLY);
}

}  // namespace zv::shell
