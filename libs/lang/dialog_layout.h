// Layout of the language libraries' dialog templates, in dialog units. Every template places
// its controls through these macros, so that all languages share one grid and a change of
// spacing is made once. Only #define lines and comments: this file is read by the resource
// compiler.
//
// A page is a grid of two columns; each column holds rows of "label, field". Rows are
// ZV_ROW_STEP apart and start at ZV_MARGIN. Controls that the program shows and hides by
// turns (the connection page) share a row.
#ifndef ZV_LANG_DIALOG_LAYOUT_H
#define ZV_LANG_DIALOG_LAYOUT_H

#define ZV_DIALOG_FONT             FONT 8, "MS Shell Dlg"
#define ZV_MODAL_STYLE             DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU
#define ZV_PAGE_STYLE              DS_SETFONT | DS_CONTROL | WS_CHILD

#define ZV_MARGIN                  7
#define ZV_GAP                     4
#define ZV_ROW_STEP                16
#define ZV_FIELD_H                 12
#define ZV_LABEL_H                 8
#define ZV_CHECK_H                 10
#define ZV_LIST_DROP_H             100
#define ZV_BUTTON_W                50
#define ZV_BUTTON_H                14

// Pages of the preferences dialog
#define ZV_PAGE_W                  262
#define ZV_PAGE_H                  118
#define ZV_COL_W                   122
#define ZV_LABEL_W                 48
#define ZV_FIELD_W                 (ZV_COL_W - ZV_LABEL_W - ZV_GAP)
#define ZV_SHORT_FIELD_W           30
#define ZV_WIDE_W                  (ZV_PAGE_W - 2 * ZV_MARGIN)

#define ZV_COL_X(col)              (ZV_MARGIN + (col) * (ZV_COL_W + 2 * ZV_GAP))
#define ZV_FIELD_X(col)            (ZV_COL_X(col) + ZV_LABEL_W + ZV_GAP)
#define ZV_ROW_Y(row)              (ZV_MARGIN + (row) * ZV_ROW_STEP)
// Labels sit two units lower than their field, so that the baselines meet.
#define ZV_LABEL_Y(row)            (ZV_ROW_Y(row) + 2)

#define ZV_ROW_LABEL(text, id, col, row) \
    LTEXT text, id, ZV_COL_X(col), ZV_LABEL_Y(row), ZV_LABEL_W, ZV_LABEL_H
#define ZV_ROW_EDIT(id, col, row) \
    EDITTEXT id, ZV_FIELD_X(col), ZV_ROW_Y(row), ZV_FIELD_W, ZV_FIELD_H, ES_AUTOHSCROLL | WS_TABSTOP
// A short field (a port number) with a hint to its right
#define ZV_ROW_SHORT_EDIT(id, col, row) \
    EDITTEXT id, ZV_FIELD_X(col), ZV_ROW_Y(row), ZV_SHORT_FIELD_W, ZV_FIELD_H, ES_AUTOHSCROLL | WS_TABSTOP
#define ZV_ROW_SHORT_HINT(text, id, col, row) \
    LTEXT text, id, ZV_FIELD_X(col) + ZV_SHORT_FIELD_W + ZV_GAP, ZV_LABEL_Y(row), \
          ZV_FIELD_W - ZV_SHORT_FIELD_W - ZV_GAP, ZV_LABEL_H
#define ZV_ROW_NUMBER_EDIT(id, col, row) \
    EDITTEXT id, ZV_FIELD_X(col), ZV_ROW_Y(row), ZV_SHORT_FIELD_W, ZV_FIELD_H, ES_AUTOHSCROLL | ES_NUMBER | WS_TABSTOP
#define ZV_ROW_DROP_LIST(id, col, row) \
    COMBOBOX id, ZV_FIELD_X(col), ZV_ROW_Y(row), ZV_FIELD_W, ZV_LIST_DROP_H, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
#define ZV_ROW_COMBO(id, col, row) \
    COMBOBOX id, ZV_FIELD_X(col), ZV_ROW_Y(row), ZV_FIELD_W, ZV_LIST_DROP_H, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP
#define ZV_ROW_CHECK(text, id, row) \
    AUTOCHECKBOX text, id, ZV_MARGIN, ZV_ROW_Y(row) + 1, ZV_WIDE_W, ZV_CHECK_H, WS_TABSTOP
// A note over the whole width, NLINES lines high
#define ZV_ROW_NOTE(text, id, row, nlines) \
    LTEXT text, id, ZV_MARGIN, ZV_LABEL_Y(row), ZV_WIDE_W, (nlines) * ZV_LABEL_H
