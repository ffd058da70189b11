#include "platform/controls/StdCtrls.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QPaintEvent>
#include <QPainter>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QKeyEvent>
#include <QValidator>
#include <algorithm>

#include "platform/controls/qt/ControlsQt.h"
#include "platform/graphics/qt/QtCanvasDevice.h"

namespace {

// Limits what the user types or pastes into a line edit without touching
// text that is already longer (Qt's own maximum length would cut it). A
// single-line edit holds no line break: what is pasted stops at its first.
class TInputLimiter : public QValidator {
public:
    int Max = 0;
    TEditCharCase CharCase = ecNormal;
    mutable QString Previous;

    State validate(QString& input, int& pos) const override {
        if (CharCase == ecUpperCase) input = input.toUpper();
        else if (CharCase == ecLowerCase) input = input.toLower();
        // The inserted part lies between the common prefix and suffix.
        const qsizetype n = std::min(input.length(), Previous.length());
        qsizetype p = 0;
        while (p < n && input[p] == Previous[p]) ++p;
        qsizetype s = 0;
        while (s < n - p && input[input.length() - 1 - s] == Previous[Previous.length() - 1 - s]) ++s;
        qsizetype removed = Previous.length() - p - s;
        qsizetype inserted = input.length() - p - s;
        for (qsizetype i = p; i < p + inserted; ++i)
            if (input[i] == QLatin1Char('\n') || input[i] == QLatin1Char('\r')) {
                input = input.left(i) + input.right(s);
                inserted = i - p;
                pos = static_cast<int>(i);
                break;
            }
        if (Max <= 0 || input.length() <= Max || input.length() <= Previous.length()) return Acceptable;
        qsizetype room = std::max<qsizetype>(0, Max - (Previous.length() - removed));
        if (inserted <= room) return Acceptable;
        if (room == 0 && removed == 0) return Invalid;
        input = input.left(p) + input.mid(p, room) + input.right(s);
        pos = static_cast<int>(p + room);
        return Acceptable;
    }
};

void SetBase(QWidget* w, TColor color) {
    QPalette pal = w->palette();
    SetEnabledColor(pal, QPalette::Base, QtColor(color));
    w->setPalette(pal);
}

Qt::Alignment QtHAlign(TAlignment a) {
    return a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

}  // namespace

// ---------------------------------------------------------------- TCustomEdit

namespace {

// The multi-line edit: no scroll bars, Return makes a line break only with
// Ctrl held or when the edit wants returns, Tab is never typed, MaxLength
// counts each line break as the platform does (two characters).
class TPlainEditWidget : public QPlainTextEdit {
public:
    TPlainEditWidget() {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setTabChangesFocus(true);
        // Text starts where the formatting rectangle says.
        document()->setDocumentMargin(0);
    }
    int Max = 0;
    bool WantReturns = false;
    void SetMargins(int left, int top, int right, int bottom) { setViewportMargins(left, top, right, bottom); }
    // Room for n more characters (the selection is replaced).
    bool Room(qsizetype n) const {
        if (Max <= 0) return true;
        const QString all = toPlainText();
        const QString selected = textCursor().selectedText();
        auto length = [](const QString& t) { return t.length() + t.count(QLatin1Char('\n')) + t.count(QChar::ParagraphSeparator); };
        return length(all) - length(selected) + n <= Max;
    }
    void InsertLimited(QString text) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (Max > 0) {
            while (!text.isEmpty() && !Room(text.length() + text.count(QLatin1Char('\n')))) text.chop(1);
        }
        if (!text.isEmpty()) textCursor().insertText(text);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) {
            e->ignore();
            return;
        }
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            if (WantReturns || (e->modifiers() & Qt::ControlModifier)) {
                if (!isReadOnly() && Room(2)) textCursor().insertText(QStringLiteral("\n"));
                e->accept();
            } else {
                e->ignore();
            }
            return;
        }
        if (!e->text().isEmpty() && e->text().at(0).isPrint() && !isReadOnly() && !Room(e->text().length())) {
            e->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(e);
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (source && source->hasText()) InsertLimited(source->text());
    }
};

QString ToDocument(const std::string& text) {
    QString t = QStr(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

std::string FromDocument(QString text) {
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return StdStr(text);
}

// Positions of the platform's text (CR LF counts two) and of the document.
int32_t PlatformPosition(const QString& doc, int32_t pos) {
    pos = std::clamp<int32_t>(pos, 0, static_cast<int32_t>(doc.length()));
    return pos + static_cast<int32_t>(QStringView(doc).left(pos).count(QLatin1Char('\n')));
}

int32_t DocumentPosition(const QString& doc, int32_t pos) {
    int32_t p = 0;
    int32_t i = 0;
    for (; i < doc.length() && p < pos; ++i) p += doc[i] == QLatin1Char('\n') ? 2 : 1;
    return i;
}

}  // namespace

struct TCustomEdit::Impl {
    QLineEdit* Line = nullptr;
    TPlainEditWidget* Plain = nullptr;
    TInputLimiter* Limiter = nullptr;
    bool ReadOnly = false;
    int32_t Quiet = 0;
    int32_t SettingText = 0;
};

TCustomEdit::TCustomEdit(TComponent* owner, bool multiLine)
    : TWinControl(owner, multiLine ? static_cast<QWidget*>(new TPlainEditWidget()) : new QLineEdit()),
      FMultiLine(multiLine) {
    FImpl = std::make_unique<Impl>();
    BuildWidget();
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
}

TCustomEdit::~TCustomEdit() { DetachWidget(); }

void TCustomEdit::BuildWidget() {
    QWidget* w = NativeWidget(this);
    FImpl->Line = FMultiLine ? nullptr : static_cast<QLineEdit*>(w);
    FImpl->Plain = FMultiLine ? static_cast<TPlainEditWidget*>(w) : nullptr;
    FImpl->Limiter = nullptr;
    // The context menu's commands go through the clipboard messages.
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(w, &QWidget::customContextMenuRequested, w, [this, w](const QPoint& pos) {
        if (Detached()) return;
        auto* menu = new QMenu(w);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        const bool editable = !ReadOnly();
        const bool selected = SelLength() > 0;
        auto add = [&](const char* text, bool enabled, uint32_t msg) {
            QAction* a = menu->addAction(QString::fromLatin1(text));
            a->setEnabled(enabled);
            QObject::connect(a, &QAction::triggered, w, [this, msg] {
                if (!Detached()) GuardedCall(this, [this, msg] { Perform(msg); });
            });
        };
        QAction* undo = menu->addAction(QStringLiteral("&Undo"));
        undo->setEnabled(editable && CanUndo());
        QObject::connect(undo, &QAction::triggered, w, [this] {
            if (!Detached()) Undo();
        });
        menu->addSeparator();
        add("Cu&t", editable && selected, WM_CUT);
        add("&Copy", selected && FPasswordChar == 0, WM_COPY);
        add("&Paste", editable, WM_PASTE);
        add("&Delete", editable && selected, WM_CLEAR);
        menu->addSeparator();
        QAction* all = menu->addAction(QStringLiteral("Select &All"));
        QObject::connect(all, &QAction::triggered, w, [this] {
            if (!Detached()) SelectAll();
        });
        menu->popup(w->mapToGlobal(pos));
    });
    if (FImpl->Line) {
        QLineEdit* edit = FImpl->Line;
        auto* limiter = new TInputLimiter();
        limiter->setParent(edit);
        edit->setValidator(limiter);
        FImpl->Limiter = limiter;
        QObject::connect(edit, &QLineEdit::textChanged, edit, [this](const QString& text) {
            if (FImpl->Limiter) FImpl->Limiter->Previous = text;
            if (!Detached() && FImpl->Quiet == 0) GuardedCall(this, [this] { Change(); });
        });
    } else {
        TPlainEditWidget* edit = FImpl->Plain;
        WatchWidget(edit->viewport());
        QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this] {
            if (!Detached() && FImpl->Quiet == 0) GuardedCall(this, [this] { Change(); });
        });
    }
    ApplySettings();
}

