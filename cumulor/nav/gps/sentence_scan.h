// Reading the fields of one sentence.
//
// SentenceScan follows a scan format step by step ("%d,%c,%d*%X"): each step reads one value or
// matches one literal; after the first step that cannot read, every later step reads nothing, so
// the values not read stay 0. Numbers are read without locale; "inf", "nan" and exponents are not
// numbers here; integers that overflow saturate.
//
// SentenceFields splits the text at commas up to '*', CR, LF or NUL; an empty field has length 0.
#pragma once

#include <cstdint>

namespace cumulor {

class SentenceScan {
 public:
  explicit SentenceScan(const char* text) : p_(text) {}
  SentenceScan& Int(std::int32_t& out);
  SentenceScan& Float(double& out);
  SentenceScan& Char(char& out);
  SentenceScan& Hex(std::uint32_t& out);
  SentenceScan& Lit(char c);
  // Steps that read so far.
  int Count() const { return count_; }
  bool Ok() const { return ok_; }

 private:
  void SkipBlanks();
  const char* p_;
  bool ok_ = true;
  int count_ = 0;
};

struct SentenceFields {
  static constexpr int kMax = 24;
  // Only the first `count` entries are set (every accessor checks the index against count).
  const char* begin[kMax];
  int length[kMax];
  int count = 0;

  explicit SentenceFields(const char* text);
  bool Empty(int i) const { return i >= count || length[i] == 0; }
  char First(int i) const { return Empty(i) ? '\0' : begin[i][0]; }
  // The field's leading number; false (and 0) when it does not start with one.
  bool Float(int i, double& out) const;
  bool Int(int i, std::int32_t& out) const;
};

// Reads a number at text (sign, digits, optional fraction) without passing `end`; returns the
// characters used, 0 when there is no number.
int ReadDecimal(const char* text, const char* end, double& out);

}  // namespace cumulor
