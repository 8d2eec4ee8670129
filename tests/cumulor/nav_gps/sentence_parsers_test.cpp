#include <gtest/gtest.h>

#include "cumulor/nav/gps/sentence_parsers.h"
#include "nmea_test_util.h"

using namespace cumulor;
using gps_test::App;
using gps_test::SetLine;
using gps_test::WithChecksum;

namespace {

const char kRmc[] = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";

TEST(SentenceParsers, RmcReadsPositionSpeedTrackDateAndVariation) {
  App a;
  SetLine(a.gps, kRmc);
  ASSERT_EQ(ParseRMC(a.gps), S_OK);
  EXPECT_EQ(a.gps.status.positionValid, 1);
  EXPECT_EQ(a.gps.fix.position.lat, 1732222);
  EXPECT_EQ(a.gps.fix.position.lon, 414600);
  EXPECT_EQ(a.gps.status.position, a.gps.fix.position);
  EXPECT_FLOAT_EQ(a.gps.fix.groundSpeed, 22.4f);
  EXPECT_NEAR(a.gps.status.groundSpeedMs, 22.4 * 0.514444444, 1e-4);
  EXPECT_EQ(a.gps.fix.track, 84);
  EXPECT_EQ(a.gps.status.track, 84);
  EXPECT_STREQ(a.gps.dateText, "230394");
  EXPECT_STREQ(a.gps.utcText, "123519");
  EXPECT_EQ(a.gps.fix.timeOfDay, 12u * 3600 + 35 * 60 + 19);
  EXPECT_EQ(a.gps.status.variation, 3);
  EXPECT_EQ(a.gps.fix.mark, 1);
}

TEST(SentenceParsers, RmcVariationRules) {
  App a;
  SetLine(a.gps, WithChecksum("$GPRMC,123519,A,4807.038,S,01131.000,W,1,2,230394,004.9,E"));
  ASSERT_EQ(ParseRMC(a.gps), S_OK);
  EXPECT_EQ(a.gps.fix.position.lat, -1732222);
  EXPECT_EQ(a.gps.fix.position.lon, -414600);
  EXPECT_EQ(a.gps.status.variation, -4);
  a.gps.manualVariation = 7;
  ASSERT_EQ(ParseRMC(a.gps), S_OK);
  EXPECT_EQ(a.gps.status.variation, 7);
  a.gps.trueNorth = 1;
  ASSERT_EQ(ParseRMC(a.gps), S_OK);
  EXPECT_EQ(a.gps.status.variation, 0);
}

TEST(SentenceParsers, RmcRefusals) {
  struct Case {
    const char* what;
    std::string line;
    HRESULT result;
  };
  const Case cases[] = {
      {"void fix", WithChecksum("$GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"), kVoidFix},
      {"lower-case checksum", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6a\r", E_FAIL},
      {"wrong checksum", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6B\r", E_FAIL},
      {"no checksum", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W\r", E_FAIL},
      {"truncated", "$GPRMC,123519,A,4807.038,N,0113", E_FAIL},
      {"minutes of 60", WithChecksum("$GPRMC,123519,A,4860.000,N,01131.000,E,1,1,230394,,"), kVoidFix},
      {"latitude beyond 90", WithChecksum("$GPRMC,123519,A,9100.000,N,01131.000,E,1,1,230394,,"), kVoidFix},
      {"no time", WithChecksum("$GPRMC,,A,4807.038,N,01131.000,E,1,1,230394,,"), kVoidFix},
      {"empty position", WithChecksum("$GPRMC,123519,A,,,,,,,230394,,"), kVoidFix},
  };
  for (const Case& c : cases) {
    App a;
    a.gps.fix.position = GeoPoint{5, 6};
    a.gps.status.positionValid = 1;
    SetLine(a.gps, c.line);
    EXPECT_EQ(ParseRMC(a.gps), c.result) << c.what;
    EXPECT_EQ(a.gps.status.positionValid, 0) << c.what;
    EXPECT_EQ(a.gps.fix.position, (GeoPoint{5, 6})) << c.what;
    EXPECT_EQ(a.gps.dateText[0], '\0') << c.what;
  }
}

TEST(SentenceParsers, RmcTrackAndMissingFields) {
  App a;
  SetLine(a.gps, WithChecksum("$GPRMC,123519,A,4807.038,N,01131.000,E,10,360.0,230394,,"));
  ASSERT_EQ(ParseRMC(a.gps), S_OK);
  EXPECT_EQ(a.gps.fix.track, 0);
  SetLine(a.gps, WithChecksum("$GPRMC,123520,A,4807.038,N,01131.000,E,,,,,"));
  ASSERT_EQ(ParseRMC(a.gps), S_OK);
  EXPECT_EQ(a.gps.fix.track, 0);
  EXPECT_EQ(a.gps.fix.groundSpeed, 0.0f);
  EXPECT_STREQ(a.gps.dateText, "230394");  // the first date is kept
}

TEST(SentenceParsers, NewSecondFollowsTheTime) {
  App a;
  SetLine(a.gps, kRmc);
  ParseRMC(a.gps);
  EXPECT_EQ(a.gps.newSecond, 1);
  ParseRMC(a.gps);
  EXPECT_EQ(a.gps.newSecond, 0);
}

TEST(SentenceParsers, GgaAltitudesAndQuality) {
  struct Case {
    std::string line;
    HRESULT result;
    std::int16_t gpsAltitude;
    std::int32_t altitudeValid;
  };
  const Case cases[] = {
      {WithChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,1500.7,M,46.9,M,,"), S_OK, 1500, 1},
      {WithChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,1000,F,46.9,M,,"), S_OK, 304, 1},
      {WithChecksum("$GPGGA,123519,4807.038,N,01131.000,E,2,08,0.9,-12.5,M,46.9,M,,"), S_OK, -12, 1},
      // Receivers that leave out the satellite count or the dilution still give their altitude.
      {WithChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,,0.9,1500.7,M,46.9,M,,"), S_OK, 1500, 1},
      {WithChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,,1500.7,M,46.9,M,,"), S_OK, 1500, 1},
      {WithChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,,,1000,F,,,,"), S_OK, 304, 1},
      // No altitude at all: the position is taken, no altitude is made up.
      {WithChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,,M,46.9,M,,"), S_OK, 0, 0},
      {WithChecksum("$GPGGA,123519,4807.038,N,01131.000,E,0,00,,,M,,M,,"), kVoidFix, 0, 0},
      {WithChecksum("$GPGGA,,,,,,0,00,99.99,,,,,,"), kVoidFix, 0, 0},
  };
  for (const Case& c : cases) {
    App a;
    SetLine(a.gps, c.line);
    EXPECT_EQ(ParseGGA(a.gps), c.result) << c.line;
    EXPECT_EQ(a.gps.status.positionValid, c.result == S_OK ? 1 : 0) << c.line;
    EXPECT_EQ(a.gps.fix.gpsAltitude, c.gpsAltitude) << c.line;
    EXPECT_EQ(a.gps.status.altitudeValid, c.altitudeValid) << c.line;
    if (c.result == S_OK) {
      EXPECT_EQ(a.gps.fix.position.lat, 1732222);
      EXPECT_EQ(a.gps.fix.pressureAltitude, c.gpsAltitude);
      EXPECT_EQ(a.gps.status.altitude, c.gpsAltitude);
      EXPECT_EQ(a.gps.status.mark, 1);
    }
  }
}

TEST(SentenceParsers, GgaLeavesAnInstrumentsPressureAltitude) {
  App a;
  a.gps.externalAltitude = 1;
  a.gps.fix.pressureAltitude = 777;
  SetLine(a.gps, WithChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,1500,M,46.9,M,,"));
  ASSERT_EQ(ParseGGA(a.gps), S_OK);
  EXPECT_EQ(a.gps.fix.gpsAltitude, 1500);
  EXPECT_EQ(a.gps.fix.pressureAltitude, 777);
}

TEST(SentenceParsers, VtgTrackAndSpeed) {
  App a;
  SetLine(a.gps, WithChecksum("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"));
  ASSERT_EQ(ParseVTG(a.gps), S_OK);
  EXPECT_EQ(a.gps.fix.track, 54);
  EXPECT_FLOAT_EQ(a.gps.fix.groundSpeed, 5.5f);
  SetLine(a.gps, WithChecksum("$GPVTG,360.0,T,,M,1,N,,K"));
  ASSERT_EQ(ParseVTG(a.gps), S_OK);
  EXPECT_EQ(a.gps.status.track, 0);
}

TEST(SentenceParsers, PressureAltitudeSentences) {
  struct Case {
    std::string line;
    HRESULT (*parse)(GpsPort&);
    HRESULT result;
    std::int16_t altitude;
    int statusMark;
    bool external;
  };
  const Case cases[] = {
      {WithChecksum("$PGRMZ,1000,f,3"), ParseRMZ, S_OK, 304, 0, false},
      {WithChecksum("$PGRMZ,,f,3"), ParseRMZ, E_FAIL, 0, -1, false},
      {WithChecksum("$PCAID,L,1234,0,0"), ParsePCAID, S_OK, 1234, -1, true},
      {WithChecksum("$PZAN1,02000,ZANDER"), ParsePZAN1, S_OK, 2000, 1, true},
      {"$PFSRA,850,Y,5,*00\r", ParsePFSR, S_OK, 850, 1, true},
      {"$PFSRA,850,N,5,*00\r", ParsePFSR, S_OK, 850, 0, true},
      {WithChecksum("$PZAN1,02000,ZANDER").replace(8, 1, "3"), ParsePZAN1, E_FAIL, 0, -1, false},
  };
  for (const Case& c : cases) {
    App a;
    a.gps.status.mark = -1;
    SetLine(a.gps, c.line);
    EXPECT_EQ(c.parse(a.gps), c.result) << c.line;
    EXPECT_EQ(a.gps.fix.pressureAltitude, c.altitude) << c.line;
    EXPECT_EQ(a.gps.status.altitude, c.altitude) << c.line;
    if (c.statusMark >= 0) {
      EXPECT_EQ(a.gps.status.mark, c.statusMark) << c.line;
    }
    EXPECT_EQ(a.gps.externalAltitude != 0, c.external) << c.line;
    EXPECT_EQ(a.gps.status.altitudeValid, c.result == S_OK ? 1 : 0) << c.line;
  }
}

TEST(SentenceParsers, LxwpVarioIsMetresPerSecond) {
  App a;
  SetLine(a.gps, "$LXWP0,Y,222.3,1665.5,1.71,,,,,,239,174,10.1\r");
  ASSERT_EQ(ParseLXWP0(a.gps), S_OK);
  EXPECT_FLOAT_EQ(a.gps.fix.verticalSpeed, 1.71f);
  EXPECT_NEAR(a.gps.fix.airspeed, 222.3 * 0.539968, 1e-3);
  EXPECT_EQ(a.gps.fix.pressureAltitude, 1665);
  EXPECT_EQ(a.gps.fix.mark, 1);
  SetLine(a.gps, "$LXWP0,N,100,500,,,\r");
  ASSERT_EQ(ParseLXWP0(a.gps), S_OK);
  EXPECT_EQ(a.gps.fix.verticalSpeed, 0.0f);
  EXPECT_EQ(a.gps.status.mark, 0);
}

TEST(SentenceParsers, PgcsMarkGoesToTheNextSentence) {
  App a;
  // Version 1, pressure altitude 0x03E8 = 1000 m, marker 1.
  SetLine(a.gps, WithChecksum("$PGCS,1,0A1B,03E8,0000,1"));
  ASSERT_EQ(ParsePGCS1(a.gps), S_OK);
  EXPECT_EQ(a.gps.fix.pressureAltitude, 1000);
  EXPECT_EQ(a.gps.fix.mark, 0);
  SetLine(a.gps, WithChecksum("$PGCS,1,0A1B,FFF0,0000,0"));
  ASSERT_EQ(ParsePGCS1(a.gps), S_OK);
  EXPECT_EQ(a.gps.fix.pressureAltitude, -16);
  EXPECT_EQ(a.gps.fix.mark, 1);
  EXPECT_EQ(a.gps.pgcsSeen, 1);
  EXPECT_EQ(a.gps.pressureSentence, 1);

  App b;
  SetLine(b.gps, WithChecksum("$PGCS,2,0A1B,03E8,0000,1"));
  EXPECT_EQ(ParsePGCS1(b.gps), E_FAIL);
  EXPECT_EQ(b.gps.pgcsSeen, 1);  // seen even when refused
}

TEST(SentenceParsers, AfterAPressureSentenceRmcAndGgaNoLongerMark) {
  App a;
  a.Feed(WithChecksum("$PCAID,N,500,0,0"));
  a.gps.fix.mark = 0;
  a.gps.status.mark = 0;
  SetLine(a.gps, kRmc);
  ASSERT_EQ(ParseRMC(a.gps), S_OK);
  EXPECT_EQ(a.gps.fix.mark, 0);
  SetLine(a.gps, WithChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,1500,M,46.9,M,,"));
  ASSERT_EQ(ParseGGA(a.gps), S_OK);
  EXPECT_EQ(a.gps.status.mark, 0);
}

TEST(SentenceParsers, QcmPpgAndHeading) {
  App a;
  a.Feed(WithChecksum("$GPQCM,0,1,12345"));
  EXPECT_EQ(a.gps.fix.pressureAltitude, 1234);
  EXPECT_EQ(a.gps.status.mark, 1);
  EXPECT_EQ(a.gps.externalAltitude, 0);
  a.Feed(WithChecksum("$PPG10,0,-5015"));
  EXPECT_EQ(a.gps.fix.pressureAltitude, -501);
  EXPECT_EQ(a.gps.fix.mark, 0);
  EXPECT_EQ(a.gps.instrumentSeen, 1);
  a.Feed(WithChecksum("$HCHDG,101.1,,,7.1,W"));
  EXPECT_FLOAT_EQ(a.gps.compassHeading, 101.1f);
  EXPECT_EQ(a.app->compassPresent, 1);
}

TEST(SentenceParsers, RmzIgnoredWhileAnInstrumentReportsAltitude) {
  App a;
  a.Feed(WithChecksum("$PZAN1,02000,X"));
  a.Feed(WithChecksum("$PGRMZ,1000,f,3"));
  EXPECT_EQ(a.gps.fix.pressureAltitude, 2000);
}

}  // namespace
