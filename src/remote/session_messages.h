// Message numbers the session posts, and the string numbers of its one warning box. Shared by
// the session, its Win32 binding, the main window, the setup window and the key-emulation
// panel (and the language library's resources for the strings).
#pragma once

#include <cstdint>

namespace zv {

// To the main window.
constexpr uint32_t UM_REQUEST_DONE = 0x8000;         // lParam: the request, with one reference
constexpr uint32_t UM_CONNECTION_STATE = 0x8001;     // lParam: the connection state
constexpr uint32_t UM_REMOTE_CLOSE = 0x8002;         // lParam: the remote object, with one reference
constexpr uint32_t UM_UPLOAD_DONE = 0x8003;          // wParam: the result, 32 bits (read it as int32_t)
constexpr uint32_t UM_UPLOAD_STEP = 0x8004;          // wParam: step 1..4 (arrive as 1, 3, 2, 4)
constexpr uint32_t UM_TRANSFER_PROGRESS = 0x8005;    // wParam: total << 16 | done, both 16 bits
constexpr uint32_t UM_CONNECTION_LOST = 0x8006;     // wParam: the result the link ended with (0: not known)
constexpr uint32_t UM_MEASUREMENT_ENDED = 0x8065;
constexpr uint32_t UM_MONITOR_FILE_CLOSED = 0x806E;  // no action
// The program's own, to the main window: what the library's threads must not do themselves
// because it waits for the UI thread, which may at that moment be waiting for them.
constexpr uint32_t UM_SESSION_WARNING = 0x8101;  // lParam: a SessionWarning, owned by the message
constexpr uint32_t UM_BOARD_TEXT = 0x8102;       // pane 3 from the session's board text
constexpr uint32_t UM_STOP_REQUESTED = 0x8103;   // stop the measurement (after a connect, at the file limit)
constexpr uint32_t UM_BUFFER_WRITE_REPORT = 0x8104;  // tell what a measurement could not write

// To the setup window. wParam: the request's result, 32 bits (0 or positive: done).
constexpr uint32_t UM_SETUP_RECEIVED_2000 = 32871;
constexpr uint32_t UM_SETUP_RECEIVED_6000 = 32872;
constexpr uint32_t UM_SETUP_RECEIVED_6100 = 32873;
constexpr uint32_t UM_SETUP_SENT_2000 = 32874;
constexpr uint32_t UM_SETUP_SENT_6000 = 32875;
constexpr uint32_t UM_SETUP_SENT_6100 = 32876;
constexpr uint32_t UM_SETUP_CONNECTION_LOST = 32877;  // posted by the main window

// To the key-emulation panel, with one of the wParam values below.
constexpr uint32_t UM_KEYEMU_SESSION = 0x8000;
constexpr uint32_t kKeyEmuModelChanged = 0;
constexpr uint32_t kKeyEmuConnectionChanged = 1;
constexpr uint32_t kKeyEmuScreenChanged = 4;

// Upload steps as UM_UPLOAD_STEP carries them.
constexpr uint32_t kUploadStepInformation = 1;  // block 0x8100
constexpr uint32_t kUploadStepRecords = 2;      // block 0x8101, the large one
constexpr uint32_t kUploadStepSummary = 3;      // block 0x8102
constexpr uint32_t kUploadStepTrailer = 4;      // block 0x8103

// Dialog commands the session sends or posts to the transfer dialog.
constexpr uint32_t kCommandCancel = 2;

// Strings of the end-of-measurement warning.
constexpr uint32_t kStringEndReasonCaption = 9033;
constexpr uint32_t kStringEndReasonFirst = 9024;    // codes 4..9 -> 9024..9029
constexpr uint32_t kStringEndReasonF000 = 9030;     // "%u" of code - 0xF000
constexpr uint32_t kStringEndReasonF800 = 9031;     // "%u" of code - 0xF800
constexpr uint32_t kStringEndReason10000 = 9032;    // "%u" of code - 0x10000

// Strings of the box that says why a link ended, by the result the library ended it with.
constexpr uint32_t kStringLinkLost = 9013;
constexpr uint32_t kStringLinkStoppedAnswering = 20066;
constexpr uint32_t kStringLinkMalformedFrame = 20062;
constexpr uint32_t kStringLinkWrongLength = 20063;
constexpr uint32_t kStringLinkUnexpectedCompletion = 20064;
constexpr uint32_t kStringLinkUnrequestedData = 20065;

}  // namespace zv
