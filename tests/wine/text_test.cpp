// Text lookup: the built-in string table, the language table over it, the
// in-place replacement, window captions and the localization of dialogs.
#include "text_fixture.h"

#include "resource.h"
#include "window_driver.h"

#include <cstring>
#include <thread>

namespace {

constexpr char ConfirmQuit[] =
    "Update is not complete.  If you quit now, the package will not be installed.\n\nYou may "
    "run this program again at a later time to complete the Update.\n\nAre you sure to quit?";

TEST(LanguageSection, IsTheUserLanguageInFourUpperCaseHexDigits) {
    ChooseLanguageSection();
    char expected[16];
    std::snprintf(expected, sizeof expected, "$%04X", GetUserDefaultLangID());
    EXPECT_STREQ(LanguageSection, expected);
    EXPECT_EQ(std::strlen(LanguageSection), 5u);
}

struct LookupCase {
    const char* name;
    const char* table; // language table; "@" is the user's section, "" no file
    UINT number;
    int room;
    const char* text; // what the buffer holds afterwards
    int result;
};

class LoadTextTest : public TextFixture, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(LoadTextTest, FillsTheBufferAndReportsTheLength) {
    const LookupCase& c = GetParam();
    if (c.table[0] != 0)
        WriteLanguageTable(c.table);
    char buffer[1100];
    std::memset(buffer, '#', sizeof buffer);
    buffer[0] = 0;
    EXPECT_EQ(LoadText(c.number, buffer, c.room), c.result);
    EXPECT_STREQ(buffer, c.text);
    // Nothing is written past the room.
    EXPECT_EQ(buffer[c.room], '#');
}

const LookupCase lookupCases[] = {
    {"BuiltInWithoutTable", "", 200, 260, "Tarvelion", 9},
    {"BuiltInLineFeeds", "", 201, 260, ConfirmQuit, (int)std::strlen(ConfirmQuit)},
    {"BuiltInCutToRoom", "", 200, 5, "Tarv", 4},
    {"Translated", "[@]\nID200=Tarvelion DE\n", 200, 260, "Tarvelion DE", 12},
    {"KeyNamesIgnoreCase", "[@]\nid200=Klein\n", 200, 260, "Klein", 5},
    // The result is the length as read, before "\n" pairs become line feeds.
    {"BackslashNBecomesLineFeed", "[@]\nID206=eins\\nzwei\\n\n", 206, 260, "eins\nzwei\n", 12},
    {"LiteralBackslashNCannotBeShown", "[@]\nID202=C:\\new\n", 202, 260, "C:\new", 6},
    {"EmptyValueKeepsBuiltIn", "[@]\nID203=\n", 203, 260, "%s Update", 9},
    {"OtherLanguageOnly", "[$FFFF]\nID200=Fremd\n", 200, 260, "Tarvelion", 9},
    {"OtherKeyOnly", "[@]\nID201=Nein\n", 200, 260, "Tarvelion", 9},
    {"TranslationCutToRoom", "[@]\nID200=abcdefghij\n", 200, 6, "abcde", 5},
    {"NoBuiltInNeverTranslated", "[@]\nID209=Neu\n", 209, 260, "", 0},
    {"NoBuiltInText305", "", 305, 260, "", 0},
    {"PlaceholderKept", "[@]\nID219=%1 laeuft\n", 219, 260, "%1 laeuft", 9},
};
INSTANTIATE_TEST_SUITE_P(Cases, LoadTextTest, ::testing::ValuesIn(lookupCases),
                         [](const auto& info) { return std::string(info.param.name); });

class LoadTextOtherSection : public TextFixture {};

TEST_F(LoadTextOtherSection, AnotherLanguagesSectionIsNeverRead) {
    WriteLanguageTable("[" + OtherSection() + "]\nID200=Other\n");
    char buffer[260];
    EXPECT_EQ(LoadText(200, buffer, sizeof buffer), 9);
    EXPECT_STREQ(buffer, "Tarvelion");
}

struct ReplaceCase {
    const char* name;
    const char* text;
    int room;
    const char* search;
    const char* replacement;
    int result;
    const char* after;
};

class ReplaceAllTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllTest, ReplacesWhatFitsInTheRoom) {
    const ReplaceCase& c = GetParam();
    char text[64];
    std::memset(text, '#', sizeof text);
    std::strcpy(text, c.text);
    EXPECT_EQ(ReplaceAll(text, c.room, c.search, c.replacement), c.result);
    EXPECT_STREQ(text, c.after);
    int room = c.room > (int)std::strlen(c.text) + 1 ? c.room : (int)std::strlen(c.text) + 1;
    EXPECT_EQ(text[room], '#') << "written past the room";
}

