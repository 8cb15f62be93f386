#include "shell/preferences_model.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace zv::prefs {
namespace {

constexpr uint32_t kMethods[kMethodEntries] = {remote_api::kMethodSerial, remote_api::kMethodLan,
                                               remote_api::kMethodUsb};
constexpr uint32_t kParities[] = {0, 2, 1};  // none, even, odd as listed
constexpr uint32_t kBaudRates[] = {9600, 19200, 38400, 57600, 115200, 230400};

constexpr std::string_view kModelNames[] = {"AN-1100", "AN-2100", "AN-6100", "AN-1400", "AN-2400"};
constexpr std::string_view kBoardNames[] = {"EX-NB2A", "EX-NB2AP", "EX-NB3BP"};
constexpr int kCanBoardModels = 3;  // the first three models take EX-NB2A or EX-NB2AP
constexpr int kNb3bp = 2;

int indexOf(std::span<const std::string_view> names, std::string_view name) {
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

bool offersCanBoards(uint32_t method, std::string_view model) {
    const int m = indexOf(kModelNames, model);
    return method != remote_api::kMethodUsb && m >= 0 && m < kCanBoardModels;
}

// The option boards of a model and which of them to select.
void fillBoards(ModelChoice& choice, uint32_t method, bool keepCanLin) {
    choice.boards.clear();
    if (offersCanBoards(method, choice.modelName())) {
        choice.boards = {kBoardNames[0], kBoardNames[1]};
        choice.board = keepCanLin ? 1 : 0;
    } else if (choice.model >= 0) {
        choice.boards = {kBoardNames[kNb3bp]};
        choice.board = 0;
    } else {
        choice.board = -1;
    }
}

std::string_view usbModelFor(std::string_view model) {
    return model == kModelNames[0] || model == kModelNames[3] ? kModelNames[3] : kModelNames[4];
}

}  // namespace

uint32_t methodOfIndex(int index) {
    return index >= 0 && index < kMethodEntries ? kMethods[index] : remote_api::kMethodSerial;
}

int methodIndexOf(uint32_t method) {
    for (int i = 0; i < kMethodEntries; ++i)
        if (kMethods[i] == method) return i;
    return 0;
}

uint32_t parityOfIndex(int index) { return index >= 0 && index < 3 ? kParities[index] : 0; }

int parityIndexOf(uint32_t parity) {
    for (int i = 0; i < 3; ++i)
        if (kParities[i] == parity) return i;
    return 0;
}

std::span<const uint32_t> baudRates() { return kBaudRates; }

int baudRateIndexOf(uint32_t rate) {
    int best = 0;
    uint64_t bestDistance = UINT64_MAX;
    for (int i = 0; i < static_cast<int>(std::size(kBaudRates)); ++i) {
        const uint32_t entry = kBaudRates[i];
        const uint64_t distance = entry > rate ? entry - rate : rate - entry;
        // Strictly nearer only: on a tie the slower entry, met first, stays.
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

uint32_t baudRateOfIndex(int index) {
    return index >= 0 && index < static_cast<int>(std::size(kBaudRates)) ? kBaudRates[index] : kDefaultBaudRate;
}

ConnectionRows connectionRowsFor(uint32_t method) {
    ConnectionRows rows;
    if (method == remote_api::kMethodUsb) {
        rows.usb = true;
    } else if (method == remote_api::kMethodLan) {
        rows.adapter = true;
        rows.line = true;
    } else {
        rows.serialPort = true;
        rows.line = true;
    }
    return rows;
}

std::vector<std::string> serialPortEntries() {
    std::vector<std::string> ports;
    for (int i = 1; i <= 9; ++i) ports.push_back("COM" + std::to_string(i));
    return ports;
}

bool isUsbAnalyzerKind(int32_t kind) { return kind == 73730 || kind == 73731; }

std::span<const std::string_view> allModelNames() { return kModelNames; }
std::span<const std::string_view> allBoardNames() { return kBoardNames; }

std::string_view ModelChoice::modelName() const {
    return model >= 0 && model < static_cast<int>(models.size()) ? models[static_cast<size_t>(model)]
                                                                  : std::string_view{};
}

std::string_view ModelChoice::boardName() const {
    return board >= 0 && board < static_cast<int>(boards.size()) ? boards[static_cast<size_t>(board)]
                                                                  : std::string_view{};
}

std::vector<std::string_view> modelsFor(uint32_t method) {
    if (method == remote_api::kMethodUsb) return {kModelNames[3], kModelNames[4]};
    return {std::begin(kModelNames), std::end(kModelNames)};
}

ModelChoice openingChoice(uint32_t method, const ModelSettings& model) {
    ModelChoice choice;
    choice.models = modelsFor(method);
    const std::string_view name = modelNameOf(model.boardType);
    choice.model = indexOf(choice.models, name);
    if (choice.model < 0 && !name.empty()) choice.model = indexOf(choice.models, usbModelFor(name));
    fillBoards(choice, method, model.exBoardCode == 8);
    return choice;
}

ModelChoice choiceAfterMethodChange(uint32_t method, std::string_view previousModel, std::string_view previousBoard) {
    ModelChoice choice;
    choice.models = modelsFor(method);
    if (method == remote_api::kMethodUsb) {
        choice.model = indexOf(choice.models, usbModelFor(previousModel));
    } else {
        choice.model = indexOf(choice.models, previousModel);
        // Nothing was selected before: the analyzer a fresh installation assumes.
        if (choice.model < 0) choice.model = indexOf(choice.models, modelNameOf(kDefaultBoardType));
    }
    fillBoards(choice, method, previousBoard == kBoardNames[1] || previousBoard == kBoardNames[2]);
    return choice;
}

ModelChoice choiceAfterModelChange(uint32_t method, std::span<const std::string_view> models, int model,
                                   std::string_view previousBoard) {
    ModelChoice choice;
    choice.models.assign(models.begin(), models.end());
    choice.model = model >= 0 && model < static_cast<int>(models.size()) ? model : -1;
    fillBoards(choice, method, previousBoard == kBoardNames[1] || previousBoard == kBoardNames[2]);
    return choice;
}

ModelSettings modelForSelection(int m, int e, const ModelSettings& current) {
    if (m >= 0 && m < kCanBoardModels) {
        const BoardType offset = static_cast<BoardType>(m);
        if (e == 0) return {65554 + offset, 7};
        if (e == 1) return {65570 + offset, 8};
        return current;
    }
    if (m == 3 && e == kNb3bp) return {73762, 20};
    if (m == 4 && e == kNb3bp) return {73763, 20};
    return current;
}

ModelSettings modelForNames(std::string_view model, std::string_view board, const ModelSettings& current) {
    return modelForSelection(indexOf(kModelNames, model), indexOf(kBoardNames, board), current);
}

uint32_t blockCountFromField(std::string_view text) {
    return parseBlockCount(text.substr(0, std::min(text.size(), kBlockCountReadChars)));
}

}  // namespace zv::prefs
