#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <memory>

namespace kv::test {

class ShellStartTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void startsSynchronisesAndAccepts();
    void acceptsLowerCaseModel();
    void refusesWrongModelAndCommandSet();
    void twoRefusalsShowOneBox();
    void removalAndArrival();
    void statusTimerPollsAndCaptions();
    void functionKeysOpenTheirWindows();
    void ribbonButtonsOpenAuxWindows();
    void languageToggleThereAndBack();
    void withoutTheBox();
    void ribbonSwallowsTabDoubleClickAndWheel();

private:
    std::unique_ptr<QTemporaryDir> m_settingsDir;
};

class ShellPagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void statusBarEqCommands_data();
    void statusBarEqCommands();
    void pagesReplaceAndSwitch();
    void languageReachesThePage();

private:
    std::unique_ptr<QTemporaryDir> m_settingsDir;
};

class ShellControlsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void slidersByClickDragAndWheel();
    void maximumVolumesAndNotices();
    void mutesAndSources();
    void userModeSlots();
    void modeFilesAndTargetSlot();
    void targetSlotFromTitles();
    void deviceReset();
    void closeFlow();

private:
    std::unique_ptr<QTemporaryDir> m_settingsDir;
};

class ShellPartsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stepSliderMovesOneUnitPerClick();
    void languageTablesLookUpAndApply();
    void settingsDefaultsAndRecentFiles();
    void singleInstanceRaisesTheFirstCopy();
    void staleInstanceNameDoesNotBlock();
};

}  // namespace kv::test
