// The records of the places database: one row of each table in memory. A place, a period of a
// place's weekly schedule, an action of a period, and the cell or LAC that identifies a place.
// Records copy by value (every field, the object id included).
//
// Property ids are (index << 16) | CEDB type; the constants below are the ones the tables store.
#pragma once

#include <memory>
#include <string>

#include "platform/base/types.h"
#include "platform/cedb/cedb.h"

struct IXMLDOMElement;

namespace velomar::places {
// Places.
inline constexpr CEPROPID kPropPlaceName = 0x2001F;         // "SYM"
inline constexpr CEPROPID kPropPlaceDescription = 0x3001F;  // "Desc"
inline constexpr CEPROPID kPropPlaceImage = 0x4001F;        // "Image"
inline constexpr CEPROPID kPropPlaceKey = 0x10066;          // "ID", auto-numbered
// Periods.
inline constexpr CEPROPID kPropPeriodKey = 0x10066;         // "Id", auto-numbered
inline constexpr CEPROPID kPropPeriodName = 0x2001F;        // "SYM"
inline constexpr CEPROPID kPropPeriodPlace = 0x30003;       // "IdPlace"
inline constexpr CEPROPID kPropPeriodBeginHour = 0x40003;   // "InitHour"
inline constexpr CEPROPID kPropPeriodBeginMinute = 0x50003; // "InitMinute"
inline constexpr CEPROPID kPropPeriodEndHour = 0x60003;     // "EndHour"
inline constexpr CEPROPID kPropPeriodEndMinute = 0x70003;   // "EndMinute"
// Actions.
inline constexpr CEPROPID kPropActionKind = 0x10003;        // "Id"
inline constexpr CEPROPID kPropActionPeriod = 0x20003;      // "IdPeriod"
inline constexpr CEPROPID kPropActionIntOp1 = 0x30003;
inline constexpr CEPROPID kPropActionIntOp2 = 0x40003;
inline constexpr CEPROPID kPropActionIntOp3 = 0x50003;
inline constexpr CEPROPID kPropActionSzOp1 = 0x6001F;
inline constexpr CEPROPID kPropActionSzOp2 = 0x7001F;
inline constexpr CEPROPID kPropActionSzOp3 = 0x8001F;
inline constexpr CEPROPID kPropActionStOp1 = 0x90040;
inline constexpr CEPROPID kPropActionStOp2 = 0xA0040;
inline constexpr CEPROPID kPropActionStOp3 = 0xB0040;
inline constexpr CEPROPID kPropActionTrigger = 0xC0003;     // "type"
inline constexpr CEPROPID kPropActionKey = 0x10066;         // "IdAutonumeric", auto-numbered
// Cells and LACs.
inline constexpr CEPROPID kPropLocationValue = 0x10003;     // "ID_LAC"
inline constexpr CEPROPID kPropLocationPlace = 0x20003;     // "ID_PLACE"

// The size of the buffer ToString writes into (characters, terminator included).
inline constexpr std::size_t kToStringChars = 50;
}  // namespace velomar::places

// Root of all records: the row's object id in its database (0 = not stored yet).
class CStrBase {
 public:
  CStrBase() = default;
  virtual ~CStrBase() = default;
  CStrBase(const CStrBase&) = default;
  CStrBase& operator=(const CStrBase&) = default;

  // A one-line debug text into `buffer` of kToStringChars characters, cut at 49.
  virtual void ToString(WCHAR* buffer) const = 0;
  // Back to the defaults (each record says which fields keep their value).
  virtual void Reset() = 0;
  virtual int GetKey() const = 0;
  virtual void SetKey(int value) = 0;
  // Writes the record into an element of the exchange file; only places write anything.
  virtual void ExportXml(IXMLDOMElement* element) const = 0;

  CEOID GetId() const { return m_id; }
  void SetId(CEOID id) { m_id = id; }

