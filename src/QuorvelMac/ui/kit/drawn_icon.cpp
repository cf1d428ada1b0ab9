#include "QuorvelMac/ui/kit/drawn_icon.hpp"

#include <QIconEngine>
#include <QPaintDevice>
#include <QPainter>
#include <utility>

namespace quorvel::ui {

namespace {

class DrawnIconEngine final : public QIconEngine {
public:
    DrawnIconEngine(QString key, QString iconName, IconDrawing draw, QList<QSize> sizes)
        : key_(std::move(key)),
          iconName_(std::move(iconName)),
          draw_(std::move(draw)),
          sizes_(std::move(sizes)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        if (size.isEmpty()) {
            return {};
        }
        return draw_(size, mode);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap drawn = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        drawn.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, drawn);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return sizes_; }
    QIconEngine* clone() const override {
        return new DrawnIconEngine(key_, iconName_, draw_, sizes_);
    }
    QString key() const override { return key_; }
    QString iconName() override { return iconName_; }
    bool isNull() override { return false; }

private:
    QString key_;
    QString iconName_;
    IconDrawing draw_;
    QList<QSize> sizes_;
};

}  // namespace

QIcon drawnIcon(const QString& key, const QString& iconName, IconDrawing draw,
                const QList<QSize>& sizes) {
    return QIcon(new DrawnIconEngine(key, iconName, std::move(draw), sizes));
}

}  // namespace quorvel::ui
