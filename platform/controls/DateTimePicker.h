// The platform's date and time picker: an edit of a date (with a drop-down
// calendar, or with up and down buttons) or of a time of day (with up and
// down buttons), shown in the short date or long time format.
#pragma once

#include <cstdint>

#include "platform/controls/Controls.h"
#include "platform/runtime/SysUtils.h"

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateMode { dmComboBox, dmUpDown };

class TDateTimePicker : public TWinControl {
public:
    explicit TDateTimePicker(TComponent* owner);
    ~TDateTimePicker() override;

    TDateTimeKind Kind() const { return FKind; }
    void SetKind(TDateTimeKind kind);
    TDTDateMode DateMode() const { return FDateMode; }
    void SetDateMode(TDTDateMode mode);
    // The value as a whole; Date is its day (the time of day kept), Time
    // its time of day (the day kept).
    TDateTime DateTime() const;
    void SetDateTime(TDateTime value);
    TDateTime Date() const;
    void SetDate(TDateTime value);
    TDateTime Time() const;
    void SetTime(TDateTime value);
    // The calendar is open.
    bool DroppedDown() const;

    // The user changed the value (code setting it does not fire).
    TNotifyEvent OnChange;

protected:
    virtual void Change();
    // Paint draws over the native look, on Canvas.
    TCanvas* Canvas() const { return ControlCanvas(); }

private:
    friend class TPickerWidget;
    // Runs Paint over the native look (the widget's way in).
    void PaintOverNative(QPainter& painter, const TRect& area, TSize size);
    void ApplyFormat();
    TDateTimeKind FKind = dtkDate;
    TDTDateMode FDateMode = dmComboBox;
    int32_t FBlocked = 0;
};
