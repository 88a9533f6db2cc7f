// Resource ids of the notice dialog; the program's resource script includes NoticeDlg.rc.
#pragma once

#define IDD_NOTICE 127
#define IDC_NOTICE_PROGRESS 207
