#include "platform/controls/DateTimePicker.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/controls/qt/ControlsQt.h"

// The picker's widget, with its edit in reach of the binding. After the
// native look the control's Paint draws over it.
class TPickerWidget : public QDateTimeEdit {
public:
    TPickerWidget() { setCalendarPopup(true); }
    QLineEdit* Edit() const { return lineEdit(); }

protected:
    void paintEvent(QPaintEvent* event) override {
        QDateTimeEdit::paintEvent(event);
        auto* control = dynamic_cast<TDateTimePicker*>(ControlOfWidget(this));
        if (!control) return;
        QPainter painter(this);
        const QRect r = event->rect();
        control->PaintOverNative(painter, Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1),
                                 TSize{width(), height()});
    }
};

namespace {

// 30 December 1899, the day 0 of the platform's dates.
const QDate kEpoch(1899, 12, 30);

QDateTime ToQt(TDateTime value) {
    const double days = std::floor(value);
    int64_t ms = static_cast<int64_t>(std::llround((value - days) * 86400000.0));
    ms = std::clamp<int64_t>(ms, 0, 86399999);
    return QDateTime(kEpoch.addDays(static_cast<qint64>(days)), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

TDateTime FromQt(const QDateTime& value) {
    const double days = static_cast<double>(kEpoch.daysTo(value.date()));
    return days + value.time().msecsSinceStartOfDay() / 86400000.0;
}

// The platform's format letters (m month, n minute, "ampm") as Qt's.
QString QtDateFormat(const std::string& format) {
    QString out;
    for (char c : format) out += (c == 'm') ? QChar('M') : QChar(c);
    return out;
}

QString QtTimeFormat(std::string format) {
    const bool ampm = format.find("ampm") != std::string::npos;
    QString out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format.compare(i, 4, "ampm") == 0) {
            out += QStringLiteral("AP");
            i += 3;
        } else {
            out += format[i] == 'n' ? QChar('m') : QChar(format[i]);
        }
    }
    if (!ampm) out.replace(QChar('h'), QChar('H'));
    return out;
}

}  // namespace

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner, new TPickerWidget()) {
    auto* w = static_cast<TPickerWidget*>(NativeWidget(this));
    WatchWidget(w->Edit());
    QObject::connect(w, &QDateTimeEdit::dateTimeChanged, w, [this](const QDateTime&) {
        if (!Detached() && FBlocked == 0) GuardedCall(this, [this] { Change(); });
    });
    CreateCanvas();
    SetDateTime(Now());
    ApplyFormat();
    SetColor(clWindow);
    SetBounds(0, 0, 186, 21);
}

TDateTimePicker::~TDateTimePicker() { DetachWidget(); }

void TDateTimePicker::ApplyFormat() {
    auto* w = static_cast<TPickerWidget*>(NativeWidget(this));
    w->setCalendarPopup(FKind == dtkDate && FDateMode == dmComboBox);
    w->setDisplayFormat(FKind == dtkDate ? QtDateFormat(FormatSettings().ShortDateFormat)
                                         : QtTimeFormat(FormatSettings().LongTimeFormat));
}

void TDateTimePicker::SetKind(TDateTimeKind kind) {
    FKind = kind;
    ApplyFormat();
}

void TDateTimePicker::SetDateMode(TDTDateMode mode) {
    FDateMode = mode;
    ApplyFormat();
}

TDateTime TDateTimePicker::DateTime() const {
    return FromQt(static_cast<TPickerWidget*>(NativeWidget(this))->dateTime());
}

void TDateTimePicker::SetDateTime(TDateTime value) {
    ++FBlocked;
    static_cast<TPickerWidget*>(NativeWidget(this))->setDateTime(ToQt(value));
    --FBlocked;
}

TDateTime TDateTimePicker::Date() const { return std::floor(DateTime()); }

void TDateTimePicker::SetDate(TDateTime value) {
    const TDateTime now = DateTime();
    SetDateTime(std::floor(value) + (now - std::floor(now)));
}

TDateTime TDateTimePicker::Time() const {
    const TDateTime now = DateTime();
    return now - std::floor(now);
}

void TDateTimePicker::SetTime(TDateTime value) { SetDateTime(std::floor(DateTime()) + (value - std::floor(value))); }

bool TDateTimePicker::DroppedDown() const {
    auto* w = static_cast<TPickerWidget*>(NativeWidget(this));
    return w->calendarWidget() && w->calendarWidget()->isVisible();
}

void TDateTimePicker::PaintOverNative(QPainter& painter, const TRect& area, TSize size) {
    if (!Detached()) DispatchPaint(painter, area, size);
}

void TDateTimePicker::Change() {
    if (OnChange) OnChange(this);
}
