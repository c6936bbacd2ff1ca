#include <windows.h>

#include "qrcom/base/DebugOutput.h"

namespace QrCom {

void debugOutput(const std::wstring& line) {
  OutputDebugStringW(line.c_str());
}

void setVerboseDebugOutput(bool) {}

}  // namespace QrCom
