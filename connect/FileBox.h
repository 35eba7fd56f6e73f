#pragma once
// A box whose memory is a mode file: the simulated box with the file's settings in it, so
// that everything that talks to a box (reads it back, edits it, saves it) works on a file
// without one. Its user slots, names and identity are the simulated box's own; a file holds
// none of them.

#include <memory>
#include <string>
#include <vector>

#include "device/StoreCheck.h"
#include "device/Transport.h"
#include "model/ModeFile.h"

namespace kv {

class ParameterStore;
class SimBox;

// Why a file cannot be edited: the file itself (file.status), or values no control could
// have set (outside, the file read fine).
struct FileBoxProblem {
    ModeFileResult file;
    std::vector<OutOfRange> outside;
};

class FileBox {
public:
    // The file read into a fresh simulated box; nothing, and the reason in problem, when it
    // is not a mode file, is damaged or short, of a version this program does not read, or
    // holds values out of range (unless clampOutside: then they are put in range, and
    // problem.outside lists what was clamped). The file is never touched then.
    static std::shared_ptr<FileBox> Load(const std::string& path, FileBoxProblem& problem, bool clampOutside = false);

    ~FileBox();
    FileBox(const FileBox&) = delete;
    FileBox& operator=(const FileBox&) = delete;

    // The file the path names (links followed): what is rewritten.
    const std::string& Target() const { return m_target; }
    // Opens a link to the box, as often as asked; always finds it. Its device path is
    // "file:" and the path, so that no removal notice of a box is taken for it.
    TransportOpener Opener() const;

    // Reads the box back and, when its mode differs from the file's, writes the file
    // atomically; an unchanged box leaves the file as it is, byte for byte (a version-1 file
    // stays one). Call it with no link open.
    ModeFileResult WriteBack();

private:
    FileBox(std::string path, std::string target, std::shared_ptr<SimBox> box);

    std::string m_path;
    std::string m_target;
    std::shared_ptr<SimBox> m_box;
    std::vector<std::uint8_t> m_written;  // the file's mode as the box held it when last in step
};

}  // namespace kv
