#include "ui/UiLog.h"

Q_LOGGING_CATEGORY(lcKvUi, "kv.ui", QtInfoMsg)
