#include "dialogs/CAutoMusicVolDlg.h"

#include <algorithm>
#include <cmath>

#include "device/DeviceContext.h"
#include "device/Parameters.h"
#include "dialogs/AuxContext.h"
#include "model/Fields.h"

namespace kv {

namespace {
// The level is shown relative to -12 dB, the box's neutral level.
constexpr double kShownOffsetDb = range::kAgcShownOffsetDb;
// What a box without the function is shown: -10 dB, off.
constexpr int kFixedPosition = -100;

bool HasAgc(const DeviceContext& dev) { return dev.store.CommandSetVersion() >= prm::kVersionAgc; }
}  // namespace

CAutoMusicVolDlg::CAutoMusicVolDlg(AuxContext& context, QWidget* parent)
    : AutoFunctionDlg(context, kDialogId,
                      {"音乐AGC", "Music AGC", "AGC电平", "AGC Level", "音乐输入增益自动调节", "Auto Music Level"},
                      parent) {
    BindRow onOff = FieldRow(fld::kMusicAgc, 0, 1);
    onOff.read = [](const DeviceContext& dev) { return HasAgc(dev) && dev.store.Int(fld::kMusicAgc) != 0 ? 1 : 0; };
    onOff.apply = [](DeviceContext& dev, int on) {
        if (HasAgc(dev)) dev.encoders.MusicAgc(on);
    };

    BindRow level;
    level.minimum = kMinimum;
    level.maximum = kMaximum;
    level.read = [](const DeviceContext& dev) {
        if (!HasAgc(dev)) return kFixedPosition;
        const double tenths = std::round(dev.store.Float(fld::kMusicAgcLevel) * 10.0);
        if (!std::isfinite(tenths)) return kMinimum;
        return static_cast<int>(std::clamp(tenths, double(kMinimum), double(kMaximum)));
    };
    level.apply = [](DeviceContext& dev, int position) {
        if (HasAgc(dev)) dev.encoders.MusicAgcLevel(static_cast<float>(position / 10.0));
    };
    level.text = [&context](int position, LabelUse use) {
        const DeviceContext& dev = context.Device();
        double db = position / 10.0;
        if (use != LabelUse::Moving && HasAgc(dev)) db = dev.store.Float(fld::kMusicAgcLevel);
        if (!HasAgc(dev)) db = kFixedPosition / 10.0;
        return QString::asprintf("%.1fdB", db + kShownOffsetDb);
    };
    Bind(std::move(onOff), std::move(level));
    Refresh();
}

bool CAutoMusicVolDlg::Available() { return HasAgc(Context().Device()); }

}  // namespace kv
