#pragma once
// A wheel notch reaches only a control that has the focus: tests give it the focus first.

#include <QTest>
#include <QWidget>

namespace kv::test {

inline void GiveFocus(QWidget& w) {
    if (w.hasFocus()) return;
    w.window()->show();
    w.window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window()));
    w.setFocus();
    QVERIFY(w.hasFocus());
}

}  // namespace kv::test
