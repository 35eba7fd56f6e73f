#include "app/AppLog.h"

Q_LOGGING_CATEGORY(lcKvApp, "kv.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcKvDevice, "kv.device", QtInfoMsg)
Q_LOGGING_CATEGORY(lcKvUsb, "kv4420.usb", QtInfoMsg)
