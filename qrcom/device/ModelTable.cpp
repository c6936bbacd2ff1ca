#include "qrcom/device/ModelTable.h"

#include <algorithm>
#include <cwctype>
#include <initializer_list>

namespace QrCom {
namespace ModelTable {

namespace {

struct Model {
  uint8_t id;
  const wchar_t* name;
  int cells;
};

// Model 130 has 24 cells although its name says 20; model 144 is named by its caller.
constexpr Model kModels[] = {
    {1, L"Ravelo 24", 0},
    {2, L"Ravelo 24", 0},
    {4, L"KZM", 0},
    {5, L"Undine", 40},
    {50, L"Pathwick Navigator", 16},
    {51, L"KVL 16", 16},
    {53, L"Keylet", 0},
    {54, L"Ravelo Nova 64", 64},
    {56, L"Ravelo Nova 88", 88},
    {58, L"Ravelo Junct 88", 88},
    {68, L"Tilbry", 40},
    {84, L"Vantra", 40},
    {85, L"Linqo", 40},
    {97, L"Pockel", 16},
    {100, L"Orbelle", 40},
    {114, L"Corlet", 20},
    {116, L"Selvar 40", 40},
    {120, L"Selvar 80", 80},
    {128, L"Ravelo 24", 20},
    {129, L"Fundo 16", 16},
    {130, L"Fundo 20", 24},
    {131, L"Fundo 32", 32},
    {132, L"Fundo 40", 40},
    {134, L"Fundo 64", 64},
    {135, L"Fundo 80", 80},
    {136, L"Ravelo 84", 80},
    {137, L"Ravelo 24", 40},
    {138, L"Fundo 48", 48},
    {139, L"Fundo 160", 160},
    {140, L"Fundo 84", 84},
    {kPageling, L"", 8},
    {147, L"Fundo Plus 32", 32},
    {148, L"Fundo Plus 40", 40},
};

bool isOneOf(uint8_t modelId, std::initializer_list<uint8_t> ids) {
  return std::find(ids.begin(), ids.end(), modelId) != ids.end();
}

const Model* find(uint8_t modelId) {
  for (const Model& model : kModels) {
    if (model.id == modelId) return &model;
  }
  return nullptr;
}

}  // namespace

const wchar_t* modelName(uint8_t modelId) {
  const Model* model = find(modelId);
  return model != nullptr ? model->name : L"";
}

int cellCount(uint8_t modelId) {
  const Model* model = find(modelId);
  return model != nullptr ? model->cells : 0;
}

uint8_t modelIdNamed(const std::wstring& nameOrId) {
  const auto same = [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); };
  for (const Model& model : kModels) {
    const std::wstring name = model.name;
    const bool named = !name.empty() &&
                       std::equal(name.begin(), name.end(), nameOrId.begin(), nameOrId.end(), same);
    if (named || std::to_wstring(model.id) == nameOrId) return model.id;
  }
  return 0;
}

bool isLegacyLine(uint8_t modelId) {
  return isOneOf(modelId, {5, 114, 116, 120});
}

bool isQrBrlOsLine(uint8_t modelId) {
  return isOneOf(modelId, {84, 85}) || isPocketDisplay(modelId);
}

bool isPocketDisplay(uint8_t modelId) {
  return isOneOf(modelId, {97, 100});
}

bool isFundoLine(uint8_t modelId) {
  return isOneOf(modelId, {129, 130, 131, 132, 134, 135, 138, 139, 140, 147, 148});
}

bool isFnxLine(uint8_t modelId) {
  return modelId == 51 || isFundoLine(modelId);
}

bool hasEpromBootLoader(uint8_t modelId) {
  return isOneOf(modelId, {4, 50, 53, 54, 56, 58}) || isLegacyLine(modelId);
}

bool hasIapLoader(uint8_t modelId) {
  return isFnxLine(modelId) || isQrBrlOsLine(modelId);
}

bool tellsSerialInInfoMode(uint8_t modelId) {
  return isOneOf(modelId, {50, 54, 56, 58, 68}) || isLegacyLine(modelId);
}

bool keepsServiceRecord(uint8_t modelId, uint16_t version) {
  if (isLegacyLine(modelId)) return version >= 2;
  return isOneOf(modelId, {54, 56, 58, 68}) || hasIapLoader(modelId);
}

}  // namespace ModelTable
}  // namespace QrCom