// A folder: the path over the whole width but a button's, the browse button at the right.
// The _BESIDE and _W forms take the button's width (for a longer button text).
#define ZV_ROW_FOLDER_BESIDE(id, row, bw) \
    EDITTEXT id, ZV_MARGIN, ZV_ROW_Y(row), ZV_WIDE_W - (bw) - ZV_GAP, ZV_FIELD_H, ES_AUTOHSCROLL | WS_TABSTOP
#define ZV_ROW_BROWSE_W(text, id, row, bw) \
    PUSHBUTTON text, id, ZV_PAGE_W - ZV_MARGIN - (bw), ZV_ROW_Y(row) - 1, bw, ZV_BUTTON_H, WS_TABSTOP
#define ZV_ROW_FOLDER(id, row)       ZV_ROW_FOLDER_BESIDE(id, row, ZV_BUTTON_W)
#define ZV_ROW_BROWSE(text, id, row) ZV_ROW_BROWSE_W(text, id, row, ZV_BUTTON_W)
#define ZV_ROW_HEADING(text, id, row) \
    LTEXT text, id, ZV_MARGIN, ZV_LABEL_Y(row), ZV_WIDE_W, ZV_LABEL_H

// Buttons in the bottom right corner of a W x H modal dialog; SLOT 0 is the rightmost.
#define ZV_BOTTOM_BUTTON_X(w, slot) ((w) - ZV_MARGIN - ((slot) + 1) * ZV_BUTTON_W - (slot) * ZV_GAP)
#define ZV_BOTTOM_BUTTON_Y(h)       ((h) - ZV_MARGIN - ZV_BUTTON_H)
#define ZV_BOTTOM_DEFBUTTON(text, id, w, h, slot) \
    DEFPUSHBUTTON text, id, ZV_BOTTOM_BUTTON_X(w, slot), ZV_BOTTOM_BUTTON_Y(h), ZV_BUTTON_W, ZV_BUTTON_H, WS_TABSTOP
#define ZV_BOTTOM_BUTTON(text, id, w, h, slot) \
    PUSHBUTTON text, id, ZV_BOTTOM_BUTTON_X(w, slot), ZV_BOTTOM_BUTTON_Y(h), ZV_BUTTON_W, ZV_BUTTON_H, WS_TABSTOP

// Wider buttons for longer texts ("Find previous"), in the same corner
#define ZV_WIDE_BUTTON_W           64
#define ZV_BOTTOM_WIDE_BUTTON_X(w, slot) ((w) - ZV_MARGIN - ((slot) + 1) * ZV_WIDE_BUTTON_W - (slot) * ZV_GAP)
#define ZV_BOTTOM_WIDE_DEFBUTTON(text, id, w, h, slot) \
    DEFPUSHBUTTON text, id, ZV_BOTTOM_WIDE_BUTTON_X(w, slot), ZV_BOTTOM_BUTTON_Y(h), ZV_WIDE_BUTTON_W, ZV_BUTTON_H, WS_TABSTOP
#define ZV_BOTTOM_WIDE_BUTTON(text, id, w, h, slot) \
    PUSHBUTTON text, id, ZV_BOTTOM_WIDE_BUTTON_X(w, slot), ZV_BOTTOM_BUTTON_Y(h), ZV_WIDE_BUTTON_W, ZV_BUTTON_H, WS_TABSTOP
// An invisible placeholder of a page at X, Y (dialog units) in a modal dialog
#define ZV_PLACE(id, x, y, w, h) \
    CONTROL "", id, "Static", SS_BLACKFRAME | NOT WS_VISIBLE, x, y, w, h

// The preferences dialog: its tab control leaves room for one page below the tabs
#define ZV_TAB_HEADER_H            14
#define ZV_PREF_W                  (ZV_PAGE_W + 2 * ZV_MARGIN + 8)
#define ZV_PREF_TAB_H              (ZV_PAGE_H + ZV_TAB_HEADER_H + 8)
#define ZV_PREF_H                  (ZV_MARGIN + ZV_PREF_TAB_H + ZV_GAP + ZV_BUTTON_H + ZV_MARGIN)

