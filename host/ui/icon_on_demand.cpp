#include "host/ui/icon_on_demand.h"

#include <QIconEngine>
#include <QPainter>

#include <optional>

namespace qm::host {

namespace {

class OnDemandEngine final : public QIconEngine {
public:
    explicit OnDemandEngine(const QString& file) : FFile(file) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return Icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Icon().availableSizes(mode, state);
    }
    QString iconName() override { return Icon().name(); }
    // Unread, the file is taken to be there: the icons asked for are the program's own.
    bool isNull() override { return FIcon && FIcon->isNull(); }
    QString key() const override { return QStringLiteral("qm-on-demand"); }
    QIconEngine* clone() const override { return new OnDemandEngine(*this); }

private:
    const QIcon& Icon() {
        if (!FIcon) FIcon = QIcon(FFile);
        return *FIcon;
    }

    QString FFile;
    std::optional<QIcon> FIcon;
};

} // namespace

QIcon IconOnDemand(const QString& file) {
    return QIcon(new OnDemandEngine(file));
}

} // namespace qm::host
