// For tests of the program's classes: the application object of the test program, with its
// settings on a scratch key and message boxes answered at once and recorded.
#pragma once

#include "app/Vantrel.h"
#include "unit/ScratchKey.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

extern CVantrelApp theApp;
class CVantrelView;

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    ScratchKey scratch;

  public:
    // Handles the messages waiting for this thread until the queue is empty.
    static void PumpMessages();
    // Pumps messages until pred() holds or the deadline passes; returns pred().
    template <class Pred> static bool PumpUntil(Pred pred, DWORD dwMilliseconds = 5000) {
        const DWORD start = GetTickCount();
        while (!pred()) {
            if (GetTickCount() - start > dwMilliseconds) return false;
            PumpMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return true;
    }

    // Waits (handling messages) until the view's kill pass has ended and the list was
    // refreshed; false on time-out.
    static bool WaitForKillPass(CVantrelView* view, DWORD dwMilliseconds = 15000);
    // Kill Selected on the view's selected rows, as F8 runs it, to the end of its pass.
    static void KillSelected(CVantrelView* view);

    // Every message box shown during the test, and the answer the next ones get.
    static std::vector<std::string> s_messages;
    static int s_answer;
};