// The setup editor. Its pages and their sub-pages share one grid of rows ZV_ROW_STEP high:
// row r of any of them lies at ZV_SETUP_ROW_Y(r), and a sub-page that begins at row r of its
// parent lies at ZV_SETUP_BAND_Y(r), so that its rows continue the parent's. A sub-page of
// n rows is ZV_SETUP_BAND_H(n) high. Sub-page placeholders are invisible statics of exactly
// the sub-page's size (ZV_SETUP_PLACE); the program lays the sub-page onto them.
#define ZV_SETUP_ROW_TOP           2
#define ZV_SETUP_ROW_Y(row)        (ZV_SETUP_ROW_TOP + (row) * ZV_ROW_STEP)
#define ZV_SETUP_LABEL_Y(row)      (ZV_SETUP_ROW_Y(row) + 2)
#define ZV_SETUP_BAND_Y(row)       ((row) * ZV_ROW_STEP)
#define ZV_SETUP_BAND_H(rows)      ((rows) * ZV_ROW_STEP)

// Every page (and the channel page's CAN and LIN sub-pages) has this size.
#define ZV_SETUP_PAGE_W            280
#define ZV_SETUP_PAGE_H            ZV_SETUP_BAND_H(14)
// Sub-pages
#define ZV_SETUP_SCHEDULE_W        ZV_SETUP_PAGE_W           // LIN schedule window, rows 2..13
#define ZV_SETUP_SCHEDULE_H        ZV_SETUP_BAND_H(12)
#define ZV_SETUP_CHANNEL_SUB_W     ZV_SETUP_PAGE_W           // CAN and LIN sub-page of a channel
#define ZV_SETUP_CHANNEL_SUB_H     ZV_SETUP_PAGE_H
#define ZV_SETUP_TIMING_W          150                       // bit timing, rows 3..8, left
#define ZV_SETUP_TIMING_H          ZV_SETUP_BAND_H(6)
#define ZV_SETUP_PAIRS_W           (ZV_SETUP_PAGE_W - ZV_SETUP_TIMING_W)   // value pairs, right
#define ZV_SETUP_PAIRS_H           ZV_SETUP_BAND_H(4)
#define ZV_SETUP_LIN_SUB_W         ZV_SETUP_PAGE_W           // time-out or identifier table, rows 3..13
#define ZV_SETUP_LIN_SUB_H         ZV_SETUP_BAND_H(11)
#define ZV_SETUP_ID_LIST_W         258                       // identifier list inside the tabs
#define ZV_SETUP_ID_LIST_H         ZV_SETUP_BAND_H(9)
#define ZV_SETUP_LIN_DATA_W        ZV_SETUP_PAGE_W           // LIN entry data, rows 2..4
#define ZV_SETUP_LIN_DATA_H        ZV_SETUP_BAND_H(3)
#define ZV_SETUP_VARIATION_W       ZV_SETUP_PAGE_W           // variation of a transmit entry
#define ZV_SETUP_VARIATION_H       ZV_SETUP_BAND_H(7)
#define ZV_SETUP_TIME_INDENT       12                        // start / stop time of the timer
#define ZV_SETUP_TIME_W            200
#define ZV_SETUP_TIME_H            ZV_SETUP_BAND_H(1)
#define ZV_SETUP_SCHEDULE_SUB_W    ZV_SETUP_SCHEDULE_W       // schedule table or simple, rows 1..11
#define ZV_SETUP_SCHEDULE_SUB_H    ZV_SETUP_BAND_H(11)
#define ZV_SETUP_PATTERN_W         ZV_SETUP_PAGE_W           // pattern of a condition entry, rows 1..7
#define ZV_SETUP_PATTERN_H         ZV_SETUP_BAND_H(7)
#define ZV_SETUP_ACTION_W          ZV_SETUP_PAGE_W           // action of a condition entry, rows 9..11
#define ZV_SETUP_ACTION_H          ZV_SETUP_BAND_H(3)
#define ZV_SETUP_SIGNAL_W          ZV_SETUP_PAGE_W           // signal pattern settings, rows 1..5
#define ZV_SETUP_SIGNAL_H          ZV_SETUP_BAND_H(5)
#define ZV_SETUP_THINNING_W        ZV_SETUP_PAGE_W           // thinning of the settings page, rows 6..8
#define ZV_SETUP_THINNING_H        ZV_SETUP_BAND_H(3)
#define ZV_SETUP_RECORDING_PC_W    ZV_SETUP_PAGE_W           // PC target of the recording page, row 4
#define ZV_SETUP_RECORDING_PC_H    ZV_SETUP_BAND_H(1)
// The slot table of the LIN schedule, a window of the program: sixteen rows that scroll,
// about eight of them in view. Rows 4..10 of the schedule-table sub-page.
#define ZV_SETUP_SLOTS_W           220
#define ZV_SETUP_SLOTS_H           ZV_SETUP_BAND_H(7)

