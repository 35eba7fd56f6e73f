#pragma once
// Automatic subwoofer attenuation: while a microphone is active the box lowers the
// subwoofer to the set ratio.

#include "dialogs/AutoFunctionDlg.h"

namespace kv {

class CAutoSubDlg : public AutoFunctionDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = 410;
    explicit CAutoSubDlg(AuxContext& context, QWidget* parent = nullptr);
};

}  // namespace kv
