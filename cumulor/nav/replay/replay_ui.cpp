#include "cumulor/nav/replay/replay_ui.h"

namespace cumulor {
namespace {

ReplayUi& Ui() {
  static ReplayUi ui;
  return ui;
}

}  // namespace

void SetReplayUi(const ReplayUi& ui) { Ui() = ui; }
const ReplayUi& GetReplayUi() { return Ui(); }

}  // namespace cumulor