// Columns: a label, then its field; a second column starts at ZV_SETUP_COL2_X.
#define ZV_SETUP_LABEL_X           ZV_MARGIN
#define ZV_SETUP_LABEL_W           76
#define ZV_SETUP_FIELD_X           (ZV_SETUP_LABEL_X + ZV_SETUP_LABEL_W + ZV_GAP)
#define ZV_SETUP_COL2_X            (ZV_SETUP_FIELD_X + ZV_SETUP_LIST_W + 2 * ZV_GAP)
#define ZV_SETUP_COL2_LABEL_W      44
#define ZV_SETUP_COL2_FIELD_X      (ZV_SETUP_COL2_X + ZV_SETUP_COL2_LABEL_W + ZV_GAP)
// Field widths: an edit for N characters, drop-down lists, hexadecimal inputs
#define ZV_EDIT_W(chars)           ((chars) * 4 + 10)
#define ZV_COMBO_ARROW_W           12
#define ZV_SETUP_NUMBER_LIST_W     30                        // "0".."8"
#define ZV_SETUP_LIST_W            64
#define ZV_SETUP_WIDE_LIST_W       110
#define ZV_HEX_BYTE_W              20
#define ZV_HEX_PAIR_W              40
#define ZV_HEX_BYTES_W             110
#define ZV_SETUP_BUTTON_W          56
#define ZV_SETUP_CONDITION_LIST_W  140                       // pattern kinds, actions, long choices
// Bit-pattern fields: zvlkctrl paints one cell per bit, as wide as its widest digit plus six
// pixels, an eighth of a cell apart, two pixels in from its own frame.
#define ZV_BIT_CELL_W              10
#define ZV_BIT_PATTERN_W(bits)     ((bits) * ZV_BIT_CELL_W + 4)

#define ZV_SETUP_LABEL(text, id, x, row, w) \
    LTEXT text, id, x, ZV_SETUP_LABEL_Y(row), w, ZV_LABEL_H
#define ZV_SETUP_DROP_LIST(id, x, row, w) \
    COMBOBOX id, x, ZV_SETUP_ROW_Y(row), w, ZV_LIST_DROP_H, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
#define ZV_SETUP_COMBO(id, x, row, w) \
    COMBOBOX id, x, ZV_SETUP_ROW_Y(row), w, ZV_LIST_DROP_H, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP
#define ZV_SETUP_EDIT(id, x, row, chars, style) \
    EDITTEXT id, x, ZV_SETUP_ROW_Y(row), ZV_EDIT_W(chars), ZV_FIELD_H, ES_AUTOHSCROLL | WS_TABSTOP | style
#define ZV_SETUP_HEX_INPUT(id, x, row, w) \
    CONTROL "", id, "VRX_HexInput", WS_TABSTOP | WS_BORDER, x, ZV_SETUP_ROW_Y(row), w, ZV_FIELD_H
#define ZV_SETUP_BIT_PATTERN(id, x, row, bits) \
    CONTROL "", id, "VRX_BitPattern", WS_TABSTOP, x, ZV_SETUP_ROW_Y(row), ZV_BIT_PATTERN_W(bits), ZV_FIELD_H
#define ZV_SETUP_CHECK(text, id, x, row, w) \
    AUTOCHECKBOX text, id, x, ZV_SETUP_ROW_Y(row) + 1, w, ZV_CHECK_H, WS_TABSTOP
#define ZV_SETUP_BUTTON(text, id, x, row) \
    PUSHBUTTON text, id, x, ZV_SETUP_ROW_Y(row) - 1, ZV_SETUP_BUTTON_W, ZV_BUTTON_H, WS_TABSTOP
#define ZV_SETUP_NOTE(text, id, row, nlines) \
    LTEXT text, id, ZV_MARGIN, ZV_SETUP_LABEL_Y(row), ZV_SETUP_PAGE_W - 2 * ZV_MARGIN, (nlines) * ZV_LABEL_H
#define ZV_SETUP_PLACE(id, x, row, w, h) \
    CONTROL "", id, "Static", SS_BLACKFRAME | NOT WS_VISIBLE, x, ZV_SETUP_BAND_Y(row), w, h
// Read-only lists (the transmit table overview) use a closer step.
#define ZV_SETUP_LIST_STEP         12
#define ZV_SETUP_LIST_Y(row)       (ZV_SETUP_ROW_TOP + 2 + (row) * ZV_SETUP_LIST_STEP)

