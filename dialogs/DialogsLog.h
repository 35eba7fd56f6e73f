#pragma once
// The logging category of dialogs/: kv.dialogs (QT_LOGGING_RULES="kv.dialogs.debug=true" shows its debug output).

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcKvDialogs)
