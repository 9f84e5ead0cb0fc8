#pragma once
// The top-level widget of a TForm: its client area. Private to the GUI layer.
#include <QEventLoop>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

namespace gui::detail {

class FormWindow : public QWidget {
public:
    explicit FormWindow(QWidget *owner);
    ~FormWindow() override;

    // False from the moment the window starts going away: the controls'
    // event hooks check it so that no handler runs on a half-destroyed window.
    std::shared_ptr<bool> live = std::make_shared<bool>(true);
    // Runs inside the first WindowActivate event, or about a second after
    // the window was first shown when no activation has come by then; once.
    std::function<void()> onFirstActivate;
    // The local loop of ShowModal, ended when the window hides.
    QPointer<QEventLoop> modalLoop;

    void addStatusBar(QWidget *bar);

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void placeStatusBars();
    void firstActivation();
    QList<QPointer<QWidget>> statusBars_;
    bool activated_ = false;
    bool shown_ = false;
};

} // namespace gui::detail