void TCustomEdit::ApplySettings() {
    if (QLineEdit* e = FImpl->Line) {
        FImpl->Limiter->Max = FMaxLength;
        FImpl->Limiter->CharCase = FCharCase;
        FImpl->Limiter->Previous = e->text();
        e->setReadOnly(FImpl->ReadOnly);
        e->setEchoMode(FPasswordChar ? QLineEdit::Password : QLineEdit::Normal);
        e->setFrame(FBorderStyle != bsNone);
        e->setAlignment(QtHAlign(FAlignment) | Qt::AlignVCenter);
    } else {
        TPlainEditWidget* p = FImpl->Plain;
        p->Max = FMaxLength;
        p->WantReturns = FWantReturns;
        p->setReadOnly(FImpl->ReadOnly);
        p->setFrameShape(FBorderStyle == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
        p->setLineWrapMode(FWordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        QTextOption option = p->document()->defaultTextOption();
        option.setAlignment(QtHAlign(FAlignment));
        p->document()->setDefaultTextOption(option);
    }
    if (FHasEditRect) SetEditRect(FEditRect);
}

void TCustomEdit::SetMultiLine(bool multiLine) {
    if (multiLine == FMultiLine || Detached()) return;
    const std::string text = GetText();
    const int32_t start = SelStart();
    const int32_t length = SelLength();
    const bool modified = Modified();
    FMultiLine = multiLine;
    ReplaceWidget(multiLine ? static_cast<QWidget*>(new TPlainEditWidget()) : new QLineEdit());
    ++FImpl->Quiet;
    BuildWidget();
    // A single-line edit holds no line break: the text ends at the first.
    SetTextValue(multiLine ? text : text.substr(0, text.find_first_of("\r\n")));
    --FImpl->Quiet;
    SetSelStart(start);
    SetSelLength(length);
    SetModified(modified);
}

std::string TCustomEdit::GetText() const {
    if (FImpl->Line) return StdStr(FImpl->Line->text());
    return FromDocument(FImpl->Plain->toPlainText());
}

bool TCustomEdit::TextSetByCode() const { return FImpl->SettingText > 0; }

void TCustomEdit::SetTextValue(const std::string& text) {
    ++FImpl->SettingText;
    struct Done {
        int32_t& N;
        ~Done() { --N; }
    } done{FImpl->SettingText};
    if (QLineEdit* e = FImpl->Line) {
        QString t = QStr(text);
        if (t == e->text()) return;
        FImpl->Limiter->Previous = t;
        e->setText(t);
        return;
    }
    QString t = ToDocument(text);
    if (t == FImpl->Plain->toPlainText()) return;
    FImpl->Plain->setPlainText(t);
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomEdit::SetMaxLength(int32_t length) {
    FMaxLength = std::max(0, length);
    ApplySettings();
}

bool TCustomEdit::ReadOnly() const { return FImpl->ReadOnly; }

void TCustomEdit::SetReadOnly(bool readOnly) {
    FImpl->ReadOnly = readOnly;
    ApplySettings();
}

int32_t TCustomEdit::SelStart() const {
    if (QLineEdit* e = FImpl->Line) return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
    const QTextCursor c = FImpl->Plain->textCursor();
    return PlatformPosition(FImpl->Plain->toPlainText(), c.selectionStart());
}

void TCustomEdit::SetSelStart(int32_t start) {
    if (QLineEdit* e = FImpl->Line) {
        e->deselect();
        e->setCursorPosition(std::clamp<int32_t>(start, 0, static_cast<int32_t>(e->text().length())));
        return;
    }
    QTextCursor c = FImpl->Plain->textCursor();
    c.setPosition(DocumentPosition(FImpl->Plain->toPlainText(), std::max(0, start)));
    FImpl->Plain->setTextCursor(c);
}

int32_t TCustomEdit::SelLength() const {
    if (QLineEdit* e = FImpl->Line) return static_cast<int32_t>(e->selectedText().length());
    const QTextCursor c = FImpl->Plain->textCursor();
    const QString doc = FImpl->Plain->toPlainText();
    return PlatformPosition(doc, c.selectionEnd()) - PlatformPosition(doc, c.selectionStart());
}

void TCustomEdit::SetSelLength(int32_t length) {
    const int32_t start = SelStart();
    if (QLineEdit* e = FImpl->Line) {
        e->setSelection(start, std::max(0, length));
        return;
    }
    const QString doc = FImpl->Plain->toPlainText();
    QTextCursor c = FImpl->Plain->textCursor();
    c.setPosition(DocumentPosition(doc, start));
    c.setPosition(DocumentPosition(doc, start + std::max(0, length)), QTextCursor::KeepAnchor);
    FImpl->Plain->setTextCursor(c);
}

std::string TCustomEdit::SelText() const {
    if (QLineEdit* e = FImpl->Line) return StdStr(e->selectedText());
    QString t = FImpl->Plain->textCursor().selectedText();
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return FromDocument(t);
}

void TCustomEdit::SetSelText(const std::string& text) {
    // Code replaces the selection without the user's limit.
    if (QLineEdit* e = FImpl->Line) {
        QString t = e->text();
        int32_t start = SelStart();
        int32_t len = SelLength();
        t.replace(start, len, QStr(text));
        SetTextValue(StdStr(t));
        e->setCursorPosition(start + static_cast<int32_t>(QStr(text).length()));
        return;
    }
    FImpl->Plain->textCursor().insertText(ToDocument(text));
}

void TCustomEdit::SelectAll() {
    if (FImpl->Line) FImpl->Line->selectAll();
    else FImpl->Plain->selectAll();
}

void TCustomEdit::Deselect() {
    if (QLineEdit* e = FImpl->Line) {
        e->deselect();
        e->end(false);
        return;
    }
    QTextCursor c = FImpl->Plain->textCursor();
    c.movePosition(QTextCursor::End);
    FImpl->Plain->setTextCursor(c);
}

int32_t TCustomEdit::GetTextLen() const {
    if (FImpl->Line) return static_cast<int32_t>(FImpl->Line->text().length());
    const QString doc = FImpl->Plain->toPlainText();
    return PlatformPosition(doc, static_cast<int32_t>(doc.length()));
}

bool TCustomEdit::Modified() const {
    return FImpl->Line ? FImpl->Line->isModified() : FImpl->Plain->document()->isModified();
}

void TCustomEdit::SetModified(bool modified) {
    if (FImpl->Line) FImpl->Line->setModified(modified);
    else FImpl->Plain->document()->setModified(modified);
}

void TCustomEdit::SetPasswordChar(char32_t c) {
    FPasswordChar = c;
    ApplySettings();
}

void TCustomEdit::SetCharCase(TEditCharCase charCase) {
    FCharCase = charCase;
    ApplySettings();
}

void TCustomEdit::SetBorderStyle(TBorderStyle style) {
    FBorderStyle = style;
    ApplySettings();
}

void TCustomEdit::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    ApplySettings();
}

void TCustomEdit::SetWordWrap(bool wrap) {
    FWordWrap = wrap;
    ApplySettings();
}

void TCustomEdit::SetWantReturns(bool want) {
    FWantReturns = want;
    ApplySettings();
}

void TCustomEdit::PasteText(const std::string& text) {
    if (FImpl->Line) FImpl->Line->insert(QStr(text));
    else FImpl->Plain->InsertLimited(QStr(text));
}

void TCustomEdit::CutToClipboard() {
    if (FImpl->Line) FImpl->Line->cut();
    else FImpl->Plain->cut();
}

void TCustomEdit::CopyToClipboard() {
    if (FImpl->Line) FImpl->Line->copy();
    else FImpl->Plain->copy();
}

void TCustomEdit::PasteFromClipboard() {
    if (FImpl->Line) FImpl->Line->paste();
    else FImpl->Plain->paste();
}

void TCustomEdit::ClearSelection() {
    if (ReadOnly()) return;
    if (QLineEdit* e = FImpl->Line) {
        if (e->hasSelectedText()) e->del();
        return;
    }
    FImpl->Plain->textCursor().removeSelectedText();
}

bool TCustomEdit::CanUndo() const {
    return FImpl->Line ? FImpl->Line->isUndoAvailable() : FImpl->Plain->document()->isUndoAvailable();
}

void TCustomEdit::Undo() {
    if (FImpl->Line) FImpl->Line->undo();
    else FImpl->Plain->undo();
}

namespace {
// The text layout lines before the block of the document's position, and
// in it up to the position.
int32_t LayoutLine(const QTextDocument* doc, int32_t pos) {
    const QTextBlock block = doc->findBlock(pos);
    int32_t line = 0;
    for (QTextBlock b = doc->begin(); b.isValid() && b != block; b = b.next())
        line += b.layout() ? std::max(1, b.layout()->lineCount()) : 1;
    if (block.isValid() && block.layout() && block.layout()->lineCount() > 0) {
        const QTextLine l = block.layout()->lineForTextPosition(pos - block.position());
        if (l.isValid()) line += l.lineNumber();
    }
    return line;
}
}  // namespace

int32_t TCustomEdit::LineCount() const {
    if (FImpl->Line) return 1;
    int32_t lines = 0;
    const QTextDocument* doc = FImpl->Plain->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        lines += b.layout() ? std::max(1, b.layout()->lineCount()) : 1;
    return std::max(1, lines);
}

int32_t TCustomEdit::LineFromChar(int32_t index) const {
    if (FImpl->Line) return 0;
    const QString doc = FImpl->Plain->toPlainText();
    return LayoutLine(FImpl->Plain->document(), DocumentPosition(doc, std::max(0, index)));
}

int32_t TCustomEdit::LineIndex(int32_t line) const {
    if (FImpl->Line) return line == 0 ? 0 : -1;
    const QTextDocument* doc = FImpl->Plain->document();
    const QString text = FImpl->Plain->toPlainText();
    int32_t at = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const int32_t n = b.layout() ? std::max(1, b.layout()->lineCount()) : 1;
        if (line < at + n) {
            int32_t offset = 0;
            if (b.layout() && b.layout()->lineCount() > 0) offset = b.layout()->lineAt(line - at).textStart();
            return PlatformPosition(text, b.position() + offset);
        }
        at += n;
    }
    return -1;
}

int32_t TCustomEdit::CharFromPos(TPoint point) const {
    if (QLineEdit* e = FImpl->Line) return e->cursorPositionAt(QPoint(point.X, point.Y));
    TPlainEditWidget* plain = FImpl->Plain;
    const QPoint p = plain->viewport()->mapFrom(plain, QPoint(point.X, point.Y));
    return PlatformPosition(plain->toPlainText(), plain->cursorForPosition(p).position());
}

TRect TCustomEdit::EditRect() const { return FHasEditRect ? FEditRect : ClientRect(); }

void TCustomEdit::SetEditRect(const TRect& rect) {
    FHasEditRect = true;
    FEditRect = rect;
    const int32_t right = std::max(0, ClientWidth() - rect.Right);
    const int32_t bottom = std::max(0, ClientHeight() - rect.Bottom);
    if (QLineEdit* e = FImpl->Line) e->setTextMargins(std::max(0, rect.Left), std::max(0, rect.Top), right, bottom);
    else FImpl->Plain->SetMargins(std::max(0, rect.Left), std::max(0, rect.Top), right, bottom);
}

void TCustomEdit::Dispatch(TMessage& m) {
    switch (m.Msg) {
    case WM_CUT: return CutToClipboard();
    case WM_COPY: return CopyToClipboard();
    case WM_PASTE: return PasteFromClipboard();
    case WM_CLEAR: return ClearSelection();
    case WM_CHAR:
        // Ctrl+X, Ctrl+C and Ctrl+V were taken with their key.
        if (m.WParam == 0x18 || m.WParam == 0x03 || m.WParam == 0x16) {
            m.WParam = 0;
            return;
        }
        break;
    case WM_SIZE:
        if (FHasEditRect) SetEditRect(FEditRect);
        break;
    default: break;
    }
    TWinControl::Dispatch(m);
    if (m.Msg != WM_KEYDOWN || m.WParam == 0) return;
    const auto shift = static_cast<TShiftState>(m.LParam) & (ssShift | ssCtrl | ssAlt);
    const auto key = static_cast<Word>(m.WParam);
    uint32_t command = 0;
    char32_t control = 0;
    if (shift == ssCtrl && key == 'X') command = WM_CUT, control = 0x18;
    else if (shift == ssCtrl && key == 'C') command = WM_COPY, control = 0x03;
    else if (shift == ssCtrl && key == 'V') command = WM_PASTE, control = 0x16;
    else if (shift == ssShift && key == VK_DELETE) command = WM_CUT;
    else if (shift == ssCtrl && key == VK_INSERT) command = WM_COPY;
    else if (shift == ssShift && key == VK_INSERT) command = WM_PASTE;
    if (!command) return;
    // The edit's own handling of the key is the message; Qt's never runs.
    m.WParam = 0;
    if (control) {
        // The control character is typed first, as on the platform, so that
        // KeyPress may refuse it.
        QPointer<QWidget> alive(NativeWidget(this));
        KeyPress(control);
        if (!alive || Detached() || control == 0) return;
    }
    Perform(command);
}

void TCustomEdit::ApplyColor() { SetBase(NativeWidget(this), Color()); }

// ---------------------------------------------------------------- TCustomMaskEdit, TEdit

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner, bool multiLine) : TCustomEdit(owner, multiLine) {}

