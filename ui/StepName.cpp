#include "ui/StepName.h"

#include <QStringList>
#include <array>
#include <cctype>

#include "ui/UiText.h"

namespace kv {

namespace {

struct Word {
    const char* token;
    const char* chinese;
    const char* english;
};

// Each part of an address once; a part not listed is shown as it stands.
constexpr std::array<Word, 62> kWords{{
    {"mic", "话筒", "Mic"},
    {"music", "音乐", "Music"},
    {"reverb", "混响", "Reverb"},
    {"echo", "回声", "Echo"},
    {"mica", "话筒 A", "Mic CH A"},
    {"micb", "话筒 B", "Mic CH B"},
    {"echoa", "回声 A", "Echo A"},
    {"echob", "回声 B", "Echo B"},
    {"reverba", "混响 A", "Reverb A"},
    {"reverbb", "混响 B", "Reverb B"},
    {"main", "主音箱", "MAIN"},
    {"rear", "后置", "REAR"},
    {"center", "中置", "Center"},
    {"sub", "超低音", "SUB"},
    {"top", "天空", "TOP"},
    {"eq", "均衡", "EQ"},
    {"level", "音量", "level"},
    {"mute", "静音", "mute"},
    {"gain", "增益", "gain"},
    {"freq", "频率", "frequency"},
    {"q", "Q", "Q"},
    {"kind", "类型", "type"},
    {"align", "对齐", "alignment"},
    {"bypass", "直通", "bypass"},
    {"comp", "压限", "compressor"},
    {"threshold", "门限", "threshold"},
    {"ratio", "比率", "ratio"},
    {"attack", "启动", "attack"},
    {"release", "恢复", "release"},
    {"mix", "混合", "mix"},
    {"direct", "直达", "direct"},
    {"surround", "环绕", "surround"},
    {"delay", "延时", "delay"},
    {"on", "开关", "on"},
    {"mode", "模式", "mode"},
    {"crossover", "分频", "crossover"},
    {"position", "位置", "position"},
    {"listener", "听众", "listener"},
    {"room", "房间", "room"},
    {"width", "宽度", "width"},
    {"length", "长度", "length"},
    {"x", "X", "x"},
    {"y", "Y", "y"},
    {"l", "左", "L"},
    {"r", "右", "R"},
    {"spdif", "光纤", "SPDIF"},
    {"aux1", "模拟 1", "AUX 1"},
    {"aux2", "模拟 2", "AUX 2"},
    {"gate", "噪声门", "noise gate"},
    {"pitch", "变调", "key"},
    {"shift", "移频", "frequency shift"},
    {"predelay", "预延时", "pre-delay"},
    {"time", "时间", "time"},
    {"start", "起始", "start"},
    {"decay", "衰减", "decay"},
    {"route", "通道", "channel"},
    {"agc", "自动音量", "AGC"},
    {"autosub", "自动超低音", "auto SUB"},
    {"phase", "相位", "phase"},
    {"settings", "设置", "settings"},
    {"power-on", "开机", "power-on"},
    {"max", "最大", "maximum"},
}};

QString WordOf(std::string_view token, bool english) {
    for (const Word& w : kWords)
        if (token == w.token) return QString::fromUtf8(english ? w.english : w.chinese);
    return QString::fromUtf8(token.data(), static_cast<qsizetype>(token.size()));
}

bool IsNumber(std::string_view t) {
    if (t.empty()) return false;
    for (char c : t)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

QString StepName(std::string_view address, int language) {
    const bool english = language == kLanguageEnglish;
    std::vector<std::string_view> parts;
    for (std::size_t at = 0; at <= address.size();) {
        const std::size_t dot = std::min(address.find('.', at), address.size());
        parts.push_back(address.substr(at, dot - at));
        at = dot + 1;
    }
    // An equaliser's name comes before the word: "MAIN EQ", not "EQ MAIN".
    if (parts.size() >= 2 && parts[0] == "eq") std::swap(parts[0], parts[1]);
    QStringList words;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        // A band number reads "band 3" in English.
        if (IsNumber(parts[i]) && i > 0 && parts[i - 1] == "eq" && english) {
            words << QStringLiteral("band ") + QString::fromUtf8(parts[i].data(), qsizetype(parts[i].size()));
            continue;
        }
        words << WordOf(parts[i], english);
    }
    return words.join(QLatin1Char(' '));
}

}  // namespace kv
