// Drag and drop between windows and programs: the data a drag offers, the
// drag service that runs a drag from a control (Qt's drag in the program; a
// scripted twin in tests, which records what was offered and answers with
// the effect the test chose), and the drop handlers registered for a
// control, which hear the drags that pass over it.
//
// The dragging of controls inside a window (BeginDrag, OnDragOver,
// OnDragDrop) is the controls' own (Controls.h).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/controls/Controls.h"

VARSONA_DECLARE_EXCEPTION(EDragScriptError, Exception)

namespace DragConst {
inline constexpr const char* SNoUserHere = "A drag was started where no user can drop it";
inline constexpr const char* SScriptExhausted = "No scripted answer left for a drag of %s";
// The formats of Qt and the desktop.
inline constexpr const char* SText = "text/plain";
inline constexpr const char* SRichText = "text/rtf";
inline constexpr const char* SUriList = "text/uri-list";
}  // namespace DragConst

// What a drop does to the data, as the platform names it; a set of them is
// what a drag allows.
using TDropEffect = uint32_t;
inline constexpr TDropEffect DROPEFFECT_NONE = 0;
inline constexpr TDropEffect DROPEFFECT_COPY = 1;
inline constexpr TDropEffect DROPEFFECT_MOVE = 2;
inline constexpr TDropEffect DROPEFFECT_LINK = 4;

// The formats of a drag, each by its MIME type with its bytes, in the order
// they were offered.
class TDragData {
public:
    // Adds a format, or replaces its bytes.
    void SetData(const std::string& format, const std::string& bytes);
    bool HasFormat(const std::string& format) const;
    // The bytes of a format; empty when it is not offered.
    std::string Data(const std::string& format) const;
    const std::vector<std::pair<std::string, std::string>>& Formats() const { return FFormats; }
    bool Empty() const { return FFormats.empty(); }

    // text/plain in UTF-8.
    void SetText(const std::string& text) { SetData(DragConst::SText, text); }
    std::string Text() const { return Data(DragConst::SText); }
    // text/uri-list of local files; Files reads back the local files of the
    // list (other URLs and comment lines are skipped).
    void SetFiles(const std::vector<std::string>& paths);
    std::vector<std::string> Files() const;

private:
    std::vector<std::pair<std::string, std::string>> FFormats;
};

// ---------------------------------------------------------------- the source side

class TDragService {
public:
    virtual ~TDragService() = default;
    // Runs a drag of data from source until it is dropped or cancelled, and
    // returns the effect of the drop (DROPEFFECT_NONE when cancelled or
    // refused). allowed: the effects the source permits.
    virtual TDropEffect DoDragDrop(TControl* source, const TDragData& data, TDropEffect allowed) = 0;
};

// The installed service (the Qt one until another is installed).
TDragService& DragService();
// Installs service (nullptr: the Qt service) and returns the previous one.
std::unique_ptr<TDragService> InstallDragService(std::unique_ptr<TDragService> service);

// Qt's drag. Under the offscreen platform, where nobody could drop, it
// raises EDragScriptError instead of waiting.
class TQtDragService : public TDragService {
public:
    TDropEffect DoDragDrop(TControl* source, const TDragData& data, TDropEffect allowed) override;
};

// Answers each drag from a queue of effects and logs what every drag
// offered. A drag without an answer is a failure: it is recorded in
// Failures() and raises EDragScriptError.
class TScriptedDrags : public TDragService {
public:
    struct Offer {
        TControl* Source = nullptr;
        TDragData Data;
        TDropEffect Allowed = DROPEFFECT_NONE;
    };
    // The next drag ends with effect (only the allowed part of it counts).
    TScriptedDrags& Answer(TDropEffect effect);
    const std::vector<Offer>& Offers() const { return FOffers; }
    size_t Pending() const { return FAnswers.size(); }
    const std::vector<std::string>& Failures() const { return FFailures; }
    // Forgets answers, offers and failures.
    void Clear();

    TDropEffect DoDragDrop(TControl* source, const TDragData& data, TDropEffect allowed) override;

private:
    std::deque<TDropEffect> FAnswers;
    std::vector<Offer> FOffers;
    std::vector<std::string> FFailures;
};

// ---------------------------------------------------------------- the target side

// What a control registered for drops hears while a drag passes over it
// (the platform's drop target interface).
// point is on the screen; shift holds the keys and buttons down; effect
// comes in as the effects the drag allows and goes out as the one the
// target would do (DROPEFFECT_NONE refuses).
class TDropHandler {
public:
    virtual ~TDropHandler() = default;
    virtual void DragEnter(const TDragData& data, TShiftState shift, TPoint point, TDropEffect& effect) {
        effect = DROPEFFECT_NONE;
    }
    virtual void DragOver(TShiftState shift, TPoint point, TDropEffect& effect) { effect = DROPEFFECT_NONE; }
    virtual void DragLeave() {}
    virtual void Drop(const TDragData& data, TShiftState shift, TPoint point, TDropEffect& effect) {
        effect = DROPEFFECT_NONE;
    }
};

// Registers target (not owned) for control's window: drags over it reach
// the target, each call inside the guard. Registering again replaces it;
// nullptr revokes. The registration ends with the control.
void RegisterDragDrop(TWinControl* control, TDropHandler* target);
void RevokeDragDrop(TWinControl* control);
TDropHandler* RegisteredDropTarget(const TWinControl* control);
