#pragma once
// Which class stands behind each page id: the view asks the registry for a page and never
// names a page class itself.

#include <functional>
#include <map>

#include "pages/PageContext.h"

class QWidget;

namespace kv {

class CPageBase;

class PageRegistry {
public:
    using Factory = std::function<CPageBase*(PageContext& context, int kind, QWidget* parent)>;

    void Register(PageId id, Factory factory) { m_factories[id] = std::move(factory); }
    bool Has(PageId id) const { return m_factories.count(id) != 0; }
    // A new page of that kind, or nullptr for an id nobody registered.
    CPageBase* Create(PageId id, PageContext& context, int kind, QWidget* parent) const;

    // The pages of this program.
    static const PageRegistry& Pages();

private:
    std::map<PageId, Factory> m_factories;
};

}  // namespace kv
