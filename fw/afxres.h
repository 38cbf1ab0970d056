// Command, control and string ids that the window framework itself knows about; the
// program's resource header includes them.
#ifndef VANTREL_FW_AFXRES_H
#define VANTREL_FW_AFXRES_H

#define ID_FILE_NEW 57600
#define ID_FILE_SAVE 57603
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393
#define AFX_IDW_TOOLBAR 59392
#define AFX_IDW_STATUS_BAR 59393
#define AFX_IDW_PANE_FIRST 59648
#define AFX_IDS_APP_TITLE 57344
#define AFX_IDS_IDLEMESSAGE 57345
// The status-bar prompts of the system commands: SC_xxx has string
// AFX_IDS_SCFIRST + (SC_xxx - SC_SIZE) / 16.
#define AFX_IDS_SCFIRST 0xEF00
#define RT_TOOLBAR_TYPE 241

#endif
