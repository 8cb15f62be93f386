// String-table entries of the language libraries that the program loads by number.
// Shared by the program and the language libraries' .rc files: only #define lines and comments.
//
// Naming rule, checked by the language library's test:
//   ..._FMT       a printf format that takes exactly one number (a result or reason code)
//   ..._TEXT_FMT  a printf format that takes exactly one text (%s)
//   anything else is shown as it is and holds no conversion at all.
#ifndef ZV_RESOURCES_STRING_IDS_H
#define ZV_RESOURCES_STRING_IDS_H

// The UI font: point size, optional blanks, one optional comma, face name ("9,MS Shell Dlg").
#define IDS_UI_FONT                       1

// Toolbar tooltips of the main window
#define IDS_TIP_OPEN_DATA_FILE            5
#define IDS_TIP_SAVE_DATA_FILE_AS         6
#define IDS_TIP_CONNECT                   7
#define IDS_TIP_DISCONNECT                8
#define IDS_TIP_UPLOAD_BUFFER             9
#define IDS_TIP_PREFERENCES               10
#define IDS_TIP_FIND                      11
#define IDS_TIP_FIND_PREVIOUS             12
#define IDS_TIP_FIND_NEXT                 13
#define IDS_TIP_BATCH_CONVERSION          14
#define IDS_TIP_KEY_EMULATION             15
#define IDS_TIP_START_MONITOR             16
#define IDS_TIP_STOP_MEASUREMENT          17
#define IDS_TIP_SETUP_EDITOR              18
#define IDS_TIP_WATCH_SETTINGS            19
#define IDS_TIP_PREVIOUS_BUFFER_FILE      20
#define IDS_TIP_NEXT_BUFFER_FILE          21

// Window title; also the caption of the close and disconnect questions
#define IDS_APP_TITLE                     100

// Preferences dialog: tab labels
#define IDS_PREF_TAB_CONNECTION           242
#define IDS_PREF_TAB_BUFFER               243
#define IDS_PREF_TAB_SCREENSHOT           244
#define IDS_PREF_TAB_MODEL                245
#define IDS_PREF_TAB_SYNCHRONISATION      246

// Preferences dialog: connection methods, parity and flow control entries
#define IDS_METHOD_SERIAL                 251
#define IDS_METHOD_XB40                   253
#define IDS_METHOD_USB                    256
#define IDS_PARITY_NONE                   261
#define IDS_PARITY_EVEN                   262
#define IDS_PARITY_ODD                    263
#define IDS_XCONTROL_OFF                  20042
#define IDS_XCONTROL_ON                   20043

// Preferences dialog: the XB-40 host check
#define IDS_PREF_ERROR_CAPTION            291
#define IDS_HOST_MISSING                  9002

// Missing folders before a connect. The caption takes the folder's tab label
// (IDS_PREF_TAB_BUFFER or IDS_PREF_TAB_SCREENSHOT), the texts take the path.
#define IDS_FOLDER_MISSING_CAPTION_TEXT_FMT   297
#define IDS_BUFFER_FOLDER_MISSING_TEXT_FMT    272
#define IDS_SCREEN_FOLDER_MISSING_TEXT_FMT    274
// ... and the one that could not be created when asked for (same caption)
#define IDS_FOLDER_NOT_CREATED_TEXT_FMT       20048

// Status bar pane 2: connection state
#define IDS_STATE_CONNECTED               287
#define IDS_STATE_CONNECTING              603
#define IDS_STATE_DISCONNECTING           604
#define IDS_STATE_NOT_CONNECTED           20051

// Buffer upload steps (status bar pane 1 and the transfer dialog)
#define IDS_UPLOAD_STEP_1                 2002
#define IDS_UPLOAD_STEP_2                 2004
#define IDS_UPLOAD_STEP_3                 2006
#define IDS_UPLOAD_STEP_4                 2008

// Main window tabs
#define IDS_TAB_CAPTURE                   8001
#define IDS_TAB_MONITOR                   8012

