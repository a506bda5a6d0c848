// Identifiers of the program's resources and of the main dialog's controls, shared by the code and the .rc.
#pragma once

#define IDD_QX_SCANF_DIALOG 102

#define IDC_DEVICE_LIST 1000
#define IDC_SEARCH 1001
#define IDC_ADD 1002
#define IDC_OPEN_WEB 1003
#define IDC_MODIFY_IP 1004
#define IDC_NEW_IP 1005
#define IDC_MASK 1006
#define IDC_GATEWAY 1007
#define IDC_OLD_IP 1008
#define IDC_DHCP 1009
#define IDC_PING 1010
#define IDC_CLOSE 1011
#define IDC_CAPTION 1012
#define IDC_LABEL_OLD_IP 1013
#define IDC_LABEL_NEW_IP 1014
#define IDC_LABEL_MASK 1015
#define IDC_LABEL_GATEWAY 1016
#define IDC_MINIMIZE 1017

#define IDB_CLOSE_PRESSED 142
#define IDB_CLOSE_HOVER 143
#define IDB_CLOSE_NORMAL 144
#define IDB_MINIMIZE_NORMAL 150
#define IDB_MINIMIZE_PRESSED 151
#define IDB_MINIMIZE_HOVER 152
#define IDI_MAIN 153
#define IDB_BACKGROUND 160
