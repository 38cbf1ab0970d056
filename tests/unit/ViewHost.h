// Where tests put the process list: a plain host window of their own, or the main frame as
// the program makes it; and the process records the list is filled with.
#pragma once

#include "fw/DocTemplate.h"
#include "frame/MainFrm.h"
#include "view/VantrelView.h"
#include "unit/Record.h"
#include "unit/AppTestEnv.h"

#include <string>

// Adds one record to the view's rows and shows them again, as a refresh would (one row per
// name and path). Returns 1 when the list shows the rows.
int AddRow(CVantrelView* view, const ProcessRecord& record);
// The list item whose row has this name (in any case); -1 when there is none.
int ItemOf(const CVantrelView* view, const std::string& name);

// List views in a hidden top-level window on the virtual display. The window goes when the
// test ends, and every view in it with it.
class ViewHostTest : public AppTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Makes view (a CVantrelView or a test's own kind; its window deletes it) a child of the
    // host and builds its columns: shown or hidden, 880 pixels wide or with a client area
    // clientWidth pixels wide.
    template <class View> View* AddView(View* view, bool bShown = true, int clientWidth = 0) {
        CreateView(view, bShown, clientWidth);
        return view;
    }

    CWnd host;

  private:
    void CreateView(CVantrelView* view, bool bShown, int clientWidth);
};

// The program's main window: a main frame with its list view, closed when the test ends
// unless the test closed it.
class MainFrameTest : public AppTest {
  protected:
    void TearDown() override;

    // Loads pFrame (a CMainFrame when null, or a test's own kind) with the view newView makes
    // (a CVantrelView when null), as the program's document template does, and makes it the
    // main window. The view has had no initial update and has no columns yet.
    void CreateMainWindow(CMainFrame* pFrame = nullptr,
                          CSingleDocTemplate::ViewFactory newView = nullptr);

    CMainFrame* frame = nullptr;
    CVantrelView* view = nullptr;
    // The frame's window. Once it is gone, so are the frame and view objects.
    HWND hFrame = nullptr;
};

// A MainFrameTest whose main window is made before each test, with the list's columns built.
class MainWindowTest : public MainFrameTest {
  protected:
    void SetUp() override;
};
