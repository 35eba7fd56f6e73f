#include "pages/PagesLog.h"

Q_LOGGING_CATEGORY(lcKvPages, "kv.pages", QtInfoMsg)
