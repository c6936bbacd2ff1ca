#pragma once

// The disk file of this platform, for code that compiles unchanged on both.
#ifdef _WIN32
#include "qrcom/base/WinFile.h"
namespace QrCom {
using NativeFile = WinFile;
}  // namespace QrCom
#else
#include "qrcom/base/PosixFile.h"
namespace QrCom {
using NativeFile = PosixFile;
}  // namespace QrCom
#endif
