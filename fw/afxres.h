// Command, control and string ids that the window framework itself knows about.
#pragma once

#ifndef ID_FILE_NEW
#define ID_FILE_NEW 57600
#endif
#ifndef ID_FILE_SAVE
#define ID_FILE_SAVE 57603
#endif
#ifndef ID_APP_ABOUT
#define ID_APP_ABOUT 57664
#endif
#ifndef ID_APP_EXIT
#define ID_APP_EXIT 57665
#endif
#ifndef ID_VIEW_TOOLBAR
#define ID_VIEW_TOOLBAR 59392
#endif
#ifndef ID_VIEW_STATUS_BAR
#define ID_VIEW_STATUS_BAR 59393
#endif
#ifndef AFX_IDW_TOOLBAR
#define AFX_IDW_TOOLBAR 59392
#endif
#ifndef AFX_IDW_STATUS_BAR
#define AFX_IDW_STATUS_BAR 59393
#endif
#ifndef AFX_IDW_PANE_FIRST
#define AFX_IDW_PANE_FIRST 59648
#endif
#ifndef AFX_IDS_APP_TITLE
#define AFX_IDS_APP_TITLE 57344
#endif
#ifndef AFX_IDS_IDLEMESSAGE
#define AFX_IDS_IDLEMESSAGE 57345
#endif
#ifndef RT_TOOLBAR_TYPE
#define RT_TOOLBAR_TYPE 241
#endif
