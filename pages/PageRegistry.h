#pragma once
// Which class stands behind each page id: the view asks the registry for a page and never
// names a page class itself.

#include <QPointer>
#include <QRect>
#include <functional>
#include <map>

#include "ui/PageContext.h"

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
    // Hosts a page of that id and kind in the slot: the hosted page switches its kind when it
    // has that id; otherwise a new page takes the rectangle and the old one is deleted later
    // (the request may come from one of its own buttons). False when no such page exists.
    bool Host(QPointer<CPageBase>& slot, PageId id, int kind, PageContext& context, QWidget* parent,
              const QRect& rect) const;

    // The pages of this program.
    static const PageRegistry& Pages();

private:
    std::map<PageId, Factory> m_factories;
};

}  // namespace kv
