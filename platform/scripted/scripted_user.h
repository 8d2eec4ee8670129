// The scripted user: answers to the boxes, menus, choosers and modal dialogs a program shows, given
// ahead by a test or a headless run, and the record of everything shown.
//
// Answers are kept first in, first out, one list per kind of thing shown. A thing shown with no
// answer waiting gets the documented default (see README.md), which is logged, unless answers are
// held: then it waits (pumping its thread's messages) until a test gives one.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/types.h"

namespace ce::scripted {

enum class Kind { kBox, kDialog, kMenu, kOpenFile, kSaveFile, kColor };

// One thing the user does inside a dialog (or a property sheet). Controls are found by id among
// all the dialog's descendants (the pages of a sheet included; a control that is shown first).
struct Step {
  enum Op {
    kSetText,   // replace the control's text as typed by the user (control, text)
    kType,      // type characters into the control (control, text)
    kClick,     // tap the control (control); in a list view: the row `value` (value >= 0)
    kSelect,    // select entry `value` of a list box, combo box, list view or tab control
    kTrack,     // drag a trackbar's thumb to `value`
    kCheck,     // set a check box to `value` (0 or 1) by tapping it when it differs
    kKey,       // press and release the key `value` in the control with the focus
    kPage,      // switch a property sheet to page `value`
    kColumn,    // tap the header of column `value` of a list view (control)
    kHold,      // tap and hold the row `value` of a list view (control), in column `column` (-1: the row's middle)
    kCell,      // tap the cell of row `value` and column `column` of a list view (control)
    kSpin,      // tap an up-down control's arrow: `value` > 0 up, < 0 down
    kSoftKey,   // tap soft key `value` (0 left, 1 right) of the dialog's bar
    kEnd,       // end the dialog with result `value` (as EndDialog would)
  };
  Op op;
  int control = 0;
  int value = 0;
  std::u16string text;
  int column = -1;
};

namespace steps {
inline Step SetText(int control, std::u16string text) { return {Step::kSetText, control, 0, std::move(text), -1}; }
inline Step Type(int control, std::u16string text) { return {Step::kType, control, 0, std::move(text), -1}; }
inline Step Click(int control, int row = -1) { return {Step::kClick, control, row, {}, -1}; }
inline Step Select(int control, int index) { return {Step::kSelect, control, index, {}, -1}; }
inline Step Track(int control, int pos) { return {Step::kTrack, control, pos, {}, -1}; }
inline Step Check(int control, bool on) { return {Step::kCheck, control, on ? 1 : 0, {}, -1}; }
inline Step Key(UINT vk) { return {Step::kKey, 0, static_cast<int>(vk), {}, -1}; }
inline Step Page(int index) { return {Step::kPage, 0, index, {}, -1}; }
inline Step Column(int control, int column) { return {Step::kColumn, control, column, {}, -1}; }
inline Step Hold(int control, int row) { return {Step::kHold, control, row, {}, -1}; }
inline Step Cell(int control, int row, int column) { return {Step::kCell, control, row, {}, column}; }
inline Step HoldCell(int control, int row, int column) { return {Step::kHold, control, row, {}, column}; }
inline Step Spin(int control, int delta) { return {Step::kSpin, control, delta, {}, -1}; }
inline Step SoftKey(int index) { return {Step::kSoftKey, 0, index, {}, -1}; }
inline Step End(int result) { return {Step::kEnd, 0, result, {}, -1}; }
}  // namespace steps

// A given answer. `value`: the box's button id, the menu command (0: dismissed), 1 (OK) or 0
// (cancelled) for choosers. `text`: the chosen file. `color`: the chosen colour.
struct Answer {
  Kind kind;
  int value = 0;
  std::vector<Step> steps;
  std::u16string text;
  COLORREF color = 0;
};

// A thing shown, as the user saw it.
struct Shown {
  Kind kind;
  std::u16string title;               // caption of a box, dialog or chooser; empty for menus
  std::vector<std::u16string> texts;  // box text and buttons; dialog control texts; menu items
  int result = 0;                     // what it answered (button, command, dialog result, 1/0)
  bool scripted = false;              // false: the default answer was used
  DWORD thread = 0;
};

class User {
 public:
  static User& Get();

  void AnswerBox(int button);
  void AnswerDialog(std::vector<Step> steps);
  void AnswerMenu(UINT command);
  void AnswerOpenFile(std::u16string ce_path);  // an empty path cancels
  void AnswerSaveFile(std::u16string ce_path);  // an empty path cancels
  void AnswerColor(std::optional<COLORREF> color);  // nothing cancels

  // With answers held, a thing shown without an answer waits for one instead of taking the default.
  void HoldUnanswered(bool hold);
  bool holding() const;

  // The next answer of that kind, if one is waiting.
  std::optional<Answer> Take(Kind kind);
  // Registers an event (kernel handle) that is set whenever an answer is given; null removes it.
  void WakeOnAnswer(HANDLE event);
  void StopWaking(HANDLE event);

  // What was shown, in order. Begin adds an entry and returns its index; Finish completes it.
  std::size_t Begin(Shown shown);
  void Finish(std::size_t index, int result, bool scripted);
  std::vector<Shown> shown() const;
  // Waits (real time) until at least `count` things of `kind` have been shown. False on time-out.
  bool WaitShown(Kind kind, std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

  // Lines saying where a default answer was used or a scripted answer did not fit; also on stderr.
  void Log(const std::string& line);
  std::vector<std::string> log() const;

  // Forgets answers, the record and the log; stops holding.
  void Reset();

 private:
  User() = default;
  void Add(Answer a);
};

const char* KindName(Kind kind);

}  // namespace ce::scripted
