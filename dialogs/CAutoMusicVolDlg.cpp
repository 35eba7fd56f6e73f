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
    // A refresh shows the stored level even where the slider cannot follow it.
    level.text = [&context](int position, LabelUse use) {
        const DeviceContext& dev = context.Device();
        double db = position / 10.0;
        if (use != LabelUse::Moving && HasAgc(dev)) db = dev.store.Float(fld::kMusicAgcLevel);
        return QString::asprintf("%.1fdB", db + range::kAgcShownOffsetDb);
    };
    Bind(AddressRow("music.agc"), std::move(level));
    Refresh();
}

bool CAutoMusicVolDlg::Available() { return HasAgc(Context().Device()); }

}  // namespace kv
