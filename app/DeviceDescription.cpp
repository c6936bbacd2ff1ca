#include "app/DeviceDescription.h"

#include "app/LocalizedStrings.h"
#include "app/TextFormat.h"

namespace QrApp {

namespace {

struct ModelNames {
  uint8_t modelId;
  uint16_t possessive;
  uint16_t list;
};

constexpr ModelNames kModelNames[] = {
    {4, kStrPossessiveKzm, kStrListKzm},
    {5, kStrPossessiveUndine, kStrListUndine},
    {50, kStrPossessivePathwickNavigator, kStrListPathwickNavigator},
    {53, kStrPossessiveRaveloNovaKeylet, kStrListRaveloNovaKeylet},
    {54, kStrPossessiveRaveloNova64, kStrListRaveloNova64},
    {56, kStrPossessiveRaveloNova88, kStrListRaveloNova88},
    {84, kStrPossessiveVantra, kStrListVantra},
    {97, kStrPossessivePockel, kStrListPockel},
    {100, kStrPossessiveOrbelle, kStrListOrbelle},
    {114, kStrPossessiveCorlet, kStrListCorlet},
    {116, kStrPossessiveSelvar40, kStrListSelvar40},
    {120, kStrPossessiveSelvar80, kStrListSelvar80},
    {129, kStrPossessiveFundo16, kStrListFundo16},
    {130, kStrPossessiveFundo20, kStrListFundo20},
    {131, kStrPossessiveFundo32, kStrListFundo32},
    {132, kStrPossessiveFundo40, kStrListFundo40},
    {134, kStrPossessiveFundo64, kStrListFundo64},
    {135, kStrPossessiveFundo80, kStrListFundo80},
    {140, kStrPossessiveFundo84, kStrListFundo84},
    {147, kStrPossessiveFundoPlus32, kStrListFundoPlus32},
    {148, kStrPossessiveFundoPlus40, kStrListFundoPlus40},
};

const ModelNames* namesOf(uint8_t modelId) {
  for (const ModelNames& names : kModelNames) {
    if (names.modelId == modelId) return &names;
  }
  return nullptr;
}

std::wstring text(uint16_t id, uint16_t language) {
  return loadLocalizedString(id, language, kMessageLength);
}

}  // namespace

uint16_t possessiveModelNameId(uint8_t modelId) {
  const ModelNames* names = namesOf(modelId);
  return names != nullptr ? names->possessive : uint16_t{kStrPossessiveUnknown};
}

uint16_t listModelNameId(uint8_t modelId) {
  const ModelNames* names = namesOf(modelId);
  return names != nullptr ? names->list : uint16_t{kStrListUnknown};
}

std::wstring comPortText(int portNumber, uint16_t language) {
  return formatText(text(kStrAtCom, language), {std::to_wstring(portNumber)});
}

std::wstring usbHidPortText(uint16_t language) {
  return text(kStrAtUsbHid, language);
}

std::wstring deviceDescription(const DeviceLabel& device, uint16_t language) {
  const std::wstring name = text(listModelNameId(device.modelId), language);
  if (device.serialNumber) {
    return formatText(text(kStrDescriptionWithSerial, language),
                      {name, *device.serialNumber, device.port});
  }
  return formatText(text(kStrDescription, language), {name, device.port});
}

std::wstring confirmationQuestion(const DeviceLabel& device, uint16_t language) {
  const std::wstring name = text(possessiveModelNameId(device.modelId), language);
  if (device.serialNumber) {
    return formatText(text(kStrConfirmWithSerial, language), {name, *device.serialNumber});
  }
  return formatText(text(kStrConfirm, language), {name});
}

}  // namespace QrApp