TCustomMaskEdit::~TCustomMaskEdit() { DetachWidget(); }

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner) {}

TEdit::~TEdit() { DetachWidget(); }

// ---------------------------------------------------------------- TMemo

class TMemoLines : public TStrings {
public:
    explicit TMemoLines(TMemo* memo) : FMemo(memo) {}
    int32_t Count() const override { return static_cast<int32_t>(Lines().size()); }
    std::string Get(int32_t index) const override {
        auto lines = Lines();
        if (index < 0 || index >= static_cast<int32_t>(lines.size())) Error(SysConst::SListIndexError, index);
        return lines[static_cast<size_t>(index)];
    }
    void Put(int32_t index, const std::string& s) override {
        auto lines = Lines();
        if (index < 0 || index >= static_cast<int32_t>(lines.size())) Error(SysConst::SListIndexError, index);
        lines[static_cast<size_t>(index)] = s;
        SetLines(lines);
    }
    void Insert(int32_t index, const std::string& s) override {
        auto lines = Lines();
        if (index < 0 || index > static_cast<int32_t>(lines.size())) Error(SysConst::SListIndexError, index);
        lines.insert(lines.begin() + index, s);
        SetLines(lines);
    }
    void Delete(int32_t index) override {
        auto lines = Lines();
        if (index < 0 || index >= static_cast<int32_t>(lines.size())) Error(SysConst::SListIndexError, index);
        lines.erase(lines.begin() + index);
        SetLines(lines);
    }
    void Clear() override { FMemo->SetText(""); }
    void SetText(const std::string& text) override { SetLines(SplitLines(text)); }

private:
    std::vector<std::string> Lines() const { return SplitLines(FMemo->GetText()); }
    void SetLines(const std::vector<std::string>& lines) {
        std::string t;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i) t += '\n';
            t += lines[i];
        }
        FMemo->SetText(t);
    }
    TMemo* FMemo;
};

