// The text viewer and the help provider's choice of file.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "tests/velomar/dialogs/dialog_fixture.h"
#include "velomar/data/DataInstall.h"
#include "velomar/dialogs/DialogAbout.h"
#include "velomar/dialogs/DialogTextViewer.h"

namespace dialogs_test {
namespace {

void WriteDeviceFile(const std::u16string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Utf16(const std::u16string& text, bool mark) {
  std::string bytes = mark ? std::string("\xFF\xFE") : std::string();
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

// A help provider with a help id of the test's choice.
class Helped : public CHelpProvider {
 public:
  explicit Helped(std::u16string id) : m_id(std::move(id)) {}
  void GetHelpId(std::u16string& id) override { id = m_id; }

 private:
  std::u16string m_id;
};

class ViewerHelpTest : public DialogTest {
 protected:
  // What the viewer showed last: its caption and the text of its edit (empty when it showed none).
  static std::pair<std::u16string, std::u16string> Viewed() {
    const auto shown = LastShown(ce::scripted::Kind::kDialog);
    return {shown.title, shown.texts.empty() ? std::u16string() : shown.texts.front()};
  }
  static std::u16string FirstLine(const std::u16string& text) { return text.substr(0, text.find(u'\r')); }
};

TEST_F(ViewerHelpTest, TheViewerShowsFilesWholeWithOrWithoutMarkAndAMissingFileEmpty) {
  WriteDeviceFile(u"\\marked.txt", Utf16(u"\xFEFFHello, world", false));
  WriteDeviceFile(u"\\plain.txt", Utf16(u"Hello, world", false));
  WriteDeviceFile(u"\\odd.txt", Utf16(u"Hi", true) + "x");  // a last half character is dropped
  const std::pair<std::u16string, std::u16string> cases[] = {{u"\\marked.txt", u"Hello, world"},
                                                             {u"\\plain.txt", u"Hello, world"},
                                                             {u"\\odd.txt", u"Hi"},
                                                             {u"\\missing.txt", u""},
                                                             {u"", u""}};
  for (const auto& [path, text] : cases) {
    CDialogTextViewer viewer(nullptr, 177, u"Caption", path);
    User().AnswerDialog({Click(IDCANCEL)});
    EXPECT_EQ(viewer.DoModal(), 0);
    EXPECT_EQ(Viewed(), std::make_pair(std::u16string(u"Caption"), text)) << ce::text::ToUtf8(path);
  }
  EXPECT_EQ(CDialogTextViewer::TextOfFile(std::string("\xFF\xFE" "A\0\0\0B\0", 8)), u"A");  // ends at a zero
  EXPECT_EQ(CDialogTextViewer::TextOfFile(""), u"");
}

TEST_F(ViewerHelpTest, HelpFallsBackToEnglishThenToNoHelpInTheUsersLanguage) {
  ASSERT_TRUE(velomar::InstallHelpTexts());
  const std::u16string folder = u"\\Program Files\\Velomar\\traductions\\";
  UseLanguage(u"es");
  Helped options(u"options1_dialog");
  options.ShowHelp();
  EXPECT_EQ(Viewed().first, u"Ayuda");
  EXPECT_EQ(FirstLine(Viewed().second), u"Opciones");

  ASSERT_TRUE(DeleteFileW((folder + u"options1_dialog_es.txt").c_str()));
  options.ShowHelp();
  EXPECT_EQ(FirstLine(Viewed().second), u"Options");

  Helped unknown(u"not_a_window");
  unknown.ShowHelp();
  EXPECT_EQ(FirstLine(Viewed().second), u"Ayuda");  // no_help_es.txt

  CHelpProvider base;  // "no_help"
  base.ShowHelp();
  EXPECT_EQ(FirstLine(Viewed().second), u"Ayuda");

  // French: neither the window's fr file nor its en file; no_help_fr.txt, never no_help_en.txt.
  SetSetting(u"language", std::u16string(u"fr"));
  unknown.ShowHelp();
  EXPECT_EQ(Viewed().second, u"");
  WriteDeviceFile(folder + u"no_help_fr.txt", Utf16(u"Pas d'aide", true));
  unknown.ShowHelp();
  EXPECT_EQ(Viewed().second, u"Pas d'aide");
  Helped english_only(u"main_window");
  english_only.ShowHelp();
  EXPECT_EQ(FirstLine(Viewed().second), u"Velomar main window");
}

TEST_F(ViewerHelpTest, OnALandscapeScreenTheViewerIsTemplate179) {
  ASSERT_TRUE(velomar::InstallHelpTexts());
  ASSERT_TRUE(ce::display::SetScreenSize(ce::display::kLandscape));
  // The help runs on a thread of its own and waits for an answer, so the test can look at it.
  User().HoldUnanswered(true);
  std::thread helper([] {
    Helped help(u"main_window");
    help.ShowHelp();
  });
  ASSERT_TRUE(User().WaitShown(ce::scripted::Kind::kDialog, 1));
  HWND viewer = FindWindowW(nullptr, T(u"DIALOG_HELP_TITLE").c_str());
  CBaseDialog* object = viewer ? CBaseDialog::FindDialog(viewer) : nullptr;
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->GetTemplateId(), 179u);
  User().AnswerDialog({Click(IDCANCEL)});
  helper.join();
  EXPECT_EQ(FirstLine(Viewed().second), u"Velomar main window");
}

TEST_F(ViewerHelpTest, TheAboutBoxShowsVersionBuildAndTranslatorAndOpensTheChangeList) {
  ASSERT_TRUE(velomar::InstallHelpTexts());
  SetSetting(u"current_version", std::u16string(u"2.4"));
  for (int command : {IDOK, IDCANCEL, 101}) {
    CDialogAbout about(nullptr, 115);
    User().AnswerDialog({Click(command)});
    EXPECT_EQ(about.DoModal(), 0) << command;
  }
  const auto shown = LastShown(ce::scripted::Kind::kDialog);
  EXPECT_EQ(shown.title, T(u"ABOUT TITLE"));
  ASSERT_GE(shown.texts.size(), 3u);
  EXPECT_EQ(shown.texts[0], u"Velomar 2.4");
  EXPECT_EQ(shown.texts[1], T(u"BUILD TIME") + CDialogAbout::BuildStamp());
  EXPECT_EQ(shown.texts[2], T(u"DIALOG_ABOUT_TRANSLATOR") + u"Velomar");
  EXPECT_NE(CDialogAbout::BuildStamp().find(u" - "), std::u16string::npos);

  // The change list follows the screen mode of the moment it is asked for.
  ASSERT_TRUE(ce::display::SetScreenSize(ce::display::kLandscape));
  CDialogAbout about(nullptr, 115);
  User().AnswerMenu(40239);
  User().AnswerDialog({SoftKey(1), Click(101)});
  User().AnswerDialog({Click(IDCANCEL)});
  EXPECT_EQ(about.DoModal(), 0);
  const auto changes = LastShown(ce::scripted::Kind::kDialog);  // shown after the about box
  EXPECT_EQ(changes.title, T(u"DIALOG_CHANGES_TITLE"));
  ASSERT_FALSE(changes.texts.empty());
  EXPECT_EQ(FirstLine(changes.texts.front()), u"Velomar: changes");
}

}  // namespace
}  // namespace dialogs_test
