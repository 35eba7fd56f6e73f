#pragma once
// Logging categories of the application and of the core it routes: the core is std only and
// hands its debug text to a hook, which the application writes under these categories.
// The USB traffic is off unless enabled with QT_LOGGING_RULES="kv4420.usb.debug=true".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcKvApp)     // kv.app: start-up, settings, translations
Q_DECLARE_LOGGING_CATEGORY(lcKvDevice)  // kv.device: synchronisation and encoders
Q_DECLARE_LOGGING_CATEGORY(lcKvUsb)     // kv4420.usb: the link's reports