// Connection failures
#define IDS_CONNECTION_LOST               9013
#define IDS_CONNECT_TIMEOUT               9019
#define IDS_CONNECT_HOST_NOT_FOUND        9012
#define IDS_CONNECT_FAILED_FMT            9014
#define IDS_CONNECT_NOT_READY             9061
#define IDS_CONNECT_BUSY                  9064
#define IDS_CONNECT_WRONG_VERSION         9067
#define IDS_CONNECT_REFUSED_AT_ONCE_FMT   20046
#define IDS_UPLOAD_FAILED_FMT             20047
#define IDS_WARNING_CAPTION               20057
// ... that the preferences can mend (caption IDS_APP_TITLE, Yes opens them): no USB analyzer
// with the serial number (%s), a serial port (%s) that does not exist
#define IDS_CONNECT_NO_SUCH_SERIAL_TEXT_FMT 20060
#define IDS_CONNECT_NO_SUCH_PORT_TEXT_FMT   20061
// Why a link ended, when the library names it (caption IDS_WARNING_CAPTION; otherwise
// IDS_CONNECTION_LOST); a connect that fails for one of these reasons shows the same text
#define IDS_LINK_STOPPED_ANSWERING        20066
#define IDS_LINK_MALFORMED_FRAME          20062
#define IDS_LINK_WRONG_LENGTH             20063
#define IDS_LINK_UNEXPECTED_COMPLETION    20064
#define IDS_LINK_UNREQUESTED_DATA         20065
// An upload whose file could not be written (%s: the file and the reason; caption
// IDS_WARNING_CAPTION)
#define IDS_UPLOAD_FILE_FAILED_TEXT_FMT   20068

// Why a measurement ended (caption IDS_MEASUREMENT_CAPTION)
#define IDS_END_MEMORY_FULL               9024
#define IDS_END_TRIGGER                   9025
#define IDS_END_TIME_ELAPSED              9026
#define IDS_END_FRAME_COUNT               9027
#define IDS_END_FILE_COUNT                9028
#define IDS_END_KEY_ON_ANALYZER           9029
#define IDS_END_ANALYZER_ERROR_FMT        9030
#define IDS_END_BOARD_ERROR_FMT           9031
#define IDS_END_SETUP_ERROR_FMT           9032
#define IDS_MEASUREMENT_CAPTION           9033
// ... and a monitor measurement that did not start (same caption)
#define IDS_MONITOR_START_FAILED_FMT      9052   // %08X: the result of the start

// Numbered buffer files and data files
#define IDS_FILE_ERROR_CAPTION            9034
#define IDS_NO_NEIGHBOUR_FILE             9035
#define IDS_DATA_FILE_UNREADABLE          9036
#define IDS_BUFFER_FILES_CAPTION          9022
#define IDS_BUFFER_FILES_EXIST            9023
#define IDS_BUFFER_FILES_FULL             9049
#define IDS_BUFFER_NUMBERS_USED_UP        9050
#define IDS_BUFFER_START_FAILED_FMT       9051   // %08X: the result of creating the first file
// Records a monitor measurement could not write (caption IDS_BUFFER_FILES_CAPTION): %u the
// count, then the file or folder and the reason follow on lines of their own
#define IDS_BUFFER_WRITE_FAILED_FMT       20069
// A data file that save-as, or the working copy of an opened file, could not write
// (%s: the file and the reason; caption IDS_WARNING_CAPTION)
#define IDS_DATA_FILE_SAVE_FAILED_TEXT_FMT 20067
// profile.ini (%s) that the preferences' or the watch dialog's OK could not write
// (caption IDS_FILE_ERROR_CAPTION)
#define IDS_PROFILE_NOT_SAVED_TEXT_FMT    20059
#define IDS_OPEN_DATA_FILE_TITLE          20044
#define IDS_SAVE_DATA_FILE_TITLE          20045

// Status bar while monitoring: "%u [ %s ] [ %s ]" takes these two, each with its number
#define IDS_MONITOR_LOST_DATA_FMT         617
#define IDS_MONITOR_FILE_COUNT_FMT        621
// ... and, after them, once records could not be written
#define IDS_MONITOR_NOT_WRITTEN_FMT       20070

// Watch data dialog: channel and frame-type entries of its combo boxes
#define IDS_WATCH_CHANNEL_1               10115
#define IDS_WATCH_CHANNEL_2               10116
#define IDS_WATCH_STANDARD                10058
#define IDS_WATCH_EXTENDED                10059

// Search dialog: condition kinds 0..5, find or count, the LIN errors' channel, the level
#define IDS_SEARCH_KIND_TRIGGER           10371
#define IDS_SEARCH_KIND_LIN_ERROR         10372
#define IDS_SEARCH_KIND_FRAME             10383
#define IDS_SEARCH_KIND_REMOTE            10384
#define IDS_SEARCH_KIND_TIME              10375
#define IDS_SEARCH_KIND_EXT_LEVEL         10385
#define IDS_SEARCH_MODE_FIND              10381
#define IDS_SEARCH_MODE_COUNT             10382
#define IDS_SEARCH_ALL_CHANNELS           10117   // before IDS_WATCH_CHANNEL_1 and _2
#define IDS_SEARCH_LEVEL_0                10386
#define IDS_SEARCH_LEVEL_1                10387
// ... and the box at the end of a search that selected no row (caption IDS_SEARCH_CAPTION)
#define IDS_SEARCH_CAPTION                20037
#define IDS_SEARCH_NO_MATCH               20036
#define IDS_SEARCH_COUNT_FMT              20038   // the number of matching rows

