#include "dialogs/CAutoSubDlg.h"

#include "device/DeviceContext.h"
#include "dialogs/AuxContext.h"
#include "model/Fields.h"

namespace kv {

CAutoSubDlg::CAutoSubDlg(AuxContext& context, QWidget* parent)
    : AutoFunctionDlg(context, kDialogId,
                      {"自动超低音量衰减", "Auto SUB vol decay", "超低比例", "SUB Vol",
                       "当检测到话筒信号时，超低音量自动调节成所设置的超低比例，1秒之后，超低音量逐渐恢复成正常比例",
                       "When detected mic level,the SUB vol is auto decay."},
                      parent) {
    BindRow ratio = AddressRow("autosub.ratio");
    // A refresh shows the stored ratio even where the slider cannot follow it.
    ratio.text = [&context](int position, LabelUse use) {
        const int v = use == LabelUse::Moving ? position : context.Device().store.Int(fld::kAutoSubRatio);
        return QString::asprintf("%d%%", v);
    };
    Bind(AddressRow("autosub"), std::move(ratio));
    Refresh();
}

}  // namespace kv