TMemo::TMemo(TComponent* owner) : TWinControl(owner, new QPlainTextEdit()) {
    auto* edit = static_cast<QPlainTextEdit*>(NativeWidget(this));
    WatchWidget(edit->viewport());
    FLines = std::make_unique<TMemoLines>(this);
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this] {
        if (!Detached()) GuardedCall(this, [this] { Change(); });
    });
    SetColor(clWindow);
    SetBounds(0, 0, 185, 89);
}

TMemo::~TMemo() { DetachWidget(); }

TStrings* TMemo::Lines() const { return FLines.get(); }
void TMemo::SetLines(const TStrings* lines) { FLines->Assign(lines); }

std::string TMemo::GetText() const { return StdStr(static_cast<QPlainTextEdit*>(NativeWidget(this))->toPlainText()); }

void TMemo::SetTextValue(const std::string& text) {
    auto* edit = static_cast<QPlainTextEdit*>(NativeWidget(this));
    QString t = QStr(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (t == edit->toPlainText()) return;
    edit->setPlainText(t);
}

void TMemo::Change() {
    if (OnChange) OnChange(this);
}

bool TMemo::ReadOnly() const { return static_cast<QPlainTextEdit*>(NativeWidget(this))->isReadOnly(); }
void TMemo::SetReadOnly(bool readOnly) { static_cast<QPlainTextEdit*>(NativeWidget(this))->setReadOnly(readOnly); }

void TMemo::SetWordWrap(bool wrap) {
    FWordWrap = wrap;
    static_cast<QPlainTextEdit*>(NativeWidget(this))
        ->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::SetScrollBars(TScrollStyle bars) {
    FScrollBars = bars;
    auto* edit = static_cast<QPlainTextEdit*>(NativeWidget(this));
    bool h = bars == ssHorizontal || bars == ssBoth;
    bool v = bars == ssVertical || bars == ssBoth;
    edit->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TMemo::SetWantTabs(bool want) {
    FWantTabs = want;
    static_cast<QPlainTextEdit*>(NativeWidget(this))->setTabChangesFocus(!want);
}

void TMemo::SetAlignment(TAlignment alignment) { FAlignment = alignment; }

void TMemo::SelectAll() { static_cast<QPlainTextEdit*>(NativeWidget(this))->selectAll(); }

bool TMemo::WantsKey(Word key, TShiftState shift) const {
    if (key == VK_RETURN) return FWantReturns;
    if (key == VK_TAB) return FWantTabs;
    return false;
}

void TMemo::ApplyColor() { SetBase(NativeWidget(this), Color()); }

// ---------------------------------------------------------------- TCustomComboBox

// The combo's widget: it tells its control when the list opens and closes,
// and paints through the control's WM_PAINT.
class TComboWidget : public QComboBox {
public:
    TCustomComboBox* Control() const { return dynamic_cast<TCustomComboBox*>(ControlOfWidget(this)); }
    void showPopup() override {
        TCustomComboBox* c = Control();
        if (c) c->DroppingDown();
        QComboBox::showPopup();
        QAbstractItemView* list = view();
        if (!c || !list || !list->window()) return;
        // The list opens as wide as its widest entry (or the dropped width),
        // never narrower than the box, which keeps its own size.
        int wanted = std::max(width(), c->FDroppedWidth);
        if (count() > 0) {
            int entries = list->sizeHintForColumn(0) + 2 * list->frameWidth() + 8;
            if (auto* area = qobject_cast<QAbstractScrollArea*>(list); area && area->verticalScrollBar()->isVisible())
                entries += area->verticalScrollBar()->width();
            wanted = std::max(wanted, entries);
        }
        QWidget* popup = list->window();
        if (wanted > popup->width()) popup->resize(wanted, popup->height());
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (TCustomComboBox* c = Control()) c->ClosedUp();
    }
    void NativePaint(QPaintEvent* event) { QComboBox::paintEvent(event); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

struct TCustomComboBox::Impl {
    TComboWidget* Combo;
    TInputLimiter* Limiter = nullptr;
    QLineEdit* Edit = nullptr;
    std::vector<TObject*> Objects;
    int32_t Blocked = 0;
    // While WM_PAINT runs: the canvas's painter and the event it answers.
    QPainter* Painter = nullptr;
    QPaintEvent* Event = nullptr;
};

void TComboWidget::paintEvent(QPaintEvent* event) {
    TCustomComboBox* c = Control();
    if (!c || c->Detached()) {
        QComboBox::paintEvent(event);
        return;
    }
    QPainter painter(this);
    c->FImpl->Painter = &painter;
    c->FImpl->Event = event;
    const QRect r = event->rect();
    c->DispatchPaint(painter, Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1), TSize{width(), height()});
    c->FImpl->Painter = nullptr;
    c->FImpl->Event = nullptr;
}

// Changes of the items or the selection made by code: no signal reaches the
// handlers, and a combo without selection keeps its text.
class TComboItems : public TStrings {
public:
    explicit TComboItems(TCustomComboBox* combo) : FCombo(combo) {}
    int32_t Count() const override { return FCombo->FImpl->Combo->count(); }
    std::string Get(int32_t index) const override {
        Check(index);
        return StdStr(FCombo->FImpl->Combo->itemText(index));
    }
    void Put(int32_t index, const std::string& s) override {
        Check(index);
        if (FCombo->FSorted) {
            TObject* o = GetObject(index);
            Delete(index);
            InsertObject(0, s, o);
            return;
        }
        Quiet([&] { FCombo->FImpl->Combo->setItemText(index, QStr(s)); });
    }
    TObject* GetObject(int32_t index) const override {
        Check(index);
        return FCombo->FImpl->Objects[static_cast<size_t>(index)];
    }
    void PutObject(int32_t index, TObject* object) override {
        Check(index);
        FCombo->FImpl->Objects[static_cast<size_t>(index)] = object;
    }
    void Insert(int32_t index, const std::string& s) override { InsertObject(index, s, nullptr); }
    void InsertObject(int32_t index, const std::string& s, TObject* object) override {
        if (index < 0 || index > Count()) Error(SysConst::SListIndexError, index);
        if (FCombo->FSorted) index = SortedPosition(s);
        QComboBox* cb = FCombo->FImpl->Combo;
        Quiet([&] {
            int before = cb->currentIndex();
            QString text = cb->currentText();
            cb->insertItem(index, QStr(s));
            FCombo->FImpl->Objects.insert(FCombo->FImpl->Objects.begin() + index, object);
            // Qt selects the first item of an empty list; the platform does not.
            if (before < 0) {
                cb->setCurrentIndex(-1);
                if (cb->isEditable()) cb->setEditText(text);
            }
        });
    }
    int32_t Add(const std::string& s) override {
        int32_t n = Count();
        InsertObject(n, s, nullptr);
        return FCombo->FSorted ? IndexOf(s) : n;
    }
    int32_t AddObject(const std::string& s, TObject* object) override {
        int32_t n = Count();
        InsertObject(n, s, object);
        return FCombo->FSorted ? IndexOf(s) : n;
    }
    void Delete(int32_t index) override {
        Check(index);
        QComboBox* cb = FCombo->FImpl->Combo;
        Quiet([&] {
            QString text = cb->currentText();
            bool wasSelected = cb->currentIndex() == index;
            cb->removeItem(index);
            FCombo->FImpl->Objects.erase(FCombo->FImpl->Objects.begin() + index);
            if (wasSelected) {
                cb->setCurrentIndex(-1);
                if (cb->isEditable()) cb->setEditText(text);
            }
        });
    }
    void Clear() override {
        QComboBox* cb = FCombo->FImpl->Combo;
        // Emptying the list also empties the edit, as on the platform.
        Quiet([&] {
            cb->clear();
            if (cb->isEditable()) cb->setEditText(QString());
        });
        FCombo->FImpl->Objects.clear();
    }
    int32_t IndexOf(const std::string& s) const override {
        for (int32_t i = 0; i < Count(); ++i)
            if (CompareText(Get(i), s) == 0) return i;
        return -1;
    }

    template <class F>
    void Quiet(F f) {
        QComboBox* cb = FCombo->FImpl->Combo;
        ++FCombo->FImpl->Blocked;
        bool b1 = cb->blockSignals(true);
        QLineEdit* le = cb->lineEdit();
        bool b2 = le ? le->blockSignals(true) : false;
        try {
            f();
        } catch (...) {
            if (le) le->blockSignals(b2);
            cb->blockSignals(b1);
            --FCombo->FImpl->Blocked;
            throw;
        }
        if (le) le->blockSignals(b2);
        cb->blockSignals(b1);
        --FCombo->FImpl->Blocked;
    }

private:
    void Check(int32_t index) const {
        if (index < 0 || index >= Count()) Error(SysConst::SListIndexError, index);
    }
    int32_t SortedPosition(const std::string& s) const {
        int32_t lo = 0, hi = Count();
        while (lo < hi) {
            int32_t mid = (lo + hi) / 2;
            if (CompareText(Get(mid), s) <= 0) lo = mid + 1;
            else hi = mid;
        }
        return lo;
    }
    TCustomComboBox* FCombo;
};

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner, new TComboWidget()) {
    CreateCanvas();
    FImpl = std::make_unique<Impl>();
    FImpl->Combo = static_cast<TComboWidget*>(NativeWidget(this));
    FItems = std::make_unique<TComboItems>(this);
    QComboBox* cb = FImpl->Combo;
    cb->setInsertPolicy(QComboBox::NoInsert);
    cb->setDuplicatesEnabled(true);
    cb->setMaxVisibleItems(FDropDownCount);
    QObject::connect(cb, qOverload<int>(&QComboBox::activated), cb, [this](int index) {
        if (!Detached() && FImpl->Blocked == 0) UserSelected(index);
    });
    SetStyle(csDropDown);
    SetColor(clWindow);
    SetBounds(0, 0, 145, 21);
}

TCustomComboBox::~TCustomComboBox() { DetachWidget(); }

TComboBox::TComboBox(TComponent* owner) : TCustomComboBox(owner) {}

TComboBox::~TComboBox() { DetachWidget(); }

TStrings* TCustomComboBox::Items() const { return FItems.get(); }

void TCustomComboBox::SetItems(const TStrings* items) {
    FItems->BeginUpdate();
    FItems->Clear();
    for (int32_t i = 0; i < items->Count(); ++i) FItems->AddObject(items->Get(i), items->GetObject(i));
    FItems->EndUpdate();
}

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
    FStyle = style;
    QComboBox* cb = FImpl->Combo;
    bool editable = style == csDropDown || style == csSimple;
    auto* items = static_cast<TComboItems*>(FItems.get());
    items->Quiet([&] {
        QString text = cb->currentText();
        int index = cb->currentIndex();
        cb->setEditable(editable);
        if (editable) {
            QLineEdit* le = cb->lineEdit();
            bool fresh = le != FImpl->Edit;
            FImpl->Edit = le;
            if (FAutoComplete) {
                auto* completer = new QCompleter(cb->model(), cb);
                completer->setCompletionMode(QCompleter::InlineCompletion);
                completer->setCaseSensitivity(Qt::CaseInsensitive);
                cb->setCompleter(completer);
            } else {
                cb->setCompleter(nullptr);
            }
            if (!FImpl->Limiter) FImpl->Limiter = new TInputLimiter();
            FImpl->Limiter->setParent(le);
            FImpl->Limiter->Max = FMaxLength;
            FImpl->Limiter->Previous = text;
            le->setValidator(FImpl->Limiter);
            if (fresh) {
                WatchWidget(le);
                QObject::connect(le, &QLineEdit::textEdited, le, [this](const QString&) {
                    if (!Detached() && FImpl->Blocked == 0) UserTyped();
                });
                QObject::connect(le, &QLineEdit::textChanged, le, [this](const QString& t) {
                    if (FImpl->Limiter) FImpl->Limiter->Previous = t;
                });
            }
            cb->setCurrentIndex(index);
            cb->setEditText(text);
        } else {
            FImpl->Limiter = nullptr;
            FImpl->Edit = nullptr;
            cb->setCurrentIndex(index);
        }
    });
}

int32_t TCustomComboBox::ItemIndex() const { return FImpl->Combo->currentIndex(); }

void TCustomComboBox::SetItemIndex(int32_t index) {
    QComboBox* cb = FImpl->Combo;
    static_cast<TComboItems*>(FItems.get())->Quiet([&] {
        if (index < 0 || index >= cb->count()) {
            cb->setCurrentIndex(-1);
            if (cb->isEditable()) cb->setEditText(QString());
        } else {
            cb->setCurrentIndex(index);
            if (cb->isEditable()) cb->setEditText(cb->itemText(index));
        }
    });
}

std::string TCustomComboBox::GetText() const {
    QComboBox* cb = FImpl->Combo;
    if (cb->isEditable()) return StdStr(cb->currentText());
    return cb->currentIndex() >= 0 ? StdStr(cb->itemText(cb->currentIndex())) : std::string();
}

void TCustomComboBox::SetTextValue(const std::string& text) {
    QComboBox* cb = FImpl->Combo;
    static_cast<TComboItems*>(FItems.get())->Quiet([&] {
        if (cb->isEditable()) {
            cb->setEditText(QStr(text));
            if (FImpl->Limiter) FImpl->Limiter->Previous = QStr(text);
        } else {
            cb->setCurrentIndex(FItems->IndexOf(text));
        }
    });
}

void TCustomComboBox::SetSorted(bool sorted) {
    if (sorted == FSorted) return;
    FSorted = sorted;
    if (sorted) Resort();
}

void TCustomComboBox::Resort() {
    std::vector<std::pair<std::string, TObject*>> all;
    for (int32_t i = 0; i < FItems->Count(); ++i) all.emplace_back(FItems->Get(i), FItems->GetObject(i));
    std::stable_sort(all.begin(), all.end(), [](auto& a, auto& b) { return CompareText(a.first, b.first) < 0; });
    std::string text = GetText();
    std::string selected = ItemIndex() >= 0 ? FItems->Get(ItemIndex()) : std::string();
    bool hadSelection = ItemIndex() >= 0;
    auto* items = static_cast<TComboItems*>(FItems.get());
    items->Quiet([&] {
        FImpl->Combo->clear();
        FImpl->Objects.clear();
        for (auto& [s, o] : all) {
            FImpl->Combo->addItem(QStr(s));
            FImpl->Objects.push_back(o);
        }
        FImpl->Combo->setCurrentIndex(hadSelection ? FItems->IndexOf(selected) : -1);
        if (FImpl->Combo->isEditable()) FImpl->Combo->setEditText(QStr(text));
    });
}

void TCustomComboBox::SetDropDownCount(int32_t count) {
    FDropDownCount = count;
    FImpl->Combo->setMaxVisibleItems(std::max(1, count));
}

void TCustomComboBox::SetMaxLength(int32_t length) {
    FMaxLength = std::max(0, length);
    if (FImpl->Limiter) FImpl->Limiter->Max = FMaxLength;
}

bool TCustomComboBox::DroppedDown() const { return FImpl->Combo->view() && FImpl->Combo->view()->isVisible(); }

void TCustomComboBox::SetDroppedDown(bool down) {
    if (down) FImpl->Combo->showPopup();
    else FImpl->Combo->hidePopup();
}

int32_t TCustomComboBox::SelStart() const {
    QLineEdit* le = FImpl->Combo->lineEdit();
    if (!le) return 0;
    return le->hasSelectedText() ? le->selectionStart() : le->cursorPosition();
}

void TCustomComboBox::SetSelStart(int32_t start) {
    if (QLineEdit* le = FImpl->Combo->lineEdit()) {
        le->deselect();
        le->setCursorPosition(start);
    }
}

int32_t TCustomComboBox::SelLength() const {
    QLineEdit* le = FImpl->Combo->lineEdit();
    return le ? static_cast<int32_t>(le->selectedText().length()) : 0;
}

void TCustomComboBox::SetSelLength(int32_t length) {
    if (QLineEdit* le = FImpl->Combo->lineEdit()) le->setSelection(SelStart(), length);
}

void TCustomComboBox::SelectAll() {
    if (QLineEdit* le = FImpl->Combo->lineEdit()) le->selectAll();
}

void TCustomComboBox::Clear() {
    FItems->Clear();
    SetTextValue("");
}

void TCustomComboBox::UserSelected(int32_t index) {
    GuardedCall(this, [this] { Click(); });
    if (Detached()) return;
    GuardedCall(this, [this] { Select(); });
}

void TCustomComboBox::UserTyped() {
    GuardedCall(this, [this] { Change(); });
}

void TCustomComboBox::DroppingDown() {
    if (Detached()) return;
    GuardedCall(this, [this] { DropDown(); });
}

void TCustomComboBox::ClosedUp() {
    if (Detached()) return;
    GuardedCall(this, [this] { CloseUp(); });
}

void TCustomComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::SetDroppedWidth(int32_t width) { FDroppedWidth = std::max(0, width); }

void TCustomComboBox::SetAutoComplete(bool autoComplete) {
    FAutoComplete = autoComplete;
    SetStyle(FStyle);
}

std::string TCustomComboBox::SelText() const {
    QLineEdit* le = FImpl->Combo->lineEdit();
    return le ? StdStr(le->selectedText()) : std::string();
}

void TCustomComboBox::WMPaint(TMessage&) { DefaultPaint(); }

void TCustomComboBox::DefaultPaint() {
    QPainter* painter = FImpl->Painter;
    if (!painter || !FImpl->Event) return;
    // The native paint needs the widget to itself; the canvas comes back
    // after it with a fresh state.
    auto* device = static_cast<TQtCanvasDevice*>(Canvas()->Device());
    device->SetPainter(nullptr);
    painter->end();
    FImpl->Combo->NativePaint(FImpl->Event);
    painter->begin(FImpl->Combo);
    device->SetPainter(painter);
}

void TCustomComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect) OnSelect(this);
    else Change();
}