const ReplaceCase replaceCases[] = {
    // "aTarvelionb" is 11 characters: room 12 holds it with its zero.
    {"ExactlyItsRoom", "a%1b", 12, "%1", "Tarvelion", 1, "aTarvelionb"},
    {"OneShort", "a%1b", 11, "%1", "Tarvelion", 0, "a%1b"},
    {"EarlierReplacementsStay", "%1-%1", 13, "%1", "Tarvelion", 0, "Tarvelion-%1"},
    {"EveryOccurrence", "%1 and %1", 40, "%1", "X", 1, "X and X"},
    {"NoOccurrence", "nothing here", 13, "%1", "Tarvelion", 1, "nothing here"},
    {"Shrinking", "a\\nb\\n", 7, "\\n", "\n", 1, "a\nb\n"},
    {"SearchAgainFromTheStart", "aabb", 5, "ab", "b", 1, "bb"},
    {"AtTheEnd", "x%1", 12, "%1", "Tarvelion", 1, "xTarvelion"},
    {"EmptySearchChangesNothing", "abc", 4, "", "x", 1, "abc"},
    {"SameTextEnds", "a%1", 4, "%1", "%1", 1, "a%1"},
};
INSTANTIATE_TEST_SUITE_P(Cases, ReplaceAllTest, ::testing::ValuesIn(replaceCases),
                         [](const auto& info) { return std::string(info.param.name); });

class CaptionTest : public TextFixture {
  protected:
    void SetUp() override {
        TextFixture::SetUp();
        window_ = CreateWindowExA(0, "Static", "unchanged", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window_);
        TextFixture::TearDown();
    }
    std::string Caption() {
        char text[300];
        GetWindowTextA(window_, text, sizeof text);
        return text;
    }
    HWND window_ = nullptr;
};

TEST_F(CaptionTest, SetTitleTextTakesTheLookedUpText) {
    SetTitleText(window_, 300);
    EXPECT_EQ(Caption(), "About Tarvelion Updater");
    WriteLanguageTable("[@]\nID300=Info\\nzeile\n");
    SetTitleText(window_, 300);
    EXPECT_EQ(Caption(), "Info\nzeile");
}

TEST_F(CaptionTest, SetTitleTextWithoutBuiltInTextLeavesTheCaption) {
    WriteLanguageTable("[@]\nID305=Fortschritt\nID211=Elf\n");
    SetTitleText(window_, 305);
    SetTitleText(window_, 211);
    EXPECT_EQ(Caption(), "unchanged");
}

TEST_F(CaptionTest, SetTitleTextCutsAt254Characters) {
    WriteLanguageTable("[@]\nID300=" + std::string(400, 'w') + "\n");
    SetTitleText(window_, 300);
    EXPECT_EQ(Caption(), std::string(254, 'w'));
}

// A message box shown on this thread, read and answered from another one.
class MessageBoxTest : public TextFixture {
  protected:
    struct Seen {
        std::string text, caption;
    };
    Seen ShowAndAnswer(UINT text, UINT caption, UINT style, int answer, int* result) {
        Seen seen;
        DWORD thread = GetCurrentThreadId();
        std::thread reader([&] {
            HWND box = wd::WaitForMessageBox(GetCurrentProcessId(), 20000);
            if (box == nullptr) {
                EndModalLoop(thread);
                return;
            }
            seen.text = wd::MessageBoxText(box);
            seen.caption = wd::Text(box);
            wd::AnswerMessageBox(box, answer);
        });
        *result = TextMessageBox(nullptr, text, caption, style);
        reader.join();
        return seen;
    }
};

TEST_F(MessageBoxTest, ShowsTextAndCaptionAndReturnsTheAnswer) {
    int result = 0;
    Seen seen = ShowAndAnswer(201, 200, MB_YESNO | MB_ICONQUESTION, IDNO, &result);
    EXPECT_EQ(result, IDNO);
    EXPECT_EQ(seen.caption, "Tarvelion");
    EXPECT_EQ(seen.text, ConfirmQuit);
}

