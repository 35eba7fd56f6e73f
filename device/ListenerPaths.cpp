#include "device/ListenerPaths.h"

#include <cmath>
#include <string>

#include "device/DelayAlignment.h"
#include "device/DeviceContext.h"
#include "device/EqBands.h"
#include "device/SettingTable.h"

namespace kv {

namespace {

constexpr int kMainLeft = 1;
constexpr int kSub = 5;
constexpr double kWholeChannel = 1.0;  // index of "whole" among the mode's choices

double Read(const DeviceContext& dev, const std::string& address) {
    const Setting* s = FindSetting(address);
    return s ? s->read(dev) : 0.0;
}

}  // namespace

double ArrivalAtListener(const DeviceContext& dev, int speaker, double temperatureC) {
    const double dx = dev.store.Float(PositionXField(speaker)) - dev.store.Float(PositionXField(0));
    const double dy = dev.store.Float(PositionYField(speaker)) - dev.store.Float(PositionYField(0));
    const double distance = std::isfinite(dx) && std::isfinite(dy) ? std::hypot(dx, dy) : 0.0;
    const std::string delay = std::string("delay.") + kAlignedSpeakerNames[static_cast<std::size_t>(speaker - 1)];
    const bool counts = Read(dev, delay + ".on") != 0 && Read(dev, delay + ".mode") == kWholeChannel;
    return (counts ? Read(dev, delay) / 1000.0 : 0.0) + distance / eq::SpeedOfSound(temperatureC);
}

eq::ListenerPath MainBesideSub(const DeviceContext& dev, double temperatureC) {
    eq::ListenerPath main;
    main.sections = eq::EqualiserSections(LoadEqBands(dev.encoders, EqId::Main), false);
    main.delaySeconds = ArrivalAtListener(dev, kMainLeft, temperatureC) - ArrivalAtListener(dev, kSub, temperatureC);
    return main;
}

}  // namespace kv
