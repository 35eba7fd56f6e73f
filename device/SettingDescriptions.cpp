#include "device/SettingDescriptions.h"

#include <array>
#include <vector>

namespace kv {
namespace {

struct Name {
    std::string_view key;
    const char* english;
    const char* chinese;
};

constexpr std::array<Name, 12> kEqualisers{{
    {"music", "music", "音乐"},
    {"mica", "microphone CH A", "话筒通道A"},
    {"micb", "microphone CH B", "话筒通道B"},
    {"echoa", "CH A echo", "通道A回声"},
    {"echob", "CH B echo", "通道B回声"},
    {"reverba", "CH A reverb", "通道A混响"},
    {"reverbb", "CH B reverb", "通道B混响"},
    {"main", "MAIN output", "前置音箱"},
    {"rear", "REAR output", "后置音箱"},
    {"center", "Center output", "中置音箱"},
    {"sub", "SUB output", "超低音箱"},
    {"top", "TOP output", "顶置音箱"},
}};

constexpr std::array<Name, 9> kPoints{{
    {"listener", "the listener", "听音位置"},
    {"main.l", "the MAIN left speaker", "前置左音箱"},
    {"main.r", "the MAIN right speaker", "前置右音箱"},
    {"center", "the Center speaker", "中置音箱"},
    {"sub", "the SUB speaker", "超低音箱"},
    {"rear.l", "the REAR left speaker", "后置左音箱"},
    {"rear.r", "the REAR right speaker", "后置右音箱"},
    {"top.l", "the TOP left speaker", "顶置左音箱"},
    {"top.r", "the TOP right speaker", "顶置右音箱"},
}};

const Name* Find(std::string_view key, const auto& names) {
    for (const Name& n : names)
        if (n.key == key) return &n;
    return nullptr;
}

std::vector<std::string_view> Split(std::string_view address) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = address.find('.', start);
        parts.push_back(address.substr(start, dot == std::string_view::npos ? dot : dot - start));
        if (dot == std::string_view::npos) return parts;
        start = dot + 1;
    }
}

SettingDescription Text(std::string english, std::string chinese) { return {std::move(english), std::move(chinese)}; }

SettingDescription Equaliser(const std::vector<std::string_view>& p) {
    const Name* eq = Find(p[1], kEqualisers);
    if (!eq) return {};
    const std::string en = eq->english, zh = eq->chinese;
    if (p.size() == 3 && p[2] == "bypass")
        return Text("on bypasses the " + en + " equaliser (its bands stay stored but are not heard); off uses it",
                    "开：旁通" + zh + "均衡（频段保留但不起作用）；关：使用均衡");
    if (p.size() != 4) return {};
    const std::string band = std::string(p[2]);
    const std::string what = p[1] == "sub" ? "crossover row " + band : "band " + band;
    const std::string whatZh = p[1] == "sub" ? "分频行 " + band : "第 " + band + " 段";
    if (p[3] == "kind") return Text("the filter type of " + en + " " + what, zh + "均衡" + whatZh + "的滤波器类型");
    if (p[3] == "freq")
        return Text("the centre or corner frequency of " + en + " " + what, zh + "均衡" + whatZh + "的中心或转折频率");
    if (p[3] == "gain")
        return Text("how much " + en + " " + what + " boosts (+) or cuts (-)",
                    zh + "均衡" + whatZh + "的增益（正为提升，负为衰减）");
    if (p[3] == "q")
        return Text("the width of " + en + " " + what + ": a higher Q is narrower",
                    zh + "均衡" + whatZh + "的 Q 值：越大越窄");
    if (p[3] == "align")
        return Text("the crossover alignment (filter family and slope) of SUB " + what,
                    "超低" + whatZh + "的分频类型（滤波器与斜率）");
    return {};
}

SettingDescription Output(const std::vector<std::string_view>& p) {
    const Name* out = Find(p[0], kEqualisers);
    if (!out || p.size() < 2) return {};
    const std::string en = out->english, zh = out->chinese;
    const std::string_view what = p[1];
    if (what == "mute" && p.size() == 2) return Text("on silences the " + en, "开：" + zh + "静音");
    if (what == "surround" && p.size() == 2) return Text("the surround volume of the " + en, zh + "的环绕音量");
    if (what == "mix" && p.size() == 3) {
        const Name sources[] = {{"direct", "the direct microphone signal", "话筒直达声"},
                                {"reverb", "the reverb", "混响"},
                                {"echo", "the echo", "回声"},
                                {"music", "the music", "音乐"}};
        for (const Name& s : sources)
            if (s.key == p[2])
                return Text(std::string("how much of ") + s.english + " the " + en + " plays",
                            zh + "中" + s.chinese + "的比例");
        return {};
    }
    if (what == "comp") {
        if (p.size() == 2) return Text("on limits the " + en + " with its compressor", "开：启用" + zh + "的压限器");
        if (p.size() != 3) return {};
        if (p[2] == "threshold")
            return Text("the level above which the " + en + " compressor acts", zh + "压限器开始起作用的电平（阈值）");
        if (p[2] == "ratio")
            return Text("how strongly the " + en + " compressor reduces what is above the threshold",
                        zh + "压限器对阈值以上信号的压缩比");
        if (p[2] == "attack") return Text("how fast the " + en + " compressor starts to act", zh + "压限器的启动时间");
        if (p[2] == "release") return Text("how fast the " + en + " compressor lets go again", zh + "压限器的恢复时间");
    }
    return {};
}