 protected:
  // Formats and cuts a ToString text into the caller's buffer.
  static void WriteOut(WCHAR* buffer, const std::u16string& text);

 private:
  CEOID m_id = 0;
};

// An action of a period: the manager (or job) it drives, when, and its arguments.
class CStrAction : public CStrBase {
 public:
  // Kind, period, IntOp1 and IntOp3 -1, IntOp2 0, texts empty, the three times the local time now.
  CStrAction();
  CStrAction(const CStrAction& other);
  CStrAction& operator=(const CStrAction& other);

  void ToString(WCHAR* buffer) const override;
  // Every default again except the own key, the trigger and the object id.
  void Reset() override;
  int GetKey() const override { return m_key; }
  void SetKey(int value) override { m_key = value; }
  void ExportXml(IXMLDOMElement*) const override {}
  virtual int GetKind() const { return m_kind; }
  virtual void SetKind(int value) { m_kind = value; }

  int GetIdPeriod() const { return m_idPeriod; }
  void SetIdPeriod(int value) { m_idPeriod = value; }
  // 0 = run when the period starts, 1 = when it ends.
  int GetTrigger() const { return m_trigger; }
  void SetTrigger(int value) { m_trigger = value; }
  int GetIntOp1() const { return m_intOp1; }
  void SetIntOp1(int value) { m_intOp1 = value; }
  // The day mask; -1 is stored as 0.
  int GetIntOp2() const { return m_intOp2; }
  void SetIntOp2(int value) { m_intOp2 = value == -1 ? 0 : value; }
  int GetIntOp3() const { return m_intOp3; }
  void SetIntOp3(int value) { m_intOp3 = value; }
  const std::u16string& GetSzOp1() const { return m_szOp1; }
  void SetSzOp1(const std::u16string& text) { m_szOp1 = text; }
  const std::u16string& GetSzOp2() const { return m_szOp2; }
  void SetSzOp2(const std::u16string& text) { m_szOp2 = text; }
  const std::u16string& GetSzOp3() const { return m_szOp3; }
  void SetSzOp3(const std::u16string& text) { m_szOp3 = text; }
  SYSTEMTIME GetStOp1() const { return m_stOp1; }
  void SetStOp1(const SYSTEMTIME& time) { m_stOp1 = time; }
  SYSTEMTIME GetStOp2() const { return m_stOp2; }
  void SetStOp2(const SYSTEMTIME& time) { m_stOp2 = time; }
  SYSTEMTIME GetStOp3() const { return m_stOp3; }
  void SetStOp3(const SYSTEMTIME& time) { m_stOp3 = time; }

  // The day mask as its eight-digit text: digits 0..6 stand for Sunday, Saturday, Friday, Thursday,
  // Wednesday, Tuesday and Monday; digit 7 odd means the action is disabled.
  std::u16string DayMaskText() const;
  // True when the enable digit is even (bit 0 of IntOp2 clear).
  bool IsEnabled() const;
  // True when today's digit (by the local time's day of the week) is '0': the action runs today.
  bool IsOffToday() const;

 private:
  int m_key = -1;
  int m_kind = -1;
  int m_idPeriod = -1;
  int m_trigger = 0;
  std::u16string m_szOp1, m_szOp2, m_szOp3;
  int m_intOp1 = -1;
  int m_intOp2 = 0;
  int m_intOp3 = -1;
  SYSTEMTIME m_stOp1{}, m_stOp2{}, m_stOp3{};
};

// Base of the cell and LAC records: a radio value (the key) and the key of its place.
class CStrLocation : public CStrBase {
 public:
  int GetKey() const override { return GetValue(); }
  void SetKey(int value) override { SetValue(value); }
  void ExportXml(IXMLDOMElement*) const override {}
  virtual int GetValue() const = 0;
  virtual int GetPlace() const = 0;
  virtual void SetValue(int value) = 0;
  virtual void SetPlace(int key) = 0;
};

