#pragma once
// The A/B window: every setting in which the two memories differ, with both values as the
// command line writes them, named as the undo steps name them, in the interface's language.

#include <QWidget>
#include <functional>

class QLabel;
class QTableWidget;

namespace kv {

class AbMemories;

class AbCompareWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 520;
    static constexpr int kHeight = 460;
    AbCompareWindow(AbMemories& memories, std::function<int()> language, QWidget* parent = nullptr);

    QTableWidget* Table() const { return m_table; }
    QLabel* Summary() const { return m_summary; }
    // The list and the captions again (a memory, an edit or the language changed).
    void Refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AbMemories& m_memories;
    std::function<int()> m_language;
    QLabel* m_summary = nullptr;
    QTableWidget* m_table = nullptr;
};

}  // namespace kv