SettingDescription Delay(const std::vector<std::string_view>& p) {
    // delay.main.l[.x], delay.center[.x]
    std::size_t n = 2;
    std::string channel = std::string(p[1]);
    if (p.size() > 2 && (p[2] == "l" || p[2] == "r")) {
        channel += "." + std::string(p[2]);
        n = 3;
    }
    const Name* point = Find(channel, kPoints);
    if (!point) return {};
    const std::string en = std::string(point->english).substr(4), zh = point->chinese;
    if (p.size() == n) return Text("how long the " + en + " is delayed", zh + "的延时时间");
    if (p.size() != n + 1) return {};
    if (p[n] == "on") return Text("on delays the " + en + "; off plays it undelayed", "开：" + zh + "延时；关：不延时");
    if (p[n] == "mode")
        return Text("high delays only the " + en +
                        "'s part above its crossover, whole the whole channel "
                        "(only while its delay is on)",
                    zh + "延时方式：高频延时只延时分频点以上部分，通道延时延时整个通道（仅在延时开启时）");
    if (p[n] == "crossover")
        return Text("above which frequency the " + en + " is delayed in high mode", zh + "高频延时的分频点");
    return {};
}

SettingDescription Microphone(const std::vector<std::string_view>& p) {
    if (p.size() == 3 && p[1] == "phase") {
        const std::string g = std::string(p[2]);
        return Text("inverted turns the phase of microphone group " + g + " over", "反相：话筒" + g + "组反相");
    }
    if (p.size() == 3 && p[1] == "gate") {
        const bool attack = p[2] == "attack";
        if (!attack && p[2] != "release") return {};
        return Text(std::string("how fast the microphone noise gate ") + (attack ? "opens" : "closes") +
                        ": 1 fastest, 100 slowest" + (attack ? " (opening too fast lets noise through)" : ""),
                    std::string("话筒噪声门的") + (attack ? "启动" : "关闭") + "时间：1 最快，100 最慢" +
                        (attack ? "（启动时间过短容易产生噪声）" : ""));
    }
    if (p.size() == 3) {
        const std::string input = std::string(p[1]);
        if (p[2] == "route")
            return Text("which channel microphone input " + input + " feeds: CH A or CH B",
                        "话筒口" + input + "接入的通道：通道A或通道B");
        if (p[2] == "gate")
            return Text("the noise-gate threshold of microphone input " + input + ": quieter sound is shut off",
                        "话筒口" + input + "的噪声门阈值：低于它的声音被关闭");
        if (p[2] == "level") return Text("the volume of microphone input " + input, "话筒口" + input + "的音量");
    }
    return {};
}

SettingDescription Effect(const std::vector<std::string_view>& p) {
    const bool a = p[0] == "mica";
    const std::string ch = a ? "CH A" : "CH B", chZh = a ? "通道A" : "通道B";
    if (p.size() == 2 && p[1] == "shift")
        return Text("the frequency shift of " + ch + " against feedback (off, or 2..5 Hz)",
                    chZh + "的移频（防啸叫）：关或 2..5 Hz");
    if (p.size() != 3) return {};
    if (p[1] == "reverb") {
        if (p[2] == "level") return Text("the reverb volume of " + ch, chZh + "混响音量");
        if (p[2] == "predelay") return Text("the wait before the reverb of " + ch + " starts", chZh + "混响的预延时");
        if (p[2] == "time") return Text("how long the reverb of " + ch + " rings", chZh + "混响时间");
    }
    if (p[1] == "echo") {
        if (p[2] == "level") return Text("the echo volume of " + ch, chZh + "回声音量");
        if (p[2] == "predelay") return Text("the wait before the first echo of " + ch, chZh + "回声的预延时");
        if (p[2] == "time") return Text("the time between the echoes of " + ch, chZh + "回声的延时时间");
        if (p[2] == "start") return Text("the level of the first echo of " + ch, chZh + "第一次回声的音量");
        if (p[2] == "decay")
            return Text("how much of each echo of " + ch + " comes back in the next", chZh + "回声的衰减（反馈量）");
    }
    return {};
}