bool TCustomComboBox::WantsKey(Word key, TShiftState shift) const {
    // An open list takes Enter and Escape itself.
    return (key == VK_RETURN || key == VK_ESCAPE) && DroppedDown();
}

void TCustomComboBox::ApplyColor() { SetBase(NativeWidget(this), Color()); }

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner) : TWinControl(owner, new QPushButton()) {
    auto* b = static_cast<QPushButton*>(NativeWidget(this));
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, b, [this] {
        if (!Detached()) GuardedCall(this, [this] { Click(); });
    });
    SetBounds(0, 0, 75, 25);
}

TButton::~TButton() { DetachWidget(); }

void TButton::SetTextValue(const std::string& text) {
    FText = text;
    static_cast<QPushButton*>(NativeWidget(this))->setText(QStr(text));
}

void TButton::SetDefault(bool isDefault) {
    FDefault = isDefault;
    static_cast<QPushButton*>(NativeWidget(this))->setDefault(isDefault);
}

void TButton::Click() {
    if (TWinControl* form = ControlHooks().ParentWindow(this)) ControlHooks().SetModalResult(form, FModalResult);
    TWinControl::Click();
}

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner, new QCheckBox()) {
    auto* b = static_cast<QCheckBox*>(NativeWidget(this));
    QObject::connect(b, &QCheckBox::clicked, b, [this](bool) {
        if (!Detached()) UserToggled();
    });
    SetBounds(0, 0, 97, 17);
}

