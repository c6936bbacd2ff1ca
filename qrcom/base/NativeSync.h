#pragma once

// The lock and event of this platform, for code that compiles unchanged on both.
#ifdef _WIN32
#include "qrcom/base/QrWinSync.h"
namespace QrCom {
using NativeMutex = QrWinMutex;
using NativeEvent = QrWinEvent;
}  // namespace QrCom
#else
#include "qrcom/base/QrPosixSync.h"
namespace QrCom {
using NativeMutex = QrPosixMutex;
using NativeEvent = QrPosixEvent;
}  // namespace QrCom
#endif
