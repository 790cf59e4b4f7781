#include "ImageList.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cstdlib>

namespace kv {

namespace {

QPixmap scaled(const QImage& image) {
    const QImage sized = image.size() == QSize(ImageList::ImageSize, ImageList::ImageSize)
                             ? image
                             : image.scaled(ImageList::ImageSize, ImageList::ImageSize, Qt::IgnoreAspectRatio,
                                            Qt::SmoothTransformation);
    return QPixmap::fromImage(sized);
}

QPolygonF pentagon(QPointF centre, qreal radius, qreal turn) {
    QPolygonF shape;
    for (int i = 0; i < 5; ++i) {
        const qreal angle = qDegreesToRadians(turn + 72.0 * i - 90.0);
        shape << centre + QPointF(radius * qCos(angle), radius * qSin(angle));
    }
    return shape;
}

} // namespace

ImageList::ImageList(QObject* owner)
    : QObject(owner) {
    setObjectName(QStringLiteral("IconList"));
    reset();
}

void ImageList::reset() {
    m_images = {scaled(footballPicture())};
}

void ImageList::insert(int position, const QImage& image) {
    m_images.insert(qBound(0, position, count()), scaled(image));
}

QImage footballPicture() {
    QImage image(ImageList::ImageSize, ImageList::ImageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(16, 16);
    const QRectF ball(1.5, 1.5, 29, 29);
    QPainterPath outline;
    outline.addEllipse(ball);
    painter.setClipPath(outline);
    painter.fillPath(outline, Qt::white);

    // A black pentagon in the middle, with seams out to five cut-off pentagons at the rim.
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(Qt::black);
    painter.drawPolygon(pentagon(centre, 6, 0));
    for (int i = 0; i < 5; ++i) {
        const qreal angle = qDegreesToRadians(72.0 * i - 90.0);
        const QPointF inner = centre + QPointF(6 * qCos(angle), 6 * qSin(angle));
        const QPointF outer = centre + QPointF(15 * qCos(angle + M_PI / 5), 15 * qSin(angle + M_PI / 5));
        painter.drawLine(inner, centre + QPointF(11 * qCos(angle), 11 * qSin(angle)));
        painter.drawPolygon(pentagon(outer, 5, 36.0 + 72.0 * i));
    }
    painter.setClipping(false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(64, 64, 64), 1.2));
    painter.drawEllipse(ball);
    return image;
}

QImage decodeIcon(std::string_view bytes) {
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    reader.setAutoDetectImageFormat(false);
    QImage best;
    const int frames = qMax(1, reader.imageCount());
    for (int i = 0; i < frames; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (image.isNull())
            continue;
        const auto distance = [](const QImage& candidate) {
            return std::abs(candidate.width() - ImageList::ImageSize) +
                   std::abs(candidate.height() - ImageList::ImageSize);
        };
        if (best.isNull() || distance(image) < distance(best))
            best = image;
    }
    return best;
}

} // namespace kv
