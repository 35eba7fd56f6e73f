#include "app/UsbLog.h"

Q_LOGGING_CATEGORY(lcKvUsb, "kv4420.usb", QtInfoMsg)
