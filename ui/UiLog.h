#pragma once
// The logging category of ui/: kv.ui (QT_LOGGING_RULES="kv.ui.debug=true" shows its debug output).

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcKvUi)
