// Where tests put the process list: a plain host window of their own; and the process records
// the list is filled with.
#pragma once

#include "procs/VantrelView.h"
#include "unit/AppTestEnv.h"

#include <string>

// A process as a snapshot would report it. Texts too long for their fields are cut.
VN_PROCINFO ProcessRecord(const std::string& name, DWORD pid, const std::string& path = "",
                          LONG base = 8, DWORD cls = NORMAL_PRIORITY_CLASS, DWORD threads = 1);

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
