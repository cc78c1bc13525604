// Resource numbers of Taskel.dll, one header for every folder of the library
// (the resource scripts beside each folder's code and the code that loads
// them).
#pragma once

#define IDS_FILE_TYPE_NAME 1
#define IDI_COMMAND_FILE 1
#define IDS_INFOTIP_COPY 3042
#define IDS_INFOTIP_COPYRENAME 3043
#define IDS_INFOTIP_DELETE 3044
#define IDS_INFOTIP_MOVE 3045
#define IDS_INFOTIP_MOVERENAME 3046
#define IDS_INFOTIP_RENAME 3047
#define IDS_INFOTIP_TO 3048
#define IDS_INFOTIP_TITLE 3049
#define IDS_COMMAND_EXISTS 3066
#define IDS_COMMAND_MISSING 3069
#define IDS_APP_TITLE 57344

// The editor. The UI kit's own numbers (uikit/UikitResources.h) are taken
// too: 101 the program icon, 3010 "What's This?".
#define IDS_COMMAND 3002
#define IDS_PRODUCT_LINE 3006
#define IDS_PREFERENCES 3028
#define IDD_PREFERENCES 125
#define IDD_COMMAND_PLACEHOLDER 190
#define IDC_PREF_PRODUCT 2010
#define IDC_PREF_DESCRIPTIONS 2013
#define IDC_PREF_SPECIFICATIONS 2014
#define IDC_PREF_SHOW_HIDDEN 2031
#define IDC_PREF_ADVANCED 2035
#define IDC_PREF_LINK 2042
#define IDC_PLACEHOLDER_TEXT 2190
