// Resource and control identifiers of DorvikUI.exe, shared by the resource script, the dialog
// classes and the console test driver. The editors' control ids are the documented ones.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Icons, dialogs, menus.
#define IDR_MAINFRAME 128
#define IDB_BANNER 129
#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDD_FILE_TASK 130
#define IDD_SQL_TASK 131
#define IDD_SELECT_RAR 132
#define IDD_SETTINGS 133
#define IDR_MENU_FILE_ROW 140
#define IDR_MENU_FILE_EMPTY 141
#define IDR_MENU_SQL_ROW 142
#define IDR_MENU_SQL_EMPTY 143

// System menu item "关于 Dorvik(&A)..." (must stay below 0xF000 and a multiple of 16).
#define IDM_ABOUTBOX 0x0010

// Main window.
#define IDC_BANNER 2000
#define IDC_PAGE_FILE 2001          // "文件备份"
#define IDC_PAGE_SQL 2002           // "SQL Server备份" / "连接数据库..." / "正在连接..." / "连接SQL Server"
#define IDC_SETTINGS 2003           // "系统设置"
#define IDC_RESTART_SERVICE 2004    // "重启服务" / "正在重启..."
#define IDC_ABOUT_US 2005           // "关于我们"
#define IDC_FILE_LIST 2010
#define IDC_SQL_LIST 2011
#define IDC_FILE_NEW 2020
#define IDC_FILE_MODIFY 2021
#define IDC_FILE_DELETE 2022
#define IDC_FILE_BACKUP_NOW 1072    // "立即备份" of the file page
#define IDC_FILE_HISTORY 2024
#define IDC_SQL_NEW 2030
#define IDC_SQL_MODIFY 2031
#define IDC_SQL_DELETE 2032
#define IDC_SQL_BACKUP_NOW 2033     // "立即备份" / "备份中..."
#define IDC_SQL_HISTORY 2034
#define IDC_EXIT 2040               // "退出"
#define IDC_BANNER_TEXT 2041        // bottom line
#define IDC_BOTTOM_LINE 2042        // etched separator

// Context menu items.
#define ID_MENU_NEW_TASK 40001      // "新建任务"
#define ID_MENU_MODIFY 40002        // "修改"
#define ID_MENU_DELETE 40003        // "删除"
#define ID_MENU_BACKUP 40004        // "备份"
#define ID_MENU_VIEW 40005          // "查看"
#define ID_MENU_SOURCE 40006        // "源文件"
#define ID_MENU_TARGET 40007        // "目标文件"

// About box.
#define IDC_ABOUT_LINK 2100

// Archiver selection dialog of the first start ("浏览选择本地已安装的RAR软件！").
#define IDC_SELECT_RAR_PATH 2200
#define IDC_SELECT_RAR_BROWSE 2201
#define IDC_SELECT_RAR_DOWNLOAD 2202
#define IDC_SELECT_RAR_OK 2203

// Settings dialog ("RAR路径 - Varnel·Dorvik").
#define IDC_SETTINGS_RAR_PATH 2300
#define IDC_SETTINGS_RAR_BROWSE 2301
#define IDC_SETTINGS_STORE_PATH 2302
#define IDC_SETTINGS_STORE_BROWSE 2303
#define IDC_SETTINGS_DOWNLOAD 2304
#define IDC_SETTINGS_OK 2305
#define IDC_SETTINGS_CANCEL 2306

// File task editor ("文件备份选项").
#define IDC_FT_SOURCE 1034
#define IDC_FT_SOURCE_BROWSE 1035
#define IDC_FT_SOURCE_OPEN 1050
#define IDC_FT_STORE 1038
#define IDC_FT_STORE_BROWSE 1039
#define IDC_FT_STORE_OPEN 1063
#define IDC_FT_ALL_FILES 1036
#define IDC_FT_SOME_FILES 1037
#define IDC_FT_BY_NAME 1041
#define IDC_FT_NAMES 1045
#define IDC_FT_INCLUDE 1046
#define IDC_FT_EXCLUDE 1047
#define IDC_FT_ZIP_DIRECT 1116
#define IDC_FT_ZIP_AFTER 1117
#define IDC_FT_ZIP_NONE 1118
#define IDC_FT_KEEP 1051
#define IDC_FT_DELETE 1052
#define IDC_FT_DAYS 1053
#define IDC_FT_DAILY 1054
#define IDC_FT_WEEKLY 1055
#define IDC_FT_MONTHLY 1056
#define IDC_FT_WEEKDAY 1058
#define IDC_FT_MONTHDAY 1059
#define IDC_FT_HOURS 1062
#define IDC_FT_OK 1065
#define IDC_FT_CANCEL 1064

// SQL Server task editor ("MSSQL Server数据库备份设置 - Varnel·Dorvik").
#define IDC_ST_NAME 1042
#define IDC_ST_STORE 1034
#define IDC_ST_STORE_BROWSE 1095
#define IDC_ST_STORE_OPEN 1096
#define IDC_ST_AVAILABLE 1097
#define IDC_ST_SELECT_ALL 1101
#define IDC_ST_ADD 1098
#define IDC_ST_REMOVE 1099
#define IDC_ST_CHOSEN 1100
#define IDC_ST_DAILY 1054
#define IDC_ST_WEEKLY 1055
#define IDC_ST_MONTHLY 1056
#define IDC_ST_WEEKDAY 1058
#define IDC_ST_MONTHDAY 1059
#define IDC_ST_HOURS 1062
#define IDC_ST_ZIP_YES 1116
#define IDC_ST_ZIP_NO 1118
#define IDC_ST_KEEP 1051
#define IDC_ST_DELETE 1052
#define IDC_ST_DAYS 1053
#define IDC_ST_OK 1093
#define IDC_ST_CANCEL 1094

// Backup history browser ("Varnel·Dorvik系统数据库备份") and its row menu.
#define IDD_HISTORY 2400
#define IDR_MENU_HISTORY 2401
#define IDC_HISTORY_COUNT_LABEL 2410    // "备份："
#define IDC_HISTORY_COUNT 2411
#define IDC_HISTORY_FOLDER_LABEL 2412   // "检索文件夹："
#define IDC_HISTORY_FOLDER 2413
#define IDC_HISTORY_MONTH_LABEL 2414    // "检索时间："
#define IDC_HISTORY_MONTH 2415
#define IDC_HISTORY_DATABASE_LABEL 2416 // "检索数据库："
#define IDC_HISTORY_DATABASE 2417
#define IDC_HISTORY_TASK_LABEL 2418     // "检索任务："
#define IDC_HISTORY_TASK 2419
#define IDC_HISTORY_FILE_ALL 2420       // "显示全部" of file mode
#define IDC_HISTORY_SQL_ALL 2421        // "显示全部" of SQL Server mode
#define IDC_HISTORY_LIST 2422
#define IDC_HISTORY_RESTORE 2423        // "还原" / "正在解压..." / database + "..."
#define IDC_HISTORY_EXIT 2424           // "退出"
#define ID_MENU_HISTORY_SOURCE 40100    // "源文件"
#define ID_MENU_HISTORY_TARGET 40101    // "目标文件"
#define ID_MENU_HISTORY_RESTORE 40102   // "还原"
