#include "platform/controls/DragDrop.h"

#include <QDrag>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <algorithm>

#include "platform/controls/ServiceSlot.h"
#include "platform/controls/qt/ControlsQt.h"

// ---------------------------------------------------------------- data

void TDragData::SetData(const std::string& format, const std::string& bytes) {
    for (auto& f : FFormats)
        if (f.first == format) {
            f.second = bytes;
            return;
        }
    FFormats.emplace_back(format, bytes);
}

bool TDragData::HasFormat(const std::string& format) const {
    return std::any_of(FFormats.begin(), FFormats.end(), [&](const auto& f) { return f.first == format; });
}

std::string TDragData::Data(const std::string& format) const {
    for (const auto& f : FFormats)
        if (f.first == format) return f.second;
    return {};
}

void TDragData::SetFiles(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& p : paths) {
        QByteArray url = QUrl::fromLocalFile(QStr(p)).toEncoded();
        list.append(url.constData(), static_cast<size_t>(url.size()));
        list += "\r\n";
    }
    SetData(DragConst::SUriList, list);
}

std::vector<std::string> TDragData::Files() const {
    std::vector<std::string> files;
    const std::string list = Data(DragConst::SUriList);
    size_t at = 0;
    while (at < list.size()) {
        size_t end = list.find('\n', at);
        if (end == std::string::npos) end = list.size();
        std::string line = list.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        QUrl url = QUrl::fromEncoded(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
        if (url.isLocalFile()) files.push_back(StdStr(url.toLocalFile()));
    }
    return files;
}

namespace {

std::unique_ptr<QMimeData> ToMime(const TDragData& data) {
    auto mime = std::make_unique<QMimeData>();
    for (const auto& [format, bytes] : data.Formats())
        mime->setData(QStr(format), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return mime;
}

TDragData FromMime(const QMimeData* mime) {
    TDragData data;
    if (!mime) return data;
    for (const QString& format : mime->formats()) {
        QByteArray b = mime->data(format);
        data.SetData(StdStr(format), std::string(b.constData(), static_cast<size_t>(b.size())));
    }
    return data;
}

Qt::DropActions QtActions(TDropEffect effects) {
    Qt::DropActions a = Qt::IgnoreAction;
    if (effects & DROPEFFECT_COPY) a |= Qt::CopyAction;
    if (effects & DROPEFFECT_MOVE) a |= Qt::MoveAction;
    if (effects & DROPEFFECT_LINK) a |= Qt::LinkAction;
    return a;
}

// One effect: copy before move before link.
Qt::DropAction QtAction(TDropEffect effect) {
    if (effect & DROPEFFECT_COPY) return Qt::CopyAction;
    if (effect & DROPEFFECT_MOVE) return Qt::MoveAction;
    if (effect & DROPEFFECT_LINK) return Qt::LinkAction;
    return Qt::IgnoreAction;
}

TDropEffect EffectsOf(Qt::DropActions actions) {
    TDropEffect e = DROPEFFECT_NONE;
    if (actions & Qt::CopyAction) e |= DROPEFFECT_COPY;
    if (actions & Qt::MoveAction) e |= DROPEFFECT_MOVE;
    if (actions & Qt::LinkAction) e |= DROPEFFECT_LINK;
    return e;
}

using TDragSlot = TServiceSlot<TDragService, TQtDragService>;

}  // namespace

// ---------------------------------------------------------------- services

TDragService& DragService() { return TDragSlot::Get(); }

std::unique_ptr<TDragService> InstallDragService(std::unique_ptr<TDragService> service) {
    return TDragSlot::Install(std::move(service));
}

TDropEffect TQtDragService::DoDragDrop(TControl* source, const TDragData& data, TDropEffect allowed) {
    QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        throw EDragScriptError(DragConst::SNoUserHere);
    auto* drag = new QDrag(source ? NativeWidget(source) : nullptr);
    drag->setMimeData(ToMime(data).release());
    Qt::DropAction def = (allowed & DROPEFFECT_MOVE) ? Qt::MoveAction : QtAction(allowed);
    return EffectsOf(drag->exec(QtActions(allowed), def)) & allowed;
}

TScriptedDrags& TScriptedDrags::Answer(TDropEffect effect) {
    FAnswers.push_back(effect);
    return *this;
}

void TScriptedDrags::Clear() {
    FAnswers.clear();
    FOffers.clear();
    FFailures.clear();
}

TDropEffect TScriptedDrags::DoDragDrop(TControl* source, const TDragData& data, TDropEffect allowed) {
    FOffers.push_back({source, data, allowed});
    if (FAnswers.empty()) {
        std::string formats;
        for (const auto& f : data.Formats()) formats += (formats.empty() ? "" : ", ") + f.first;
        std::string message = FmtMsg(DragConst::SScriptExhausted, formats);
        FFailures.push_back(message);
        throw EDragScriptError(message);
    }
    TDropEffect effect = FAnswers.front();
    FAnswers.pop_front();
    return effect & allowed;
}

// ---------------------------------------------------------------- drop targets

namespace {

const char* const kDropFilterName = "varsonaDropTarget";

// Turns Qt's drag events on a control's widget into the handler's calls.
class TDropFilter : public QObject {
public:
    TDropFilter(TWinControl* control, TDropHandler* handler, QWidget* widget)
        : QObject(widget), Control(control), Handler(handler) {
        setObjectName(kDropFilterName);
    }
    TWinControl* Control;
    TDropHandler* Handler;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            auto* w = static_cast<QWidget*>(watched);
            QPoint g = w->mapToGlobal(e->position().toPoint());
            TShiftState shift = ShiftFromQt(e->modifiers(), e->buttons());
            TDropEffect effect = EffectsOf(e->possibleActions());
            TDropHandler* h = Handler;
            if (!Alive()) return false;
            bool ok;
            if (event->type() == QEvent::DragEnter) {
                TDragData data = FromMime(e->mimeData());
                ok = GuardedCall(Control, [&] { h->DragEnter(data, shift, {g.x(), g.y()}, effect); });
            } else if (event->type() == QEvent::DragMove) {
                ok = GuardedCall(Control, [&] { h->DragOver(shift, {g.x(), g.y()}, effect); });
            } else {
                TDragData data = FromMime(e->mimeData());
                ok = GuardedCall(Control, [&] { h->Drop(data, shift, {g.x(), g.y()}, effect); });
            }
            // A handler that failed takes nothing.
            if (!ok) effect = DROPEFFECT_NONE;
            if (effect == DROPEFFECT_NONE) {
                e->ignore();
            } else {
                e->setDropAction(QtAction(effect));
                e->accept();
            }
            return true;
        }
        case QEvent::DragLeave:
            if (Alive()) GuardedCall(Control, [this] { Handler->DragLeave(); });
            return true;
        default: return false;
        }
    }

private:
    bool Alive() const { return Handler && !Control->Destroying(); }
};

TDropFilter* FilterOf(const TWinControl* control) {
    QWidget* w = NativeWidget(control);
    return w ? w->findChild<TDropFilter*>(kDropFilterName, Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace

void RegisterDragDrop(TWinControl* control, TDropHandler* target) {
    if (!target) {
        RevokeDragDrop(control);
        return;
    }
    if (TDropFilter* f = FilterOf(control)) {
        f->Handler = target;
        return;
    }
    QWidget* w = NativeWidget(control);
    auto* filter = new TDropFilter(control, target, w);
    w->installEventFilter(filter);
    w->setAcceptDrops(true);
}

void RevokeDragDrop(TWinControl* control) {
    TDropFilter* f = FilterOf(control);
    if (!f) return;
    QWidget* w = NativeWidget(control);
    w->removeEventFilter(f);
    w->setAcceptDrops(false);
    delete f;
}

TDropHandler* RegisteredDropTarget(const TWinControl* control) {
    TDropFilter* f = FilterOf(control);
    return f ? f->Handler : nullptr;
}