TEST_F(MessageBoxTest, TakesLongTranslationsUpTo1023Characters) {
    WriteLanguageTable("[@]\nID206=" + std::string(1500, 'd') + "\nID200=Fehler\n");
    int result = 0;
    Seen seen = ShowAndAnswer(206, 200, MB_OK | MB_ICONERROR, IDOK, &result);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.caption, "Fehler");
    EXPECT_EQ(seen.text, std::string(1023, 'd'));
}

// A real dialog of the applier, created with a routine that does nothing.
INT_PTR CALLBACK PlainDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

class LocalizeTest : public TextFixture {
  protected:
    void TearDown() override {
        if (dialog_)
            DestroyWindow(dialog_);
        TextFixture::TearDown();
    }
    void Open() {
        dialog_ = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_ABOUT), nullptr,
                                     PlainDialog, 0);
        ASSERT_NE(dialog_, nullptr);
    }
    std::string ControlText(int id) {
        char text[1100];
        GetDlgItemTextA(dialog_, id, text, sizeof text);
        return text;
    }
    HFONT ControlFont(int id) { return (HFONT)SendDlgItemMessageA(dialog_, id, WM_GETFONT, 0, 0); }
    HWND dialog_ = nullptr;
};

TEST_F(LocalizeTest, ChangesTextAndFontOnlyWhereAKeyExists) {
    WriteLanguageTable(
        "[@]\nID1=Gut\nID352=Rechte\\nvorbehalten\nID353=\nID351=" + std::string(1200, 'v') + "\n");
    Open();
    HFONT dialogFont = ControlFont(IDT_ABOUT_PRODUCT);
    HFONT guiFont = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    ASSERT_NE(dialogFont, guiFont);
    std::string noteBefore = ControlText(IDT_ABOUT_NOTE);

    LocalizeControls(dialog_);

    EXPECT_EQ(ControlText(IDOK), "Gut");
    EXPECT_EQ(ControlFont(IDOK), guiFont);
    EXPECT_EQ(ControlText(IDT_ABOUT_COPYRIGHT), "Rechte\nvorbehalten");
    EXPECT_EQ(ControlFont(IDT_ABOUT_COPYRIGHT), guiFont);
    EXPECT_EQ(ControlText(IDT_ABOUT_VERSION), std::string(1023, 'v'));
    // No key, or an empty value: the template's text and font stay.
    EXPECT_EQ(ControlText(IDT_ABOUT_PRODUCT), "Tarvelion Updater");
    EXPECT_EQ(ControlFont(IDT_ABOUT_PRODUCT), dialogFont);
    EXPECT_EQ(ControlText(IDT_ABOUT_NOTE), noteBefore);
    EXPECT_EQ(ControlFont(IDT_ABOUT_NOTE), dialogFont);
}

TEST_F(LocalizeTest, ReachesChildrenOfChildrenAndNegativeIds) {
    WriteLanguageTable("[@]\nID777=Enkel\nID-5=Minus\n");
    Open();
    HWND child = CreateWindowExA(0, "Static", "child", WS_CHILD, 0, 0, 50, 10, dialog_,
                                 (HMENU)(INT_PTR)776, nullptr, nullptr);
    HWND grandchild = CreateWindowExA(0, "Static", "grandchild", WS_CHILD, 0, 0, 50, 10, child,
                                      (HMENU)(INT_PTR)777, nullptr, nullptr);
    HWND negative = CreateWindowExA(0, "Static", "negative", WS_CHILD, 0, 0, 50, 10, dialog_,
                                    (HMENU)(INT_PTR)-5, nullptr, nullptr);
    LocalizeControls(dialog_);
    char text[64];
    GetWindowTextA(grandchild, text, sizeof text);
    EXPECT_STREQ(text, "Enkel");
    GetWindowTextA(negative, text, sizeof text);
    EXPECT_STREQ(text, "Minus");
    GetWindowTextA(child, text, sizeof text);
    EXPECT_STREQ(text, "child");
}

TEST_F(LocalizeTest, WithoutLanguageTableNothingChanges) {
    Open();
    HFONT dialogFont = ControlFont(IDT_ABOUT_COPYRIGHT);
    LocalizeControls(dialog_);
    EXPECT_EQ(ControlText(IDOK), "OK");
    EXPECT_EQ(ControlFont(IDT_ABOUT_COPYRIGHT), dialogFont);
}

} // namespace
