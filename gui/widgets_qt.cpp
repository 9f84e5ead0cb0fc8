#include "gui/widgets_qt.h"

#include "gui/convert.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <climits>

namespace gui::detail {

FocusExitFilter::FocusExitFilter(QWidget *watched, std::function<void()> onExit)
    : QObject(watched), onExit_(std::move(onExit))
{
    watched->installEventFilter(this);
}

bool FocusExitFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        // The focus has moved on by now; to the window itself is no exit.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        const QWidget *to = QApplication::focusWidget();
        const bool toWindow = to && to == static_cast<QWidget *>(watched)->window();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !toWindow && onExit_)
            onExit_();
    }
    return QObject::eventFilter(watched, event);
}

QIcon LoadGlyph(const QString &resource)
{
    QIcon icon;
    // The picture drawn at 1, 1.5 and 2 times its size: the icon takes the
    // one that fits the screen's scale.
    const qsizetype dot = resource.lastIndexOf('.');
    for (const char *suffix : {"", "@1.5x", "@2x"}) {
        QPixmap bitmap(dot < 0 ? resource : resource.left(dot) + suffix + resource.mid(dot));
        if (bitmap.isNull())
            continue;
        // Glyph bitmaps have no alpha: their background is whatever colour
        // the bottom-left pixel has, and shows through as the button face.
        if (!bitmap.hasAlphaChannel()) {
            const QImage image = bitmap.toImage();
            bitmap.setMask(bitmap.createMaskFromColor(image.pixelColor(0, image.height() - 1), Qt::MaskInColor));
        }
        const int side = bitmap.height();
        if (bitmap.width() >= 2 * side) {
            icon.addPixmap(bitmap.copy(0, 0, side, side), QIcon::Normal);
            icon.addPixmap(bitmap.copy(side, 0, side, side), QIcon::Disabled);
        } else {
            icon.addPixmap(bitmap, QIcon::Normal);
        }
    }
    return icon;
}

// ---------------------------------------------------------------------------

namespace {
constexpr int kArrowWidth = 15;

QToolButton *makeArrow(Qt::ArrowType arrow, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::ArrowCursor);
    button->setAutoRepeat(true);
    button->setAutoRepeatDelay(400);
    button->setAutoRepeatInterval(100);
    return button;
}
} // namespace

SpinLineEdit::SpinLineEdit(int minValue, int maxValue, QWidget *parent)
    : QLineEdit(parent), min_(minValue), max_(maxValue), up_(makeArrow(Qt::UpArrow, this)),
      down_(makeArrow(Qt::DownArrow, this))
{
    setTextMargins(0, 0, kArrowWidth, 0);
    connect(up_, &QToolButton::clicked, this, [this] { step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void SpinLineEdit::step(int delta)
{
    if (onStep)
        onStep(delta);
}

bool SpinLineEdit::accepts(QChar c) const
{
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || QLocale().decimalPoint() == QString(c);
}

void SpinLineEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        step(1);
        return;
    case Qt::Key_Down:
        step(-1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        QApplication::beep();
        return;
    default:
        break;
    }
    // Shortcuts (Ctrl+V and the like) and control keys go through; only
    // characters that would be typed into the field are checked.
    const QString text = event->text();
    const bool chord = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!chord && !text.isEmpty() && text[0].isPrint() &&
        !std::all_of(text.begin(), text.end(), [this](QChar c) { return accepts(c); })) {
        QApplication::beep();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void SpinLineEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    const int frame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) : 0;
    const int inner = std::max(2, height() - 2 * frame);
    const int x = width() - frame - kArrowWidth;
    up_->setGeometry(x, frame, kArrowWidth, inner / 2);
    down_->setGeometry(x, frame + inner / 2, kArrowWidth, inner - inner / 2);
}

// ---------------------------------------------------------------------------

RadioGroupBox::RadioGroupBox(const QString &title, const QStringList &items, QWidget *parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this))
{
    group_->setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], this);
        group_->addButton(button, i);
        buttons_.append(button);
    }
    // Qt moves the tab stop to an item when it gets the focus, but not when
    // the program checks another item; follow the check here.
    connect(group_, &QButtonGroup::idToggled, this, [this] { updateTabStops(); });
    updateTabStops();
    placeItems();
}

void RadioGroupBox::setTabStop(bool tabStop)
{
    tabStop_ = tabStop;
    updateTabStops();
}

void RadioGroupBox::updateTabStops()
{
    QAbstractButton *stop = group_->checkedButton();
    if (!stop && !buttons_.isEmpty())
        stop = buttons_.front();
    for (QRadioButton *button : std::as_const(buttons_)) {
        button->setFocusPolicy(!tabStop_ ? Qt::NoFocus : button == stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

QStringList RadioGroupBox::items() const
{
    QStringList list;
    for (const QRadioButton *button : buttons_)
        list.append(button->text());
    return list;
}

int RadioGroupBox::itemIndex() const
{
    return group_->checkedId();
}

void RadioGroupBox::setItemIndex(int index)
{
    if (index == itemIndex())
        return;
    if (index >= 0) {
        buttons_[index]->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last checked button.
    QAbstractButton *checked = group_->checkedButton();
    group_->setExclusive(false);
    checked->setChecked(false);
    group_->setExclusive(true);
}

void RadioGroupBox::resizeEvent(QResizeEvent *event)
{
    QGroupBox::resizeEvent(event);
    placeItems();
}

void RadioGroupBox::changeEvent(QEvent *event)
{
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeItems();
}

void RadioGroupBox::placeItems()
{
    if (buttons_.isEmpty())
        return;
    // The title takes one text line; the rest of the box is cut into equal
    // rows, one item centred in each, so the items keep their spacing
    // whatever the box's height.
    const int top = fontMetrics().height() + 2;
    const int bottom = 4;
    const int side = 8;
    const int rows = static_cast<int>(buttons_.size());
    const double row = std::max(1.0, double(height() - top - bottom) / rows);
    for (int i = 0; i < rows; ++i) {
        QRadioButton *button = buttons_[i];
        const int h = std::min(button->sizeHint().height(), int(row));
        const int y = top + int(i * row + (row - h) / 2);
        button->setGeometry(side, y, std::max(0, width() - 2 * side), std::max(1, h));
    }
}

// ---------------------------------------------------------------------------

StatusBarWidget::StatusBarWidget(QWidget *parent) : QWidget(parent)
{
    for (QLabel *&panel : panels_) {
        panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        panel->setContentsMargins(2, 0, 2, 0);
        // The panel clips a long text at its edge instead of growing.
        panel->setMinimumWidth(1);
        panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    }
}

QLabel *StatusBarWidget::panel(int index) const
{
    return index == 0 || index == 1 ? panels_[index] : nullptr;
}

void StatusBarWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int second = kFirstPanelWidth + kPanelGap;
    panels_[0]->setGeometry(0, 0, kFirstPanelWidth, height());
    panels_[1]->setGeometry(second, 0, std::max(0, width() - second), height());
}

} // namespace gui::detail
