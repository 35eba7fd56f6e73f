#include "app/CMyMFCRibbonBar.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "app/CMFCRibbonStepSlider.h"
#include "dialogs/AppIcon.h"
#include "ui/UiText.h"

namespace kv {

namespace {
constexpr int kVolumeSliderWidth = 90;
constexpr int kInputSliderWidth = 84;
constexpr int kPitchSliderWidth = 100;
constexpr int kRecentMenuWidth = 300;

template <typename E>
constexpr int Ix(E e) {
    return static_cast<int>(e);
}

const char* const kStyleSheet = R"(
kv--CMyMFCRibbonBar { background: #c5d9f1; border-bottom: 1px solid #8db2e3; }
QTabBar::tab { padding: 3px 14px; border: 1px solid transparent; color: #15428b; }
QTabBar::tab:selected { background: #dfe9f5; border: 1px solid #8db2e3; border-bottom: none;
                        border-top-left-radius: 3px; border-top-right-radius: 3px; }
QFrame#ribbonPanel { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f0f5fb, stop:1 #d9e6f5);
                     border: 1px solid #a7c3e6; border-radius: 3px; }
QLabel#panelCaption { background: #c2d8f0; color: #15428b; border-top: 1px solid #a7c3e6; padding: 0px 2px; }
QStackedWidget { background: #dfe9f5; }
QToolButton { color: #15428b; }
QCheckBox, QLabel { color: #15428b; }
)";

QString CategoryName(int language, int category) {
    return category == kCategoryInput ? Bi(language, "输入控制", "Input") : Bi(language, "输出调节", "Output");
}
}  // namespace

CMyMFCRibbonBar::CMyMFCRibbonBar(int language, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("ribbon"));
    setStyleSheet(QString::fromLatin1(kStyleSheet));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 2);
    layout->setSpacing(0);

    auto* row = new QWidget(this);
    BuildTabRow(row);
    layout->addWidget(row);

    m_stack = new QStackedWidget(this);
    layout->addWidget(m_stack);
    for (int c = 0; c < kCategoryCount; ++c) BuildCategory(c);

    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        m_stack->setCurrentIndex(index);
        Q_EMIT categoryChanged(index);
    });
    m_modeNames = QStringList{QString(), QString(), QString(), QString()};
    Relabel(language);
    InstallWheelFilter(this);
}

void CMyMFCRibbonBar::BuildTabRow(QWidget* row) {
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(4, 2, 4, 0);
    h->setSpacing(4);

    m_appButton = new QToolButton(row);
    m_appButton->setObjectName(QStringLiteral("applicationButton"));
    m_appButton->setIcon(AppIcon());
    m_appButton->setIconSize(QSize(20, 20));
    m_appButton->setAutoRaise(true);
    m_appButton->setPopupMode(QToolButton::InstantPopup);
    m_appMenu = new QMenu(m_appButton);
    m_appMenu->setMinimumWidth(kRecentMenuWidth);
    m_openAction = m_appMenu->addAction(QString(), this, &CMyMFCRibbonBar::openRequested);
    m_saveAction = m_appMenu->addAction(QString(), this, &CMyMFCRibbonBar::saveRequested);
    m_appMenu->addSeparator();
    m_recentTitle = m_appMenu->addAction(QString());
    m_recentTitle->setEnabled(false);
    m_appMenu->addSeparator();
    m_exitAction = m_appMenu->addAction(QString(), this, &CMyMFCRibbonBar::exitRequested);
    m_appButton->setMenu(m_appMenu);
    h->addWidget(m_appButton);

    m_tabs = new QTabBar(row);
    m_tabs->setObjectName(QStringLiteral("categoryTabs"));
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    m_tabs->addTab(QString());
    m_tabs->addTab(QString());
    m_tabs->installEventFilter(this);
    h->addWidget(m_tabs);
    h->addStretch(1);

    static const char* const kNames[kRibbonButtonCount] = {"musicAgcButton", "resetButton",    "remoteButton",
                                                           "autoSubButton",  "languageButton", "aboutButton"};
    for (int i = 0; i < kRibbonButtonCount; ++i) {
        auto* b = new QToolButton(row);
        b->setObjectName(QString::fromLatin1(kNames[i]));
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        connect(b, &QToolButton::clicked, this, [this, i] { Q_EMIT buttonClicked(static_cast<RibbonButton>(i)); });
        m_buttons[i] = b;
        h->addWidget(b);
    }
    m_lockButton = new QToolButton(row);
    m_lockButton->setObjectName(QStringLiteral("lockButton"));
    m_lockButton->setAutoRaise(true);
    m_lockButton->setCheckable(true);
    m_lockButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // The view decides; the button only shows the state it is given.
    connect(m_lockButton, &QToolButton::clicked, this, [this] {
        m_lockButton->setChecked(m_locked);
        Q_EMIT lockToggled();
    });
    h->insertWidget(h->indexOf(m_buttons[Ix(RibbonButton::Language)]), m_lockButton);
    auto* about = m_buttons[Ix(RibbonButton::About)];
    about->setToolButtonStyle(Qt::ToolButtonIconOnly);
    about->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
}

void CMyMFCRibbonBar::BuildCategory(int index) {
    Category& cat = m_categories[index];
    cat.page = new QWidget(m_stack);
    auto* h = new QHBoxLayout(cat.page);
    h->setContentsMargins(4, 4, 4, 3);
    h->setSpacing(4);
    const QString suffix = QString::number(index);

    auto makePanel = [&](RibbonPanel id) {
        auto* panel = new QFrame(cat.page);
        panel->setObjectName(QStringLiteral("ribbonPanel"));
        auto* v = new QVBoxLayout(panel);
        v->setContentsMargins(1, 2, 1, 0);
        v->setSpacing(1);
        auto* body = new QWidget(panel);
        auto* caption = new QLabel(panel);
        caption->setObjectName(QStringLiteral("panelCaption"));
        caption->setAlignment(Qt::AlignCenter);
        v->addWidget(body, 1);
        v->addWidget(caption);
        cat.panels[Ix(id)] = panel;
        cat.captions[Ix(id)] = caption;
        h->addWidget(panel);
        return body;
    };
    auto makeSlider = [&](RibbonSlider id, QWidget* parent, int lo, int hi, int width) {
        auto* s = new CMFCRibbonStepSlider(parent);
        s->setObjectName(QStringLiteral("slider%1_%2").arg(Ix(id)).arg(suffix));
        s->setRange(lo, hi);
        s->setFixedWidth(width);
        connect(s, &CMFCRibbonStepSlider::issued, this, [this, index, id] { Q_EMIT sliderIssued(index, id); });
        cat.sliders[Ix(id)] = s;
        return s;
    };
    auto makeCheck = [&](RibbonCheck id, QWidget* parent) {
        auto* c = new QCheckBox(parent);
        c->setObjectName(QStringLiteral("check%1_%2").arg(Ix(id)).arg(suffix));
        c->setFocusPolicy(Qt::NoFocus);
        connect(c, &QCheckBox::clicked, this, [this, index, id](bool on) { Q_EMIT checkClicked(index, id, on); });
        cat.checks[Ix(id)] = c;
        return c;
    };
    auto makeLabel = [&](RibbonLabel id, QWidget* parent) {
        auto* l = new QLabel(parent);
        l->setObjectName(QStringLiteral("label%1_%2").arg(Ix(id)).arg(suffix));
        cat.labels[Ix(id)] = l;
        return l;
    };

    // The four volume panels: value label, slider 0..99, mute.
    const RibbonPanel volumePanels[] = {RibbonPanel::Mic, RibbonPanel::Reverb, RibbonPanel::Echo, RibbonPanel::Music};
    for (int i = 0; i < 4; ++i) {
        QWidget* body = makePanel(volumePanels[i]);
        auto* v = new QVBoxLayout(body);
        v->setContentsMargins(3, 0, 3, 0);
        v->setSpacing(2);
        v->addWidget(makeLabel(static_cast<RibbonLabel>(i), body));
        v->addWidget(makeSlider(static_cast<RibbonSlider>(i), body, 0, 99, kVolumeSliderWidth));
        v->addWidget(makeCheck(static_cast<RibbonCheck>(i), body));
    }

    // Music source: per input a slider 0..100, its value label and its switch.
    {
        QWidget* body = makePanel(RibbonPanel::Source);
        auto* g = new QGridLayout(body);
        g->setContentsMargins(3, 0, 3, 0);
        g->setHorizontalSpacing(8);
        g->setVerticalSpacing(2);
        for (int i = 0; i < 3; ++i) {
            g->addWidget(
                makeSlider(static_cast<RibbonSlider>(Ix(RibbonSlider::Spdif) + i), body, 0, 100, kInputSliderWidth), 0,
                i);
            g->addWidget(makeLabel(static_cast<RibbonLabel>(Ix(RibbonLabel::Spdif) + i), body), 1, i);
            g->addWidget(makeCheck(static_cast<RibbonCheck>(Ix(RibbonCheck::SpdifOn) + i), body), 2, i);
        }
    }

    // Pitch panel: noise-gate label and slider, pitch slider.
    {
        QWidget* body = makePanel(RibbonPanel::Pitch);
        auto* v = new QVBoxLayout(body);
        v->setContentsMargins(3, 0, 3, 0);
        v->setSpacing(2);
        v->addWidget(makeLabel(RibbonLabel::NoiseGate, body));
        v->addWidget(makeSlider(RibbonSlider::NoiseGate, body, 0, 100, kPitchSliderWidth));
        v->addWidget(makeSlider(RibbonSlider::Pitch, body, -5, 5, kPitchSliderWidth));
    }

    // Load and save: a slot drop-down and a file button each.
    for (int save = 0; save < 2; ++save) {
        QWidget* body = makePanel(save ? RibbonPanel::Save : RibbonPanel::Load);
        auto* v = new QVBoxLayout(body);
        v->setContentsMargins(3, 0, 3, 0);
        v->setSpacing(2);
        auto* mode = new QToolButton(body);
        mode->setObjectName(QStringLiteral("%1Mode_%2").arg(save ? "save" : "load").arg(suffix));
        mode->setPopupMode(QToolButton::InstantPopup);
        mode->setAutoRaise(true);
        auto* menu = new QMenu(mode);
        mode->setMenu(menu);
        (save ? cat.saveMenu : cat.loadMenu) = menu;
        auto* file = new QToolButton(body);
        file->setObjectName(QStringLiteral("%1File_%2").arg(save ? "save" : "load").arg(suffix));
        file->setAutoRaise(true);
        connect(file, &QToolButton::clicked, this,
                save ? &CMyMFCRibbonBar::saveFileRequested : &CMyMFCRibbonBar::loadFileRequested);
        cat.fileButtons[Ix(save ? RibbonFileButton::SaveMode : RibbonFileButton::LoadMode)] = mode;
        cat.fileButtons[Ix(save ? RibbonFileButton::SaveFile : RibbonFileButton::LoadFile)] = file;
        v->addWidget(mode);
        v->addWidget(file);
        v->addStretch(1);
    }
    h->addStretch(1);
    m_stack->addWidget(cat.page);
}

CMFCRibbonStepSlider* CMyMFCRibbonBar::Slider(int category, RibbonSlider id) const {
    return m_categories[category].sliders[Ix(id)];
}
QCheckBox* CMyMFCRibbonBar::Check(int category, RibbonCheck id) const { return m_categories[category].checks[Ix(id)]; }
QLabel* CMyMFCRibbonBar::ValueLabel(int category, RibbonLabel id) const {
    return m_categories[category].labels[Ix(id)];
}
QWidget* CMyMFCRibbonBar::Panel(int category, RibbonPanel id) const { return m_categories[category].panels[Ix(id)]; }
QToolButton* CMyMFCRibbonBar::FileButton(int category, RibbonFileButton id) const {
    return m_categories[category].fileButtons[Ix(id)];
}
QToolButton* CMyMFCRibbonBar::Button(RibbonButton id) const { return m_buttons[Ix(id)]; }
QMenu* CMyMFCRibbonBar::ModeMenu(int category, bool save) const {
    return save ? m_categories[category].saveMenu : m_categories[category].loadMenu;
}

int CMyMFCRibbonBar::ActiveCategory() const { return m_tabs->currentIndex(); }
void CMyMFCRibbonBar::SetActiveCategory(int category) { m_tabs->setCurrentIndex(category); }

void CMyMFCRibbonBar::SetPanelCaption(RibbonPanel id, const QString& caption) {
    for (auto& cat : m_categories) cat.captions[Ix(id)]->setText(caption);
}

QString CMyMFCRibbonBar::PanelCaption(RibbonPanel id) const { return m_categories[0].captions[Ix(id)]->text(); }

void CMyMFCRibbonBar::FillModeMenu(QMenu* menu, const QStringList& names, int currentSlot, bool save) {
    menu->clear();
    for (int slot = 0; slot < names.size(); ++slot) {
        QAction* a = menu->addAction(QStringLiteral("M%1: %2").arg(slot + 1).arg(names[slot]));
        a->setCheckable(true);
        a->setChecked(slot == currentSlot);
        connect(a, &QAction::triggered, this, [this, slot, save] {
            // Checking is the view's business: it restores the marks from the current slot.
            SetModeItems(m_modeNames, m_currentSlot);
            if (save)
                Q_EMIT saveModeRequested(slot);
            else
                Q_EMIT loadModeRequested(slot);
        });
    }
}

void CMyMFCRibbonBar::SetModeItems(const QStringList& names, int currentSlot) {
    m_modeNames = names;
    m_currentSlot = currentSlot;
    for (auto& cat : m_categories) {
        FillModeMenu(cat.loadMenu, names, currentSlot, false);
        FillModeMenu(cat.saveMenu, names, currentSlot, true);
    }
}

void CMyMFCRibbonBar::SetRecentFiles(const QStringList& files) {
    for (QAction* a : m_recentActions) {
        m_appMenu->removeAction(a);
        a->deleteLater();
    }
    m_recentActions.clear();
    QAction* before = m_exitAction;
    // The separator above Exit stays last; entries go between the title and it.
    const QList<QAction*> actions = m_appMenu->actions();
    const int exitIndex = static_cast<int>(actions.indexOf(m_exitAction));
    if (exitIndex > 0) before = actions[exitIndex - 1];
    for (int i = 0; i < files.size(); ++i) {
        auto* a = new QAction(QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(files[i]), m_appMenu);
        const QString path = files[i];
        connect(a, &QAction::triggered, this, [this, path] { Q_EMIT recentFileRequested(path); });
        m_appMenu->insertAction(before, a);
        a->setEnabled(!m_locked);
        m_recentActions.append(a);
    }
}

void CMyMFCRibbonBar::Relabel(int language) {
    m_tabs->setTabText(kCategoryInput, CategoryName(language, kCategoryInput));
    m_tabs->setTabText(kCategoryOutput, CategoryName(language, kCategoryOutput));
    m_openAction->setText(Bi(language, "打开(&O)", "Open(&O)"));
    m_saveAction->setText(Bi(language, "保存(&S)", "Save(&S)"));
    m_recentTitle->setText(Bi(language, "最近的文档(Last documents)", "Last documents(最近的文档)"));
    m_exitAction->setText(Bi(language, "退出(&X)", "Exit(&X)"));

    SetPanelCaption(RibbonPanel::Mic, Bi(language, "话筒音量", "Mic  Vol"));
    SetPanelCaption(RibbonPanel::Reverb, Bi(language, "混响音量", "Reverb Vol"));
    SetPanelCaption(RibbonPanel::Echo, Bi(language, "回声音量", "Echo Vol"));
    SetPanelCaption(RibbonPanel::Music, Bi(language, "音乐音量", "Music Vol"));
    SetPanelCaption(RibbonPanel::Source, Bi(language, "音乐音源", "Music source"));
    SetPanelCaption(RibbonPanel::Load, Bi(language, "调用", "Load"));
    SetPanelCaption(RibbonPanel::Save, Bi(language, "保存", "Save"));

    for (auto& cat : m_categories) {
        for (int i = 0; i < 4; ++i) cat.checks[i]->setText(Bi(language, "静音", "Mute"));
        cat.checks[Ix(RibbonCheck::SpdifOn)]->setText(Bi(language, "光纤/同轴", "SPDIF Input"));
        cat.checks[Ix(RibbonCheck::Aux1On)]->setText(Bi(language, "模拟输入1", "Aux1 Input"));
        cat.checks[Ix(RibbonCheck::Aux2On)]->setText(Bi(language, "模拟输入2", "Aux2 Input"));
        cat.fileButtons[Ix(RibbonFileButton::LoadMode)]->setText(Bi(language, "载入模式", "LoadMode"));
        cat.fileButtons[Ix(RibbonFileButton::LoadFile)]->setText(Bi(language, "载入文件", "LoadFile"));
        cat.fileButtons[Ix(RibbonFileButton::SaveMode)]->setText(Bi(language, "保存模式", "SaveMode"));
        cat.fileButtons[Ix(RibbonFileButton::SaveFile)]->setText(Bi(language, "保存文件", "SaveFile"));
    }
    m_buttons[Ix(RibbonButton::MusicAgc)]->setText(Bi(language, "音乐AGC", "Music AGC"));
    m_buttons[Ix(RibbonButton::Reset)]->setText(Bi(language, "机器复位", "Reset"));
    m_buttons[Ix(RibbonButton::Remote)]->setText(Bi(language, "遥控学习", "Remote control"));
    m_buttons[Ix(RibbonButton::AutoSub)]->setText(Bi(language, "自动超低", "Auto SUB"));
    m_buttons[Ix(RibbonButton::Language)]->setText(QStringLiteral("中/EN"));
    m_language = language;
    ShowLocked(m_locked);
    m_buttons[Ix(RibbonButton::About)]->setToolTip(Bi(language, "关于", "About"));
    // Chinese lines are taller than English ones, and a hidden category keeps the height of the
    // language it was laid out in: both take the tallest page, so that switching between them
    // never moves the page below.
    int height = 0;
    for (const auto& cat : m_categories) height = std::max(height, cat.page->sizeHint().height());
    m_stack->setFixedHeight(height);
}

void CMyMFCRibbonBar::ShowLocked(bool locked) {
    m_locked = locked;
    m_lockButton->setChecked(locked);
    m_lockButton->setText(locked ? Bi(m_language, "已锁定", "Locked") : Bi(m_language, "锁定", "Lock"));
    m_lockButton->setToolTip(locked ? Bi(m_language, "解锁 (Ctrl+L)", "Unlock (Ctrl+L)")
                                    : Bi(m_language, "锁定全部设置 (Ctrl+L)", "Lock every setting (Ctrl+L)"));
    for (auto& cat : m_categories)
        for (RibbonFileButton b : {RibbonFileButton::LoadMode, RibbonFileButton::LoadFile, RibbonFileButton::SaveMode})
            cat.fileButtons[Ix(b)]->setEnabled(!locked);
    m_openAction->setEnabled(!locked);
    for (QAction* a : m_recentActions) a->setEnabled(!locked);
    m_buttons[Ix(RibbonButton::Reset)]->setEnabled(!locked);
}

std::optional<RibbonSlider> CMyMFCRibbonBar::WheelTarget(const QPoint& globalPos) const {
    const Category& cat = m_categories[ActiveCategory()];
    auto under = [&](const QWidget* w) { return w->isVisible() && w->rect().contains(w->mapFromGlobal(globalPos)); };
    const RibbonPanel panels[] = {RibbonPanel::Mic, RibbonPanel::Reverb, RibbonPanel::Echo, RibbonPanel::Music};
    const RibbonSlider panelSliders[] = {RibbonSlider::Mic, RibbonSlider::Reverb, RibbonSlider::Echo,
                                         RibbonSlider::Music};
    // Only a focused slider turns, so scrolling past the ribbon never changes a level.
    const auto focused = [&](RibbonSlider s) -> std::optional<RibbonSlider> {
        if (cat.sliders[Ix(s)]->hasFocus()) return s;
        return std::nullopt;
    };
    for (int i = 0; i < 4; ++i)
        if (under(cat.panels[Ix(panels[i])])) return focused(panelSliders[i]);
    for (RibbonSlider s :
         {RibbonSlider::Pitch, RibbonSlider::NoiseGate, RibbonSlider::Spdif, RibbonSlider::Aux1, RibbonSlider::Aux2})
        if (under(cat.sliders[Ix(s)])) return focused(s);
    return std::nullopt;
}

void CMyMFCRibbonBar::InstallWheelFilter(QWidget* root) {
    root->installEventFilter(this);
    for (QWidget* w : root->findChildren<QWidget*>()) w->installEventFilter(this);
}

bool CMyMFCRibbonBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int dy = wheel->angleDelta().y();
        if (dy != 0) Q_EMIT wheelTurned(wheel->globalPosition().toPoint(), dy > 0 ? 1 : -1);
        return true;
    }
    // A double click on a category tab never folds the ribbon away.
    if (watched == m_tabs && event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_tabs->tabAt(mouse->position().toPoint()) >= 0) return true;
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace kv
