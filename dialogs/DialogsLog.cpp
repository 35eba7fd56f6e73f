#include "dialogs/DialogsLog.h"

Q_LOGGING_CATEGORY(lcKvDialogs, "kv.dialogs", QtInfoMsg)
