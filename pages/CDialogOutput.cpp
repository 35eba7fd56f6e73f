#include "pages/CDialogOutput.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "device/DeviceContext.h"
#include "device/ListenerPaths.h"
#include "eq/CEqPanel.h"
#include "eq/CXBmpSlider.h"
#include "pages/CEqEditor.h"
#include "pages/CNavigationBar.h"
#include "ui/PageStyle.h"
#include "ui/UiText.h"

namespace kv {

namespace {

constexpr int kFirstMixCaptionId = 1047;  // Direct, Reverb, Echo, Music: 1047 .. 1050
constexpr int kSurroundCaptionId = 1045;
constexpr int kMuteIds[CDialogOutput::kOutputs] = {1171, 1173, 1175, 1179, 1181};
constexpr int kMixSliderId = 200;
constexpr int kSurroundSliderId = 210;
constexpr int kBandListWidth = 272;

struct OutputLook {
    int type;
    const fld::OutputFields* fields;
    const char* chinese;
    const char* english;
    QColor listText;
    const char* name;  // the output's part of its settings' addresses
};
const OutputLook kLooks[CDialogOutput::kOutputs] = {
    {eqkind::kMain, &fld::kMain, "前置音箱", "MAIN", QColor(0, 200, 255), "main"},
    {eqkind::kRear, &fld::kRear, "后置音箱", "REAR", QColor(255, 200, 0), "rear"},
    {eqkind::kCenter, &fld::kCenter, "中置音箱", "Center", QColor(0, 220, 0), "center"},
    {eqkind::kSub, &fld::kSub, "超低音箱", "SUB", QColor(255, 120, 60), "sub"},
    {eqkind::kTop, &fld::kTop, "顶置音箱", "TOP", QColor(200, 140, 255), "top"},
};
const OutputLook& LookOf(int type) {
    for (const OutputLook& l : kLooks)
        if (l.type == type) return l;
    return kLooks[0];
}

const char* const kMuteCaptions[CDialogOutput::kOutputs] = {"前置静音", "后置静音", "中置静音", "超低静音", "顶置静音"};
const char* const kMixCaptions[CDialogOutput::kMixes] = {"直达音量", "混响音量", "回声音量", "音乐音量"};

const BindNotice kMutedNotice{fld::kMain.mute(), false, false, "当前是静音状态", "vol is mute"};

// A picture of the output: a cabinet drawn for its place in the room, and its name.
class OutputPicture : public QWidget {
public:
    explicit OutputPicture(QWidget* parent) : QWidget(parent) { setMinimumSize(150, 110); }
    void Set(int type, int language) {
        m_type = type;
        m_language = language;
        update();
    }
    QString Key() const { return QStringLiteral("%1/%2").arg(m_type).arg(m_language); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const OutputLook& look = LookOf(m_type);
        const QRectF area = QRectF(rect()).adjusted(6, 6, -6, -26);
        const bool sub = m_type == eqkind::kSub;
        const double h = area.height();
        const double w = sub ? h * 0.95 : h * 0.62;
        const QRectF cabinet(area.center().x() - w / 2, area.top(), w, h);
        p.setPen(QPen(QColor(90, 96, 104), 2));
        p.setBrush(QColor(48, 52, 58));
        p.drawRoundedRect(cabinet, 6, 6);
        p.setBrush(QColor(24, 26, 29));
        p.setPen(QPen(look.listText, 2));
        if (sub) {
            p.drawEllipse(cabinet.center(), w * 0.36, w * 0.36);
            p.drawEllipse(cabinet.center(), w * 0.12, w * 0.12);
        } else {
            const QPointF tweeter(cabinet.center().x(), cabinet.top() + h * 0.2);
            const QPointF woofer(cabinet.center().x(), cabinet.top() + h * 0.62);
            p.drawEllipse(tweeter, w * 0.14, w * 0.14);
            p.drawEllipse(woofer, w * 0.34, w * 0.34);
            p.drawEllipse(woofer, w * 0.1, w * 0.1);
        }
        p.setPen(look.listText);
        p.setFont(style::CaptionFont(13));
        p.drawText(QRectF(0, height() - 24, width(), 22), Qt::AlignCenter, Bi(m_language, look.chinese, look.english));
    }

private:
    int m_type = eqkind::kMain;
    int m_language = 0;
};

QLabel* Caption(QWidget* parent, int id, const char* chinese) {
    auto* l = new QLabel(QString::fromUtf8(chinese), parent);
    if (id) SetControlId(l, id);
    l->setAlignment(Qt::AlignCenter);
    l->setFont(style::TextFont(11));
    l->setWordWrap(true);
    return l;
}

}  // namespace

bool CDialogOutput::IsOutputType(int type) {
    for (const OutputLook& l : kLooks)
        if (l.type == type) return true;
    return false;
}

const fld::OutputFields& CDialogOutput::FieldsOf(int type) { return *LookOf(type).fields; }

CDialogOutput::CDialogOutput(PageContext& context, int outputType, QWidget* parent)
    : CPageBase(context, PageId::Output, kDialog, parent) {
    setObjectName(QStringLiteral("outputPage"));
    style::ApplyPageLook(this);
    m_editor = new CEqEditor(context, this, EqEditorRules{31, true, 60});
    SetEqualiser(m_editor);
    m_nav = new CNavigationBar(*this);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 8);
    grid->setSpacing(8);
    grid->addWidget(m_nav, 0, 0, 1, 3);
    grid->addWidget(BuildMixes(), 1, 0);
    grid->addWidget(m_editor->Panel(), 1, 1);
    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    m_editor->Stack()->setFixedWidth(kBandListWidth);
    right->addWidget(m_editor->Stack(), 1);
    right->addWidget(m_editor->AlignmentBox());
    grid->addLayout(right, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    m_editor->Panel()->setMinimumSize(420, 260);

    AddRows();
    Open(IsOutputType(outputType) ? outputType : eqkind::kMain);
}

QWidget* CDialogOutput::BuildMixes() {
    QWidget* box = style::Section(this);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(6);
    m_picture = new OutputPicture(box);
    m_picture->setObjectName(QStringLiteral("outputPicture"));
    v->addWidget(m_picture);

    auto* sliders = new QGridLayout;
    sliders->setHorizontalSpacing(4);
    sliders->setVerticalSpacing(3);
    auto column = [&](int col, int sliderId, int captionId, const char* chinese, CXBmpSlider** slider, QLabel** value,
                      QLabel** caption) {
        *caption = Caption(box, captionId, chinese);
        // At least the column's width, wider when the language's word needs it ("Surround").
        (*caption)->setMinimumWidth(44);
        sliders->addWidget(*caption, 0, col);
        auto* s = new CXBmpSlider(sliderId, Qt::Vertical, box);
        s->setMinimumSize(24, 120);
        s->SetBackground(style::kPanelBackground);
        sliders->addWidget(s, 1, col, Qt::AlignHCenter);
        *slider = s;
        *value = Caption(box, 0, "0");
        sliders->addWidget(*value, 2, col);
    };
    for (int i = 0; i < kMixes; ++i) {
        const auto u = static_cast<std::size_t>(i);
        column(i, kMixSliderId + i, kFirstMixCaptionId + i, kMixCaptions[i], &m_mix[u], &m_mixValue[u],
               &m_mixCaption[u]);
        m_mix[u]->setObjectName(QStringLiteral("mix%1").arg(i));
    }
    column(kMixes, kSurroundSliderId, kSurroundCaptionId, "环绕音量", &m_surround, &m_surroundValue,
           &m_surroundCaption);
    m_surround->setObjectName(QStringLiteral("surround"));
    sliders->setRowStretch(1, 1);
    v->addLayout(sliders, 1);

    auto* mutes = new QGridLayout;
    mutes->setHorizontalSpacing(8);
    for (int i = 0; i < kOutputs; ++i) {
        auto* c = new QCheckBox(QString::fromUtf8(kMuteCaptions[i]), box);
        SetControlId(c, kMuteIds[i]);
        c->setObjectName(QStringLiteral("mute%1").arg(i));
        mutes->addWidget(c, i / 2, i % 2);
        m_mutes[static_cast<std::size_t>(i)] = c;
    }
    v->addLayout(mutes);
    box->setFixedWidth(260);
    return box;
}

void CDialogOutput::AddRows() {
    // The sliders stand for the shown output: template rows, rebound when the output changes.
    const char* const mixes[kMixes] = {"{out}.mix.direct", "{out}.mix.reverb", "{out}.mix.echo", "{out}.mix.music"};
    for (int i = 0; i < kMixes; ++i)
        Bind().AddTemplate(mixes[i], OutNames(), {m_mix[static_cast<std::size_t>(i)]},
                           {m_mixValue[static_cast<std::size_t>(i)]}, kMutedNotice);
    // Center and SUB have no surround volume; their slider is hidden.
    Bind().AddOptionalTemplate("{out}.surround", OutNames(), {m_surround}, {m_surroundValue}, kMutedNotice);
    for (int i = 0; i < kOutputs; ++i)
        Bind().Add(AddressRow(std::string(kLooks[i].name) + ".mute"), {m_mutes[static_cast<std::size_t>(i)]});
}

AddressNames CDialogOutput::OutNames() const { return {{"out", LookOf(Kind()).name}}; }

QString CDialogOutput::PictureKey() const { return static_cast<OutputPicture*>(m_picture)->Key(); }

void CDialogOutput::OnKindChanged() {
    if (!IsOutputType(Kind())) SetKindQuietly(eqkind::kMain);
    Context().State().outputType = Kind();
    const bool surround = Output().surround;
    for (QWidget* w : {static_cast<QWidget*>(m_surround), static_cast<QWidget*>(m_surroundValue),
                       static_cast<QWidget*>(m_surroundCaption)})
        w->setVisible(surround);
    Bind().Rebind(OutNames());
    m_editor->SetListColors(LookOf(Kind()).listText, style::kListBackground);
    static_cast<OutputPicture*>(m_picture)->Set(Kind(), Context().Language());
    // SUB is judged with MAIN: MAIN's curve and the two summed at the listener over SUB's.
    if (Kind() == eqkind::kSub) {
        m_editor->Panel()->SetListenerSum(
            [this](std::span<const eq::ComplexPoint> sub, std::span<const double> frequencies) {
                return eq::SumAtListener(sub, MainBesideSub(Context().Device()), frequencies);
            });
    } else {
        m_editor->Panel()->SetListenerSum({});
    }
    m_nav->Mark();
}

void CDialogOutput::OnReload() {
    m_editor->Load(EqOfPanelKind(Kind())->id);
    // MAIN's bands, the delays or the positions may have changed with the store.
    m_editor->Panel()->ListenerSumChanged();
}

void CDialogOutput::OnRelabel() {
    const int lang = Context().Language();
    static_cast<OutputPicture*>(m_picture)->Set(Kind(), lang);
}

}  // namespace kv
