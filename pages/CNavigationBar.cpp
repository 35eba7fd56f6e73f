#include "pages/CNavigationBar.h"

#include <QHBoxLayout>

#include "device/EqTable.h"
#include "eq/CGdipButton.h"
#include "pages/CPageBase.h"
#include "pages/PageRegistry.h"
#include "ui/UiText.h"

namespace kv {

const std::array<CNavigationBar::Target, CNavigationBar::kButtons>& CNavigationBar::Targets() {
    static const std::array<Target, kButtons> targets{{
        {PageId::Output, eqkind::kMain, "前置音箱"},
        {PageId::Output, eqkind::kRear, "后置音箱"},
        {PageId::Output, eqkind::kCenter, "中置音箱"},
        {PageId::Output, eqkind::kSub, "超低音箱"},
        {PageId::Output, eqkind::kTop, "顶置音箱"},
        {PageId::SpeakerPosition, 0, "环绕音量"},
        {PageId::Delay, 0, "延时调节"},
        {PageId::Compressor, 0, "输出压限"},
    }};
    return targets;
}

int CNavigationBar::IndexOf(PageId page, int kind) {
    for (int i = 0; i < kButtons; ++i) {
        const Target& t = Targets()[static_cast<std::size_t>(i)];
        if (t.page == page && (page != PageId::Output || t.kind == kind)) return i;
    }
    return -1;
}

CNavigationBar::CNavigationBar(CPageBase& page) : QWidget(&page), m_page(page) {
    setObjectName(QStringLiteral("navigationBar"));
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(6);
    for (int i = 0; i < kButtons; ++i) {
        const Target& t = Targets()[static_cast<std::size_t>(i)];
        auto* b = new CGdipButton(this);
        b->setText(QString::fromUtf8(t.chinese));
        b->setObjectName(QStringLiteral("navButton%1").arg(i));
        SetControlId(b, kFirstButtonId + i);
        b->setFixedSize(100, 30);
        // A page this program does not have yet cannot be opened.
        b->setEnabled(PageRegistry::Pages().Has(t.page));
        connect(b, &CGdipButton::clicked, this, [this, i] { Go(i); });
        h->addWidget(b);
        m_buttons[static_cast<std::size_t>(i)] = b;
    }
    h->addStretch(1);
}

void CNavigationBar::Mark() {
    const int pressed = IndexOf(m_page.Id(), m_page.Kind());
    for (int i = 0; i < kButtons; ++i) m_buttons[static_cast<std::size_t>(i)]->SetLatched(i == pressed);
}

void CNavigationBar::Go(int index) {
    const Target& t = Targets()[static_cast<std::size_t>(index)];
    if (t.page != PageId::Output && t.page == m_page.Id()) return;
    // May delete this page (later, once the click is over).
    m_page.Context().ShowPage(t.page, t.kind);
}

}  // namespace kv