TCheckBox::~TCheckBox() { DetachWidget(); }

void TCheckBox::SetTextValue(const std::string& text) {
    FText = text;
    static_cast<QCheckBox*>(NativeWidget(this))->setText(QStr(text));
}

void TCheckBox::SetState(TCheckBoxState state) {
    if (state == FState) return;
    FState = state;
    auto* b = static_cast<QCheckBox*>(NativeWidget(this));
    bool blocked = b->blockSignals(true);
    b->setCheckState(state == cbChecked ? Qt::Checked : state == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
    b->blockSignals(blocked);
    Click();
}

void TCheckBox::SetAllowGrayed(bool allow) {
    FAllowGrayed = allow;
    static_cast<QCheckBox*>(NativeWidget(this))->setTristate(allow);
}

void TCheckBox::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    NativeWidget(this)->setLayoutDirection(alignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCheckBox::UserToggled() {
    auto* b = static_cast<QCheckBox*>(NativeWidget(this));
    Qt::CheckState s = b->checkState();
    FState = s == Qt::Checked ? cbChecked : s == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
    GuardedCall(this, [this] { Click(); });
}

// ---------------------------------------------------------------- TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner, new QRadioButton()) {
    auto* b = static_cast<QRadioButton*>(NativeWidget(this));
    QObject::connect(b, &QRadioButton::toggled, b, [this](bool on) {
        if (on && !Detached()) UserChecked();
    });
    SetBounds(0, 0, 113, 17);
}

TRadioButton::~TRadioButton() { DetachWidget(); }

void TRadioButton::SetTextValue(const std::string& text) {
    FText = text;
    static_cast<QRadioButton*>(NativeWidget(this))->setText(QStr(text));
}

bool TRadioButton::Checked() const { return static_cast<QRadioButton*>(NativeWidget(this))->isChecked(); }

void TRadioButton::TurnSiblingsOff() {
    if (!Parent()) return;
    for (int32_t i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* r = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); r && r != this && r->Checked())
            r->SetChecked(false);
}

