#pragma once

// Resource and control ids of the dialog program, shared by the .rc file and the code.
#define IDD_MAIN_DIALOG 129
#define IDS_APP_TITLE 103
#define IDI_APP_ICON 1

#define IDC_DOWNLOAD 1001
#define IDC_PORT_LIST 1002
#define IDC_SET_CLOCK 1003
#define IDC_REFRESH_PORTS 1004
#define IDC_GRAPH_POINTS 1005
#define IDC_TITLE_TEXT (-1)
