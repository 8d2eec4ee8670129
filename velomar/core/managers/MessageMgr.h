// The message manager (id 10): no status of its own. It sends an e-mail through the message store
// (one of the stores listed by EnumAccounts, by position), sends an SMS, and lists the message
// stores by display name.
#pragma once

#include <string>
#include <vector>

#include "velomar/core/managers/Mgr.h"

class CMessageMgr : public CMgr {
 public:
  CMessageMgr();
  ~CMessageMgr() override;
  static CMessageMgr* GetInstance();

  void Initialize() override {}
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return MGR_MESSAGES; }
  void RefreshStatusChild(int) override {}
  void SetStatusChild(int, int) override {}
  void SetRestStatus() override {}
  void HandleCommand(int, int) override {}

  // Logs the mail, then composes it in the store at `store_index` (a position of EnumAccounts)
  // and submits it. `to` holds addresses separated by ';'. Failures end the send quietly (debug
  // output only).
  void SendMail(const std::u16string& to, const std::u16string& subject, const std::u16string& body,
                int store_index);
  // Logs the message, then sends one text message (class 1).
  void SendSMS(const std::u16string& number, const std::u16string& text);
  // Appends the display name of every message store, in table order.
  virtual void EnumAccounts(std::vector<std::u16string>* accounts);
  // The same list under the name the settings pages use.
  void GetAccounts(std::vector<std::u16string>* accounts) { EnumAccounts(accounts); }
};

namespace velomar::messages {
// The addresses of a "to" text: split at ';', leading blanks skipped, each ending at a blank.
std::vector<std::u16string> SplitAddresses(const std::u16string& to);
}  // namespace velomar::messages
