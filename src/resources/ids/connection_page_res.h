// Preferences page "Connection". The program shows and hides the rows by method:
// serial port, XB-40 (LAN) or USB. Own control ids: 1101..1112.
#ifndef ZV_RESOURCES_CONNECTION_PAGE_RES_H
#define ZV_RESOURCES_CONNECTION_PAGE_RES_H

#define IDD_PREF_CONNECTION              0x77

#define IDC_CONN_METHOD                  40019  // drop-down list: serial, XB-40, USB
#define IDC_CONN_METHOD_LABEL            1107

// Serial port
#define IDC_CONN_PORT                    40020  // combo box COM1..COM9, 15 characters at most
#define IDC_CONN_PORT_LABEL              1104

// XB-40 LAN adapter
#define IDC_CONN_HOST                    2024
#define IDC_CONN_HOST_LABEL              1101
#define IDC_CONN_DATA_SERVICE            2025
#define IDC_CONN_DATA_SERVICE_LABEL      1102
#define IDC_CONN_DATA_SERVICE_HINT       1105
#define IDC_CONN_CONTROL_SERVICE         2026
#define IDC_CONN_CONTROL_SERVICE_LABEL   1103
#define IDC_CONN_CONTROL_SERVICE_HINT    1106

// Line settings (serial port and XB-40)
#define IDC_CONN_BAUD_RATE               2073
#define IDC_CONN_BAUD_RATE_LABEL         1109
#define IDC_CONN_DATA_BITS               2048
#define IDC_CONN_DATA_BITS_LABEL         1110
#define IDC_CONN_PARITY                  2049
#define IDC_CONN_PARITY_LABEL            1111
#define IDC_CONN_XCONTROL                40026
#define IDC_CONN_XCONTROL_LABEL          1112

// USB
#define IDC_CONN_SERIAL_NUMBER           40021  // combo box of the attached analyzers
#define IDC_CONN_SERIAL_NUMBER_LABEL     1108

#endif
