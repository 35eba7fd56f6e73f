#pragma once
// Automatic music volume: the box levels the music input to the set level. Boxes with a
// command set below 9 have no such function; the window then shows a fixed level and
// changes nothing.

#include "device/SettingTable.h"
#include "dialogs/AutoFunctionDlg.h"

namespace kv {

class CAutoMusicVolDlg : public AutoFunctionDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = 424;
    static constexpr int kMinimum = range::kAgcLevelMin;  // tenths of a dB
    static constexpr int kMaximum = range::kAgcLevelMax;
    explicit CAutoMusicVolDlg(AuxContext& context, QWidget* parent = nullptr);

protected:
    bool Available() override;
};

}  // namespace kv
