#include "dialogs/CAutoMusicVolDlg.h"

#include "device/DeviceContext.h"
#include "device/Parameters.h"
#include "dialogs/AuxContext.h"
#include "model/Fields.h"

namespace kv {

namespace {
bool HasAgc(const DeviceContext& dev) { return dev.store.CommandSetVersion() >= prm::kVersionAgc; }
}  // namespace

CAutoMusicVolDlg::CAutoMusicVolDlg(AuxContext& context, QWidget* parent)
    : AutoFunctionDlg(context, kDialogId,
                      {"音乐AGC", "Music AGC", "AGC电平", "AGC Level", "音乐输入增益自动调节", "Auto Music Level"},
                      parent) {
    BindRow level = AddressRow("music.agc.level");
    // A refresh shows the level as the setting reads it (the box's own even where the slider
    // cannot follow it), so that the window and the command line agree.
    const Setting* setting = level.setting;
    level.text = [&context, setting](int position, LabelUse use) {
        const double db = use == LabelUse::Moving || !setting ? position / 10.0 + range::kAgcShownOffsetDb
                                                              : setting->read(context.Device());
        return QString::asprintf("%.1fdB", db);
    };
    Bind(AddressRow("music.agc"), std::move(level));
    Refresh();
}

bool CAutoMusicVolDlg::Available() { return HasAgc(Context().Device()); }

}  // namespace kv
