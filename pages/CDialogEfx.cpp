#include "pages/CDialogEfx.h"

#include <QStackedWidget>

#include "eq/CEqPanel.h"
#include "eq/CGdipButton.h"
#include "pages/CEqEditor.h"
#include "ui/PageStyle.h"

namespace kv {

namespace {
constexpr int kMargin = 8;
constexpr int kListWidth = 290;
constexpr QSize kBackSize{96, 30};
}  // namespace

bool CDialogEfx::IsEffectKind(int kind) {
    return kind == eqkind::kReverbA || kind == eqkind::kEchoA || kind == eqkind::kReverbB || kind == eqkind::kEchoB;
}

CDialogEfx::CDialogEfx(PageContext& context, int kind, QWidget* parent)
    : CPageBase(context, PageId::Effects, kDialog, parent) {
    setObjectName(QStringLiteral("effectsPage"));
    style::ApplyPageLook(this);
    m_editor = new CEqEditor(context, this);
    SetEqualiser(m_editor);
    m_back = new CGdipButton(this);
    m_back->setObjectName(QStringLiteral("backButton"));
    m_back->resize(kBackSize);
    connect(m_back, &CGdipButton::clicked, this,
            [this] { Context().ShowPage(PageId::Music, Context().State().inputPageCode); });
    Open(kind);
}

void CDialogEfx::OnKindChanged() {
    if (!IsEffectKind(Kind())) SetKindQuietly(eqkind::kReverbA);
    const bool chB = Kind() == eqkind::kReverbB || Kind() == eqkind::kEchoB;
    m_editor->SetListColors(chB ? QColor(0, 220, 0) : QColor(0, 200, 255), style::kListBackground);
}

void CDialogEfx::OnReload() { m_editor->Load(EqOfPanelKind(Kind())->id); }

void CDialogEfx::OnRelabel() {
    m_back->setText(Context().Text("返回", "Back"));
    m_back->SetToolTipText(Context().Text("返回话筒页面", "Back to the microphone page"));
}

void CDialogEfx::resizeEvent(QResizeEvent* event) {
    CPageBase::resizeEvent(event);
    Place();
}

void CDialogEfx::Place() {
    const QRect r = rect();
    m_back->move(r.right() - kBackMargin - m_back->width() + 1, r.top() + kBackMargin);
    const int top = kMargin + kBackSize.height() + kBackMargin;
    m_editor->Stack()->setGeometry(kMargin, top, kListWidth, r.height() - top - kMargin);
    const int panelLeft = kMargin + kListWidth + kMargin;
    // The panel reaches the page's bottom-right corner.
    m_editor->Panel()->setGeometry(panelLeft, top, r.width() - panelLeft, r.height() - top);
}

}  // namespace kv
