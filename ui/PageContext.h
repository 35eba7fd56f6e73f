#pragma once
// What a page needs from the application, and nothing more: the core, the language, the
// dialog texts, the transient notice and the page host. Tests give pages a small one.

#include <QString>

class QWidget;

namespace kv {

struct DeviceContext;

// The pages the main view can host.
enum class PageId { Music, Effects, Output, Compressor, Delay, SpeakerPosition };

// State that outlives the pages: the main frame reopens the last input channel and the
// last output type.
struct PageState {
    int inputPageCode = 0;  // 0 music, 1 microphone CH A, 8 microphone CH B
    int outputType = 5;     // MAIN
    // While set, no control of any page or window changes a setting; reading still works.
    bool locked = false;
};

class PageContext {
public:
    static constexpr int kNoticeMs = 1100;

    virtual ~PageContext() = default;
    virtual DeviceContext& Device() = 0;
    virtual int Language() const = 0;
    // Sets the window's caption and its controls' texts from the dialog's table entries.
    virtual void ApplyTable(QWidget* window, int dialog) const = 0;
    // The transient information window.
    virtual void Notice(const QString& text, int durationMs = kNoticeMs) = 0;
    // Hosts the page of this id and kind: switched in place when the hosted page has that id,
    // replaced otherwise. May be called from a button of the hosted page.
    virtual void ShowPage(PageId id, int kind) = 0;
    virtual PageState& State() = 0;
    // A setting was stored and sent: the edit history takes it as a step (or its burst).
    virtual void Edited() {}
    // One action changed several settings: the history takes them as one step of this name.
    virtual void EditedAs(const QString& chinese, const QString& english) {
        Q_UNUSED(chinese);
        Q_UNUSED(english);
        Edited();
    }
    // A yes/no question before a change that cannot be undone, No being the default; true
    // only for an explicit Yes. A context without questions never says yes.
    virtual bool AskDestructive(const QString& caption, const QString& text) {
        Q_UNUSED(caption);
        Q_UNUSED(text);
        return false;
    }
    // The file dialogs and the message box of a page (the equaliser's filter files): an empty
    // path when cancelled. A context without dialogs cancels every one and shows nothing.
    enum class MessageKind { Information, Warning };
    virtual QString ChooseOpenFile(const QString& caption, const QString& filter) {
        Q_UNUSED(caption);
        Q_UNUSED(filter);
        return {};
    }
    virtual QString ChooseSaveFile(const QString& caption, const QString& defaultSuffix, const QString& filter) {
        Q_UNUSED(caption);
        Q_UNUSED(defaultSuffix);
        Q_UNUSED(filter);
        return {};
    }
    virtual void ShowMessage(const QString& caption, const QString& text, MessageKind kind) {
        Q_UNUSED(caption);
        Q_UNUSED(text);
        Q_UNUSED(kind);
    }
    bool Locked() { return State().locked; }

    QString Text(const char* chinese, const char* english) const;
};

}  // namespace kv
