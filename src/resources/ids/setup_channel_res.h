// Setup channel page (tree items 10040 and 10041): the CAN or the LIN sub-page of one
// channel. Own label ids: 3740..3744.
#ifndef ZV_RESOURCES_SETUP_CHANNEL_RES_H
#define ZV_RESOURCES_SETUP_CHANNEL_RES_H

#define IDD_SETUP_CHANNEL          0x43a

#define IDC_CHANNEL_PLACE          2001   // the CAN or the LIN sub-page

#endif
