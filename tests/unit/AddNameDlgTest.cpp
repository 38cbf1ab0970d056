// The Add Process Name dialog as a real dialog: what the edit takes, what OK returns, and
// the refusal of a name that is too long.
#include "favorites/AddNameDlg.h"
#include "res/resource.h"
#include "unit/AppTestEnv.h"
#include "unit/DialogDriver.h"

namespace {

const char kCaption[] = "Add Process Name";

std::string EditText(HWND hDlg) {
    char text[64] = "";
    GetDlgItemTextA(hDlg, IDC_PROCESS_NAME, text, sizeof text);
    return text;
}

void Type(HWND hDlg, const std::string& keys) {
    HWND hEdit = GetDlgItem(hDlg, IDC_PROCESS_NAME);
    for (char c : keys)
        SendMessageA(hEdit, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
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
        SendDlgItemMessageA(hDlg, IDC_PROCESS_NAME, EM_REPLACESEL, TRUE,
                            reinterpret_cast<LPARAM>("pasted-name-that-is-long.exe"));
        EXPECT_EQ("pasted-name-", EditText(hDlg));
    });
    driver.Picture(kCaption, "add-name-dialog.bmp").Then([&] { ClickButton(hDlg, IDOK); });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    EXPECT_EQ("pasted-name-", dlg.m_strName);
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(AddNameDlgTest, OkReturnsTheTextExactlyAsTypedEvenWhenEmpty) {
    for (const std::string& typed : {std::string(" calc.Exe  "), std::string("")}) {
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

TEST_F(AddNameDlgTest, ALongerTextIsRefusedAndTheDialogStaysOpen) {
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
        // Escape ends it without a result.
        PostMessageA(GetDlgItem(hDlg, IDC_PROCESS_NAME), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(IDCANCEL, driver.Run(dlg));
}

} // namespace