void TRadioButton::SetChecked(bool checked) {
    auto* b = static_cast<QRadioButton*>(NativeWidget(this));
    if (checked == b->isChecked()) return;
    bool blocked = b->blockSignals(true);
    // Qt keeps the one checked button of a group checked.
    b->setAutoExclusive(false);
    b->setChecked(checked);
    b->setAutoExclusive(true);
    b->blockSignals(blocked);
    if (checked) {
        TurnSiblingsOff();
        Click();
    }
}

void TRadioButton::UserChecked() {
    GuardedCall(this, [this] { Click(); });
}

// ---------------------------------------------------------------- TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner, new QLabel()) {
    auto* l = static_cast<QLabel*>(NativeWidget(this));
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
}

TLabel::~TLabel() { DetachWidget(); }

void TLabel::SetTextValue(const std::string& text) {
    FText = text;
    ShowCaption();
    AdjustBounds();
}

void TLabel::ShowCaption() {
    auto* l = static_cast<QLabel*>(NativeWidget(this));
    l->setText(QStr(FShowAccelChar ? StripHotkey(FText) : FText));
}

void TLabel::SetAutoSize(bool autoSize) {
    FAutoSize = autoSize;
    AdjustBounds();
}

void TLabel::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    SetLayout(FLayout);
}

