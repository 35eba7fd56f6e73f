#include "pages/PageRegistry.h"

#include "pages/CCompDlg.h"
#include "pages/CDelayDlg.h"
#include "pages/CDialogEfx.h"
#include "pages/CDialogMusic.h"
#include "pages/CDialogOutput.h"
#include "pages/CSSVCDlg.h"
#include "pages/PagesLog.h"

namespace kv {

CPageBase* PageRegistry::Create(PageId id, PageContext& context, int kind, QWidget* parent) const {
    const auto it = m_factories.find(id);
    if (it != m_factories.end()) return it->second(context, kind, parent);
    qCWarning(lcKvPages, "no page is registered for id %d", static_cast<int>(id));
    return nullptr;
}

bool PageRegistry::Host(QPointer<CPageBase>& slot, PageId id, int kind, PageContext& context, QWidget* parent,
                        const QRect& rect) const {
    if (slot && slot->Id() == id) {
        slot->SetKind(kind);
        return true;
    }
    CPageBase* page = Create(id, context, kind, parent);
    if (!page) return false;
    if (slot) {
        slot->hide();
        slot->deleteLater();
    }
    slot = page;
    page->setGeometry(rect);
    page->show();
    return true;
}

const PageRegistry& PageRegistry::Pages() {
    static const PageRegistry registry = [] {
        PageRegistry r;
        r.Register(PageId::Music, [](PageContext& c, int kind, QWidget* parent) -> CPageBase* {
            return new CDialogMusic(c, kind, parent);
        });
        r.Register(PageId::Effects, [](PageContext& c, int kind, QWidget* parent) -> CPageBase* {
            return new CDialogEfx(c, kind, parent);
        });
        r.Register(PageId::Output, [](PageContext& c, int kind, QWidget* parent) -> CPageBase* {
            return new CDialogOutput(c, kind, parent);
        });
        r.Register(PageId::Compressor, [](PageContext& c, int kind, QWidget* parent) -> CPageBase* {
            return new CCompDlg(c, kind, parent);
        });
        r.Register(PageId::Delay, [](PageContext& c, int kind, QWidget* parent) -> CPageBase* {
            return new CDelayDlg(c, kind, parent);
        });
        r.Register(PageId::SpeakerPosition, [](PageContext& c, int kind, QWidget* parent) -> CPageBase* {
            return new CSSVCDlg(c, kind, parent);
        });
        return r;
    }();
    return registry;
}

}  // namespace kv
