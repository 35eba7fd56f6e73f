#pragma once
// Debug output of the link and the synchronisation; off unless enabled with
// QT_LOGGING_RULES="kv4420.usb.debug=true".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcKvUsb)
