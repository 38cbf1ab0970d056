#include "unit/ViewHost.h"
#include "res/resource.h"

#include <cstring>

int AddRow(CVantrelView* view, const ProcessRecord& record) {
    view->Rows().Add(record);
    view->ShowRows();
    return view->GetListCtrl().GetItemCount() == int(view->Rows().Count()) ? 1 : 0;
}

int ItemOf(const CVantrelView* view, const std::string& name) {
    const std::string wanted = UpperCase(name);
    for (int item = 0; item < view->GetListCtrl().GetItemCount(); ++item)
        if (const ProcessRow* pRow = view->RowAt(item))
            if (pRow->name == wanted) return item;
    return -1;
}

void ViewHostTest::SetUp() {
    AppTest::SetUp();
    host.CreateEx(0, "VantrelTestHost", "host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 400, nullptr,
                  nullptr);
}

void ViewHostTest::TearDown() {
    host.DestroyWindow(); // destroys the views, which delete themselves
    AppTest::TearDown();
}

void ViewHostTest::CreateView(CVantrelView* view, bool bShown, int clientWidth) {
    RECT rc = {0, 0, 880, 360};
    ASSERT_TRUE(view->Create(WS_CHILD | WS_BORDER | (bShown ? WS_VISIBLE : 0), rc, &host, 1));
    if (clientWidth > 0) {
        // The border takes its share of the window: measured, since the control adds its own.
        RECT window, client;
        GetWindowRect(view->m_hWnd, &window);
        view->GetClientRect(&client);
        const int frame = (window.right - window.left) - client.right;
        MoveWindow(view->m_hWnd, 0, 0, clientWidth + frame, rc.bottom, FALSE);
    }
    view->BuildColumns();
    PumpMessages();
}

namespace {
CView* NewListView() {
    return new CVantrelView;
}
} // namespace

void MainFrameTest::CreateMainWindow(CMainFrame* pFrame, CSingleDocTemplate::ViewFactory newView) {
    // The template is needed only while the frame makes its view.
    CSingleDocTemplate tmpl(IDR_MAINFRAME, nullptr, nullptr, newView ? newView : NewListView);
    CCreateContext context;
    context.pTemplate = &tmpl;
    frame = pFrame ? pFrame : new CMainFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, &context));
    hFrame = frame->m_hWnd;
    theApp.m_pMainWnd = frame;
    view = frame->GetVantrelView();
    ASSERT_NE(nullptr, view);
}

void MainFrameTest::TearDown() {
    theApp.m_pMainWnd = nullptr;
    if (IsWindow(hFrame)) frame->DestroyWindow(); // frame and view delete themselves
    AppTest::TearDown();
}

void MainWindowTest::SetUp() {
    MainFrameTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(CreateMainWindow());
    view->BuildColumns();
}
