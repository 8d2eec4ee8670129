// GetHttpStatusCode against a local server started by the test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/http/local_http_server.h"
#include "tests/teskautils/log_queue_reader.h"
#include "tests/teskautils/teskautils_fixture.h"

namespace {

using teskautils_test::Expected;
using teskautils_test::LogQueueReader;

class HttpStatus : public teskautils_test::TeskaUtilsTest {};

TEST_F(HttpStatus, AnswersTheStatusAfterOneOrTwoAttempts) {
  struct Case {
    const char16_t* object;
    const char16_t* password;
    int status;
    int requests;  // -1: not counted (authentication adds its own)
  } cases[] = {
      {u"/ok", u"pw", 200, 1},
      {u"/secret", u"pw", 200, -1},
      {u"/secret", u"wrong", 401, -1},
      {u"/nada", u"pw", 404, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.object, c.object + std::char_traits<char16_t>::length(c.object)));
    test_http::LocalHttpServer server("DOM\\bob", "pw", 10000);
    EXPECT_EQ(GetHttpStatusCode(u"127.0.0.1", server.port(), c.object, u"bob", c.password, u"DOM"), c.status);
    if (c.requests >= 0) {
      EXPECT_EQ(server.requests(), c.requests);
    }
  }
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());  // the library resets never fail here
}

TEST_F(HttpStatus, NoServerAnswersMinusOne) {
  LogQueueReader reader;
  ASSERT_TRUE(reader.ok());
  EXPECT_EQ(GetHttpStatusCode(u"127.0.0.1", test_http::LocalHttpServer::FreePort(), u"/ok", u"bob", u"pw", u"DOM"), -1);
  int failures = 0;
  for (const auto& r : reader.Take())
    if (r.level == 3 && r.text.find(u"Error al recuperar codigo de estado de peticion HTTP") != std::u16string::npos)
      ++failures;
  EXPECT_EQ(failures, 2);
}

TEST_F(HttpStatus, TheUpdateAddressIsASettingWithItsDefault) {
  EXPECT_EQ(teskautils::seam::UpdateAddress(), u"http://update.teska.es/revisiones/brava/");
  const std::u16string local = u"http://127.0.0.1:8080/updates/";
  teskautils_test::SeedValue(teskautils_test::kRoot, u"UpdateAddress", REG_SZ, local.c_str(),
                             static_cast<DWORD>((local.size() + 1) * sizeof(WCHAR)));
  EXPECT_EQ(teskautils::seam::UpdateAddress(), local);
  // An empty text or a value of another type leaves the default.
  teskautils_test::SeedValue(teskautils_test::kRoot, u"UpdateAddress", REG_SZ, u"", sizeof(WCHAR));
  EXPECT_EQ(teskautils::seam::UpdateAddress(), u"http://update.teska.es/revisiones/brava/");
  teskautils_test::SeedLong(u"UpdateAddress", 7);
  EXPECT_EQ(teskautils::seam::UpdateAddress(), u"http://update.teska.es/revisiones/brava/");
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());  // read without any error box
}

TEST_F(HttpStatus, LogsTheBodyItDrained) {
  test_http::LocalHttpServer server("DOM\\bob", "pw", 10000);
  LogQueueReader reader;
  ASSERT_EQ(GetHttpStatusCodeLocalAux(u"127.0.0.1", server.port(), u"/ok", u"bob", u"pw", u"DOM", FALSE), 200);
  std::vector<std::u16string> texts;
  for (const auto& r : reader.Take()) texts.push_back(r.text);
  const std::vector<std::u16string> expected = {
      Expected(u"Peticion enviada"),        Expected(u"http status recogido"), Expected(u"Access granted.HTTP Code:200"),
      Expected(u"Se han leido 10000 bytes"), Expected(u"Cerrando handlers"),    Expected(u"Fin")};
  EXPECT_EQ(texts, expected);
}

}  // namespace
