// The process list view: column widths and row texts, on a real list view control in a window
// on the virtual display.
#include "unit/ViewHost.h"
#include "settings/SettingNames.h"

namespace {

class ViewTest : public ViewHostTest {
  protected:
    // A view whose client area is exactly clientWidth pixels wide, with its columns built.
    CVantrelView* MakeView(int clientWidth) { return AddView(new CVantrelView, true, clientWidth); }
    std::vector<int> Widths(CVantrelView* view) {
        std::vector<int> w;
        for (int i = 0; i < 5; ++i)
            w.push_back(ListView_GetColumnWidth(view->GetListCtrl(), i));
        return w;
    }
    void StoreWidths(const std::vector<int>& widths) {
        for (int i = 0; i < 5; ++i)
            theApp.m_settings.SetInt(kSectionGrid, ColumnValueName(i).c_str(), widths[size_t(i)]);
    }
    std::string Cell(CVantrelView* view, int row, int col) {
        return view->GetListCtrl().GetItemText(row, col);
    }
};

TEST_F(ViewTest, ColumnWidthsComeFromTheStoreOnlyAllTogether) {
    const int screen = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    ASSERT_GT(screen, 600);
    struct Case {
        int client;
        std::vector<int> stored; // empty: nothing stored
        std::vector<int> expected;
    } cases[] = {
        {500, {}, {90, 90, 90, 90, 90}},
        {333, {}, {59, 59, 59, 59, 59}},
        {500, {100, 100, 100, 100, 100}, {100, 100, 100, 100, 100}},
        // Wider than the view together, or one of them: the list scrolls sideways.
        {500, {100, 100, 100, 100, 300}, {100, 100, 100, 100, 300}},
        {500, {501, 1, 1, 1, 1}, {501, 1, 1, 1, 1}},
        // Wider than the whole desktop, or not to be seen.
        {500, {100, 100, 100, 100, screen + 1}, {90, 90, 90, 90, 90}},
        {500, {50, 0, 50, 50, 50}, {90, 90, 90, 90, 90}},
        {500, {10, 20, 30, 40, 50}, {10, 20, 30, 40, 50}},
        {500, {-8, -8, -8, -8, -8}, {90, 90, 90, 90, 90}},
        {500, {-400, 500, 100, 100, 100}, {90, 90, 90, 90, 90}},
        {500, {500, 0, 0, 0, 0}, {90, 90, 90, 90, 90}},
    };
    for (const Case& c : cases) {
        DeleteKeyTree(scratch.Root(), scratch.Path() + "\\" + kSectionGrid);
        if (!c.stored.empty()) StoreWidths(c.stored);
        CVantrelView* view = MakeView(c.client);
        EXPECT_EQ(c.expected, Widths(view)) << "client width " << c.client;
        view->DestroyWindow();
    }
}

TEST_F(ViewTest, RowTextsFollowTheColumnFormats) {
    CVantrelView* view = MakeView(600);
    ProcessRecord a =
        Record("notepad.exe", 1234, "c:\\windows\\notepad.exe", 8, NORMAL_PRIORITY_CLASS, 3);
    ProcessRecord b = Record("Rt.exe", 8, "C:\\rt.exe", 24, REALTIME_PRIORITY_CLASS);
    ProcessRecord c = Record("odd.exe", 0xABCDEF, "C:\\odd.exe", 6, 0x4000);
    ProcessRecord d = Record("zero.exe", 0, "", 0, 0);
    ProcessRecord e = Record("idle.exe", 5, "x", 4, IDLE_PRIORITY_CLASS);
    ProcessRecord f = Record("high.exe", 6, "y", 13, HIGH_PRIORITY_CLASS);
    for (ProcessRecord* r : {&a, &b, &c, &d, &e, &f})
        EXPECT_EQ(1, AddRow(view, *r));

    // Sorted by name: HIGH, IDLE, NOTEPAD, ODD, RT, ZERO.
    ASSERT_EQ(6, view->GetListCtrl().GetItemCount());
    const char* expected[6][5] = {
        {"HIGH.EXE", "6", "13  (High)", "1", "Y"},
        {"IDLE.EXE", "5", "4  (Idle)", "1", "X"},
        {"NOTEPAD.EXE", "4D2", "8  (Normal)", "3", "C:\\WINDOWS\\NOTEPAD.EXE"},
        {"ODD.EXE", "ABCDEF", "6", "1", "C:\\ODD.EXE"},
        {"RT.EXE", "8", "24  (Real Time)", "1", "C:\\RT.EXE"},
        {"ZERO.EXE", "0", "0", "1", ""},
    };
    for (int row = 0; row < 6; ++row)
        for (int col = 0; col < 5; ++col)
            EXPECT_EQ(expected[row][col], Cell(view, row, col)) << row << "," << col;
}

} // namespace
