// Every file-transfer operation of every generation against a fuzzed device: uploads and
// downloads of files, lists, disk space, folders, renames and the mass-storage lock.
#include <cstdint>
#include <vector>

#include "fuzz/support/FuzzPort.h"
#include "fuzz/support/Strategies.h"
#include "fuzz/support/TempFiles.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/FileTransferSelection.h"
#include "qrcom/protocol/DirectoryEntry.h"
#include "qrcom/protocol/FileTransferStrategy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QrFuzz::ScopedFuzzClock clock;
  QrFuzz::Choices choose(data, size);
  const QrFuzz::Generation& generation = choose.pick(QrFuzz::kGenerations);
  const uint8_t operation = choose.byte();
  auto strategy = QrCom::selectFileTransfer(generation.modelId, generation.version);
  QrFuzz::FuzzPort port(*clock, data, size, operation);
  QrFuzz::clearScratchFolder();
  const uint8_t content[1500] = {'B', 'o', 'o', 'k'};
  try {
    switch ((operation & 0x3F) % 8) {
      case 0: {
        const std::string source = QrFuzz::writeScratchFile("UP.TXT", content, sizeof content);
        strategy->receiveFile(port, nullptr, QrCom::fromUtf8(source), L"UP.TXT", 3, 0, nullptr);
        break;
      }
      case 1: {
        const std::string target = QrFuzz::scratchFolder() + "/DOWN.TXT";
        strategy->sendFile(port, nullptr, L"DOWN.TXT", QrCom::fromUtf8(target), operation, nullptr);
        break;
      }
      case 2: {
        std::vector<QrCom::DirectoryEntry> list;
        strategy->sendFileList(port, list);
        break;
      }
      case 3: {
        std::vector<QrCom::DirectoryEntry> list;
        strategy->sendFolderList(port, list);
        break;
      }
      case 4: {
        uint64_t total = 0;
        uint64_t free = 0;
        strategy->sendDiskSpace(port, total, free);
        break;
      }
      case 5:
        strategy->makePath(port, L"/books/new");
        strategy->changeDirectory(port, L"/books");
        strategy->makeDirectory(port, L"new");
        break;
      case 6:
        strategy->renameFile(port, L"A.TXT", L"B.TXT");
        strategy->deleteFile(port, L"B.TXT");
        break;
      default:
        (void)strategy->checkMassStorageProtocolActive(port);
        strategy->lockMassStorageProtocol(port);
        strategy->releaseMassStorageProtocol(port);
        break;
    }
  } catch (const QrCom::QrException&) {
  }
  return 0;
}
