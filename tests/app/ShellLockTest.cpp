// The lock and the questions before destructive actions, on the real frame against the
// simulated box: what reaches the box (nothing, while locked or after a No) and what shows.

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWheelEvent>
#include <memory>

#include "app/AppSettings.h"
#include "app/AuxWindows.h"
#include "app/QtUiPrompts.h"
#include "device/Commands.h"
#include "dialogs/CAutoSubDlg.h"
#include "dialogs/CSetDlg.h"
#include "eq/CEqPanel.h"
#include "eq/CSSVolumePanel.h"
#include "eq/CXBmpSlider.h"
#include "model/Fields.h"
#include "pages/CEqEditor.h"
#include "pages/CGridListCtrlEx.h"
#include "pages/CSSVCDlg.h"
#include "tests/app/ShellFixture.h"

namespace kv::test {

namespace {

enum class Edit {
    RibbonTrackClick,
    RibbonKey,
    RibbonCheck,
    PageSliderKey,
    PageSliderWheel,
    EqPanelDrag,
    ListCellEdit,
    RoomPointTyped,
    RoomPointDrag,
    WindowSlider,
};

void SendWheel(QWidget* target, int notches) {
    const QPointF local = QPointF(target->rect().center());
    QWheelEvent wheel(local, target->mapToGlobal(local), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

// The writes that change a setting: parameters, memory, slots, settings, resets.
int SettingWrites(Shell& shell) {
    int n = 0;
    for (std::uint8_t c : {cmd::kParamWrite, cmd::kMemoryWrite, cmd::kModeLoad, cmd::kModeSave, cmd::kModeReset,
                           cmd::kSettingsWrite, cmd::kDeviceReset, cmd::kModeNameWrite})
        n += static_cast<int>(shell.Delivered().Received(c).size());
    return n;
}

// The first slider of the hosted page that its binder owns.
CXBmpSlider* BoundSlider(Shell& shell) {
    CPageBase* page = shell.View()->Page();
    for (CXBmpSlider* s : page->findChildren<CXBmpSlider*>())
        if (page->Bind().HandleOf(s) >= 0 && s->isVisible()) return s;
    return nullptr;
}

void Activate(QWidget* w) {
    w->window()->show();
    w->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w->window()));
}

}  // namespace

class ShellLockTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        IsolateSettings(*m_dir);
    }

    void lockRefusesEveryKindOfEdit_data() {
        QTest::addColumn<int>("edit");
        QTest::addColumn<bool>("locked");
        const std::pair<const char*, Edit> rows[] = {
            {"ribbon slider track click", Edit::RibbonTrackClick}, {"ribbon slider key", Edit::RibbonKey},
            {"ribbon mute check box", Edit::RibbonCheck},          {"page bitmap slider key", Edit::PageSliderKey},
            {"page bitmap slider wheel", Edit::PageSliderWheel},   {"equaliser panel drag", Edit::EqPanelDrag},
            {"band list cell edit", Edit::ListCellEdit},           {"speaker box Enter", Edit::RoomPointTyped},
            {"speaker point drag", Edit::RoomPointDrag},           {"auto SUB window slider", Edit::WindowSlider},
        };
        for (const auto& [name, edit] : rows) QTest::newRow(name) << static_cast<int>(edit) << true;
        // Unlocked, the same edit goes through: the rows above fail for the lock, not the edit.
        QTest::newRow("unlocked ribbon slider key") << static_cast<int>(Edit::RibbonKey) << false;
        QTest::newRow("unlocked page bitmap slider key") << static_cast<int>(Edit::PageSliderKey) << false;
    }
    void lockRefusesEveryKindOfEdit() {
        QFETCH(int, edit);
        QFETCH(bool, locked);
        Shell shell;
        shell.Frame()->resize(1200, 800);
        Activate(shell.Frame());
        const auto kind = static_cast<Edit>(edit);
        if (kind == Edit::RoomPointTyped || kind == Edit::RoomPointDrag)
            shell.View()->ShowPage(PageId::SpeakerPosition, 0);
        QCoreApplication::processEvents();
        shell.View()->SetLocked(locked);
        shell.Settle();
        shell.Delivered().ClearTranscript();

        QString before;
        QString after;
        switch (kind) {
            case Edit::RibbonTrackClick:
            case Edit::RibbonKey: {
                auto* s = shell.Slider(RibbonSlider::Echo);
                before = QString::number(s->value()) + shell.Label(RibbonLabel::Echo);
                if (kind == Edit::RibbonKey) {
                    s->setEnabled(true);  // as a stray key would reach it whatever it looks like
                    s->setFocus();
                    QTest::keyClick(s, Qt::Key_Right);
                } else {
                    s->StepAndIssue(1);
                }
                after = QString::number(s->value()) + shell.Label(RibbonLabel::Echo);
                QCOMPARE(s->isEnabled(), !locked || kind == Edit::RibbonKey);
                break;
            }
            case Edit::RibbonCheck: {
                auto* c = shell.Check(RibbonCheck::MicMute);
                before = QString::number(c->isChecked());
                QCOMPARE(c->isEnabled(), false);
                c->click();  // disabled: Qt drops it, and the view would refuse it
                Q_EMIT shell.Ribbon()->checkClicked(kCategoryInput, RibbonCheck::MicMute, !c->isChecked());
                after = QString::number(c->isChecked());
                break;
            }
            case Edit::PageSliderKey:
            case Edit::PageSliderWheel: {
                CXBmpSlider* s = BoundSlider(shell);
                QVERIFY(s);
                QCOMPARE(s->isEnabled(), !locked);
                s->setEnabled(true);
                s->setFocus();
                QVERIFY(s->hasFocus());
                before = QString::number(s->Position());
                if (kind == Edit::PageSliderKey)
                    QTest::keyClick(s, s->Position() < 5 ? Qt::Key_Right : Qt::Key_Left);
                else
                    SendWheel(s, s->Position() < 5 ? 1 : -1);
                QCoreApplication::processEvents();
                after = QString::number(s->Position());
                break;
            }
            case Edit::EqPanelDrag: {
                CEqPanel* p = shell.View()->Page()->Equaliser()->Panel();
                QVERIFY(p->ReadOnly());
                before = QString::number(p->Band(0).frequency) + QString::number(p->Band(0).gain);
                for (int x = 20; x < p->width(); x += 40) {
                    QTest::mousePress(p, Qt::LeftButton, {}, QPoint(x, p->height() / 2));
                    QTest::mouseMove(p, QPoint(x + 30, p->height() / 3));
                    QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(x + 30, p->height() / 3));
                }
                QCOMPARE(p->SelectedBand(), -1);
                after = QString::number(p->Band(0).frequency) + QString::number(p->Band(0).gain);
                break;
            }
            case Edit::ListCellEdit: {
                CGridListCtrlEx* list = shell.View()->Page()->Equaliser()->List();
                before = list->CellText(0, CEqEditor::kGainColumn);
                QCOMPARE(list->EditCell(0, CEqEditor::kGainColumn), nullptr);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                                   list->visualRect(list->model()->index(0, CEqEditor::kGainColumn)).center());
                QVERIFY(!list->findChild<QLineEdit*>());
                after = list->CellText(0, CEqEditor::kGainColumn);
                break;
            }
            case Edit::RoomPointTyped:
            case Edit::RoomPointDrag: {
                auto* page = qobject_cast<CSSVCDlg*>(shell.View()->Page());
                QVERIFY(page);
                QLineEdit* box = page->Edit(1, 0);
                QCOMPARE(box->isReadOnly(), true);
                before = box->text();
                if (kind == Edit::RoomPointTyped) {
                    box->setText(QStringLiteral("+1.5m"));
                    page->TypePosition(1);
                } else {
                    QWidget* panel = page->findChild<CSSVolumePanel*>();
                    QVERIFY(panel);
                    for (int x = 10; x < panel->width(); x += 20) {
                        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(x, panel->height() / 4));
                        QTest::mouseMove(panel, QPoint(x + 15, panel->height() / 2));
                        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(x + 15, panel->height() / 2));
                    }
                }
                after = box->text();
                break;
            }
            case Edit::WindowSlider: {
                shell.app->Aux().OpenAutoSub();
                QWidget* window = shell.app->Aux().AutoSub();
                QVERIFY(window);
                auto* s = window->findChild<CXBmpSlider*>();
                QVERIFY(s);
                QVERIFY(!s->isEnabled());
                before = QString::number(s->Position());
                s->setEnabled(true);
                Activate(s);
                s->setFocus();
                QTest::keyClick(s, Qt::Key_Right);
                QCoreApplication::processEvents();
                after = QString::number(s->Position());
                break;
            }
        }
        shell.Settle();
        if (locked) {
            QCOMPARE(SettingWrites(shell), 0);
            QCOMPARE(after, before);
        } else {
            QVERIFY(SettingWrites(shell) > 0);
            QVERIFY(after != before);
        }
        QVERIFY(shell.Delivered().Violations().empty());
    }

    void lockShowsAndSurvivesRestart() {
        {
            Shell shell;
            QVERIFY(!shell.View()->Locked());
            QVERIFY(shell.Status()->LockPane()->text().isEmpty());
            auto* shortcut = shell.Frame()->findChild<QShortcut*>();
            QVERIFY(shortcut);
            QCOMPARE(shortcut->key(), QKeySequence(Qt::CTRL | Qt::Key_L));
            Q_EMIT shortcut->activated();
            QVERIFY(shell.View()->Locked());
            QVERIFY(shell.Ribbon()->LockButton()->isChecked());
            QCOMPARE(shell.Ribbon()->LockButton()->text(), QStringLiteral("已锁定"));
            QVERIFY(shell.Status()->LockPane()->text().startsWith(QStringLiteral("已锁定")));
            // The language still switches, and the lock speaks it.
            shell.View()->OnButton(RibbonButton::Language);
            QCOMPARE(shell.Ribbon()->LockButton()->text(), QStringLiteral("Locked"));
            QVERIFY(shell.Status()->LockPane()->text().startsWith(QStringLiteral("Locked")));
            QVERIFY(!shell.Ribbon()->FileButton(kCategoryInput, RibbonFileButton::LoadFile)->isEnabled());
        }
        {
            Shell shell;
            QVERIFY(shell.View()->Locked());
            QVERIFY(!shell.Slider(RibbonSlider::Mic)->isEnabled());
            shell.Ribbon()->LockButton()->click();
            QVERIFY(!shell.View()->Locked());
            QVERIFY(shell.Slider(RibbonSlider::Mic)->isEnabled());
            QVERIFY(!AppSettings().Locked());
        }
    }

    void lockedActionsAskNothing() {
        Shell shell;
        shell.Store().SetSettingsChanged(true);
        shell.View()->SetLocked(true);
        shell.Delivered().ClearTranscript();
        shell.View()->ResetDevice();
        shell.View()->LoadUserMode(1);
        shell.View()->SaveUserMode(1);
        shell.View()->LoadModeFile();
        QVERIFY(shell.prompts->asked.empty());
        QVERIFY(shell.prompts->filters.empty());
        QCOMPARE(SettingWrites(shell), 0);
    }

    void destructiveQuestionsDefaultToNo_data() {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("text");
        QTest::newRow("reset device") << 0 << QStringLiteral("您确定要将机器复位吗?");
        QTest::newRow("reset EQ") << 1 << QStringLiteral("您确定重置当前均衡吗?");
        QTest::newRow("load slot over changes") << 2 << QStringLiteral("参数已更改，确定要直接载入模式二?");
        QTest::newRow("load file over changes") << 3 << QStringLiteral("参数已更改，确定要直接载入模式文件?");
        QTest::newRow("open recent file over changes") << 4 << QStringLiteral("参数已更改，确定要直接载入模式文件?");
        QTest::newRow("reset all speakers") << 5 << QStringLiteral("您确定将全部扬声器复位吗?");
        QTest::newRow("reset device mode") << 6 << QStringLiteral("您确定要重置机器模式1吗?");
    }
    void destructiveQuestionsDefaultToNo() {
        QFETCH(int, action);
        QFETCH(QString, text);
        Shell shell;
        QTemporaryDir files;
        const QString mode = files.filePath(QStringLiteral("m2.K4v9"));
        QVERIFY(shell.View()->SaveModeFileTo(mode));
        shell.Settle();
        shell.Store().SetSettingsChanged(true);
        if (action == 5) shell.View()->ShowPage(PageId::SpeakerPosition, 0);
        QCoreApplication::processEvents();
        shell.Delivered().ClearTranscript();
        shell.prompts->files.push_back(mode);
        switch (action) {
            case 0:
                shell.View()->ResetDevice();
                break;
            case 1:
                shell.Status()->ResetEq()->click();
                break;
            case 2:
                shell.View()->LoadUserMode(1);
                break;
            case 3:
                shell.View()->LoadModeFile();
                QVERIFY(shell.prompts->filters.empty());  // asked before the file dialog
                break;
            case 4:
                shell.app->OpenDocument(mode);
                break;
            case 5:
                qobject_cast<CSSVCDlg*>(shell.View()->Page())->ResetButton()->click();
                break;
            case 6: {
                shell.app->Aux().OpenDeviceSettings();
                for (QPushButton* b : shell.app->Aux().DeviceSettings()->findChildren<QPushButton*>())
                    if (b->text() == QStringLiteral("M1")) b->click();
                break;
            }
        }
        QCOMPARE(shell.prompts->asked.size(), std::size_t{1});
        QVERIFY(shell.prompts->asked[0].text.startsWith(text));
        QVERIFY(shell.prompts->askedDestructive[0]);
        shell.Settle();
        QVERIFY(!shell.app->Device().sync.Running());
        QCOMPARE(SettingWrites(shell), 0);
    }

    void realQuestionAnswersNoToEnterAndSpace_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << static_cast<int>(Qt::Key_Return);
        QTest::newRow("keypad Enter") << static_cast<int>(Qt::Key_Enter);
        QTest::newRow("Space") << static_cast<int>(Qt::Key_Space);
        QTest::newRow("Escape") << static_cast<int>(Qt::Key_Escape);
    }
    void realQuestionAnswersNoToEnterAndSpace() {
        QFETCH(int, key);
        const auto box = QtUiPrompts::DestructiveBox(nullptr, QStringLiteral("提示"), QStringLiteral("reset?"));
        QAbstractButton* no = box->button(QMessageBox::No);
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        QCOMPARE(static_cast<QAbstractButton*>(box->defaultButton()), no);
        QCOMPARE(box->escapeButton(), no);
        QCOMPARE(yes->focusPolicy(), Qt::NoFocus);
        box->show();
        box->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(box.get()));
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus != yes);
        QTest::keyClick(focus ? focus : box.get(), static_cast<Qt::Key>(key));
        QCOMPARE(box->clickedButton(), no);
    }

    void wheelTurnsOnlyAFocusedRibbonSlider() {
        Shell shell;
        Activate(shell.Frame());
        auto* s = shell.Slider(RibbonSlider::Reverb);
        const int start = s->value();
        shell.Delivered().ClearTranscript();
        shell.Frame()->setFocus();
        SendWheel(s, 1);
        SendWheel(shell.Ribbon()->Panel(kCategoryInput, RibbonPanel::Reverb), 1);
        QCOMPARE(s->value(), start);
        QCOMPARE(SettingWrites(shell), 0);
        s->setFocus();
        SendWheel(s, 1);
        QCOMPARE(s->value(), start + 1);
        QCOMPARE(shell.Slider(RibbonSlider::Reverb, kCategoryOutput)->value(), start + 1);
    }

    void wheelTurnsOnlyAFocusedBitmapSlider() {
        QWidget window;
        auto* other = new QLineEdit(&window);
        auto* s = new CXBmpSlider(7, Qt::Horizontal, &window);
        s->setGeometry(0, 30, 200, 26);
        s->SetRange(0, 10);
        s->SetPosition(5);
        Activate(&window);
        other->setFocus();
        QSignalSpy changed(s, &CXBmpSlider::changed);
        SendWheel(s, 1);
        QCoreApplication::processEvents();
        QCOMPARE(s->Position(), 5);
        QCOMPARE(changed.count(), 0);
        s->setFocus();
        SendWheel(s, 1);
        QCoreApplication::processEvents();
        QCOMPARE(s->Position(), 6);
        QCOMPARE(changed.count(), 1);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

}  // namespace kv::test

QTEST_MAIN(kv::test::ShellLockTest)
#include "ShellLockTest.moc"
