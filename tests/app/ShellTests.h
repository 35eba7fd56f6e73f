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
    void silentBoxDoesNotAnswer();
    void slowBoxReadsBackWithoutTimingOut();
    void boxThatStopsAnsweringTimesOut_data();
    void boxThatStopsAnsweringTimesOut();
    void refusesWrongModelAndCommandSet();
    void twoRefusalsShowOneBox();
    void removalAndArrival();
    void statusTimerPollsAndCaptions();
    void functionKeysOpenTheirWindows();
    void ribbonButtonsOpenAuxWindows();
    void languageToggleThereAndBack();
    void qtDialogsFollowTheLanguage_data();
    void qtDialogsFollowTheLanguage();
    void statusPanesFollowTheLanguageFromTheStart_data();
    void statusPanesFollowTheLanguageFromTheStart();
    void withoutTheBox();
    void ribbonSwallowsTabDoubleClickAndWheel();
    void categoriesLineUp_data();
    void categoriesLineUp();

private:
    std::unique_ptr<QTemporaryDir> m_settingsDir;
};

class ShellHotplugTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void refusedBoxStaysRefused();
    void boxBackWhileTheErrorBoxIsOpen_data();
    void boxBackWhileTheErrorBoxIsOpen();
    void arrivalDuringAReadBackIsKept();

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
    void keyboardStepsOnEverySlider_data();
    void keyboardStepsOnEverySlider();
    void maximumVolumesAndNotices();
    void levelsHeldToTheirOwnMaximum_data();
    void levelsHeldToTheirOwnMaximum();
    void windowsSendNothingOnTheirOwn();
    void powerOnSliderMovesTheRibbon_data();
    void powerOnSliderMovesTheRibbon();
    void settingsWindowOpensOverTheMainWindow();
    void mutesAndSources();
    void userModeSlots();
    void modeFilesAndTargetSlot();
    void targetSlotFromTitles();
    void deviceReset();
    void closeFlow();
    void fileDialogsStartInTheLastModeFolder();

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
