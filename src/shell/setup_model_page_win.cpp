// Moving view members in and out of controls, by the member's type.
#include "shell/setup_model_page_win.h"

#include "shell/main_window_win.h"
#include "zvlkctrl/core/control_messages.h"

namespace zv::shell::controls {
namespace {

std::string textOf(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    const int got = GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

}  // namespace

void write(HWND control, const FieldRef& field) {
    std::visit(
        [control](auto* value) {
            using T = std::remove_pointer_t<decltype(value)>;
            if constexpr (std::is_same_v<T, int>) {
                SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(*value), 0);
            } else if constexpr (std::is_same_v<T, bool>) {
                SendMessageA(control, BM_SETCHECK, *value ? BST_CHECKED : BST_UNCHECKED, 0);
            } else if constexpr (std::is_same_v<T, std::string>) {
                if (textOf(control) != *value) SetWindowTextA(control, value->c_str());
            } else if constexpr (std::is_same_v<T, std::vector<uint8_t>>) {
                SendMessageA(control, ctrl::kMsgSetBytes, value->size(), reinterpret_cast<LPARAM>(value->data()));
            } else if constexpr (std::is_same_v<T, BitPattern>) {
                int pair[2] = {static_cast<int>(value->mask), static_cast<int>(value->value)};
                SendMessageA(control, ctrl::kMsgSetValue, 0, reinterpret_cast<LPARAM>(pair));
            } else {
                SendMessageA(control, ctrl::kMsgSetValue, 8, reinterpret_cast<LPARAM>(value->data()));
            }
        },
        field);
}

void read(HWND control, const FieldRef& field) {
    std::visit(
        [control](auto* value) {
            using T = std::remove_pointer_t<decltype(value)>;
            if constexpr (std::is_same_v<T, int>) {
                *value = static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
            } else if constexpr (std::is_same_v<T, bool>) {
                *value = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
            } else if constexpr (std::is_same_v<T, std::string>) {
                *value = textOf(control);
            } else if constexpr (std::is_same_v<T, std::vector<uint8_t>>) {
                uint8_t bytes[8] = {};
                const LRESULT n = SendMessageA(control, ctrl::kMsgGetBytes, sizeof bytes, reinterpret_cast<LPARAM>(bytes));
                value->assign(bytes, bytes + std::clamp<LRESULT>(n, 0, 8));
            } else if constexpr (std::is_same_v<T, BitPattern>) {
                int pair[2] = {0, 0};
                SendMessageA(control, ctrl::kMsgGetValue, 0, reinterpret_cast<LPARAM>(pair));
                value->mask = static_cast<uint32_t>(pair[0]);
                value->value = static_cast<uint32_t>(pair[1]);
            } else {
                SendMessageA(control, ctrl::kMsgGetValue, 8, reinterpret_cast<LPARAM>(value->data()));
            }
        },
        field);
}

void fillWithStrings(const SetupEditorContext& context, HWND combo, int firstString, int count) {
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        const std::string text = loadText(context.main, static_cast<UINT>(firstString + i));
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void configureBits(HWND field, int bits) { SendMessageA(field, ctrl::kMsgConfigure, 0, bits); }

void chain(HWND field, int next) { SendMessageA(field, ctrl::kMsgGetBytes, ctrl::kChainParam, next); }

}  // namespace zv::shell::controls
