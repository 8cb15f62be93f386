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
// A folder: the path over the whole width but a button's, the browse button at the right
#define ZV_ROW_FOLDER(id, row) \
    EDITTEXT id, ZV_MARGIN, ZV_ROW_Y(row), ZV_WIDE_W - ZV_BUTTON_W - ZV_GAP, ZV_FIELD_H, ES_AUTOHSCROLL | WS_TABSTOP
#define ZV_ROW_BROWSE(text, id, row) \
    PUSHBUTTON text, id, ZV_PAGE_W - ZV_MARGIN - ZV_BUTTON_W, ZV_ROW_Y(row) - 1, ZV_BUTTON_W, ZV_BUTTON_H, WS_TABSTOP
#define ZV_ROW_HEADING(text, id, row) \
    LTEXT text, id, ZV_MARGIN, ZV_LABEL_Y(row), ZV_WIDE_W, ZV_LABEL_H

// Buttons in the bottom right corner of a W x H modal dialog; SLOT 0 is the rightmost.
#define ZV_BOTTOM_BUTTON_X(w, slot) ((w) - ZV_MARGIN - ((slot) + 1) * ZV_BUTTON_W - (slot) * ZV_GAP)
#define ZV_BOTTOM_BUTTON_Y(h)       ((h) - ZV_MARGIN - ZV_BUTTON_H)
#define ZV_BOTTOM_DEFBUTTON(text, id, w, h, slot) \
    DEFPUSHBUTTON text, id, ZV_BOTTOM_BUTTON_X(w, slot), ZV_BOTTOM_BUTTON_Y(h), ZV_BUTTON_W, ZV_BUTTON_H, WS_TABSTOP
#define ZV_BOTTOM_BUTTON(text, id, w, h, slot) \
    PUSHBUTTON text, id, ZV_BOTTOM_BUTTON_X(w, slot), ZV_BOTTOM_BUTTON_Y(h), ZV_BUTTON_W, ZV_BUTTON_H, WS_TABSTOP

// The preferences dialog: its tab control leaves room for one page below the tabs
#define ZV_TAB_HEADER_H            14
#define ZV_PREF_W                  (ZV_PAGE_W + 2 * ZV_MARGIN + 8)
#define ZV_PREF_TAB_H              (ZV_PAGE_H + ZV_TAB_HEADER_H + 8)
#define ZV_PREF_H                  (ZV_MARGIN + ZV_PREF_TAB_H + ZV_GAP + ZV_BUTTON_H + ZV_MARGIN)

#endif
