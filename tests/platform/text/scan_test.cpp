#include "platform/text/scan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Scan, CommandLineNumbersNeedTheWholePattern) {
  struct Row {
    const char16_t* input;
    int count, manager, id;
  };
  const Row rows[] = {
      {u"timer_notification_03_07", 2, 3, 7},
      {u"xxtimer_notification_03_07", 0, 0, 0},  // fails at the first letter
      {u"timer_notification_1234", 1, 12, 0},     // two-digit fields, then '_' is missing
      {u"timer_notification_", -1, 0, 0},         // input ends before any field
  };
  for (const Row& r : rows) {
    int manager = 0, id = 0;
    EXPECT_EQ(swscanf(r.input, u"timer_notification_%02d_%02d", &manager, &id), r.count) << r.count;
    EXPECT_EQ(manager, r.manager);
    EXPECT_EQ(id, r.id);
  }
}

TEST(Scan, PositionSentenceFields) {
  float time = 0;
  int latDeg = 0, lonDeg = 0, quality = 0, satellites = 0;
  unsigned checksum = 0;
  double latMin = 0, lonMin = 0, dilution = 0, altitude = 0, geoid = 0;
  char ns = 0, ew = 0, altUnit = 0, geoidUnit = 0, empty = 0, star = 0;
  int n = sscanf("123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r",
                 "%f,%d%f,%c,%d%f,%c,%d,%d,%f,%f,%c,%f,%c,%c%c%x\r", &time, &latDeg, &latMin, &ns, &lonDeg,
                 &lonMin, &ew, &quality, &satellites, &dilution, &altitude, &altUnit, &geoid, &geoidUnit,
                 &empty, &star, &checksum);
  EXPECT_EQ(n, 17);
  EXPECT_FLOAT_EQ(time, 123519.0f);
  EXPECT_EQ(latDeg, 4807);
  EXPECT_DOUBLE_EQ(latMin, 0.038);
  EXPECT_EQ(ns, 'N');
  EXPECT_EQ(lonDeg, 1131);
  EXPECT_EQ(ew, 'E');
  EXPECT_EQ(satellites, 8);
  EXPECT_DOUBLE_EQ(altitude, 545.4);
  EXPECT_EQ(empty, ',');
  EXPECT_EQ(star, '*');
  EXPECT_EQ(checksum, 0x47u);
}

TEST(Scan, WideTextFields) {
  WCHAR hemisphere = 0;
  int degrees = 0;
  double minutes = 0;
  EXPECT_EQ(swscanf(u"N47:30.5", u"%c%d:%lf", &hemisphere, &degrees, &minutes), 3);
  EXPECT_EQ(hemisphere, u'N');
  EXPECT_EQ(degrees, 47);
  EXPECT_DOUBLE_EQ(minutes, 30.5);

  WCHAR word[16], code[16];
  EXPECT_EQ(swscanf(u"  point  ABCDE1 \r\n", u" %s %s \r\n", word, code), 2);
  EXPECT_EQ(ce::text::WideView(word), u"point");
  EXPECT_EQ(ce::text::WideView(code), u"ABCDE1");
  EXPECT_EQ(swscanf(u" lat = 47:30.5N", u" %s = %s", word, code), 2);
  EXPECT_EQ(ce::text::WideView(code), u"47:30.5N");

  char narrow[8];
  EXPECT_EQ(swscanf(u"h\u00e9llo", u"%hs", narrow), 1);
  EXPECT_STREQ(narrow, "h\xe9llo");

  WCHAR letters[4][2];
  int numbers[4] = {};
  EXPECT_EQ(swscanf(u"A1B2", u"%c%d %c%d %c%d %c%d", &letters[0][0], &numbers[0], &letters[1][0], &numbers[1],
                    &letters[2][0], &numbers[2], &letters[3][0], &numbers[3]),
            4);
  EXPECT_EQ(numbers[1], 2);
}

TEST(Scan, ConversionsAndEnds) {
  int a = 0, b = 0, n = 0;
  unsigned u = 0;
  EXPECT_EQ(sscanf("12 34", "%d %d%n", &a, &b, &n), 2);
  EXPECT_EQ(n, 5);
  EXPECT_EQ(sscanf("7 8", "%*d %d", &a), 1);
  EXPECT_EQ(a, 8);
  EXPECT_EQ(sscanf("", "%d", &a), -1);
  EXPECT_EQ(sscanf("   ", "%d", &a), -1);
  EXPECT_EQ(sscanf("abc", "%d", &a), 0);
  EXPECT_EQ(sscanf("45,90\r", "%d,%d\r", &a, &b), 2);
  EXPECT_EQ(b, 90);
  struct Row {
    const char* input;
    const char* format;
    unsigned expected;
  };
  const Row rows[] = {{"0x1F", "%x", 31}, {"ff", "%X", 255}, {"010", "%i", 8}, {"0x10", "%i", 16},
                      {"-1", "%u", 4294967295u}, {"12345", "%3u", 123}, {"077", "%o", 63}};
  for (const Row& r : rows) {
    EXPECT_EQ(sscanf(r.input, r.format, &u), 1) << r.format;
    EXPECT_EQ(u, r.expected) << r.input;
  }
  double d = 0;
  EXPECT_EQ(sscanf("12.5K", "%lf", &d), 1);
  EXPECT_DOUBLE_EQ(d, 12.5);
  EXPECT_EQ(sscanf("-.5e1x", "%lf", &d), 1);
  EXPECT_DOUBLE_EQ(d, -5.0);
  EXPECT_EQ(sscanf("1e", "%lf", &d), 1);  // an exponent needs digits
  EXPECT_DOUBLE_EQ(d, 1.0);

  char head[16], digits[16], rest[16];
  EXPECT_EQ(sscanf("abc123,x y", "%[a-z]%[0-9],%[^ ]", head, digits, rest), 3);
  EXPECT_STREQ(head, "abc");
  EXPECT_STREQ(digits, "123");
  EXPECT_STREQ(rest, "x");
  EXPECT_EQ(sscanf("name with blanks,1", "%[^,]", rest), 1);
  EXPECT_STREQ(rest, "name with blank");  // cut to the buffer
  EXPECT_EQ(sscanf("]x", "%[]x]", head), 1);
  EXPECT_STREQ(head, "]x");
}

TEST(Scan, ArgumentsAreNeverOverrun) {
  WCHAR small[4];
  EXPECT_EQ(swscanf(u"abcdefgh next", u"%s %s", small, small), 2);
  EXPECT_EQ(ce::text::WideView(small), u"nex");

  short s = 0;
  int guard[2] = {0x1111, 0x2222};
  EXPECT_EQ(sscanf("70000", "%d", &s), 1);  // stored in the variable's own size
  EXPECT_EQ(s, static_cast<short>(70000 & 0xFFFF));
  float f = 0;
  EXPECT_EQ(sscanf("2.5", "%lf", &f), 1);
  EXPECT_FLOAT_EQ(f, 2.5f);

  int i = 0;
  double d = 0;
  EXPECT_EQ(sscanf("1 2.5", "%d %d", &i, &d), 1);  // a double for %d ends the scan
  EXPECT_EQ(sscanf("1 2", "%d %d", &i), 1);        // a missing argument too
  char c[2] = {'x', 'y'};
  EXPECT_EQ(sscanf("abc", "%3c", c), 1);  // %c fills at most the array
  EXPECT_EQ(c[1], 'b');
  EXPECT_EQ(guard[0], 0x1111);
  EXPECT_EQ(guard[1], 0x2222);
}

}  // namespace
