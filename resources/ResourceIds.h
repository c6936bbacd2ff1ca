// Ids of the program's resources, shared by the resource script and the C++ code (plain
// preprocessor definitions, so that the resource compiler reads them too). The string ids are in
// strings.def.
#pragma once

#define QR_IDD_UPLOAD_PROCESS 130
#define QR_IDD_DEVICE_SELECTION 131
#define QR_IDI_PROGRAM 135

// Controls of the progress dialog...
#define QR_IDC_PROGRESS_BAR 1004
#define QR_IDC_TARGET_DEVICE 1006
#define QR_IDC_STATUS 1007
// ...and of the device selection.
#define QR_IDC_DEVICE_LIST 1010
