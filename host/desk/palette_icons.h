// Toolbar icons that stay visible on any palette: an icon drawn in dark ink gets a light outline
// where the palette's background is dark, so its shape shows; its own colours stay as they are.
#pragma once

#include <QIcon>
#include <QObject>

class QPalette;
class QToolBar;

namespace qm::desk {

// The icon as it shows on `palette`'s button background.
QIcon OutlinedFor(const QIcon& icon, const QPalette& palette, int size);

// Keeps every action of the bar outlined for the bar's palette, also actions added later and
// after a change of palette.
class PaletteIcons : public QObject {
public:
    explicit PaletteIcons(QToolBar& bar);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refresh();
    QToolBar& FBar;
    bool FRefreshing = false;
};

} // namespace qm::desk
