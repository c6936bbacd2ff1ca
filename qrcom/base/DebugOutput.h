#pragma once

#include <string>

namespace QrCom {

// A diagnostic line for developers, never shown to the user: the debugger's output on Windows;
// on Linux standard error, once the program was asked to be verbose.
void debugOutput(const std::wstring& line);
// Linux: whether debug lines reach standard error (off at start). Windows ignores it.
void setVerboseDebugOutput(bool verbose);

}  // namespace QrCom