void TLabel::SetLayout(TTextLayout layout) {
    FLayout = layout;
    Qt::Alignment v = layout == tlCenter ? Qt::AlignVCenter : layout == tlBottom ? Qt::AlignBottom : Qt::AlignTop;
    static_cast<QLabel*>(NativeWidget(this))->setAlignment(QtHAlign(FAlignment) | v);
}

void TLabel::SetTransparent(bool transparent) {
    FTransparent = transparent;
    ApplyColor();
}

void TLabel::ApplyColor() {
    TControl::ApplyColor();
    NativeWidget(this)->setAutoFillBackground(!FTransparent);
}

void TLabel::SetWordWrap(bool wrap) {
    FWordWrap = wrap;
    static_cast<QLabel*>(NativeWidget(this))->setWordWrap(wrap);
    AdjustBounds();
}

void TLabel::SetShowAccelChar(bool show) {
    FShowAccelChar = show;
    ShowCaption();
    AdjustBounds();
}

void TLabel::FontChanged() {
    TGraphicControl::FontChanged();
    AdjustBounds();
}

void TLabel::AdjustBounds() {
    if (!FAutoSize) return;
    QFontMetrics fm(QtFont(*Font()));
    QString text = QStr(FShowAccelChar ? StripHotkey(FText) : FText);
    QRect r;
    if (FWordWrap) r = fm.boundingRect(QRect(0, 0, std::max(1, Width()), 100000), Qt::TextWordWrap, text);
    else r = fm.boundingRect(QRect(0, 0, 100000, 100000), 0, text.isEmpty() ? QStringLiteral(" ") : text);
    int32_t w = FWordWrap ? Width() : (text.isEmpty() ? 0 : r.width());
    int32_t h = std::max(r.height(), fm.height());
    int32_t left = Left();
    if (!FWordWrap && FAlignment == taRightJustify) left = Left() + Width() - w;
    SetBounds(left, Top(), w, h);
}

// ---------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner, new QGroupBox()) {
    SetBounds(0, 0, 185, 105);
}

TGroupBox::~TGroupBox() { DetachWidget(); }

void TGroupBox::SetTextValue(const std::string& text) {
    FText = text;
    static_cast<QGroupBox*>(NativeWidget(this))->setTitle(QStr(text));
}

TRect TGroupBox::AlignRect() const {
    QFontMetrics fm(QtFont(*Font()));
    TRect r = ClientRect();
    InflateRect(r, -1, -1);
    r.Top += fm.height();
    return r;
}

// ---------------------------------------------------------------- TListBox

class TListBoxItems : public TStrings {
public:
    explicit TListBoxItems(TListBox* box) : FBox(box) {}
    QListWidget* List() const { return static_cast<QListWidget*>(NativeWidget(FBox)); }
    int32_t Count() const override { return List()->count(); }
    std::string Get(int32_t index) const override {
        Check(index);
        return StdStr(List()->item(index)->text());
    }
    void Put(int32_t index, const std::string& s) override {
        Check(index);
        List()->item(index)->setText(QStr(s));
    }
    TObject* GetObject(int32_t index) const override {
        Check(index);
        return FObjects[static_cast<size_t>(index)];
    }
    void PutObject(int32_t index, TObject* object) override {
        Check(index);
        FObjects[static_cast<size_t>(index)] = object;
    }
    void Insert(int32_t index, const std::string& s) override { InsertObject(index, s, nullptr); }
    void InsertObject(int32_t index, const std::string& s, TObject* object) override {
        if (index < 0 || index > Count()) Error(SysConst::SListIndexError, index);
        if (FBox->FSorted) {
            index = 0;
            while (index < Count() && CompareText(Get(index), s) <= 0) ++index;
        }
        bool b = List()->blockSignals(true);
        List()->insertItem(index, QStr(s));
        List()->blockSignals(b);
        FObjects.insert(FObjects.begin() + index, object);
    }
    void Delete(int32_t index) override {
        Check(index);
        bool b = List()->blockSignals(true);
        delete List()->takeItem(index);
        List()->blockSignals(b);
        FObjects.erase(FObjects.begin() + index);
    }
    void Clear() override {
        bool b = List()->blockSignals(true);
        List()->clear();
        List()->blockSignals(b);
        FObjects.clear();
    }

private:
    void Check(int32_t index) const {
        if (index < 0 || index >= Count()) Error(SysConst::SListIndexError, index);
    }
    TListBox* FBox;
    std::vector<TObject*> FObjects;
};

TListBox::TListBox(TComponent* owner) : TWinControl(owner, new QListWidget()) {
    auto* list = static_cast<QListWidget*>(NativeWidget(this));
    WatchWidget(list->viewport());
    FItems = std::make_unique<TListBoxItems>(this);
    QObject::connect(list, &QListWidget::itemClicked, list, [this](QListWidgetItem*) {
        if (!Detached()) UserSelected();
    });
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
}

TListBox::~TListBox() { DetachWidget(); }

TStrings* TListBox::Items() const { return FItems.get(); }

int32_t TListBox::ItemIndex() const { return static_cast<QListWidget*>(NativeWidget(this))->currentRow(); }

void TListBox::SetItemIndex(int32_t index) {
    auto* list = static_cast<QListWidget*>(NativeWidget(this));
    bool b = list->blockSignals(true);
    list->setCurrentRow(index >= 0 && index < list->count() ? index : -1);
    list->blockSignals(b);
}

void TListBox::SetSorted(bool sorted) {
    FSorted = sorted;
    if (!sorted) return;
    std::vector<std::string> all;
    for (int32_t i = 0; i < FItems->Count(); ++i) all.push_back(FItems->Get(i));
    FItems->Clear();
    for (auto& s : all) FItems->Add(s);
}

bool TListBox::MultiSelect() const {
    return static_cast<QListWidget*>(NativeWidget(this))->selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TListBox::SetMultiSelect(bool multi) {
    static_cast<QListWidget*>(NativeWidget(this))
        ->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool TListBox::Selected(int32_t index) const {
    auto* list = static_cast<QListWidget*>(NativeWidget(this));
    return index >= 0 && index < list->count() && list->item(index)->isSelected();
}

void TListBox::SetSelected(int32_t index, bool selected) {
    auto* list = static_cast<QListWidget*>(NativeWidget(this));
    if (index >= 0 && index < list->count()) list->item(index)->setSelected(selected);
}

int32_t TListBox::SelCount() const {
    return static_cast<int32_t>(static_cast<QListWidget*>(NativeWidget(this))->selectedItems().size());
}

void TListBox::Clear() { FItems->Clear(); }

void TListBox::UserSelected() {
    GuardedCall(this, [this] { Click(); });
}

void TListBox::ApplyColor() { SetBase(NativeWidget(this), Color()); }