// Batch conversion: an input that is not a data file. The box shows the file's name, a line
// feed and IDS_CONVERSION_NOT_A_DATA_FILE.
#define IDS_CONVERSION_CAPTION            20055
#define IDS_CONVERSION_NOT_A_DATA_FILE    13026
#define IDS_CONVERSION_OUTPUT_FAILED      13027   // after the output file's name and a line feed
// ... and the entries of its format drop-down: text, CSV, ASC, BLF, candump log, pcapng
#define IDS_CONVERSION_FORMAT_FIRST       13028   // .. 13033

// Questions when closing or disconnecting while connected (caption IDS_APP_TITLE)
#define IDS_CLOSE_WHILE_CONNECTED         9038
#define IDS_CLOSE_WHILE_MEASURING         9039
#define IDS_DISCONNECT_WHILE_MEASURING    9040

// Setup editor: toolbar tooltips (text indexes 0..3 of its toolbar)
#define IDS_SETUP_TIP_OPEN                19151
#define IDS_SETUP_TIP_SAVE                19152
#define IDS_SETUP_TIP_SEND                19153
#define IDS_SETUP_TIP_RECEIVE             19154

// Setup editor: the captions of the page tree, numbered as its keys
#define IDS_PAGE_OPERATION_MODE           10001
#define IDS_PAGE_PROTOCOLS                10002
#define IDS_PAGE_SETTINGS                 10003
#define IDS_PAGE_CHANNELS                 10004
#define IDS_PAGE_CONDITIONS               10008
#define IDS_PAGE_CONDITION_1              10009
#define IDS_PAGE_CONDITION_2              10010
#define IDS_PAGE_CONDITION_3              10011
#define IDS_PAGE_CONDITION_4              10012
#define IDS_PAGE_CONDITION_PARAMETERS     10017
#define IDS_PAGE_SIGNAL_PATTERN           10018
#define IDS_PAGE_TIMER                    10019
#define IDS_PAGE_RECORDING                10020
#define IDS_PAGE_CLOCK                    10021
#define IDS_PAGE_BOARD                    10022
#define IDS_PAGE_TRANSMIT                 10023
#define IDS_PAGE_TRANSMIT_ENTRY_1         10024   // .. 10039 for entry 16
#define IDS_PAGE_CHANNEL_1                10040
#define IDS_PAGE_CHANNEL_2                10041

// Setup pages: the entries of their combo boxes
#define IDS_PROTOCOL_NONE                 10112   // channelProtocol 0
#define IDS_PROTOCOL_CAN                  10113
#define IDS_PROTOCOL_LIN                  10114
#define IDS_CHECKSUM_CLASSIC              10042
#define IDS_CHECKSUM_ENHANCED             10043
#define IDS_LIN_RULES_COMMON              10044   // useIdTable 0
#define IDS_LIN_RULES_PER_ID              10045
#define IDS_CAN_OPTION1_0                 10046
#define IDS_CAN_OPTION1_1                 10047
#define IDS_ID_TABLE_TAB_1                10048   // .. 10051: identifiers 00-0F .. 30-3F
#define IDS_CAN_OPTION2_0                 55      // also the LIN schedule's frame timing
#define IDS_CAN_OPTION2_1                 56
#define IDS_FRAME_TYPE_STANDARD           11345   // .. 11348: the four CAN frame types
#define IDS_VARIATION_MODE_0              11349
#define IDS_VARIATION_MODE_1              11350
#define IDS_LIN_ENTRY_HEADER              11351   // entry kind 0
#define IDS_LIN_ENTRY_RESPONSE            11352   // entry kind 1
#define IDS_TIMER_PERIOD_MONTH            12021   // .. 12023: day / hour / minute apply
#define IDS_SCHEDULE_MODE_SIMPLE          53      // LIN schedule mode 1
#define IDS_SCHEDULE_MODE_TABLE           54      // LIN schedule mode 0
#define IDS_RESOLUTION_FIRST              10151   // .. 10153: time-stamp resolution
#define IDS_THINNING_FIRST                10154   // .. 10158: the frames that are thinned out
#define IDS_RECORD_LENGTH_FIRST           12001   // .. 12003: records of 40, 80, 136 bytes
#define IDS_BUFFER_RING                   12004
#define IDS_BUFFER_STOP                   12005
#define IDS_RECORDING_START_FIRST         12006   // .. 12010
#define IDS_TARGET_MEMORY                 12011   // first target of the AN-1100, AN-2100, AN-6100
#define IDS_TARGET_PC                     12012
#define IDS_TARGET_CARD                   12013   // first target of the other models

