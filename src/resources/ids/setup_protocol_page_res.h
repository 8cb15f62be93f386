// Setup page "channel protocols" (tree item 10002). Own label ids: 3730..3739.
#ifndef ZV_RESOURCES_SETUP_PROTOCOL_PAGE_RES_H
#define ZV_RESOURCES_SETUP_PROTOCOL_PAGE_RES_H

#define IDD_SETUP_PROTOCOLS        0x3ea

#define IDC_PROTOCOL_CHANNEL1      1134   // combo box: channelProtocol of channel 1
#define IDC_PROTOCOL_CHANNEL2      1135   // combo box: channelProtocol of channel 2
#define IDC_PROTOCOL_TRANSMIT      1136   // combo box: transmitChannel

#endif
