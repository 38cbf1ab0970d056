// The Add Process Name dialog as a real dialog: what the edit takes, in any script, what OK
// returns, and the refusal of a name that is too long or holds what no file name holds.
#include "favorites/AddNameDlg.h"
#include "res/resource.h"
#include "unit/AppTestEnv.h"
#include "unit/DialogDriver.h"

namespace {

const char kCaption[] = "Add Process Name";

std::string EditText(HWND hDlg) {
    return ItemText(hDlg, IDC_PROCESS_NAME);
}

void Type(HWND hDlg, const std::string& keys) {
    TypeText(hDlg, IDC_PROCESS_NAME, keys);
}

class AddNameDlgTest : public AppTest {};

TEST_F(AddNameDlgTest, TheEditTakesAtMostTwelveCharactersTypedOrPasted) {
    CAddNameDlg dlg;
    HWND hDlg = nullptr;
    DialogDriver driver;
    driver.Until([&] { return (hDlg = FindDialog(kCaption)) != nullptr; }).Then([&] {
        EXPECT_EQ("", EditText(hDlg));
        Type(hDlg, "abcdefghijklmnop");
        EXPECT_EQ("abcdefghijkl", EditText(hDlg));
        SetDlgItemTextA(hDlg, IDC_PROCESS_NAME, "");
        Type(hDlg, "音乐音乐音乐音乐音乐音乐音乐音乐");
        EXPECT_EQ("音乐音乐音乐音乐音乐音乐", EditText(hDlg));
        SetDlgItemTextA(hDlg, IDC_PROCESS_NAME, "");
        SendDlgItemMessageA(hDlg, IDC_PROCESS_NAME, EM_REPLACESEL, TRUE,
                            reinterpret_cast<LPARAM>("pasted-name-that-is-long.exe"));
        EXPECT_EQ("pasted-name-", EditText(hDlg));
    });
    driver.Picture(kCaption, "add-name-dialog.bmp").Then([&] { ClickButton(hDlg, IDOK); });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    EXPECT_EQ("pasted-name-", dlg.m_strName);
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(AddNameDlgTest, OkReturnsTheTextExactlyAsTypedInAnyScriptEvenWhenEmpty) {
    // Twelve characters whatever their bytes in UTF-8: the last name has 32.
    for (const std::string& typed :
         {std::string(" calc.Exe  "), std::string(""), std::string("游戏.exe"),
          std::string("Ёлка音乐音乐音乐音乐")}) {
        CAddNameDlg dlg;
        DialogDriver driver;
        driver.Until([&] { return FindDialog(kCaption) != nullptr; }).Then([&] {
            HWND hDlg = FindDialog(kCaption);
            Type(hDlg, typed);
            ClickButton(hDlg, IDOK);
        });
        EXPECT_EQ(IDOK, driver.Run(dlg));
        EXPECT_EQ(typed, dlg.m_strName);
    }
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(AddNameDlgTest, ALongerTextOrACharacterNoFileNameHoldsIsRefusedAndTheDialogStaysOpen) {
    CAddNameDlg dlg;
    HWND hDlg = nullptr;
    DialogDriver driver;
    driver.Until([&] { return (hDlg = FindDialog(kCaption)) != nullptr; }).Then([&] {
        // Text set from outside is not held to the limit; OK must still refuse it.
        SetDlgItemTextA(hDlg, IDC_PROCESS_NAME, "thirteen.char");
        ClickButton(hDlg, IDOK);
        ASSERT_EQ(1u, s_messages.size());
        EXPECT_EQ("Please enter no more than 12 characters.", s_messages[0]);
        EXPECT_TRUE(IsWindow(hDlg) && IsWindowVisible(hDlg)) << "still open";
        // No file name holds '?'.
        SetDlgItemTextA(hDlg, IDC_PROCESS_NAME, "a?b.exe");
        ClickButton(hDlg, IDOK);
        ASSERT_EQ(2u, s_messages.size());
        EXPECT_EQ("a?b.exe cannot be a favourite: no file name holds \"?\".", s_messages[1]);
        EXPECT_TRUE(IsWindow(hDlg) && IsWindowVisible(hDlg)) << "still open";
        // Nor a path: a favourite is matched against file names.
        SetDlgItemTextA(hDlg, IDC_PROCESS_NAME, "c:/x/y.exe");
        ClickButton(hDlg, IDOK);
        ASSERT_EQ(3u, s_messages.size());
        EXPECT_EQ("c:/x/y.exe cannot be a favourite: no file name holds \":\".", s_messages[2]);
        EXPECT_TRUE(IsWindow(hDlg) && IsWindowVisible(hDlg)) << "still open";
        // Escape ends it without a result.
        PostMessageA(GetDlgItem(hDlg, IDC_PROCESS_NAME), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(IDCANCEL, driver.Run(dlg));
}

} // namespace