// The search dialog: its condition page lies below the margin and above the buttons; the
// page of the condition kind begins at row 2 of the condition page. The kind pages use the
// setup grid (label, then field at ZV_SETUP_FIELD_X).
#define ZV_SEARCH_KIND_W           266
#define ZV_SEARCH_KIND_H           ZV_SETUP_BAND_H(7)
#define ZV_SEARCH_CONDITION_W      ZV_SEARCH_KIND_W
#define ZV_SEARCH_CONDITION_H      (ZV_SETUP_BAND_H(2) + ZV_SEARCH_KIND_H)
#define ZV_SEARCH_W                ZV_SEARCH_CONDITION_W
#define ZV_SEARCH_H                (ZV_MARGIN + ZV_SEARCH_CONDITION_H + ZV_GAP + ZV_BUTTON_H + ZV_MARGIN)
// The time fields of the search: three edits of two characters with a separator between them
#define ZV_SEARCH_TIME_SEP_W       6
#define ZV_SEARCH_TIME_X(n)        (ZV_SETUP_FIELD_X + (n) * (ZV_EDIT_W(2) + ZV_SEARCH_TIME_SEP_W))
#define ZV_SEARCH_TIME_SEP(text, n) \
    CTEXT text, -1, ZV_SEARCH_TIME_X(n) + ZV_EDIT_W(2), ZV_SETUP_LABEL_Y(0), ZV_SEARCH_TIME_SEP_W, ZV_LABEL_H
// A note over the whole width of a kind page, NLINES lines high
#define ZV_SEARCH_NOTE(text, id, row, nlines) \
    LTEXT text, id, ZV_MARGIN, ZV_SETUP_LABEL_Y(row), ZV_SEARCH_KIND_W - 2 * ZV_MARGIN, (nlines) * ZV_LABEL_H

// The batch conversion dialog, on the preferences grid (ZV_ROW_Y): the folder with its two
// buttons, the file list with the selection buttons beside it, the options (the format, then
// channels and raw values, then the two check boxes), the two progress bars, Start, Stop and
// Close.
#define ZV_BATCH_W                 300
#define ZV_BATCH_LIST_ROWS         7
#define ZV_BATCH_OPTIONS_ROW       (2 + ZV_BATCH_LIST_ROWS)
#define ZV_BATCH_PROGRESS_ROW      (ZV_BATCH_OPTIONS_ROW + 4)
#define ZV_BATCH_H                 (ZV_ROW_Y(ZV_BATCH_PROGRESS_ROW + 2) + ZV_GAP + ZV_BUTTON_H + ZV_MARGIN)
#define ZV_BATCH_WIDE_W            (ZV_BATCH_W - 2 * ZV_MARGIN)
#define ZV_BATCH_SIDE_X            (ZV_BATCH_W - ZV_MARGIN - ZV_SETUP_BUTTON_W)
#define ZV_BATCH_SIDE2_X           (ZV_BATCH_SIDE_X - ZV_GAP - ZV_SETUP_BUTTON_W)
#define ZV_BATCH_LABEL_W           70
#define ZV_BATCH_FIELD_X           (ZV_MARGIN + ZV_BATCH_LABEL_W + ZV_GAP)
#define ZV_BATCH_COL2_X            (ZV_BATCH_W / 2 + ZV_GAP)
#define ZV_BATCH_COL2_FIELD_X      (ZV_BATCH_COL2_X + ZV_BATCH_LABEL_W + ZV_GAP)
#define ZV_BATCH_LIST_W            56
#define ZV_BATCH_FORMAT_W          80                        // "candump log"
#define ZV_BATCH_PROGRESS_H        10

// The page frame: the tree of page captions, the page beside it, a hint below the page
#define ZV_SETUP_TREE_W            116
#define ZV_SETUP_FRAME_PAGE_X      (ZV_SETUP_TREE_W + ZV_GAP)
#define ZV_SETUP_FRAME_W           (ZV_SETUP_FRAME_PAGE_X + ZV_SETUP_PAGE_W)
#define ZV_SETUP_FRAME_H           (ZV_SETUP_PAGE_H + ZV_GAP + ZV_LABEL_H)
// The setup window: board text and, at the right, room for the toolbar the program creates
// (20 pixels high at y = 4 pixels); the frame; the check box and Close at the bottom.
#define ZV_SETUP_TOOLBAR_ROOM_W    110
#define ZV_SETUP_TOOLBAR_ROOM_H    16
#define ZV_SETUP_FRAME_Y           (ZV_SETUP_TOOLBAR_ROOM_H + ZV_GAP)
#define ZV_SETUP_WINDOW_W          (ZV_SETUP_FRAME_W + 2 * ZV_MARGIN)
#define ZV_SETUP_WINDOW_H          (ZV_SETUP_FRAME_Y + ZV_SETUP_FRAME_H + ZV_GAP + ZV_BUTTON_H + ZV_MARGIN)

#endif
