#pragma once
// The Qt widgets behind the controls whose behaviour Qt's stock widgets do
// not have. Private to the Qt backend of the GUI layer.
#include <QGroupBox>
#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>

class QButtonGroup;
class QIcon;
class QLabel;
class QRadioButton;
class QToolButton;

namespace gui::detail {

// Calls onExit when the keyboard focus leaves the watched widget for another
// control of its window. Focus lost to the window itself (its control went
// out of reach), to another window or program, or to a popup menu, is no
// exit: the operator has not finished with the field.
class FocusExitFilter : public QObject {
public:
    FocusExitFilter(QWidget *watched, std::function<void()> onExit);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> onExit_;
};

// The icon of a glyph bitmap: a 32 x 16 bitmap holds the normal image left and
// the disabled image right; a square bitmap is the normal image alone. The
// same picture at 1.5 and 2 times its size beside it (NAME@1.5x.bmp,
// NAME@2x.bmp) joins the icon for screens of higher dpi. A resource that
// cannot be read gives a null icon.
QIcon LoadGlyph(const QString &resource);

// A line edit with an up/down arrow pair at its right edge. QSpinBox would
// reject or fix up the text while typing; here the text stays what the
// operator typed until the field is left.
class SpinLineEdit : public QLineEdit {
public:
    SpinLineEdit(int minValue, int maxValue, QWidget *parent);
    int minValue() const { return min_; }
    int maxValue() const { return max_; }
    // The arrows and the arrow keys ask the control for a step.
    std::function<void(int delta)> onStep;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void step(int delta);
    bool accepts(QChar c) const;
    int min_, max_;
    QToolButton *up_;
    QToolButton *down_;
};

// A titled box with one column of radio buttons spread evenly over its
// height, at most one of them checked. The box is one stop in the tab order
// (the checked item, else the first); the arrow keys move between items.
class RadioGroupBox : public QGroupBox {
public:
    RadioGroupBox(const QString &title, const QStringList &items, QWidget *parent);
    QStringList items() const;
    int itemIndex() const;
    void setItemIndex(int index);
    void setTabStop(bool tabStop);
    QButtonGroup *group() const { return group_; }
    const QList<QRadioButton *> &buttons() const { return buttons_; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeItems();
    void updateTabStops();
    QButtonGroup *group_;
    QList<QRadioButton *> buttons_;
    bool tabStop_ = true;
};

// Two sunken panels: a fixed first one and a second one that takes the rest.
class StatusBarWidget : public QWidget {
public:
    static constexpr int kFirstPanelWidth = 200;
    static constexpr int kPanelGap = 2;
    explicit StatusBarWidget(QWidget *parent);
    QLabel *panel(int index) const; // null when index is not 0 or 1

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *panels_[2];
};

} // namespace gui::detail
