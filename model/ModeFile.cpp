#include "model/ModeFile.h"

#include <algorithm>
#include <bit>

#include "model/AtomicFile.h"
#include "model/Bytes.h"
#include "model/ParameterStore.h"

namespace kv {
namespace {

constexpr std::size_t kVersionSize = 4;
constexpr int kFieldsV1 = fld::kModeFileLastV1 - fld::kModeFileFirst + 1;  // 153
constexpr int kFieldsV2 = fld::kModeFileLast - fld::kModeFileFirst + 1;    // 155
constexpr float kV1AgcLevelDb = -12.0f;
constexpr int kV1PitchLimit = 5;  // older files may hold pitches the current box cannot take

std::size_t SizeOf(int fields) {
    return kVersionSize + 4u * static_cast<std::size_t>(fields) + kEqImageSize + kAuxSize + kSpeakerGainSize +
           kSpeakerPosSize;
}

}  // namespace

std::vector<std::uint8_t> EncodeModeFile(const ParameterStore& store) {
    std::vector<std::uint8_t> out(SizeOf(kFieldsV2));
    std::uint8_t* p = out.data();
    PutLe32(p, kModeFileVersion2);
    p += kVersionSize;
    for (int f = fld::kModeFileFirst; f <= fld::kModeFileLast; ++f, p += 4) PutLe32(p, store.Raw(f));
    const auto eq = store.GetEqImage();
    p = std::copy(eq.begin(), eq.end(), p);
    const auto aux = store.GetAuxBytes();
    p = std::copy(aux.begin(), aux.end(), p);
    // The gain block comes before the position block in the file.
    const auto gains = store.GetSpeakerGains();
    p = std::copy(gains.begin(), gains.end(), p);
    const auto pos = store.GetSpeakerPositions();
    std::copy(pos.begin(), pos.end(), p);
    return out;
}

ModeFileResult DecodeModeFile(std::span<const std::uint8_t> bytes, ParameterStore& store) {
    // Not even a version word: measured against the current format.
    if (bytes.size() < kVersionSize) return {ModeFileStatus::TooShort, 0, 0, bytes.size(), kModeFileSizeV2};
    const std::uint32_t version = GetLe32(bytes.data());
    const int fields = version == kModeFileVersion1 ? kFieldsV1 : version == kModeFileVersion2 ? kFieldsV2 : -1;
    const int versionInt = static_cast<int>(version);
    if (fields < 0) return {ModeFileStatus::BadVersion, versionInt, 0};
    // A short file is refused whole; anything after the last part is ignored.
    if (bytes.size() < SizeOf(fields)) return {ModeFileStatus::TooShort, versionInt, 0, bytes.size(), SizeOf(fields)};

    // Decode everything into locals first; the store changes only once all is read.
    const std::uint8_t* p = bytes.data() + kVersionSize;
    std::array<std::uint32_t, kFieldsV2> values{};
    for (int i = 0; i < fields; ++i, p += 4) values[static_cast<std::size_t>(i)] = GetLe32(p);
    if (version == kModeFileVersion1) {
        values[fld::kMusicAgc - fld::kModeFileFirst] = 0;
        values[fld::kMusicAgcLevel - fld::kModeFileFirst] = std::bit_cast<std::uint32_t>(kV1AgcLevelDb);
        const auto pitch = static_cast<std::int32_t>(values[fld::kMusicPitch - fld::kModeFileFirst]);
        if (pitch < -kV1PitchLimit || pitch > kV1PitchLimit) values[fld::kMusicPitch - fld::kModeFileFirst] = 0;
    }
    ParameterStore::EqImage eq{};
    std::copy_n(p, eq.size(), eq.begin());
    p += eq.size();
    ParameterStore::AuxBytes aux{};
    std::copy_n(p, aux.size(), aux.begin());
    p += aux.size();
    ParameterStore::SpeakerGains gains{};
    std::copy_n(p, gains.size(), gains.begin());
    p += gains.size();
    ParameterStore::SpeakerPositions pos{};
    std::copy_n(p, pos.size(), pos.begin());

    for (int i = 0; i < kFieldsV2; ++i) store.SetRaw(fld::kModeFileFirst + i, values[static_cast<std::size_t>(i)]);
    store.SetEqImage(eq);
    store.SetAuxBytes(aux);
    store.SetSpeakerGains(gains);
    store.SetSpeakerPositions(pos);  // also decodes fields 4..23
    return {ModeFileStatus::Ok, versionInt, 0};
}

ModeFileResult ReadModeFile(const std::string& path, ParameterStore& store) {
    std::vector<std::uint8_t> bytes;
    int error = 0;
    switch (ReadWholeFile(path, kModeFileSizeV2, bytes, &error)) {
        case FileRead::Ok:
        case FileRead::TooLong:  // trailing bytes are ignored, as a fixed-size read ignores them
            break;
        case FileRead::CannotOpen:
            return {ModeFileStatus::CannotOpen, 0, error};
        case FileRead::NotRegularFile:
            return {ModeFileStatus::NotRegularFile, 0, error};
    }
    return DecodeModeFile(bytes, store);
}

ModeFileResult WriteModeFile(const std::string& path, const ParameterStore& store) {
    return WriteModeFile(path, EncodeModeFile(store));
}

ModeFileResult WriteModeFile(const std::string& path, std::span<const std::uint8_t> encoded) {
    int error = 0;
    if (!WriteFileAtomically(path, encoded, &error))
        return {ModeFileStatus::CannotWrite, static_cast<int>(kModeFileVersion2), error};
    return {ModeFileStatus::Ok, static_cast<int>(kModeFileVersion2), 0};
}

}  // namespace kv
