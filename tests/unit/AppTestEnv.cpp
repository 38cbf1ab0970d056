#include "unit/AppTestEnv.h"
#include "view/VantrelView.h"
#include "res/resource.h"

CVantrelApp theApp;

std::vector<std::string> AppTest::s_messages;
int AppTest::s_answer = IDOK;

namespace {
int RecordMessageBox(const std::string& text, UINT) {
    AppTest::s_messages.push_back(text);
    return AppTest::s_answer;
}
} // namespace

void AppTest::SetUp() {
    s_messages.clear();
    s_answer = IDOK;
    AfxSetMessageBoxHook(RecordMessageBox);
    ASSERT_EQ(1, theApp.m_settings.Open(scratch.Root(), scratch.Path()));
}

void AppTest::TearDown() {
    AfxSetMessageBoxHook(nullptr);
    PumpMessages();
}

void AppTest::PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool AppTest::WaitForKillPass(CVantrelView* view, DWORD dwMilliseconds) {
    return PumpUntil([view] { return !view->IsKillPassRunning(); }, dwMilliseconds);
}

void AppTest::KillSelected(CVantrelView* view) {
    view->SendCommand(ID_KILL_SELECTED);
    EXPECT_TRUE(WaitForKillPass(view));
}