// Condition entries: pattern kinds (by board), actions and the entries of their sub-pages
#define IDS_CONDITION_KIND_LIN_ERRORS     10301
#define IDS_CONDITION_KIND_TRIGGER_INPUT  10304
#define IDS_CONDITION_KIND_FRAME          10307
#define IDS_CONDITION_KIND_REMOTE         10308
#define IDS_CONDITION_KIND_SYNC_LINE      10309
#define IDS_CONDITION_KIND_INPUTS         10310
#define IDS_CONDITION_ACTION_FIRST        10311   // .. 10317: actions 0..6
#define IDS_SIGNAL_EDGE_RISING            10321
#define IDS_SIGNAL_EDGE_FALLING           10322
#define IDS_SIGNAL_LEVEL_HIGH             10323
#define IDS_SIGNAL_LEVEL_LOW              10324
#define IDS_LEVEL_LOW                     10329   // also the signal pattern's qualifier level
#define IDS_LEVEL_HIGH                    10330
#define IDS_BEEP_SOUND_FIRST              10331   // .. 10334
#define IDS_TRIGGER_POSITION_FIRST        10341   // .. 10344
#define IDS_PULSE_WIDTH_FIRST             10345   // .. 10347
#define IDS_LEVEL_HOLD_STOP               10348
#define IDS_LEVEL_HOLD_NEXT               10349
#define IDS_REPEAT_ONCE                   10350
#define IDS_REPEAT_EACH_TIME              10351
#define IDS_REPEAT_UNTIL_STOPPED          10352
#define IDS_CONDITION_UNIT_MS             10361   // .. 10363: ms, s, min
#define IDS_MARKER_FIRST                  11301   // .. 11330: markers 1..30

// Signal pattern page
#define IDS_SIGNAL_HOLD_FIRST             12031   // .. 12044: how long the pattern must hold
#define IDS_SIGNAL_RESULT_FIRST           12045   // .. 12047: what a match does

// Analyzer clock page: a date or time out of range
#define IDS_CLOCK_INVALID                 9021
#define IDS_CLOCK_CAPTION                 12051

// Setup files and transfers (caption IDS_FILE_ERROR_CAPTION / IDS_SETUP_CAPTION)
#define IDS_SETUP_CAPTION                 20052
#define IDS_SETUP_SAVE_FAILED_TEXT_FMT    20053   // %s: the file and the reason
#define IDS_SETUP_RECEIVE_FAILED_FMT      20054   // %08X: the result
#define IDS_SETUP_SEND_FAILED_FMT         20058   // %08X: the result
#define IDS_SETUP_NO_LAYOUT               20056   // a save before any board is known

// Key emulation: the frame's title, its toolbar's tooltips, and each key's tooltip (the key's id)
#define IDS_KEYEMU_TITLE                  102
// An LCD picture that could not be saved (%s: the file and the reason; caption IDS_KEYEMU_TITLE)
#define IDS_SCREENSHOT_SAVE_FAILED_TEXT_FMT 20071
#define IDS_KEYEMU_TIP_SAVE               19101
#define IDS_KEYEMU_TIP_COPY               19102
#define IDS_KEYEMU_TIP_MONO               19103
#define IDS_KEYEMU_TIP_MONO_FRAMED        19104
#define IDS_KEYEMU_TIP_COLOUR_FRAMED      19105
#define IDS_KEYEMU_TIP_MAIN_WINDOW        19106
#define IDS_KEY_0                         20000
#define IDS_KEY_1                         20001
#define IDS_KEY_2                         20002
#define IDS_KEY_3                         20003
#define IDS_KEY_4                         20004
#define IDS_KEY_5                         20005
#define IDS_KEY_6                         20006
#define IDS_KEY_7                         20007
#define IDS_KEY_8                         20008
#define IDS_KEY_9                         20009
#define IDS_KEY_A                         20010
#define IDS_KEY_B                         20011
#define IDS_KEY_C                         20012
#define IDS_KEY_D                         20013
#define IDS_KEY_E                         20014
#define IDS_KEY_F                         20015
#define IDS_KEY_MENU                      20016
#define IDS_KEY_Y                         20017
#define IDS_KEY_T                         20018
#define IDS_KEY_STOP                      20019
#define IDS_KEY_RUN                       20020
#define IDS_KEY_DELETE                    20021
#define IDS_KEY_INSERT                    20022
#define IDS_KEY_SHIFT                     20023
#define IDS_KEY_G                         20024
#define IDS_KEY_H                         20025
#define IDS_KEY_LEFT                      20026
#define IDS_KEY_UP                        20027
#define IDS_KEY_DOWN                      20028
#define IDS_KEY_RIGHT                     20029
#define IDS_KEY_PAGE_UP                   20030
#define IDS_KEY_PAGE_DOWN                 20031
#define IDS_KEY_ENTER                     20032
#define IDS_KEY_L                         20033
#define IDS_KEY_K                         20034
#define IDS_KEY_P                         20035

#endif
