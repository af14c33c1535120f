// The main window's status bar: a message too long for the bar ends in "…" and the whole message
// is in its tooltip, instead of being cut off at the bar's edge.
#pragma once

#include <QStatusBar>

namespace qm::host {

class StatusLine : public QStatusBar {
public:
    explicit StatusLine(QWidget* parent = nullptr);

    // The message as the bar paints it: elided to the room there is.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect TextRect() const;
    void UpdateToolTip();
};

} // namespace qm::host
