#pragma once

#include <cstddef>

#include "app/ProgressChannel.h"
#include "app/UpdaterUi.h"
#include "app/posix/FleetBoard.h"

namespace QrApp {

// The user interface of one update among several (--all): nobody is asked anything. The
// confirmation is Yes, the folder the one given, a retry is declined; what the update shows
// goes to its row of the board, and the board's cancel is the progress dialog's Cancel. Its
// progress dialog runs on the update's own thread.
class FleetUi : public UpdaterUi {
 public:
  FleetUi(FleetBoard& board, std::size_t row);

  void showMessage(const std::wstring& text, MessageKind kind) override;
  bool askYesNo(const std::wstring& question) override;
  int selectDevice(const std::vector<std::wstring>& descriptions) override;
  std::optional<std::wstring> chooseFolder(const std::optional<std::wstring>& initial) override;
  UploadProgress& uploadProgress() override { return channel_; }
  int showUploadDialog(const std::wstring& targetDevice,
                       QrCom::UploadProcessDialogNotifier& notifier) override;

 private:
  FleetBoard& board_;
  const std::size_t row_;
  ProgressChannel channel_;
};

}  // namespace QrApp
