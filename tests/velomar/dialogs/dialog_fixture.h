// Dialog tests: the managers' fixture (language files installed, an event log of the test's own),
// a translator for the chosen language, a 240 x 320 screen unless a test sets another, and the
// scripted user reset before and after each test.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/display/display.h"
#include "platform/scripted/scripted_user.h"
#include "tests/velomar/managers/manager_fixture.h"
#include "velomar/ui/Translator.h"

namespace dialogs_test {

using namespace ce::scripted::steps;

class DialogTest : public velomar_test::ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    ce::scripted::User::Get().Reset();
    ASSERT_TRUE(ce::display::SetScreenSize(ce::display::kPortrait));
    UseLanguage(u"en");
  }
  void TearDown() override {
    ce::scripted::User::Get().Reset();
    m_translator.reset();
    ManagerTest::TearDown();
  }

  // The translator of `tag` ("en", "es") becomes the instance.
  void UseLanguage(const std::u16string& tag) {
    m_translator.reset();
    SetSetting(u"language", tag);
    velomar::seam::ForgetTranslator();  // one made on demand by an earlier test stays alive, unused
    m_translator = std::make_unique<CTranslator>();
    ASSERT_EQ(CTranslator::GetInstance(), m_translator.get());
  }
  static std::u16string T(const WCHAR* id) { return CTranslator::GetInstance()->GetText(id); }

  static ce::scripted::User& User() { return ce::scripted::User::Get(); }
  // The last thing of `kind` the user was shown.
  static ce::scripted::Shown LastShown(ce::scripted::Kind kind) {
    const auto all = User().shown();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      if (it->kind == kind) return *it;
    return {};
  }
  static std::size_t CountShown(ce::scripted::Kind kind) {
    std::size_t n = 0;
    for (const auto& s : User().shown()) n += s.kind == kind;
    return n;
  }

 private:
  std::unique_ptr<CTranslator> m_translator;
};

}  // namespace dialogs_test