// What the two location records share: the value, its place, and the value's address.
class CStrLocationValue : public CStrLocation {
 public:
  int GetValue() const override { return m_value; }
  int GetPlace() const override { return m_place; }
  void SetValue(int value) override { m_value = value; }
  void SetPlace(int key) override { m_place = key; }
  virtual int* ValueAddress() { return &m_value; }

 protected:
  int m_value = 0;
  int m_place = 0;
};

// A GSM cell id and its place.
class CStrCell : public CStrLocationValue {
 public:
  void ToString(WCHAR* buffer) const override;
  void Reset() override;  // value and place 0
};

// A location area code and its place.
class CStrLAC : public CStrLocationValue {
 public:
  void ToString(WCHAR* buffer) const override;
  void Reset() override;  // value, place and object id 0
};

// A new cell record when the setting "location_mode" is nonzero, else a new LAC record.
std::unique_ptr<CStrLocation> CreateLocationRecord();

// A period of a place's weekly schedule; only the hour and minute of its times are stored.
class CStrPeriod : public CStrBase {
 public:
  CStrPeriod() = default;

  void ToString(WCHAR* buffer) const override;
  // Every default again; the object id keeps its value.
  void Reset() override;
  int GetKey() const override { return m_key; }
  void SetKey(int value) override { m_key = value; }
  void ExportXml(IXMLDOMElement*) const override {}

  int GetIdPlace() const { return m_idPlace; }
  void SetIdPlace(int key) { m_idPlace = key; }
  const std::u16string& GetName() const { return m_name; }
  void SetName(const std::u16string& name) { m_name = name; }
  SYSTEMTIME GetBegin() const { return m_begin; }
  void SetBegin(const SYSTEMTIME& time) { m_begin = time; }
  SYSTEMTIME GetEnd() const { return m_end; }
  void SetEnd(const SYSTEMTIME& time) { m_end = time; }

  // True when the end (hour, minute) is not earlier than the begin, or the end hour is 0: the
  // period does not run past midnight into the next day.
  bool EndsSameDay() const;

  // Ordered by begin hour, then begin minute.
  bool operator<(const CStrPeriod& other) const;

 private:
  int m_key = -1;
  int m_idPlace = -1;
  std::u16string m_name;
  SYSTEMTIME m_begin{};
  SYSTEMTIME m_end{};
};

// A place: its name, description, picture and key.
class CStrPlace : public CStrBase {
 public:
  CStrPlace() = default;
  CStrPlace(const std::u16string& name, const std::u16string& description, const std::u16string& image,
            int key);

  void ToString(WCHAR* buffer) const override;
  // Key -1, object id 0, texts empty.
  void Reset() override;
  int GetKey() const override { return GetIdPlace(); }
  void SetKey(int value) override { SetIdPlace(value); }
  // Fills a "place" element with the place, its cells, LACs, periods and their actions.
  void ExportXml(IXMLDOMElement* element) const override;

  int GetIdPlace() const { return m_idPlace; }
  void SetIdPlace(int key) { m_idPlace = key; }
  const std::u16string& GetName() const { return m_name; }
  void SetName(const std::u16string& name) { m_name = name; }
  const std::u16string& GetDescription() const { return m_description; }
  void SetDescription(const std::u16string& text) { m_description = text; }
  const std::u16string& GetImage() const { return m_image; }
  void SetImage(const std::u16string& image) { m_image = image; }

  // Ordered by name (ordinal comparison of the texts).
  bool operator<(const CStrPlace& other) const { return m_name < other.m_name; }

 private:
  std::u16string m_name;
  std::u16string m_description;
  std::u16string m_image;
  int m_idPlace = -1;
};

// Orders two actions, or two location records, by their key.
bool operator<(const CStrAction& a, const CStrAction& b);
bool LessByKey(const CStrLocation& a, const CStrLocation& b);
