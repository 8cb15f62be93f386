// Search condition kind 0: records with the trigger mark. The page only explains itself.
// Own label ids: 4110..4114.
#ifndef ZV_RESOURCES_SEARCH_TRIGGER_RES_H
#define ZV_RESOURCES_SEARCH_TRIGGER_RES_H

#define IDD_SEARCH_TRIGGER         0x5f7

#endif
