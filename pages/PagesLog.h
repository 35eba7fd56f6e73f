#pragma once
// The logging category of pages/: kv.pages (QT_LOGGING_RULES="kv.pages.debug=true" shows its debug output).

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcKvPages)
