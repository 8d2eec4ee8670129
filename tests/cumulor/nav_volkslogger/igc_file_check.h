// The tests' own reading of IGC files written from recorder flights: the lines, a check from the
// published IGC format, the G lines decoded back to bytes and the standard-atmosphere altitude.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace igc_file_check {

// The file's CR LF lines; a last line without CR LF reads as "<no CR LF>".
inline std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string all = ss.str();
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < all.size();) {
    const std::size_t end = all.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back("<no CR LF>");
      break;
    }
    lines.push_back(all.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// An A record first, H records before any B record, printable characters only, B records of 35
// characters plus the I-record extensions, hemisphere letters and validity in place.
inline void CheckLines(const std::vector<std::string>& lines) {
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0][0], 'A');
  int extensionEnd = 35;
  bool fixSeen = false;
  for (const std::string& line : lines) {
    ASSERT_FALSE(line.empty());
    for (char c : line) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << line;
    if (line[0] == 'H') {
      EXPECT_FALSE(fixSeen) << line;
    }
    if (line[0] == 'I') {
      const int count = std::stoi(line.substr(1, 2));
      ASSERT_EQ(line.size(), 3u + 7u * static_cast<unsigned>(count));
      extensionEnd = std::stoi(line.substr(3 + 7 * (count - 1) + 2, 2));
    }
    if (line[0] == 'B') {
      fixSeen = true;
      EXPECT_EQ(static_cast<int>(line.size()), extensionEnd) << line;
      EXPECT_TRUE(line[14] == 'N' || line[14] == 'S');
      EXPECT_TRUE(line[23] == 'E' || line[23] == 'W');
      EXPECT_TRUE(line[24] == 'A' || line[24] == 'V');
    }
  }
}

// The bytes of the G lines (four characters of the 64-character alphabet give three bytes).
inline std::vector<std::uint8_t> DecodeG(const std::vector<std::string>& lines) {
  const std::string alphabet = "0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ`abcdefghijklmnopqrstuvwxyz";
  std::vector<std::uint8_t> out;
  for (const std::string& line : lines) {
    if (line.empty() || line[0] != 'G') continue;
    for (std::size_t at = 1; at + 4 <= line.size(); at += 4) {
      std::uint32_t value = 0;
      for (int i = 0; i < 4; ++i) value = value << 6 | static_cast<std::uint32_t>(alphabet.find(line[at + i]));
      out.push_back(static_cast<std::uint8_t>(value >> 16));
      out.push_back(static_cast<std::uint8_t>(value >> 8));
      out.push_back(static_cast<std::uint8_t>(value));
    }
  }
  return out;
}

// Pressure altitude in metres of the recorder's pressure value (ICAO standard atmosphere).
inline double IcaoAltitude(std::int32_t pressureValue) {
  const double hpa = pressureValue * 0.2685546875;
  return 44330.8 * (1 - std::pow(hpa / 1013.25, 1 / 5.25588));
}

}  // namespace igc_file_check
