// quorlin-updater: updates a Quorlin Braille display from a firmware package, in a terminal.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <exception>
#include <string>
#include <vector>

#include "Version.h"
#include "app/DevicePort.h"
#include "app/FirmwareUploadControler.h"
#include "app/LocalizedStrings.h"
#include "app/TextFormat.h"
#include "app/UiLanguage.h"
#include "app/posix/ComeBackCheck.h"
#include "app/posix/CommandLine.h"
#include "app/posix/DisplayListing.h"
#include "app/posix/FleetUpdate.h"
#include "app/posix/Locale.h"
#include "app/posix/PackageCheck.h"
#include "app/posix/PortHolders.h"
#include "app/posix/SettingsFile.h"
#include "app/posix/TerminalTexts.h"
#include "app/posix/TerminalUi.h"
#include "app/posix/WaitingDisplays.h"
#include "qrcom/base/DebugOutput.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/DeviceList.h"
#include "qrcom/device/ModelTable.h"
#include "qrcom/port/HidEnumeration.h"
#include "qrcom/port/PortTrace.h"
#include "qrcom/port/PosixPortTable.h"
#include "qrcom/port/PosixSerialPort.h"
#include "qrcom/port/ScreenReaderDriver.h"

namespace QrApp {
namespace {

constexpr const char* kVersion = "quorlin-updater " QR_VERSION_TEXT "\n";

// --yes: the confirmation is shown and answered Yes; every other question is asked.
class ConfirmingUi : public TerminalUi {
 public:
  using TerminalUi::TerminalUi;
  bool askYesNo(const std::wstring& question) override {
    showMessage(question, MessageKind::Information);
    return true;
  }
};

void print(const std::wstring& line) {
  std::fputs((QrCom::toUtf8(line) + "\n").c_str(), stdout);
}

// The program's search. Afterwards the programs are named that keep a candidate tty busy (the
// search could not use it) or share a display's hidraw node (they talk to the display too):
// the user may not know who has it.
DeviceSearch searchNamingHolders(bool usb, const SettingsFile& settings, uint16_t language,
                                 std::FILE* notes, std::vector<WaitingDisplay>* leftAlone) {
  return [usb, &settings, language, notes, leftAlone](QrCom::DeviceList& devices) {
    searchWithWaitingDisplays(usb, settings, language, notes, leftAlone)(devices);
    std::vector<std::string> candidates;
    for (const int number : QrCom::portTable().numbers()) {
      const std::string path = QrCom::portTable().path(number);
      if (QrCom::PosixSerialPort::isBusy(path)) candidates.push_back(path);
    }
    QrCom::HidInterfaceList interfaces;
    if (usb) QrCom::enumerateHidInterfaces(interfaces);
    for (const QrCom::HidInterface& hid : interfaces) {
      const std::string path = QrCom::toUtf8(hid.path);
      candidates.push_back(path.substr(path.rfind('#') + 1));
    }
    for (const PortHolder& holder : findPortHolders(candidates)) {
      std::fputs((QrCom::toUtf8(portHolderText(holder, language)) + "\n").c_str(), notes);
    }
    std::fflush(notes);
  };
}

bool equalIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

// --serial: only the displays with these serial numbers (in any case) are kept, so there is
// nothing to choose; a note names each serial number no display has.
DeviceSearch keepingSerials(DeviceSearch search, const std::vector<std::wstring>& serials,
                            uint16_t language, std::FILE* notes) {
  return [search, serials, language, notes](QrCom::DeviceList& devices) {
    search(devices);
    std::vector<bool> found(serials.size());
    for (uint32_t index = devices.count(); index-- > 0;) {
      QrCom::QuorlinDevice& device = devices.at(static_cast<int>(index));
      const std::wstring serial = listedDisplay(device, language).serial;
      bool wanted = false;
      for (size_t i = 0; i < serials.size(); ++i) {
        if (equalIgnoringCase(serial, serials[i])) wanted = found[i] = true;
      }
      if (!wanted) devices.remove(&device);
    }
    for (size_t i = 0; i < serials.size(); ++i) {
      if (found[i]) continue;
      const std::wstring note =
          formatText(terminalText(TerminalText::kTxtSerialNotFound, language), {serials[i]});
      std::fputs((QrCom::toUtf8(note) + "\n").c_str(), notes);
    }
    std::fflush(notes);
  };
}

// The search of a run: every display, or those with the serial numbers given.
DeviceSearch searchFor(bool usb, const SettingsFile& settings,
                       const std::vector<std::wstring>& serials, uint16_t language,
                       std::FILE* notes, std::vector<WaitingDisplay>* leftAlone = nullptr) {
  DeviceSearch search = searchNamingHolders(usb, settings, language, notes, leftAlone);
  return serials.empty() ? search : keepingSerials(search, serials, language, notes);
}

// --list: lines for people, or with --json one JSON array for programs (the notes then go to
// stderr, and no display is an empty array).
int listDisplays(bool usb, const SettingsFile& settings, bool json,
                 const std::vector<std::wstring>& serials, uint16_t language) {
  QrCom::DeviceList devices;
  std::vector<WaitingDisplay> leftAlone;
  searchFor(usb, settings, serials, language, json ? stderr : stdout, &leftAlone)(devices);
  std::vector<ListedDisplay> listed;
  for (uint32_t index = 0; index < devices.count(); ++index) {
    listed.push_back(listedDisplay(devices.at(static_cast<int>(index)), language));
  }
  // Waiting displays that are left alone are listed too, without a model.
  for (const WaitingDisplay& waiting : leftAlone) {
    const bool wanted =
        serials.empty() ||
        std::any_of(serials.begin(), serials.end(), [&](const std::wstring& serial) {
          return equalIgnoringCase(serial, waiting.serial);
        });
    if (wanted) {
      listed.push_back(listedWaitingDisplay(waiting.comPortNumber, waiting.serial, language));
    }
  }
  if (listed.empty() && !json) {
    print(loadLocalizedString(kStrNoDevice, language, kCaptionLength));
  } else {
    std::fputs((json ? displaysAsJson(listed) : displaysAsLines(listed)).c_str(), stdout);
  }
  return listed.empty() ? kExitNoDevice : kExitSuccess;
}

// --check: nothing is opened but the folder.
int checkPackageOf(const std::wstring& folder, const std::optional<std::string>& model,
                   uint16_t language) {
  const uint8_t modelId = model ? QrCom::ModelTable::modelIdNamed(QrCom::fromUtf8(*model)) : 0;
  if (model && modelId == 0) {
    std::fprintf(stderr, "quorlin-updater: no model is named '%s'\nTry 'quorlin-updater --help'.\n",
                 model->c_str());
    return kExitUsage;
  }
  const PackageCheck check = checkPackage(folder, modelId, language);
  std::fputs(QrCom::toUtf8(check.report).c_str(), stdout);
  return check.exitStatus;
}

int exitStatus(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::Succeeded:
      return kExitSuccess;
    case UpdateOutcome::NoDevice:
      return kExitNoDevice;
    case UpdateOutcome::Declined:
      return kExitDeclined;
    case UpdateOutcome::DoesNotFit:
      return kExitDoesNotFit;
    case UpdateOutcome::Failed:
      break;
  }
  return kExitFailed;
}

int updaterMain(const std::vector<std::string>& arguments) {
  const ParsedCommandLine parsed = parseCommandLine(arguments);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "quorlin-updater: %s\nTry 'quorlin-updater --help'.\n",
                 parsed.error.c_str());
    return kExitUsage;
  }
  const Options& options = parsed.options;
  if (options.help) {
    std::fputs(usageText().c_str(), stdout);
    return kExitSuccess;
  }
  if (options.version) {
    std::fputs(kVersion, stdout);
    return kExitSuccess;
  }
  const uint16_t language = options.language.value_or(languageFromEnvironment());
  uiLanguage().languageId = language;
  QrCom::setVerboseDebugOutput(options.verbose);
  if (options.check) return checkPackageOf(*options.folder, options.model, language);
  if (!options.ports.empty()) QrCom::portTable().setPaths(options.ports);
  const char* traceVariable = std::getenv("QUORLIN_TRACE");
  const std::string trace = options.trace.value_or(traceVariable != nullptr ? traceVariable : "");
  if (!trace.empty()) QrCom::startPortTrace(QrCom::fromUtf8(trace));
  // A display the screen reader holds is borrowed from its daemon, as on Windows.
  QrCom::useScreenReaderDaemon(std::string());
  SettingsFile settings(defaultSettingsPath());
  if (options.list) {
    return listDisplays(!options.noUsb, settings, options.json, options.serials, language);
  }
  // --json without --all updates the one display found, as --all would.
  if (options.all || options.json) {
    std::FILE* notes = options.json ? stderr : stdout;
    std::fflush(stdout);
    return updateAll(searchFor(!options.noUsb, settings, options.serials, language, notes),
                     *options.folder, language, options.json, !options.all, settings, STDOUT_FILENO,
                     fileno(notes));
  }

  std::fflush(stdout);
  std::unique_ptr<TerminalUi> ui =
      options.yes
          ? std::make_unique<ConfirmingUi>(STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO, language)
          : std::make_unique<TerminalUi>(STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO, language);
  // One update per --serial, one after the other; 0 only when every one succeeded, else the
  // status of the first that did not.
  std::vector<std::vector<std::wstring>> runs;
  for (const std::wstring& serial : options.serials) runs.push_back({serial});
  if (runs.empty()) runs.emplace_back();
  int status = kExitSuccess;
  for (const std::vector<std::wstring>& serials : runs) {
    FirmwareUploadControler controller(
        *ui, settings, searchFor(!options.noUsb, settings, serials, language, stdout));
    ComeBackCheck check(language, &settings);
    controller.setWitness(&check);
    const int result = exitStatus(updateFromCommandLine(controller, options.folder.value_or(L"")));
    if (status == kExitSuccess) status = result;
  }
  return status;
}

}  // namespace
}  // namespace QrApp

int main(int argc, char** argv) {
  try {
    const int status = QrApp::updaterMain(std::vector<std::string>(argv + 1, argv + argc));
    QrCom::stopPortTrace();
    return status;
  } catch (const QrCom::QrException& failure) {
    std::fprintf(stderr, "quorlin-updater: %s\n", QrCom::toUtf8(failure.getMessage()).c_str());
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "quorlin-updater: %s\n", failure.what());
  }
  return QrApp::kExitFailed;
}