SettingDescription Settings(const std::vector<std::string_view>& p) {
    const std::string_view key = p.size() > 1 ? p[1] : "";
    if (p.size() == 3 && (key == "mic" || key == "music")) {
        const bool mic = key == "mic";
        const std::string en = mic ? "microphone" : "music", zh = mic ? "话筒" : "音乐";
        if (p[2] == "power-on")
            return Text("the " + en + " volume the box starts with (none: as it was)",
                        "开机时的" + zh + "音量（无效：保持原来的）");
        if (p[2] == "max") return Text("the highest " + en + " volume the box allows", "机器允许的最大" + zh + "音量");
        return {};
    }
    if (p.size() != 2) return {};
    if (key == "save-mode")
        return Text("whether the master volume is kept across power cycles or with each mode",
                    "主音量保存模式：随开关机保存或随模式保存");
    if (key == "panel-lock") return Text("on locks the box's front panel", "开：锁定面板");
    if (key == "volume-lock")
        return Text("on locks the volume keys (with the panel locked)", "开：锁定音量（需锁定面板）");
    if (key == "mode-lock") return Text("on locks the mode keys (with the panel locked)", "开：锁定模式（需锁定面板）");
    if (key == "power-on-mode")
        return Text("the user mode the box starts in (Auto: the last one)", "开机指定模式（Auto：上次的模式）");
    return {};
}

}  // namespace

SettingDescription DescribeSetting(std::string_view address) {
    const std::vector<std::string_view> p = Split(address);
    const std::string_view head = p[0];
    if (head == "eq" && p.size() >= 3) return Equaliser(p);
    if (head == "delay" && p.size() >= 2) return Delay(p);
    if (head == "settings") return Settings(p);
    if (head == "mica" || head == "micb") return Effect(p);
    if (head == "position" && p.size() >= 3) {
        const bool y = p.back() == "y";
        if (!y && p.back() != "x") return {};
        std::string point = std::string(p[1]);
        if (p.size() == 4) point += "." + std::string(p[2]);
        const Name* n = Find(point, kPoints);
        if (!n) return {};
        return Text(
            std::string("where ") + n->english + " stands " + (y ? "front to back" : "left to right") +
                " in the room, from its centre",
            std::string(n->chinese) + (y ? "在房间中的前后位置" : "在房间中的左右位置") + "（以房间中心为零点）");
    }
    if (head == "room" && p.size() == 2) {
        if (p[1] == "width") return Text("the width of the listening room", "房间宽度");
        if (p[1] == "length") return Text("the length of the listening room", "房间长度");
        return {};
    }
    if (head == "mic") {
        if (p.size() == 2 && p[1] == "level") return Text("the microphone master volume", "话筒总音量");
        if (p.size() == 2 && p[1] == "mute") return Text("on silences the microphones", "开：话筒静音");
        return Microphone(p);
    }
    if (head == "reverb" || head == "echo") {
        const bool reverb = head == "reverb";
        const std::string en = reverb ? "reverb" : "echo", zh = reverb ? "混响" : "回声";
        if (p.size() == 2 && p[1] == "level") return Text("the " + en + " master volume", zh + "总音量");
        if (p.size() == 2 && p[1] == "mute") return Text("on silences the " + en, "开：" + zh + "静音");
        return {};
    }
    if (head == "music") {
        if (p.size() == 2 && p[1] == "level") return Text("the music master volume", "音乐总音量");
        if (p.size() == 2 && p[1] == "mute") return Text("on silences the music", "开：音乐静音");
        if (p.size() == 2 && p[1] == "gate")
            return Text("the music noise-gate threshold: quieter music is shut off",
                        "音乐噪声门阈值：低于它的音乐被关闭");
        if (p.size() == 2 && p[1] == "pitch")
            return Text("the key change of the music, in semitones", "音乐变调（半音）");
        if (p.size() == 2 && p[1] == "agc")
            return Text("on lets the box keep the music volume even", "开：自动音乐音量（AGC）");
        if (p.size() == 3 && p[1] == "agc" && p[2] == "level")
            return Text("the music level the automatic volume aims at", "自动音乐音量的目标电平");
        if (p.size() == 3 && p[1] == "gate" && (p[2] == "attack" || p[2] == "release")) {
            const bool attack = p[2] == "attack";
            return Text(std::string("how fast the music noise gate ") + (attack ? "opens" : "closes") +
                            ": 1 fastest, 100 slowest" + (attack ? " (opening too fast lets noise through)" : ""),
                        std::string("音乐噪声门的") + (attack ? "启动" : "关闭") + "时间：1 最快，100 最慢" +
                            (attack ? "（启动时间过短容易产生噪声）" : ""));
        }
        return {};
    }
    if (head == "spdif" || head == "aux1" || head == "aux2") {
        const std::string en = head == "spdif"  ? "the digital SPDIF input"
                               : head == "aux1" ? "analogue input 1"
                                                : "analogue input 2";
        const std::string zh = head == "spdif" ? "光纤/同轴输入" : head == "aux1" ? "模拟输入1" : "模拟输入2";
        if (p.size() == 2 && p[1] == "level") return Text("the volume of " + en, zh + "的音量");
        if (p.size() == 2 && p[1] == "on")
            return Text("on plays " + en + " as a music source", "开：使用" + zh + "作为音乐源");
        return {};
    }
    if (head == "autosub") {
        if (p.size() == 1) return Text("on lets the box turn the SUB down with loud music", "开：自动超低音量衰减");
        if (p.size() == 2 && p[1] == "ratio")
            return Text("how far the automatic SUB attenuation turns it down", "自动超低音量衰减的比例");
        return {};
    }
    return Output(p);
}

}  // namespace kv
