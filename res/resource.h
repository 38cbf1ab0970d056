/* Resource ids of Vantrel: shared by Vantrel.rc and the C++ code. Every id is guarded so that
   this header can be included in any order with other headers that name the same ids. */
#ifndef VANTREL_RESOURCE_H
#define VANTREL_RESOURCE_H

/* winuser.h names the system's own hand cursor IDC_HAND; here IDC_HAND is the program's
   pointing-hand cursor resource. Including windows.h first fixes the order, so that the
   definition below always wins whichever header a source file includes first. */
#include <windows.h>
#ifdef IDC_HAND
#undef IDC_HAND
#endif
#define IDC_HAND 119

/* The ids the window framework itself knows (File New and Save, Exit, About, the bar
   toggles and the bars' child ids, the title and idle strings, the toolbar resource type). */
#include "../fw/afxres.h"

/* Main menu, accelerators, toolbar, toolbar bitmap, application icon, document string */
#ifndef IDR_MAINFRAME
#define IDR_MAINFRAME 128
#endif
/* The document icon (a plain sheet) */
#ifndef IDR_VANTRETYPE
#define IDR_VANTRETYPE 129
#endif

/* Dialog templates */
#ifndef IDD_ABOUTBOX
#define IDD_ABOUTBOX 100
#endif
#ifndef IDD_FAVORITES
#define IDD_FAVORITES 131
#endif
#ifndef IDD_ADD_NAME
#define IDD_ADD_NAME 132
#endif

/* Controls of the Favorites dialog */
#ifndef IDC_MANUAL_ADD
#define IDC_MANUAL_ADD 3
#endif
#ifndef IDC_CANDIDATES
#define IDC_CANDIDATES 1000
#endif
#ifndef IDC_FAVORITES
#define IDC_FAVORITES 1001
#endif
#ifndef IDC_ADD
#define IDC_ADD 1002
#endif
#ifndef IDC_REMOVE
#define IDC_REMOVE 1003
#endif
#ifndef IDC_KILL_GENTLY
#define IDC_KILL_GENTLY 1204
#endif
/* Control of the Add Process Name dialog */
#ifndef IDC_PROCESS_NAME
#define IDC_PROCESS_NAME 1004
#endif
/* Links of the About box */
#ifndef IDC_MAIL_LINK
#define IDC_MAIL_LINK 1042
#endif
#ifndef IDC_WEB_LINK
#define IDC_WEB_LINK 1043
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* The program's own commands */
#ifndef ID_EDIT_FAVORITES
#define ID_EDIT_FAVORITES 32771
#endif
#ifndef ID_KILL_FAVORITES_UNUSED
#define ID_KILL_FAVORITES_UNUSED 32774
#endif
#ifndef ID_KILL_SELECTED
#define ID_KILL_SELECTED 32775
#endif
#ifndef ID_VIEW_REFRESH
#define ID_VIEW_REFRESH 32776
#endif
#ifndef ID_KILL_FAVORITES
#define ID_KILL_FAVORITES 32777
#endif
#ifndef ID_KILL_FAVORITES_EXIT
#define ID_KILL_FAVORITES_EXIT 31777
#endif

/* Standard commands of the window framework */
#ifndef ID_FILE_OPEN
#define ID_FILE_OPEN 57601
#endif
#ifndef ID_FILE_PRINT_SETUP
#define ID_FILE_PRINT_SETUP 57606
#endif
#ifndef ID_WINDOW_SPLIT
#define ID_WINDOW_SPLIT 57653
#endif
#ifndef ID_HELP_FINDER
#define ID_HELP_FINDER 57667
#endif
#ifndef ID_CONTEXT_HELP
#define ID_CONTEXT_HELP 57669
#endif
#ifndef ID_HELP
#define ID_HELP 57670
#endif
#ifndef ID_DEFAULT_HELP
#define ID_DEFAULT_HELP 57671
#endif
#ifndef ID_NEXT_PANE
#define ID_NEXT_PANE 57680
#endif
#ifndef ID_PREV_PANE
#define ID_PREV_PANE 57681
#endif

/* Strings */
/* Status bar pane 1; its string is the pane's initial text */
#ifndef ID_INDICATOR_ACTIVITY
#define ID_INDICATOR_ACTIVITY 61191
#endif
/* Status bar prompts of the system menu commands: AFX_IDS_SCFIRST + (SC_xxx - SC_SIZE) / 16 */
#ifndef AFX_IDS_SCSIZE
#define AFX_IDS_SCSIZE (AFX_IDS_SCFIRST + 0x00)
#endif
#ifndef AFX_IDS_SCMOVE
#define AFX_IDS_SCMOVE (AFX_IDS_SCFIRST + 0x01)
#endif
#ifndef AFX_IDS_SCMINIMIZE
#define AFX_IDS_SCMINIMIZE (AFX_IDS_SCFIRST + 0x02)
#endif
#ifndef AFX_IDS_SCMAXIMIZE
#define AFX_IDS_SCMAXIMIZE (AFX_IDS_SCFIRST + 0x03)
#endif
#ifndef AFX_IDS_SCNEXTWINDOW
#define AFX_IDS_SCNEXTWINDOW (AFX_IDS_SCFIRST + 0x04)
#endif
#ifndef AFX_IDS_SCPREVWINDOW
#define AFX_IDS_SCPREVWINDOW (AFX_IDS_SCFIRST + 0x05)
#endif
#ifndef AFX_IDS_SCCLOSE
#define AFX_IDS_SCCLOSE (AFX_IDS_SCFIRST + 0x06)
#endif
#ifndef AFX_IDS_SCRESTORE
#define AFX_IDS_SCRESTORE (AFX_IDS_SCFIRST + 0x12)
#endif
#ifndef AFX_IDS_SCTASKLIST
#define AFX_IDS_SCTASKLIST (AFX_IDS_SCFIRST + 0x13)
#endif

/* Resource type of the toolbar layout: version, button width and height, count, ids */

#endif /* VANTREL_RESOURCE_H */
